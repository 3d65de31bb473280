-- result: the points of the round just played, by score category, under the title the game
-- gives in gResultTitle (the round complete, or its time up).

local title = gResultTitle or "result_title"
gResultTitle = nil
GameLog( "result: " .. title )

MakeDialog
{
  InfoWindow
  {
    name = "result", x = 0, y = 0, w = 800, h = 600,
    ShellPanel( title ),
    ShellText { name = "objects", x = 200, y = 160, w = 400, label = "" },
    ShellText { name = "extra_time", x = 200, y = 195, w = 400, label = "" },
    ShellText { name = "no_hints", x = 200, y = 230, w = 400, label = "" },
    ShellText { name = "decals", x = 200, y = 265, w = 400, label = "" },
    ShellText { name = "puzzles", x = 200, y = 300, w = 400, label = "" },
    ShellText { name = "total", x = 200, y = 345, w = 400, label = "", size = 24, colour = kBurgundy },
    ShellButton { name = "continue", x = 290, y = 410, label = "result_continue", default = true,
                  command = function() CloseWindow() end },
  }
}

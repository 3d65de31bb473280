-- hiscores: the hiscore table: this computer's best scores of a game mode, or the best
-- scores of all detectives by category from the hiscore service, ten rows at a time.

function UpdateButtons()
  local state = GetState()
  local localOnly = IsEnabled( kHiscoreLocalOnly )
  EnableWindow( "view", not localOnly and state == 0 )
  EnableWindow( "viewlocal", not localOnly and state ~= 0 )
  EnableWindow( "submit", not localOnly and state == 0 and EligibleScoreAvailable() )
  EnableWindow( "privacy", not localOnly )
  EnableWindow( "categoryleft", state == 4 )
  EnableWindow( "categoryright", state == 4 )
  EnableWindow( "gamemodeleft", state == 0 or state == 4 )
  EnableWindow( "gamemoderight", state == 0 or state == 4 )
end

local function Submit()
  local result = DoModal( "scripts/submit.lua" )
  if result == "qualified" or result == "success" then
    SubmissionDone( result == "qualified" )
  end
end

-- The table: a rank, a mark for players with an account, a name and a score per row.
local table = { name = "leftpanel", x = 40, y = 150, w = 520, h = 330 }
for row = 1, 10 do
  local y = ( row - 1 ) * 30
  table[ #table + 1 ] = ShellText { name = tostring( row ), x = 0, y = y, w = 50, h = 28, label = "",
                                    flags = kHAlignRight + kVAlignCenter }
  table[ #table + 1 ] = Bitmap { name = "p1_" .. row, x = 60, y = y + 4, image = ShellImage( "check_on" ),
                                 scale = 0.7 }
  table[ #table + 1 ] = ShellText { name = "name" .. row, x = 90, y = y, w = 270, h = 28, label = "" }
  table[ #table + 1 ] = ShellText { name = "score" .. row, x = 360, y = y, w = 100, h = 28, label = "",
                                    flags = kHAlignRight + kVAlignCenter }
end
table[ #table + 1 ] = ShellArrow { name = "scrollup", x = 475, y = 0, direction = "up" }
table[ #table + 1 ] = ShellArrow { name = "scrolldown", x = 475, y = 260, direction = "down" }

MakeDialog
{
  HiscoreWindow
  {
    name = "hiscores", x = 0, y = 0, w = 800, h = 600,
    ShellPanel( "hiscore_title", true ),
    ShellArrow { name = "gamemodeleft", x = 250, y = 78, direction = "left" },
    ShellText { name = "gamemode", x = 300, y = 82, w = 200, h = 32, label = "", size = 24,
                colour = kBurgundy, flags = kHAlignCenter + kVAlignCenter },
    ShellArrow { name = "gamemoderight", x = 510, y = 78, direction = "right" },
    ShellText { name = "local", x = 60, y = 118, w = 480, h = 26, label = "hiscore_local", size = 18 },
    ShellText { name = "global", x = 60, y = 118, w = 200, h = 26, label = "hiscore_global", size = 18 },
    ShellText { name = "topplayers", x = 60, y = 118, w = 480, h = 26, label = "hiscore_topplayers", size = 18 },
    ShellArrow { name = "categoryleft", x = 290, y = 110, direction = "left" },
    ShellText { name = "category", x = 335, y = 116, w = 170, h = 28, label = "", size = 18,
                flags = kHAlignCenter + kVAlignCenter },
    ShellArrow { name = "categoryright", x = 510, y = 110, direction = "right" },
    Window( table ),
    Window { name = "rightpanel", x = 570, y = 150, w = 190, h = 330 },
    Window { name = "rightpanelsmall", x = 570, y = 150, w = 190, h = 200 },
    ShellText { name = "eligibleasterisk", x = 30, y = 150, w = 16, h = 28, label = "#*", colour = kBurgundy },
    ShellText { name = "info", x = 575, y = 150, w = 185, h = 110, label = "hiscore_info", size = 17,
                flags = kHAlignLeft + kVAlignTop },
    ShellText { name = "eligible", x = 575, y = 270, w = 185, h = 80, label = "hiscore_eligible", size = 17,
                colour = kBurgundy, flags = kHAlignLeft + kVAlignTop },
    ShellText { name = "congratulations", x = 575, y = 150, w = 185, h = 80, label = "hiscore_congratulations",
                size = 17, colour = kBurgundy, flags = kHAlignLeft + kVAlignTop },
    ShellText { name = "dnq", x = 575, y = 150, w = 185, h = 80, label = "hiscore_dnq", size = 17,
                flags = kHAlignLeft + kVAlignTop },
    ShellText { name = "yourrank", x = 575, y = 240, w = 185, h = 30, label = "", size = 20, colour = kBurgundy },
    ShellText { name = "yourrankglobalinfo", x = 575, y = 240, w = 185, h = 60, label = "hiscore_yourrankinfo",
                size = 17, flags = kHAlignLeft + kVAlignTop },
    ShellText { name = "rankvalue", x = 575, y = 300, w = 185, h = 30, label = "" },
    ShellText { name = "server", x = 575, y = 360, w = 185, h = 60, label = "hiscore_server", size = 17,
                flags = kHAlignLeft + kVAlignTop },
    ShellText { name = "error", x = 575, y = 360, w = 185, h = 100, label = "", size = 17, colour = kBurgundy,
                flags = kHAlignLeft + kVAlignTop },
    ShellText { name = "privacyerror", x = 40, y = 470, w = 720, h = 30, label = "", size = 16, colour = kBurgundy,
                flags = kHAlignCenter + kVAlignCenter },
    ShellButton { name = "view", x = 50, y = 505, label = "hiscore_view", small = true },
    ShellButton { name = "viewlocal", x = 50, y = 505, label = "hiscore_viewlocal", small = true },
    ShellButton { name = "submit", x = 220, y = 505, label = "hiscore_submit", small = true, command = Submit },
    ShellButton { name = "privacy", x = 390, y = 505, label = "hiscore_privacy", small = true,
                  command = function() LaunchPrivacyPolicy() end },
    ShellButton { name = "close", x = 590, y = 505, label = "button_close", small = true, default = true,
                  cancel = true, command = function() CloseWindow() end },
  }
}
EnableWindow( "privacyerror", false )
GameLog( "hiscores shown" )

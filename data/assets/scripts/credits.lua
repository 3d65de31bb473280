-- credits: the people of the bureau, scrolling through the dialog from credits.txt.

MakeDialog
{
  ShellPanel( "credits_title" ),
  CreditsWindow { name = "credits", x = 150, y = 140, w = 500, h = 250, file = "credits.txt",
                  speed = 30, intropause = 1500, font = kShellFont, fontsize = 20,
                  fontcolor = kInk, headercolor = kBurgundy },
  ShellButton { name = "close", x = 290, y = 410, label = "button_close", default = true, cancel = true,
                command = function() CloseWindow() end },
}
GameLog( "credits shown" )

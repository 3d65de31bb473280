-- question: a question with Yes and No on a small panel, opened by AskYesNo (buttons.lua),
-- which hands over the text in gQuestion. Return answers yes, Escape no.

MakeDialog
{
  Bitmap { name = "panel", x = 150, y = 180, image = ShellImage( "panel_small" ) },
  ShellText { name = "question", x = 180, y = 205, w = 430, h = 110, label = "#" .. gQuestion, size = 24,
              colour = kBurgundy, flags = kHAlignCenter + kVAlignCenter },
  ShellButton { name = "yes", x = 230, y = 330, label = "button_yes", small = true, default = true,
                command = function() CloseWindow( true ) end },
  ShellButton { name = "no", x = 410, y = 330, label = "button_no", small = true, cancel = true,
                command = function() CloseWindow( false ) end },
}
GameLog( "asked: " .. gQuestionLabel )

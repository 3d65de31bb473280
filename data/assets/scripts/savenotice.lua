-- savenotice: tells the player that progress could not be saved, and why, or that a damaged
-- file was kept aside; the game puts the text in gSaveNotice before it opens the dialog. Return
-- or Escape closes it.

local text = gSaveNotice or ""
gSaveNotice = nil

MakeDialog
{
  Bitmap { name = "panel", x = 150, y = 180, image = ShellImage( "panel_small" ) },
  ShellText { name = "savenotice", x = 180, y = 200, w = 440, h = 120, label = "#" .. text, size = 19,
              flags = kHAlignCenter + kVAlignCenter },
  ShellButton { name = "ok", x = 325, y = 330, label = "button_ok", small = true, default = true, cancel = true,
                command = function()
                  SaveNoticeRead()
                  CloseWindow()
                end },
}
GameLog( "save notice: " .. text )

-- savenotice: tells the player that progress could not be saved, and why, or that a damaged
-- file was kept aside; the game puts the text in gSaveNotice before it opens the dialog.

local text = gSaveNotice or ""
gSaveNotice = nil

MakeDialog
{
  ShellPanel( "save_notice_title" ),
  ShellText { name = "savenotice", x = 170, y = 160, w = 460, h = 220, label = "#" .. text, size = 20,
              flags = kHAlignLeft + kVAlignTop },
  ShellButton { name = "ok", x = 290, y = 400, label = "button_ok", default = true, cancel = true,
                command = function() CloseWindow() end },
}
GameLog( "save notice: " .. text )

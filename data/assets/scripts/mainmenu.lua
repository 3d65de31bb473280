-- mainmenu: the main menu: the bureau's name, a welcome for the current detective and the
-- buttons that open the game's dialogs. Built into the layer that mainloop.lua pushes.

function UpdateCaption()
  local name = GetUserName( GetCurrentUser() )
  if name == "" then
    SetLabel( "welcome", GetString( "menu_noplayer" ) )
  else
    SetLabel( "welcome", GetString( "menu_welcome", name ) )
  end
  GameLog( "detective: " .. name )
end

-- Opens a dialog and shows the detective that may have changed in it.
local function Open( script )
  local result = DoModal( script )
  UpdateCaption()
  return result
end

local function Play()
  if GetNumUsers() == 0 then
    Open( "scripts/newplayer.lua" )
  end
  local choice = Open( "scripts/timermode.lua" )
  GameLog( "play chosen: " .. tostring( choice ) )
end

local kX = 290
MakeDialog
{
  MainMenu
  {
    name = "menu", x = 0, y = 0, w = 800, h = 600,
    Bitmap { name = "background", x = 0, y = 0, image = ShellImage( "background" ) },
    Bitmap { name = "emblem", x = 60, y = 40, image = ShellImage( "emblem" ) },
    ShellText { name = "title", x = 190, y = 55, w = 560, h = 56, label = "menu_title", size = 40,
                colour = kGold },
    ShellText { name = "welcome", x = 190, y = 115, w = 560, h = 32, label = "menu_noplayer", size = 20,
                colour = kParchment },
    ShellButton { name = "play", x = kX, y = 190, label = "menu_play", command = Play },
    ShellButton { name = "options", x = kX, y = 250, label = "menu_options",
                  command = function() Open( "scripts/options.lua" ) end },
    ShellButton { name = "players", x = kX, y = 310, label = "menu_players",
                  command = function() Open( "scripts/chooseplayer.lua" ) end },
    ShellButton { name = "hiscores", x = kX, y = 370, label = "menu_hiscores",
                  command = function() Open( "scripts/hiscores.lua" ) end },
    ShellButton { name = "credits", x = kX, y = 430, label = "menu_credits",
                  command = function() Open( "scripts/credits.lua" ) end },
    ShellButton { name = "quit", x = kX, y = 490, label = "menu_quit", cancel = true,
                  command = function() PostMessage( CreateNamedMessage( kQuitNow, "quit" ) ) end },
  }
}
SetWelcomeName()
UpdateCaption()

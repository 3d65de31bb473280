-- mainloop: the game's layer with its one game window, and the main menu that the game
-- asks for over its title. Runs as the window script's coroutine until the game ends.

-- The game's events that the menu posts (PostGameEvent).
kStoryChosen = 3
kFreePlayChosen = 4

-- The game calls these when it reaches its title and when it leaves it. The menu is built
-- by the loop below, so that a menu that cannot be built ends the flow on the failure page.
function OpenMainMenu()
  gMainMenuWanted = true
end

function CloseMainMenu()
  gMainMenuWanted = false
  if IsWindowExists( "menu" ) then
    DestroyWindow( "menu" )
    GameLog( "main menu closed" )
  end
end

local function ShowMainMenu()
  ReadFile( "scripts/mainmenu.lua" )
  -- A menu script that builds no menu (empty, or cut short after its definitions) fails like a
  -- script with an error: the title would wait for a choice nobody can make.
  if not IsWindowExists( "menu" ) then
    error( "scripts/mainmenu.lua built no menu: the script is empty or cut short", 0 )
  end
  GameLog( "main menu shown" )
  if GetNumUsers() == 0 then
    DoModal( "scripts/newplayer.lua" )
    UpdateCaption()
  end
end

return function()
  -- The start-up runs scripts/buttons.lua once this coroutine waits for the first time.
  WaitForMessage( 1 )
  if ShellButton == nil then
    ReadFile( "scripts/buttons.lua" )
  end
  PushModal( "maingamewindow" )
  MakeDialog
  {
    GameWindow { name = "gamewindow", x = 0, y = 0, w = 800, h = 600 },
  }
  GameLog( "game window shown" )
  while true do
    local message = WaitForMessage()
    if message ~= nil then
      gLastMessage = message
    end
    if gMainMenuWanted then
      gMainMenuWanted = false
      if not IsWindowExists( "menu" ) then
        ShowMainMenu()
      end
    end
  end
end

-- mainloop: the game's first screen, the main menu, over which the player windows, the
-- options, the timer-mode choice, the hiscores and the credits open as dialogs. Runs as the
-- window script's coroutine until the game ends.

return function()
  -- The start-up runs scripts/buttons.lua once this coroutine waits for the first time.
  WaitForMessage( 1 )
  if ShellButton == nil then
    ReadFile( "scripts/buttons.lua" )
  end
  PushModal( "mainmenu" )
  ReadFile( "scripts/mainmenu.lua" )
  GameLog( "main menu shown" )
  if GetNumUsers() == 0 then
    DoModal( "scripts/newplayer.lua" )
    UpdateCaption()
  end
  while true do
    local message = WaitForMessage()
    if message ~= nil then
      gLastMessage = message
    end
  end
end

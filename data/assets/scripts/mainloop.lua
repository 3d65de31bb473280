-- mainloop: the first screen: the bureau's front desk, a dialog of text, a picture, a text
-- entry, a slider and two buttons. It runs as the window script's coroutine until the end.

local kFont = "fonts/default.mvec"

function DemoGreet()
  local name = GetLabel( "visitor" )
  if name == nil or name == "" then
    SetLabel( "status", GetString( "demo_nobody" ) )
  else
    SetLabel( "status", GetString( "demo_hello", name ) )
  end
  GameLog( "greet: " .. tostring( name ) )
end

function DemoClear()
  SetLabel( "visitor", "" )
  SetLabel( "status", GetString( "demo_cleared" ) )
  GameLog( "cleared" )
end

local function HandleMessage( message )
  if message.type == kSliderValChanged then
    gLampValue = message.name
  elseif message.type == kSliderMouseUp then
    GameLog( "lamp set" )
  elseif message.type == kTextEditChanged then
    GameLog( "typed: " .. tostring( GetLabel( "visitor" ) ) )
  elseif message.type == kButtonPress then
    GameLog( "button: " .. tostring( message.name ) )
  end
end

return function()
  PushModal( "frontdesk" )
  ReadFile( "scripts/frontdesk.lua" )
  DoFitToChildren()
  SetFocus( "visitor" )
  GameLog( "front desk shown" )
  while true do
    local message = WaitForMessage()
    if message ~= nil then
      gLastMessage = message
      HandleMessage( message )
    end
  end
end

// screeninit: the embedded window-script library (ScreenInit.lua); runs in the window
// script's state and calls the commands that TWindowScript registers.
#include "core/window/screeninit.h"

// Written for any Lua from 5.0 on: no implicit "arg", no "#" on tables that carry "n",
// and numbers reach text only through tostring, which the host writes as "%.14g".
const char kScreenInitSource[] = R"LUA(
LUA_PATH = "?;../?;../../?"

kHAlignLeft = 0
kHAlignCenter = 1
kHAlignRight = 2
kVAlignTop = 0
kVAlignCenter = 4
kVAlignBottom = 8
kPush = 0
kToggle = 1
kRadio = 2
kAllLayers = -1
kCenter = 80000
kMax = 160000
kDefault = 128
kPushButtonAlignment = kHAlignCenter + kVAlignCenter
kRadioButtonAlignment = kHAlignLeft + kVAlignCenter
kToggleButtonAlignment = kHAlignCenter + kVAlignCenter

kGeneric = 0
kCloseWindow = 1
kDefaultAction = 2
kButtonPress = 3
kPressAnyKey = 4
kQuitNow = 5
kModalClosed = 6
kTextEditChanged = 7
kCommandOnly = 8
kSliderValChanged = 9
kSliderMouseUp = 10
kSliderPageUp = 11
kSliderPageDown = 12
kUserMessageBase = 1000

kCmdLine = "cmdline"
kLevel = "level"
kSubLevel = "sublevel"
kPause = "pause"
kMute = "mute"
kBreakNow = "breaknow"
kScore = "score"
kGameMode = "gamemode"
kGameOver = "gameover"
kRestartButton = "restartbutton"
kSystemMode = "systemmode"
kMaxLevel = "maxlevel"

gReturnValue = nil

kCheatMode = "cheatmode"
kComputerId = "computerid"
kInstallKey = "installkey"
kGameName = "gamename"
kGameVersion = "version"
kEncryptionKey = "encryptionkey"
kHiscoreLocalOnly = "hiscorelocal"
kHiscoreAnonymous = "hiscoreanon"

idtable = {}
gParent = {}
gCurrentDefaultStyle = {}
gCurID = 100
gBeginGroup = 0

function Color( r, g, b, a )
  if a == nil then
    return { r / 255, g / 255, b / 255, 1 }
  end
  return { r / 255, g / 255, b / 255, a / 255 }
end

function FColor( r, g, b, a )
  if a == nil then
    a = 1
  end
  return { r, g, b, a }
end

function Push( window )
  table.insert( gParent, 1, window )
end

function Pop()
  table.remove( gParent, 1 )
end

-- A window that could not be made leaves its parent's name, layout and place on the
-- construction stack alone; its children are still built under that parent.
function DoWindow( table )
  table.beginGroup = gBeginGroup
  gBeginGroup = 0
  if GenericCreate( table ) then
    MakeDialog( table )
    PopWindow()
  else
    MakeChildren( table )
  end
end

function DoDialogCommand( i, cmd )
  cmd()
end

function MakeChildren( dialogcommands )
  local oldStyle = gCurrentDefaultStyle
  local i = 1
  while dialogcommands[ i ] ~= nil do
    DoDialogCommand( i, dialogcommands[ i ] )
    i = i + 1
  end
  gCurrentDefaultStyle = oldStyle
end

function MakeDialog( dialogcommands )
  local oldStyle = gCurrentDefaultStyle
  if dialogcommands.name ~= nil and dialogcommands.name ~= "" then
    SetWindowName( dialogcommands.name )
  end
  local i = 1
  while dialogcommands[ i ] ~= nil do
    DoDialogCommand( i, dialogcommands[ i ] )
    i = i + 1
  end
  typename = dialogcommands.typename
  gCurrentDefaultStyle = oldStyle
  if typename ~= nil then
    PostCreate( dialogcommands, typename )
  end
end

function Creating( type, table )
end

function SetBeginGroup( style )
  gBeginGroup = 1
end

function BeginGroup()
  return function() SetBeginGroup() end
end

-- A "parent" chain that comes back on itself ends the search.
function GetTag( tab, tag, traverseParents )
  if type( tab ) == "table" and tab[ tag ] ~= nil then
    return tab[ tag ]
  end
  local seen = {}
  if not traverseParents then
    tab = gCurrentDefaultStyle
  elseif type( tab ) == "table" then
    seen[ tab ] = true
    tab = tab.parent
  else
    return nil
  end
  while type( tab ) == "table" and not seen[ tab ] do
    seen[ tab ] = true
    if tab[ tag ] ~= nil then
      return tab[ tag ]
    end
    tab = tab.parent
  end
  return nil
end

function SetDefaultStyle( style )
  gCurrentDefaultStyle = style
end

function SetStyle( style )
  return function() SetDefaultStyle( style ) end
end

function AppendStyle( style )
  return function()
    style.parent = gCurrentDefaultStyle
    SetDefaultStyle( style )
  end
end

function SetFocus( name )
  RealSetFocus( name )
end

function SetDefault( default )
  return function() end
end

function DistributeX( number )
  divisor = number + 1
  d = {}
  for i = 1, number do
    d[ i ] = i / divisor * gDialogWidth
  end
  return d
end

function DistributeY( number )
  local result = {}
  for i = 1, number do
    result[ i ] = i / ( number + 1 ) * gDialogHeight
  end
  return result
end

function WaitForCloseMessage( id )
  while true do
    local message = WaitForMessage()
    if message ~= nil then
      gLastMessage = message
      if message.type == kModalClosed then
        if message.name == id then
          return
        end
        gClosedWindows[ message.name ] = true
      end
    end
    if gClosedWindows[ id ] then
      gClosedWindows[ id ] = nil
      return
    end
  end
end

-- A dialog script that builds no window (empty, or cut short after its definitions) fails
-- like a script with an error: its empty layer would wait for a close that never comes.
function ReadDialog( fileToRead, id )
  ReadFile( fileToRead )
  if not DoFitToChildren() then
    DoPopModal( id )
    error( fileToRead .. " built no window: the script is empty or cut short", 0 )
  end
end

function DoModal( fileToRead )
  local id = PushModal( fileToRead )
  ReadDialog( fileToRead, id )
  WaitForCloseMessage( id )
  local value = gReturnValue
  gReturnValue = nil
  return value
end

function DoMainWindow( fileToRead )
  local id = PushModal( fileToRead )
  local depth = GetWindowDepth()
  ReadDialog( fileToRead, id )
  while true do
    local message = WaitForMessage()
    if message ~= nil then
      gLastMessage = message
    end
    if GetWindowDepth() < depth then
      return
    end
  end
end

function ModalReturn( value )
  gReturnValue = value
end

function DisplaySplash( splashMovie, splashGraphic, time )
  local id = PushModal( "DisplaySplash" )
  local translate = GetTag( {}, "translate" ) or false
  local allowInput = GetTag( {}, "allowInput" ) or false
  inMovie = StartMovie( splashMovie, translate, allowInput )
  local endTime = GetTimer() + ( time or 0 )
  if not inMovie then
    local overlay = GetTag( {}, "splashoverlay" ) or Group( {} )
    if splashGraphic == nil then
      PopModal( id )
      return
    end
    MakeDialog( { Bitmap{ name = "splashimage", image = splashGraphic, autoscale = true, overlay } } )
    UpdateWindow()
    Pause( 50 )
    UpdateWindow()
    Pause( 50 )
  end
  local disableAbort = GetTag( {}, "disableAbort" ) or false
  if inMovie or ImageLoaded( "splashimage" ) then
    while true do
      local message = WaitForMessage( 1 )
      if not IsMoviePlaying() and GetTimer() > endTime then
        break
      end
      if message ~= nil then
        if message.type == kCloseWindow then
          break
        end
        if message.type == kModalClosed then
          if message.name == id then
            break
          end
          gClosedWindows[ message.name ] = true
        end
        if not disableAbort and message.type == kPressAnyKey then
          break
        end
      end
      if inMovie and not IsMoviePlaying() then
        break
      end
    end
  end
  if inMovie then
    StopMovie()
  end
  PopModal( id )
end

function FlushMessages()
  while HandleGetMessage( 1 ) ~= nil do
  end
  gCommandQueue = {}
  gMessageQueue = {}
end

function WaitForMessage( delay, deferQueue )
  if not deferQueue and gMessageQueue[ 1 ] ~= nil then
    return table.remove( gMessageQueue )
  end
  local message, command = HandleGetMessage( delay )
  if command ~= nil then
    gYieldResult = RunHandler( command )
  elseif gCommandQueue[ 1 ] ~= nil then
    local queued = table.remove( gCommandQueue )
    gYieldResult = RunHandler( queued )
  end
  return message
end

-- A handler that fails is reported once (by _ALERT) and ends; the loop waiting for
-- messages goes on. Native code that handed the handler over hears of the failure
-- through the answer gHandlerFailed.
gHandlerFailed = {}
function RunHandler( handler )
  -- A handler that waits for messages itself answers nothing meanwhile.
  gYieldResult = nil
  local ok, result = xpcall( handler, _ALERT )
  if ok then
    return result
  end
  -- These two come back without passing the message handler: reported here, at the handler.
  if result == "not enough memory" or result == "error in error handling" then
    _ALERT( result, handler )
  end
  return gHandlerFailed
end

function Yield()
  coroutine.yield()
end

function ReadFile( fileToRead )
  dofile( "assets/" .. fileToRead )
end

function CloseWindow( param )
  PostMessage( CreateCloseMessage() )
  if param ~= nil then
    ModalReturn( param )
  end
end

function CustomCreator( s )
end

function GetString( id, p1, p2, p3, p4, p5 )
  return _GetString( id, p1 or "", p2 or "", p3 or "", p4 or "", p5 or "" )
end

function SetBitmap( name, image, scale )
  _SetBitmap( name, image, scale or 1 )
end

function PopModal( r )
  DoPopModal( r )
end

function SwapToModal( name )
  ClearModalChildren()
  ReadFile( name )
  DoFitToChildren()
end

gClosedWindows = {}
gCommandQueue = {}
gMessageQueue = {}
gDialogTable = {}

function DisplayDialog( t )
  local script = t[ 1 ]
  if script == nil or script == "" then
    DebugOut( "DisplayDialog called with empty script; aborting" )
    return
  end
  local id = PushModal( script )
  gDialogTable = t
  ReadFile( script )
  WaitForCloseMessage( id )
  local value = gReturnValue
  gReturnValue = nil
  return value
end

function SelectLayer( layer )
  return function() DoSelectLayer( layer ) end
end

function Group( t )
  return function() MakeDialog( t ) end
end

function FitToChildren()
  return function() DoFitToChildren() end
end

function Pause( time, waitForKey )
  if waitForKey == nil then
    waitForKey = false
  end
  local endTime = GetTimer() + time
  while GetTimer() < endTime do
    local message = WaitForMessage( endTime - GetTimer(), true )
    if message ~= nil then
      if waitForKey and message.type == kPressAnyKey then
        return
      end
      table.insert( gMessageQueue, message )
    end
  end
end

function SetState( key, value )
  if value == true then
    value = 1
  elseif value == false then
    value = 0
  end
  _SetState( tostring( key ), tostring( value ) )
end

function RegisterHotkey( hotkey, buttonName )
  if hotkey ~= nil and buttonName ~= nil then
    _RegisterHotkey( hotkey, buttonName )
  end
end
)LUA";

const unsigned kScreenInitLength = sizeof kScreenInitSource - 1;

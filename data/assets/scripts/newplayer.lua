-- newplayer: the dialog in which a detective signs the register with a name, or renames
-- the current one when the caller sets gRenamePlayer first.

local renaming = gRenamePlayer
gRenamePlayer = nil
local current = renaming and GetUserName( GetCurrentUser() ) or ""

local function Trimmed( text )
  text = string.gsub( text, "^%s+", "" )
  return ( string.gsub( text, "%s+$", "" ) )
end

local function Accept()
  local name = Trimmed( GetLabel( "playername" ) )
  if name == "" or isDisabled( "ok" ) then
    return
  end
  if renaming and name == current then
    CloseWindow()
    return
  end
  if IsNameInUse( name ) then
    SetLabel( "status", GetString( "player_inuse" ) )
    EnableWindow( "status", true )
    return
  end
  if renaming then
    ChangeCurrentUserName( name )
    -- A detective signed in this run keeps the greeting of a newcomer.
    if gNewDetective == current then
      gNewDetective = name
    end
    SetCurrentUser( GetCurrentUser() )
    GameLog( "detective renamed: " .. name )
  else
    gNewDetective = name
    CreateNewUser( name )
    GameLog( "detective created: " .. name )
  end
  CloseWindow()
end

MakeDialog
{
  ShellPanel( renaming and "player_rename_title" or "player_new_title" ),
  ShellText { name = "prompt", x = 170, y = 170, w = 460, h = 30, label = "player_prompt", size = 20 },
  -- A text entry takes its label as its text: the placeholder is looked up here. A rename
  -- starts from the name as it stands.
  TextEdit { name = "playername", x = 200, y = 220, w = 400, h = 38,
             label = renaming and current or GetString( "player_placeholder" ), clearinitial = not renaming,
             enablewindow = "ok", statuswindow = "status", length = 24, utf8 = true,
             font = { kShellFont, 24, kInk } },
  ShellText { name = "status", x = 170, y = 275, w = 460, h = 28, label = "player_inuse", size = 18,
              colour = kBurgundy, flags = kHAlignCenter + kVAlignCenter },
  ShellButton { name = "ok", x = 170, y = 400, label = "button_ok", default = true, command = Accept },
  ShellButton { name = "cancel", x = 410, y = 400, label = "button_cancel", cancel = true,
                command = function() CloseWindow() end },
}
EnableWindow( "status", false )
-- Without any detective there is nobody to go back to.
EnableWindow( "cancel", GetNumUsers() > 0 )
DisabledButton( "ok", not renaming )
SetFocus( "playername" )

-- mainmenu: the main menu over the title: a welcome for the current detective, the choice
-- of story or free play and the buttons that open the game's dialogs. Built into the game's
-- layer by OpenMainMenu (mainloop.lua) while the game is at its title.

function UpdateCaption()
  local name = GetUserName( GetCurrentUser() )
  if name == "" then
    SetLabel( "welcome", GetString( "menu_noplayer" ) )
  elseif name == gNewDetective then
    SetLabel( "welcome", GetString( "menu_welcome_new", name ) )
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

-- Every game is played by a detective: the register opens first when there is none.
local function SignedIn()
  if GetNumUsers() == 0 then
    Open( "scripts/newplayer.lua" )
  end
  return GetNumUsers() > 0
end

-- A new story asks how it is played; a story taken up again keeps its choice.
local function Story()
  if not SignedIn() then
    return
  end
  if not HasSavedStory() then
    local choice = Open( "scripts/timermode.lua" )
    GameLog( "play chosen: " .. tostring( choice ) )
    if choice == nil then
      return
    end
    SetTimedPlay( choice == "timed" )
  end
  PostGameEvent( kStoryChosen )
end

local function FreePlay()
  if SignedIn() then
    GameLog( "free play chosen" )
    PostGameEvent( kFreePlayChosen )
  end
end

local kX = 290
local kTop = 170
local kStep = 56
MakeDialog
{
  MainMenu
  {
    name = "menu", x = 0, y = 0, w = 800, h = 600,
    ShellText { name = "welcome", x = 190, y = 115, w = 560, h = 32, label = "menu_noplayer", size = 20,
                colour = kParchment },
    ShellButton { name = "story", x = kX, y = kTop, label = "menu_story", command = Story },
    ShellButton { name = "freeplay", x = kX, y = kTop + kStep, label = "menu_freeplay", command = FreePlay },
    ShellButton { name = "options", x = kX, y = kTop + 2 * kStep, label = "menu_options",
                  command = function() Open( "scripts/options.lua" ) end },
    ShellButton { name = "players", x = kX, y = kTop + 3 * kStep, label = "menu_players",
                  command = function() Open( "scripts/chooseplayer.lua" ) end },
    ShellButton { name = "hiscores", x = kX, y = kTop + 4 * kStep, label = "menu_hiscores",
                  command = function() Open( "scripts/hiscores.lua" ) end },
    ShellButton { name = "credits", x = kX, y = kTop + 5 * kStep, label = "menu_credits",
                  command = function() Open( "scripts/credits.lua" ) end },
    ShellButton { name = "quit", x = kX, y = kTop + 6 * kStep, label = "menu_quit", cancel = true,
                  command = function()
                    if ConfirmLeaving() then
                      PostMessage( CreateNamedMessage( kQuitNow, "quit" ) )
                    end
                  end },
  }
}
SetWelcomeName()
UpdateCaption()

-- chooseplayer: the register of detectives: pick one to play, sign in a new one, rename or
-- delete the one picked.

function UpdatePlayerChoices( current, count, names )
  DeleteItem( "user_list", -1 )
  for i = 1, #names do
    AddItem( "user_list", names[ i ] )
  end
  SetSelectedItem( "user_list", current )
end

local function Picked()
  return GetCurrentSelectedUser()
end

local function Select()
  local picked = Picked()
  if picked >= 0 then
    SetCurrentUser( picked )
    GameLog( "detective chosen: " .. GetUserName( picked ) )
  end
  CloseWindow()
end

local function New()
  DoModal( "scripts/newplayer.lua" )
  SetPlayerChoices()
end

local function Rename()
  local picked = Picked()
  if picked >= 0 then
    SetCurrentUser( picked )
    gRenamePlayer = true
    DoModal( "scripts/newplayer.lua" )
    SetPlayerChoices()
  end
end

local function Delete()
  local picked = Picked()
  if picked >= 0 and AskYesNo( "player_delete_question", GetUserName( picked ) ) then
    GameLog( "detective deleted: " .. GetUserName( picked ) )
    DeleteUser( picked )
    SetPlayerChoices()
  end
end

MakeDialog
{
  ChoosePlayerWindow
  {
    name = "chooseplayer", x = 0, y = 0, w = 800, h = 600,
    ShellPanel( "player_choose_title" ),
    ListBox
    {
      name = "user_list", x = 150, y = 150, w = 360, h = 250, max_visible = 7, indent = 4,
      item = kShellListRow,
      ShellArrow { name = "list_up", x = 305, y = 0, direction = "up" },
      ShellArrow { name = "list_down", x = 305, y = 200, direction = "down" },
    },
    ShellButton { name = "select", x = 505, y = 150, label = "player_select", small = true, default = true,
                  command = Select },
    ShellButton { name = "new", x = 505, y = 200, label = "player_new", small = true, command = New },
    ShellButton { name = "rename", x = 505, y = 250, label = "player_rename", small = true, command = Rename },
    ShellButton { name = "delete", x = 505, y = 300, label = "player_delete", small = true, command = Delete },
    ShellButton { name = "close", x = 290, y = 420, label = "button_close", cancel = true,
                  command = function() CloseWindow() end },
  }
}

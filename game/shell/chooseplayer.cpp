// chooseplayer: the players' names from the settings into the window script, and the
// selection of the script's list box back.
#include "shell/chooseplayer.h"

#include "core/script/luabind.h"
#include "shell/listbox.h"
#include "shell/settings.h"
#include "shell/shellglue.h"

namespace {

const char* const kLuaNames[] = {"SetPlayerChoices", "GetCurrentSelectedUser", "GetSelectedPlayerName"};

} // namespace

TWindow* TChoosePlayerDynamicCreate()
{
  return new TChoosePlayer;
}

intptr_t TChoosePlayer::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TChoosePlayerDynamicCreate);
  return id;
}

TChoosePlayer::TChoosePlayer()
{
  if (lua_State* L = GameLuaState()) {
    LuaBind(L, "SetPlayerChoices", this, &TChoosePlayer::SetPlayerChoices);
    LuaBind(L, "GetCurrentSelectedUser", this, &TChoosePlayer::GetCurrentSelectedUser);
    LuaBind(L, "GetSelectedPlayerName", this, &TChoosePlayer::GetSelectedPlayerName);
  }
}

TChoosePlayer::~TChoosePlayer()
{
  UnbindLuaFrom(this, kLuaNames, sizeof kLuaNames / sizeof kLuaNames[0]);
}

void TChoosePlayer::PostChildrenInit(TWindowStyle& style)
{
  TWindow::PostChildrenInit(style);
  SetPlayerChoices();
}

void TChoosePlayer::SetPlayerChoices()
{
  if (gSettings) {
    RunGameLua(PlayerChoicesCall());
  }
}

str TChoosePlayer::PlayerChoicesCall()
{
  if (!gSettings) {
    return str();
  }
  const int count = gSettings->GetNumUsers();
  str names = "{";
  for (int i = 0; i < count && i < kMaxListed; ++i) {
    // Quoted for Lua: a name is the player's own text, never code.
    names += LuaQuote(gSettings->GetUserName(i));
    names += ",";
  }
  names += "}";
  return str::getFormatted("UpdatePlayerChoices( %d, %d, %s )", gSettings->GetCurrentUser(), count, names.c_str());
}

int TChoosePlayer::GetCurrentSelectedUser()
{
  TListBox* list = GetCast<TListBox>(GetChildWindow(kList, -1));
  return list ? list->GetSelectedItem() : -1;
}

str TChoosePlayer::GetSelectedPlayerName()
{
  return gSettings ? gSettings->GetUserName(GetCurrentSelectedUser()) : str();
}

// mainmenu: the main menu window and its music; talks to the sound assets and the window
// script's globals.
#include "shell/mainmenu.h"

#include "core/script/luabind.h"
#include "media/musicmanager.h"
#include "shell/shellglue.h"
#include "media/soundlevels.h"
#include "core/foundation/debug.h"
#include "core/sound/soundplayer.h"

namespace {

const char* const kLuaNames[] = {"SetWelcomeName"};

} // namespace

TWindow* TMainMenuDynamicCreate()
{
  return new TMainMenu;
}

intptr_t TMainMenu::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TMainMenuDynamicCreate);
  return id;
}

TMainMenu::TMainMenu()
{
  // Played outside the music manager: the menu's own loop, which ends with the window. Where
  // the manager already plays (the title's theme under the menu) the menu keeps quiet, so
  // two tracks are never heard at once.
  mMusic = TSoundPlayer::Get(kMusic, false, kSoundTypeMusic);
  if (mMusic && GMusicManager::Instance()->IsSilent()) {
    WriteDbg("Music: %s for the main menu", kMusic);
    TSoundPlayer::Play(mMusic, true);
  }
  if (lua_State* L = GameLuaState()) {
    LuaBind(L, "SetWelcomeName", this, &TMainMenu::SetWelcomeName);
  }
}

TMainMenu::~TMainMenu()
{
  UnbindLuaFrom(this, kLuaNames, 1);
}

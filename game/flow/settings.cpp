// settings: players and their options in the preferences database, the hiscore service,
// the display mode and the sound levels; talks to the platform, the window manager and
// its script, the analytics store and the music manager.
#include "flow/settings.h"

#include <cstdlib>

#include "core/app/gamestate.h"
#include "core/app/platform.h"
#include "core/foundation/prefsdb.h"
#include "core/graphics/renderer.h"
#include "core/online/hiscores.h"
#include "core/script/luabind.h"
#include "core/window/modalwindow.h"
#include "core/window/windowmanager.h"
#include "flow/gamedefs.h"
#include "flow/musicmanager.h"
#include "flow/shellglue.h"
#include "flow/soundlevels.h"
#include "platform/debug.h"
#include "scene/sceneobject.h"

TSettings* gSettings = nullptr;

namespace {

const char* const kLuaNames[] = {
    "ToggleFullScreen", "ToggleSoundMute",  "SetCurrentGameMode", "GetNumUsers",     "CreateNewUser",
    "SetCurrentUser",   "ChangeCurrentUserName", "DeleteUser",    "IsNameInUse",     "QuitToMainMenu",
    "LogHighScore",     "NumMedalsToSubmit", "NumEarnedMedals",   "GetMedalName",    "GetMedalType",
    "GetMedalGameMode", "GetMedalGameData", "GetQVGameModeName",  "GetQVMedalName",  "GetUserName",
    "GetCurrentUser"};

const char kMedalGameData[] = "12345";
const unsigned kScreenWidth = 800;
const unsigned kScreenHeight = 600;

} // namespace

TSettings* TSettings::CreateSettings()
{
  DeleteSettings();
  gSettings = new TSettings;
  return gSettings;
}

void TSettings::DeleteSettings()
{
  delete gSettings;
  gSettings = nullptr;
}

TSettings* TSettings::GetInstance()
{
  return gSettings;
}

TSettings::TSettings() : mPrefs(nullptr), mHiscores(nullptr), mGameMode(kSettingsStory)
{
  RegisterLua();
  mPrefs = new TPrefsDB(true);
  // Scene objects stay silent for a player who turned the sound off.
  TSceneObject::SetPreferences(mPrefs);
  mHiscores = new TQvHiscores(true);
  SetCurrentGameMode(kSettingsStory);
  SetCurrentUser(GetCurrentUser());
}

TSettings::~TSettings()
{
  UnregisterLua();
  delete mHiscores;
  TSceneObject::SetPreferences(nullptr);
  delete mPrefs;
}

void TSettings::RegisterLua()
{
  lua_State* L = GameLuaState();
  if (!L) {
    return;
  }
  LuaBind(L, "ToggleFullScreen", this, &TSettings::ToggleFullScreen);
  LuaBind(L, "ToggleSoundMute", this, &TSettings::ToggleSoundMute);
  LuaBind(L, "SetCurrentGameMode", this, &TSettings::SetCurrentGameMode);
  LuaBind(L, "GetNumUsers", this, &TSettings::GetNumUsers);
  LuaBind(L, "CreateNewUser", this, &TSettings::CreateNewUser);
  LuaBind(L, "SetCurrentUser", this, &TSettings::SetCurrentUser);
  LuaBind(L, "ChangeCurrentUserName", this, &TSettings::ChangeCurrentUserName);
  LuaBind(L, "DeleteUser", this, &TSettings::DeleteUser);
  LuaBind(L, "IsNameInUse", this, &TSettings::IsNameInUse);
  LuaBind(L, "QuitToMainMenu", this, &TSettings::QuitToMainMenu);
  LuaBind(L, "LogHighScore", this, &TSettings::LogHighScore);
  LuaBind(L, "NumMedalsToSubmit", this, &TSettings::NumMedalsToSubmit);
  LuaBind(L, "NumEarnedMedals", this, &TSettings::NumEarnedMedals);
  LuaBind(L, "GetMedalName", this, &TSettings::GetMedalName);
  LuaBind(L, "GetMedalType", this, &TSettings::GetMedalType);
  LuaBind(L, "GetMedalGameMode", this, &TSettings::GetMedalGameMode);
  LuaBind(L, "GetMedalGameData", this, &TSettings::GetMedalGameData);
  LuaBind(L, "GetQVGameModeName", this, &TSettings::GetQVGameModeName);
  LuaBind(L, "GetQVMedalName", this, &TSettings::GetQVMedalName);
  LuaBind(L, "GetUserName", this, &TSettings::GetUserName);
  LuaBind(L, "GetCurrentUser", this, &TSettings::GetCurrentUser);
}

void TSettings::UnregisterLua()
{
  UnbindLuaFrom(this, kLuaNames, sizeof kLuaNames / sizeof kLuaNames[0]);
}

bool TSettings::IsReadableUser(int user)
{
  return user == kGlobalUser || (user >= 0 && unsigned(user) < mPrefs->GetNumUsers());
}

int TSettings::GetUserInt(const str& key, int defaultValue, int user)
{
  // The database creates every player up to the one read; a look at a player that
  // does not exist must not leave empty players behind.
  return IsReadableUser(user) ? mPrefs->GetInt(key, defaultValue, user) : defaultValue;
}

str TSettings::GetUserStr(const str& key, const str& defaultValue, int user)
{
  return IsReadableUser(user) ? mPrefs->GetStr(key, defaultValue, user) : defaultValue;
}

int TSettings::GetCurrentUser()
{
  return mPrefs->GetInt(kCurrentUser, -1, kGlobalUser);
}

int TSettings::GetNumUsers()
{
  return int(mPrefs->GetNumUsers());
}

str TSettings::GetUserName(int index)
{
  return GetUserStr(kName, "", index);
}

str TSettings::GetCurrentUserName()
{
  int user = mPrefs->GetInt(kCurrentUser, 0, kGlobalUser);
  return GetUserStr(kName, "", user);
}

void TSettings::ChangeCurrentUserName(str name)
{
  int user = mPrefs->GetInt(kCurrentUser, 0, kGlobalUser);
  mPrefs->SetStr(kName, name, user, true);
}

bool TSettings::IsNameInUse(str name)
{
  const int count = GetNumUsers();
  for (int user = 0; user < count; ++user) {
    if (GetUserName(user) == name) {
      return true;
    }
  }
  return false;
}

void TSettings::SetCurrentGameMode(int mode)
{
  if (unsigned(mode) >= unsigned(kSettingsModeCount)) {
    return;
  }
  mGameMode = mode;
  mHiscores->SetProperty(TQvHiscores::kPropertyGameMode, QVGAMEMODENAMES[mode]);
}

str TSettings::GetQVGameModeName(int index)
{
  return unsigned(index) < 2u ? str(QVGAMEMODENAMES[index]) : str();
}

str TSettings::GetQVMedalName(int index)
{
  return unsigned(index) < 10u ? str(QVGAMEMEDALNAMES[index]) : str();
}

void TSettings::SetCurrentUser(int index)
{
  if (index >= GetNumUsers()) {
    return;
  }
  mPrefs->SetInt(kCurrentUser, index, kGlobalUser, true);
  if (index >= 0) {
    mHiscores->SetProperty(TQvHiscores::kPropertyPlayer, GetCurrentUserName());
    SetSoundForCurrentUser();
  }
  RunGameLua("if(UpdateCaption)then UpdateCaption();end;");
}

void TSettings::CreateNewUser(str name)
{
  const int user = GetNumUsers();
  const int current = GetCurrentUser();
  mPrefs->SetStr(kName, name, user, true);
  mPrefs->SetInt(kSoundLevel, GetUserInt(kSoundLevel, kDefaultLevel, current), user, true);
  mPrefs->SetInt(kMusicLevel, GetUserInt(kMusicLevel, kDefaultLevel, current), user, true);
  mPrefs->SetInt(kSoundOff, GetUserInt(kSoundOff, 0, current), user, true);
  mPrefs->SetInt(kTimerOn, 1, user, true);
  SetCurrentUser(user);
}

void TSettings::DeleteUser(int index)
{
  // A script's stale index would clear the hiscores of the name "" and remove nothing.
  if (index < 0 || index >= GetNumUsers()) {
    WriteDbg("ERROR: DeleteUser: there is no player %d", index);
    return;
  }
  mHiscores->ClearPlayerData(GetUserName(index));
  mPrefs->DeleteUser(unsigned(index));
  SetCurrentUser(index - 1 >= 0 ? index - 1 : GetNumUsers() - 1);
}

void TSettings::SetSoundForCurrentUser()
{
  const int user = GetCurrentUser();
  const int sound = GetUserInt(kSoundLevel, kDefaultLevel, user);
  const int music = GetUserInt(kMusicLevel, kDefaultLevel, user);
  TSoundLevels* levels = TSoundLevels::Get();
  levels->SetTypeVolume(kSoundTypeEffects, float(sound) / 1000.0f);
  levels->SetTypeVolume(kSoundTypeButtons, float(sound) / 1000.0f);
  levels->SetTypeVolume(kSoundTypeMusic, float(music) / 1000.0f);
  levels->SetVolume(GetUserInt(kSoundOff, 0, user) != 0 ? 0.0f : 1.0f);
}

void TSettings::ToggleSoundMute()
{
  const int user = GetCurrentUser();
  const int muted = (GetUserInt(kSoundOff, 0, user) + 1) % 2;
  TGameState* state = TGameState::GetInstance();
  if (state) {
    state->SetState(TGameState::kMute, muted);
  }
  mPrefs->SetInt(kSoundOff, muted, user, true);
  const bool silent = state ? state->QueryMuteGame() : muted != 0;
  TSoundLevels::Get()->SetVolume(silent ? 0.0f : 1.0f);
  GMusicManager::Instance()->UpdateMaxVolume();
}

bool TSettings::IsFullScreen()
{
  TPlatform* platform = TPlatform::GetInstance();
  return platform && platform->IsFullscreen();
}

void TSettings::UpdateFullScreen()
{
  mPrefs->SetInt(kFullScreen, IsFullScreen() ? 1 : 0, kGlobalUser, true);
}

bool TSettings::ToggleFullScreen()
{
  TPlatform* platform = TPlatform::GetInstance();
  if (!platform) {
    return false;
  }
  const bool wanted = !platform->IsFullscreen();
  if (!platform->SetFullscreen(wanted)) {
    return false;
  }
  mPrefs->SetInt(kFullScreen, wanted ? 1 : 0, kGlobalUser, true);
  return true;
}

bool TSettings::StartsFullScreen()
{
  char const* windowed = std::getenv("QV_WINDOWED");
  if (windowed && windowed[0] && windowed[0] != '0') {
    return false;
  }
  return mPrefs->GetInt(kFullScreen, 1, kGlobalUser) == 1;
}

void TSettings::InitGameToSettings()
{
  const bool fullScreen = StartsFullScreen();
  TRenderer* renderer = TRenderer::GetInstance();
  if (renderer) {
    renderer->SetOption("hint_antialias", "1");
  }
  if (TPlatform* platform = TPlatform::GetInstance()) {
    platform->SetDisplay(kScreenWidth, kScreenHeight, fullScreen);
  }
  if (renderer) {
    renderer->SetOption("antialias", "0");
  }
  SetSoundForCurrentUser();
}

void TSettings::QuitToMainMenu()
{
  TWindowManager* manager = TWindowManager::GetInstance();
  while (manager) {
    TModalWindow* top = manager->GetTopModalWindow();
    if (!top || !top->GetParent()) {
      return;
    }
    manager->PopModal(top->GetIdString());
    if (manager->GetTopModalWindow() == top) {
      return;
    }
  }
}

void TSettings::LogHighScore(int score, bool medal0, bool medal1)
{
  mHiscores->KeepScore(score, mGameMode != kSettingsFreePlay, nullptr);
  if (medal0) {
    mHiscores->KeepMedal(QVGAMEMEDALNAMES[0], TQvHiscores::kMedalPerGame, kMedalGameData);
  }
  if (medal1) {
    mHiscores->KeepMedal(QVGAMEMEDALNAMES[1], TQvHiscores::kMedalPerType, kMedalGameData);
  }
  if (TGameState* state = TGameState::GetInstance()) {
    state->SetState("LastGameHiScore", score);
  }
}

int TSettings::NumMedalsToSubmit()
{
  return mHiscores->GetNumMedalsToSubmit();
}

int TSettings::NumEarnedMedals()
{
  return mHiscores->GetNumMedalsEarned();
}

bool TSettings::GetMedal(int index, str* name, int* type, str* mode, str* gameData)
{
  TQvHiscores::EMedalType medalType = TQvHiscores::kMedalPerGame;
  if (!mHiscores->GetEarnedMedalInfo(index, name, &medalType, mode, gameData)) {
    return false;
  }
  if (type) {
    *type = int(medalType);
  }
  return true;
}

str TSettings::GetMedalName(int index)
{
  str name;
  return GetMedal(index, &name, nullptr, nullptr, nullptr) ? name : str();
}

int TSettings::GetMedalType(int index)
{
  int type = 0;
  return GetMedal(index, nullptr, &type, nullptr, nullptr) ? type : 0;
}

str TSettings::GetMedalGameMode(int index)
{
  str mode;
  return GetMedal(index, nullptr, nullptr, &mode, nullptr) ? mode : str();
}

str TSettings::GetMedalGameData(int index)
{
  str data;
  return GetMedal(index, nullptr, nullptr, nullptr, &data) ? data : str();
}

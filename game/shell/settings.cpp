// settings: players and their options in the preferences database, the hiscore service,
// the display mode and the sound levels; talks to the window's display, the window manager and
// its script, the analytics store and the music manager.
#include "shell/settings.h"

#include <cstdlib>

#include "core/app/gamestate.h"
#include "core/foundation/services.h"
#include "core/foundation/atomicfile.h"
#include "core/foundation/file.h"
#include "core/foundation/prefsdb.h"
#include "core/foundation/task.h"
#include "core/graphics/renderer.h"
#include "core/online/hiscores.h"
#include "core/script/luabind.h"
#include "core/window/modalwindow.h"
#include "core/window/windowmanager.h"
#include "shell/gamedefs.h"
#include "media/musicmanager.h"
#include "shell/savenotices.h"
#include "shell/shellglue.h"
#include "media/soundlevels.h"
#include "core/foundation/debug.h"
#include "scene/sceneobject.h"

TSettings* gSettings = nullptr;

// The settings' look at the saves, every second while the settings live.
class TSaveWatch : public TAnimTask
{
public:
  explicit TSaveWatch(TSettings* settings) : mSettings(settings) {}
  bool Animate() override
  {
    if (!mSettings) {
      return false;
    }
    mSettings->OnSaveWatch();
    return true;
  }
  void Detach() { mSettings = nullptr; }

private:
  TSettings* mSettings;
};

namespace {

const char* const kLuaNames[] = {"ToggleFullScreen", "ToggleSoundMute",   "SetCurrentGameMode",    "GetNumUsers",
                                 "CreateNewUser",    "SetCurrentUser",    "ChangeCurrentUserName", "DeleteUser",
                                 "IsNameInUse",      "QuitToMainMenu",    "LogHighScore",          "NumMedalsToSubmit",
                                 "NumEarnedMedals",  "GetMedalName",      "GetMedalType",          "GetMedalGameMode",
                                 "GetMedalGameData", "GetQVGameModeName", "GetQVMedalName",        "GetUserName",
                                 "GetCurrentUser"};

const char kMedalGameData[] = "12345";
const unsigned kScreenWidth = 800;
const unsigned kScreenHeight = 600;

// The name of a file without its folder: a player is told the name, not the whole path.
str FileNameOf(const str& path)
{
  const unsigned slash = path.find('/', str::kBackward);
  return slash == str::npos ? path : path.substr(int(slash) + 1);
}

// The string-table label of a save's failure in the words of the quit question.
const char* SaveStatusLabel(ESaveStatus status)
{
  switch (status) {
  case eSaveDiskFull:
    return "unsaved_diskfull";
  case eSaveBusy:
    return "unsaved_busy";
  case eSaveWriteProtected:
    return "unsaved_protected";
  default:
    return "unsaved_failed";
  }
}

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

TSettings::TSettings()
    : mPrefs(nullptr), mHiscores(nullptr), mNotices(new TSaveNotices), mGameMode(kSettingsStory), mWatch(nullptr)
{
  RegisterLua();
  // A save cut short by the end of an earlier run leaves its temporary file behind.
  if (TFile::mUserDir.length() > 0) {
    RemoveStaleTemporaryFiles(TFile::mUserDir);
  }
  mPrefs = new TPrefsDB(true);
  // Scene objects stay silent for a player who turned the sound off.
  TSceneObject::SetPreferences(mPrefs);
  mHiscores = new TQvHiscores(true);
  SetCurrentGameMode(kSettingsStory);
  SetCurrentUser(GetCurrentUser());
  TellOpenProblems();
  if (IAppHost* host = TServices::Get().host) {
    mWatch = new TSaveWatch(this);
    host->GetTaskList()->AdoptTask(mWatch);
    mWatch->SetDelay(kSaveWatchInterval, true, true, false);
  }
}

TSettings::~TSettings()
{
  if (mWatch) {
    mWatch->Detach();
  }
  UnregisterLua();
  // The last chance for scores that an earlier save could not write.
  if (mHiscores->HasUnsavedChanges()) {
    mHiscores->SavePreferences();
    if (mHiscores->HasUnsavedChanges()) {
      WriteDbg("ERROR: The scores could not be written before the end (%s); the scores since the last save "
               "are lost",
               SaveStatusWords(mHiscores->GetSaveStatus()));
    }
  }
  delete mHiscores;
  TSceneObject::SetPreferences(nullptr);
  delete mPrefs;
  delete mNotices;
}

void TSettings::TellOpenProblems()
{
  str keptAs;
  const EOpenProblem players = mPrefs->GetOpenProblem(&keptAs);
  const str playersCopy = FileNameOf(keptAs);
  switch (players) {
  case eOpenedUnreadable:
    mNotices->Tell(TSaveNotices::kPlayersUnreadable);
    break;
  case eOpenedDamagedRecovered:
    mNotices->Tell(TSaveNotices::kPlayersRecovered, playersCopy);
    break;
  case eOpenedDamagedReplaced:
    mNotices->Tell(TSaveNotices::kPlayersReplaced, playersCopy);
    break;
  case eOpenedDamagedKept:
    mNotices->Tell(TSaveNotices::kPlayersDamagedKept);
    break;
  case eOpenedNotAFile:
    // Where to look matters here: the whole path.
    mNotices->Tell(TSaveNotices::kPlayersNotAFile, mPrefs->GetPath());
    break;
  default:
    break;
  }
  const EOpenProblem scores = mHiscores->GetOpenProblem(&keptAs);
  if (scores == eOpenedDamagedReplaced) {
    mNotices->Tell(TSaveNotices::kScoresReplaced, FileNameOf(keptAs));
  } else if (scores == eOpenedDamagedRecovered) {
    mNotices->Tell(TSaveNotices::kScoresRecovered, FileNameOf(keptAs));
  } else if (scores == eOpenedDamagedKept) {
    mNotices->Tell(TSaveNotices::kScoresDamagedKept);
  }
}

void TSettings::CheckDamage()
{
  str keptAs;
  if (!mPrefs->HasDamagedValues(&keptAs)) {
    return;
  }
  const TSaveNotices::ENotice notice = keptAs.length() ? TSaveNotices::kValueDamaged : TSaveNotices::kValueDamagedKept;
  mNotices->Tell(notice, FileNameOf(keptAs));
  if (mNotices->WasRead(notice)) {
    mPrefs->DamageTold();
  }
}

void TSettings::TellRefusedSave(const str& keptAs)
{
  if (keptAs.length()) {
    mNotices->Tell(TSaveNotices::kGameRefused, FileNameOf(keptAs));
  } else {
    mNotices->Tell(TSaveNotices::kGameRefusedKept);
  }
}

void TSettings::OnSaveNoticeRead()
{
  mNotices->Read();
  CheckDamage();
}

void TSettings::CheckSaves(bool savePoint)
{
  if (savePoint && mHiscores->HasUnsavedChanges()) {
    mHiscores->SavePreferences();
  }
  CheckDamage();
  // A run that keeps nothing of the preferences said so when it started.
  if (!WritesNothing(mPrefs->GetOpenProblem(nullptr)) && mPrefs->HasUnsavedChanges()) {
    mNotices->Tell(TSaveNotices::ForStatus(mPrefs->GetSaveStatus()));
  }
  if (mHiscores->GetOpenProblem(nullptr) != eOpenedDamagedKept && mHiscores->HasUnsavedChanges()) {
    mNotices->Tell(TSaveNotices::ForStatus(mHiscores->GetSaveStatus()));
  }
  mNotices->ShowNext();
}

void TSettings::OnSaveWatch()
{
  // Another program's lock goes by itself: the changes it held up are tried again, without
  // waiting, so no frame stands still for it.
  if (mPrefs->HasUnsavedChanges() && mPrefs->GetSaveStatus() == eSaveBusy) {
    mPrefs->RetrySave(0);
  }
  CheckSaves(false);
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
  LuaBind(L, "SaveNoticeRead", this, &TSettings::OnSaveNoticeRead);
  LuaBind(L, "TakeSaveNotice", mNotices, &TSaveNotices::TakeNext);
}

void TSettings::UnregisterLua()
{
  UnbindLuaFrom(this, kLuaNames, sizeof kLuaNames / sizeof kLuaNames[0]);
  const char* const own[] = {"SaveNoticeRead"};
  UnbindLuaFrom(this, own, 1);
  const char* const notices[] = {"TakeSaveNotice"};
  UnbindLuaFrom(mNotices, notices, 1);
}

str TSettings::SaveBeforeQuit()
{
  if (mPrefs->HasUnsavedChanges()) {
    mPrefs->RetrySave(0);
  }
  if (mHiscores->HasUnsavedChanges()) {
    mHiscores->SavePreferences();
  }
  return UnsavedReason();
}

str TSettings::UnsavedReason()
{
  const char* label = nullptr;
  if (mPrefs->HasUnsavedChanges()) {
    const EOpenProblem problem = mPrefs->GetOpenProblem(nullptr);
    if (problem == eOpenedUnreadable) {
      label = "unsaved_unreadable";
    } else if (problem == eOpenedNotAFile) {
      label = "unsaved_notafile";
    } else if (problem == eOpenedDamagedKept || mPrefs->GetSaveStatus() == eSaveDone) {
      // Nothing refused the file: what waits is held back from a damaged part of it.
      label = "unsaved_damaged";
    } else {
      label = SaveStatusLabel(mPrefs->GetSaveStatus());
    }
  } else if (mHiscores->HasUnsavedChanges()) {
    label = mHiscores->GetOpenProblem(nullptr) == eOpenedDamagedKept ? "unsaved_scores_damaged"
                                                                     : SaveStatusLabel(mHiscores->GetSaveStatus());
  }
  return label ? GameString(label, str()) : str();
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
  CheckSaves(true);
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
  CheckSaves(true);
}

void TSettings::CreateNewUser(str name)
{
  const int user = GetNumUsers();
  const int current = GetCurrentUser();
  // One commit for the whole player (SetCurrentUser's): the file never holds half of one.
  mPrefs->SetStr(kName, name, user, false);
  mPrefs->SetInt(kSoundLevel, GetUserInt(kSoundLevel, kDefaultLevel, current), user, false);
  mPrefs->SetInt(kMusicLevel, GetUserInt(kMusicLevel, kDefaultLevel, current), user, false);
  mPrefs->SetInt(kSoundOff, GetUserInt(kSoundOff, 0, current), user, false);
  mPrefs->SetInt(kTimerOn, 1, user, false);
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
  CheckSaves(true);
  const bool silent = state ? state->QueryMuteGame() : muted != 0;
  TSoundLevels::Get()->SetVolume(silent ? 0.0f : 1.0f);
  GMusicManager::Instance()->UpdateMaxVolume();
}

bool TSettings::IsFullScreen()
{
  IDisplayControl* display = TServices::Get().display;
  return display && display->IsFullscreen();
}

void TSettings::UpdateFullScreen()
{
  mPrefs->SetInt(kFullScreen, IsFullScreen() ? 1 : 0, kGlobalUser, true);
  CheckSaves(true);
}

bool TSettings::ToggleFullScreen()
{
  IDisplayControl* display = TServices::Get().display;
  if (!display) {
    return false;
  }
  const bool wanted = !display->IsFullscreen();
  if (!display->SetFullscreen(wanted)) {
    return false;
  }
  mPrefs->SetInt(kFullScreen, wanted ? 1 : 0, kGlobalUser, true);
  CheckSaves(true);
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
  if (IDisplayControl* display = TServices::Get().display) {
    display->SetDisplay(kScreenWidth, kScreenHeight, fullScreen);
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
  CheckSaves(false);
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

// settings: the game's facade for what belongs to the player: the players and the current
// one, sound and music levels, mute, full screen, the game mode, hiscores and medals;
// over the preferences database and the hiscore service, offered to the window scripts.
#pragma once

#include "core/foundation/str.h"

class TPrefsDB;
class TQvHiscores;
class TSaveNotices;
class TSaveWatch;

class TSettings
{
public:
  // Preference keys: global ("curuser", "fullscreen") and per player (the rest).
  static constexpr char kCurrentUser[] = "curuser";
  static constexpr char kFullScreen[] = "fullscreen";
  static constexpr char kName[] = "name";
  static constexpr char kSoundLevel[] = "soundlevel";
  static constexpr char kMusicLevel[] = "musiclevel";
  static constexpr char kSoundOff[] = "soundoff";
  static constexpr char kTimerOn[] = "timer_on";
  static const int kDefaultLevel = 750;
  static const int kGlobalUser = -1;

  // Replaces any instance; the one made is gSettings.
  static TSettings* CreateSettings();
  static void DeleteSettings();
  static TSettings* GetInstance();

  TSettings();
  ~TSettings();

  // The Lua functions, in the order they are registered.
  bool ToggleFullScreen();
  void ToggleSoundMute();
  void SetCurrentGameMode(int mode);
  int GetNumUsers();
  void CreateNewUser(str name);
  void SetCurrentUser(int index);
  void ChangeCurrentUserName(str name);
  void DeleteUser(int index);
  bool IsNameInUse(str name);
  void QuitToMainMenu();
  void LogHighScore(int score, bool medal0, bool medal1);
  int NumMedalsToSubmit();
  int NumEarnedMedals();
  str GetMedalName(int index);
  int GetMedalType(int index);
  str GetMedalGameMode(int index);
  str GetMedalGameData(int index);
  str GetQVGameModeName(int index);
  str GetQVMedalName(int index);
  str GetUserName(int index);
  int GetCurrentUser();

  bool IsFullScreen();
  void UpdateFullScreen();
  void InitGameToSettings();
  // Whether a start opens the whole screen: the stored choice, unless QV_WINDOWED asks for a
  // window (runs driven from outside: tests, CI, screenshots), which leaves that choice alone.
  bool StartsFullScreen();
  str GetCurrentUserName();
  void SetSoundForCurrentUser();
  // ESettingsGameMode.
  int GetCurrentGameMode() const { return mGameMode; }

  // A per-player value, the default for a player that does not exist (reading one never
  // creates players); user -1 reads the global value.
  int GetUserInt(const str& key, int defaultValue, int user);
  str GetUserStr(const str& key, const str& defaultValue, int user);

  // After a save: tells the player (once per kind) what could not be kept and why, and at a
  // save point writes the hiscores that an earlier save could not. The settings' own task
  // calls it every second, trying again the preferences that another program held.
  void CheckSaves(bool savePoint);
  // Called by the settings' task.
  void OnSaveWatch();
  // Before the quit question: tries once more to write what waits in memory; what still waits,
  // in the player's words for the question ("the disk is full"), or "" when all is written.
  str SaveBeforeQuit();
  // The save notice's OK (Lua "SaveNoticeRead"): what waited for the player to read it goes on.
  void OnSaveNoticeRead();
  // Tells the player once that a saved game was refused; keptAs is the copy of its record
  // ("" when none could be kept).
  void TellRefusedSave(const str& keptAs);
  // How often the task looks, in milliseconds.
  static const unsigned kSaveWatchInterval = 1000;

  TPrefsDB* mPrefs;
  TQvHiscores* mHiscores;
  TSaveNotices* mNotices;

private:
  TSettings(const TSettings&) = delete;
  TSettings& operator=(const TSettings&) = delete;

  void RegisterLua();
  void UnregisterLua();
  bool IsReadableUser(int user);
  bool GetMedal(int index, str* name, int* type, str* mode, str* gameData);

  void TellOpenProblems();
  // Tells of damaged values found in the preferences, and lets the writes held back for them go
  // once the player has read that.
  void CheckDamage();
  str UnsavedReason();

  int mGameMode;
  // Owned by the platform's task list; cut loose when the settings go.
  TSaveWatch* mWatch;
};

extern TSettings* gSettings;

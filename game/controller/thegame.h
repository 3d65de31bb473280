// thegame: the game controller: the state machine over the screens, scores, game modes,
// the rounds of story mode and the free-play model, input routing and saved games.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "core/foundation/random.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "screenbase/gamecontrol.h"
#include "screenbase/gamestates.h"
#include "shell/flashmanager.h"
#include "shell/gamedefs.h"
#include "shell/infowindow.h"
#include "story/freeplaymode.h"
#include "story/storystage.h"

class TBinaryBuffer;
class TSceneRenderer;
class TGameRound;
class TGameWindow;
class TMapScreen;
class TOverlayScreen;
class TPrefsDB;
class TSceneScreen;
class TSettings;
class TCase;

// What the game controller asks of the case journal beyond a screen's operations.
class IJournalScreen
{
public:
  virtual ~IJournalScreen() {}
  // A round starts or is reset: the journal shows the current round's page.
  virtual void OnRoundReset() = 0;
  virtual void ShowEndCaseTitleAnimation() = 0;
};

// The tutorial layer: shows a tutorial by name over the game.
class ITutorialLayer
{
public:
  virtual ~ITutorialLayer() {}
  virtual void ShowTutorial(const str& name) = 0;
};

// The round result window reads its scores from the controller; the screens it makes report
// to it (TGameControl); the story model plays on it (TStoryStage); the cinematics tell it of
// their end.
class TTheGame : public TRoundScores, public TGameControl, public TStoryStage, public TMovieListener
{
public:
  typedef void (TTheGame::*TAction)();
  // One row of the state machine: in state, event leads to next, then action runs.
  struct TTransition
  {
    int state;
    int event;
    int next;
    TAction action;
    const char* actionName;
  };

  // Duration of the journal's fade, in ms (the screens' is kScreenFade).
  static const unsigned kJournalFade = 500;
  // The overlay's dialog when the round's clock reaches 0:00; every round's overlay has it.
  static constexpr char kTimeUpDialog[] = "time_up";

  static TTheGame* GetInstance();
  // The controller when there is one; never makes it.
  static TTheGame* Peek();
  // Frees the controller (the program's end, and tests that start afresh).
  static void DestroyInstance();

  // The state machine's rows, first match first; for tests and the table print.
  static const TTransition* GetTransitions(unsigned* count);

  // The game window has built its children: load the configuration and show loading.
  void Init();
  void OnTick(double ms);
  // A screen fades or animates: a tick now changes what the game draws.
  bool IsAnimating() const;
  // Draws the screens into the renderer the game window hands down.
  void Draw(TSceneRenderer& renderer);
  // Draws into the scene renderer in use (for callers outside a frame's draw).
  void Draw();
  bool OnMouseDown(const TPoint& point);
  bool OnMouseUp(const TPoint& point);
  bool OnMouseMove(const TPoint& point);
  bool OnKeyDown(char key, unsigned modifiers);
  void SetCurrentMousePosition(TPoint point) { mMousePosition = point; }
  TPoint GetCurrentMousePosition() const { return mMousePosition; }
  // Saves a game in progress, then frees the screens and the rounds.
  void FreeResources();

  // The state machine. Events posted while a transition's action runs are handled after it.
  void PostEvent(int event) override;
  int GetState() const { return mState; }
  int GetPreviousState() const { return mPreviousState; }

  // Screens: made by class name and owned here.
  TSceneScreen* AddScreen(const str& className) override;
  void DeleteScreen(TSceneScreen* screen) override;
  void SwitchToScreen(TSceneScreen* screen, unsigned ms) override;
  TSceneScreen* GetCurrentScreen() const { return mCurrentScreen; }
  bool OwnsScreen(const TSceneScreen* screen) const;
  size_t GetScreenCount() const { return mScreens.size(); }

  void FlashMovieStooped() override;
  void JournalFadingCompleted();
  void JournalFadingInCompleted();
  void ShowTutorial(const str& name) override;

  // The overlay's dialogs and scene, the story map's locations and the cinematics.
  bool ShowOverlayDialog(const str& name, bool modal) override;
  bool ReloadOverlayScene(const str& file) override;
  void ActivateMapLocation(const str& locationId) override;
  void PlayMovie(const str& name) override;

  // Scores.
  void setStartScore() override;
  uint32_t GetScore(const str& category) override;
  void SetScore(const str& category, uint32_t points) override;
  void AddScore(const str& category, uint32_t points) override;
  const std::map<str, uint32_t>& GetScores() const { return mScores; }

  bool IsLocalVersionForWallOfFame() const override { return mLocalWallOfFame; }
  // Set by a wall-of-fame screen of a local version (there is none in this game).
  void SetLocalVersionForWallOfFame(bool local) { mLocalWallOfFame = local; }
  // Appends a round per child of "rounds" in "configs/rounds_config.xml"; false when the
  // file has no "rounds".
  bool LoadRoundsConfig();
  // "configs/game_rules.xml", "configs/map_config.xml" and "configs/loading.xml".
  void LoadGameRules();

  // EControllerGameMode: 1 story, 2 free play; 0 before a mode was chosen.
  int GetGameMode() const override { return mGameMode; }
  void SetGameMode(int mode) { mGameMode = mode; }
  std::vector<std::unique_ptr<TGameRound>>& GetRounds() { return mRounds; }
  int GetCurrentRoundIndex() const { return mCurrentRound; }
  TGameRound* GetCurrentRound() const;
  TCase* GetCurrentCase() const override;
  TRandom& GetRandom() override { return mRandom; }
  GMusicManager* GetMusic() override;
  TFreePlayMode& GetFreePlay() override { return mFreePlay; }
  TOverlayScreen* GetOverlayScreen() const { return mOverlay; }
  TMapScreen* GetMapScreen() const { return mMap; }
  TMapScreen* GetFreePlayMapScreen() const { return mFreePlayMap; }
  TSceneScreen* GetJournalScreen() const { return mJournal; }
  TSceneScreen* GetTitleScreen() const { return mTitle; }
  TSceneScreen* GetLoadingScreen() const { return mLoading; }
  TSceneScreen* GetTutorialScreen() const { return mTutorial; }
  bool IsJournalShown() const { return mJournalShown; }
  // The screen the player's input goes to first (tutorial, overlay, journal, the current
  // screen); null while a fade holds input back.
  TSceneScreen* GetInputScreen() const;
  TGameWindow* GetGameWindow() const { return mGameWindow; }
  void SetGameWindow(TGameWindow* window) { mGameWindow = window; }
  // Where the map aims its particles (whole pixels); the particle data sources read it.
  int32_t* GetParticleTarget() { return mParticleTarget; }

  // Map clicks: the location the player chose (a case's or a free-play location's id).
  void ChooseLocation(const str& locationId);
  const str& GetChosenLocation() const { return mChosenLocation; }

  // Game rules.
  uint32_t GetObjectPoints() const override { return mObjectPoints; }
  uint32_t GetPuzzlePoints() const { return mPuzzlePoints; }
  uint32_t GetTimeBonusPoints() const override { return mTimeBonusPoints; }
  unsigned GetFreePlayTime() const override { return mFreePlayTime; }
  const str& GetSceneFile(const str& screen) const;

  // Saved games: one binary value per mode in the current player's preferences.
  static constexpr char kStorySaveKey[] = "story_savegame";
  static constexpr char kFreePlaySaveKey[] = "freeplay_savegame";
  // Saves the game of the current mode: false when there is none to save or no player, or
  // when the file did not take it (it is then kept in memory for the next save).
  bool SaveGame() override;
  bool HasSavedGame(int mode) const;
  // Reads the current player's saved game of the mode; a damaged one is refused with an
  // "ERROR: " line (a story then starts its round again).
  bool LoadGame(int mode);
  void DeleteSavedGame(int mode);
  // The bytes SaveGame writes for the current mode (header, payload, checksum).
  bool BuildSaveRecord(TBinaryBuffer* out);
  // The frame around a payload: "QSB1", the mode, the round, the payload's size and CRC-32.
  static void FrameSaveRecord(int mode, int round, const unsigned char* payload, unsigned size, TBinaryBuffer* out);
  // Reads a record BuildSaveRecord made; false (with an "ERROR: " line) when damaged.
  bool ApplySaveRecord(const unsigned char* data, unsigned size, int mode);

  // Timed play of the story: the current player's choice ("timer_on"), asked when a new story
  // starts and kept while it is resumed; Lua "HasSavedStory" and "SetTimedPlay".
  bool HasSavedStory() const { return HasSavedGame(kControllerStory); }
  void SetTimedPlay(bool timed);
  bool IsTimedPlay() const;
  // The round's clock in ms, counting down while the player searches and solves puzzles;
  // -1 when the story is played relaxed (or the round has no time).
  int32_t GetRoundTimeLeft() const { return mRoundTimeLeft; }

  // Screens the controller keeps, made once loading completes (tests call it directly).
  void CreateFixedScreens();
  // Starts round index from its beginning: cases reset, overlay and journal page reloaded.
  bool StartRound(int index);

private:
  // An error line naming the configuration when the scene file it names for the screen is
  // not there.
  void CheckSceneNamed(const char* config, const char* screen) const;
  TTheGame();
  ~TTheGame() override;
  TTheGame(const TTheGame&) = delete;
  TTheGame& operator=(const TTheGame&) = delete;

  void RunEvent(int event);
  void LeaveDispatch();
  void ReleaseAll();
  // The screens a tick reaches, each once: the one fading out, the current one, the journal
  // while shown, the overlay and the tutorials, where active.
  std::vector<TSceneScreen*> TickedScreens() const;
  bool IsInputBlocked() const;
  template <typename Handler>
  bool RouteInput(Handler handler);
  void OpenJournalLayer();
  void RegisterLua();
  void UnregisterLua();
  void UpdateFade(double ms);
  void HideJournal();
  bool IsStoryState(int state) const;
  bool IsFreePlayState(int state) const;
  bool WriteSave(int mode);
  bool ReadStoryPayload(TBinaryBuffer* buffer, int round);
  bool ReadFreePlayPayload(TBinaryBuffer* buffer);
  // prelude: Lua run before the dialog opens (the globals its script reads).
  void OpenGameDialog(const str& script, const str& prelude = str());
  // Adds a round's total to the hiscores; a round that scored nothing adds no row.
  void LogRoundScore(uint32_t total);
  // Totals the round's categories into "Total_round" (and the log).
  uint32_t SumRoundScore();
  void RunRoundClock(double ms);
  // The round's last case is solved: its time left pays the time bonus.
  void PayTimeBonus();
  // The player's settings, made by the start-up before the controller; null without them.
  static TSettings* Settings();
  // The current player's preferences, and the player's number; null without a player.
  TPrefsDB* PlayerPrefs(int* player) const;
  // A tutorial the current player has seen (kept with the player, so not shown again).
  bool WasTutorialShown(const str& name);
  void MarkTutorialShown(const str& name);

  // Actions of the state machine (gameactions.cpp).
  void ShowLoading();
  void FinishLoading();
  void ShowMainMenu();
  void StartStory();
  void StartFreePlay();
  void ShowRoundCinema();
  void ShowMap();
  void PlayEndCinema();
  void PlayChosenCase();
  void ShowRoundEnd();
  void ShowRoundScore();
  void LeaveStory();
  void OpenJournal();
  void CloseJournalToMap();
  void StartSearch();
  void StartSuspectPuzzle();
  void ShowCaseSolved();
  void CompleteSearch();
  void StartMetaPuzzle();
  void LeaveToMap();
  void ReturnToSearch();
  void CompleteSequencePuzzle();
  void CompleteChecklistPuzzle();
  void EndCase();
  void CloseCase();
  void NextRound();
  void ShowFreePlayMap();
  void LeaveFreePlay();
  void StartFreePlaySearch();
  void ScoreFreePlaySearch();

  static const TTransition kTransitions[];
  static const unsigned kTransitionCount;

  int mState = stNone;
  int mPreviousState = stNone;
  bool mInTransition = false;
  std::deque<int> mPendingEvents;
  int mLastEvent = 0;
  // Calls of the controller that may reach a screen; screens deleted meanwhile wait.
  int mDispatchDepth = 0;
  std::vector<TSceneScreen*> mDeadScreens;

  int mGameMode = 0;
  std::map<str, uint32_t> mScores;
  std::vector<std::unique_ptr<TGameRound>> mRounds;
  // The record of mode mKeptMode last loaded or saved: a save of the same bytes asks the
  // preferences whether they still hold them, and writes nothing if so.
  std::vector<unsigned char> mKeptRecord;
  int mKeptMode = 0;
  int mCurrentRound = -1;
  TRandom mRandom;
  TFreePlayMode mFreePlay;
  int32_t mParticleTarget[2] = {0, 0};
  TGameWindow* mGameWindow = nullptr;
  TPoint mMousePosition;
  bool mLocalWallOfFame = false;
  str mChosenLocation;

  std::vector<TSceneScreen*> mScreens;
  TSceneScreen* mCurrentScreen = nullptr;
  TSceneScreen* mFadingScreen = nullptr;
  TOverlayScreen* mOverlay = nullptr;
  TMapScreen* mMap = nullptr;
  TMapScreen* mFreePlayMap = nullptr;
  TSceneScreen* mJournal = nullptr;
  TSceneScreen* mTitle = nullptr;
  TSceneScreen* mLoading = nullptr;
  TSceneScreen* mTutorial = nullptr;
  bool mJournalShown = false;
  bool mJournalFading = false;
  bool mJournalFadingIn = false;
  double mJournalFadeLeft = 0;
  // Tutorials seen while there is no player to keep them with.
  std::set<str> mTutorialsShown;
  int32_t mRoundTimeLeft = -1;
  bool mTimedPlay = false;
  // The round's total went into the hiscores (its end dialog may be shown again after a
  // restart, its score is not kept twice).
  bool mRoundScored = false;

  // Game rules.
  uint32_t mObjectPoints = 100;
  uint32_t mPuzzlePoints = 500;
  uint32_t mTimeBonusPoints = 10;
  unsigned mFreePlayTime = 300000;
  str mEndCinema;
  std::map<str, str> mSceneFiles;

  static TTheGame* sInstance;
};

// The controller that made the screen, as the screens of the controller's own folder reach
// it; null for a screen made without it.
TTheGame* ControllerOf(const TSceneScreen* screen);

// The venue number and type of the current case of the controller's current round (for the
// analytics); 0 for an unknown location or when there is no current case.
int getCurrentCaseVenue();
int getCurrentCaseVenueType();

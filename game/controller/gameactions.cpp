// gameactions: what the game controller does on entering a state: switching screens,
// opening the journal and dialogs, starting a case's steps, scoring and saving.
#include "core/app/gamestate.h"
#include "core/foundation/file.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"
#include "shell/flashmanager.h"
#include "story/gameround.h"
#include "controller/mapscreen.h"
#include "controller/overlayscreen.h"
#include "screenbase/scenescreen.h"
#include "shell/settings.h"
#include "shell/shellglue.h"
#include "controller/thegame.h"
#include "core/foundation/debug.h"
#include "scene/texturemanager.h"

namespace {

// Scenes of the journal that the controller adds when loading completes.
const char kJournalScene[] = "scenes/case_journal/journal.sxm";
const char kCaseSolvedScene[] = "scenes/case_solved/case_solved.sxm";
// The round result window, of a free-play room and of a story's round.
const char kScoreDialog[] = "scripts/result.lua";

void SetAnalytics(const char* name, int value)
{
  if (TGameState* state = TGameState::GetInstance()) {
    state->SetState(name, value);
  }
}

// The main menu lies over the title (the title opens it once it has faded in) and goes when
// a game starts.
void CloseScriptMenu()
{
  RunGameLua("if CloseMainMenu then CloseMainMenu() end");
}

void AddSceneIfNamed(TSceneScreen* screen, const str& file)
{
  if (screen && !file.empty()) {
    screen->AddScene(file, false);
  }
}

} // namespace

void TTheGame::CreateFixedScreens()
{
  if (!mTitle) {
    mTitle = AddScreen("TTitleScreen");
    AddSceneIfNamed(mTitle, GetSceneFile("title"));
  }
  if (!mMap) {
    mMap = dynamic_cast<TMapScreen*>(AddScreen("TMapScreen"));
    AddSceneIfNamed(mMap, GetSceneFile("map"));
  }
  if (!mFreePlayMap) {
    mFreePlayMap = dynamic_cast<TMapScreen*>(AddScreen("TMapScreen"));
    AddSceneIfNamed(mFreePlayMap, GetSceneFile("freeplay_map"));
  }
  if (!mOverlay) {
    mOverlay = dynamic_cast<TOverlayScreen*>(AddScreen("TOverlayScreen"));
  }
  if (!mJournal) {
    mJournal = AddScreen("TCaseJournal");
    if (mJournal) {
      mJournal->AddScene(kJournalScene, true);
      mJournal->AddScene(kCaseSolvedScene, true);
    }
  }
  if (!mTutorial) {
    mTutorial = AddScreen("TTutorialLayer");
    AddSceneIfNamed(mTutorial, GetSceneFile("tutorial"));
  }
}

bool TTheGame::StartRound(int index)
{
  if (index < 0 || index >= int(mRounds.size())) {
    WriteDbg("ERROR: There is no round %d", index);
    return false;
  }
  mCurrentRound = index;
  setStartScore();
  mRoundScored = false;
  TGameRound* round = mRounds[index].get();
  mRoundTimeLeft = mTimedPlay && round->mTime > 0 ? round->mTime : -1;
  if (mMap) {
    mMap->ResetLocations();
  }
  round->Reset();
  round->SetCurrentCase(-1);
  round->ReloadOverlayScene();
  if (IJournalScreen* journal = dynamic_cast<IJournalScreen*>(mJournal)) {
    journal->OnRoundReset();
  }
  return true;
}

void TTheGame::OpenGameDialog(const str& script, const str& prelude)
{
  TWindowScript* windowScript = dynamic_cast<TWindowScript*>(GameScript());
  if (!TFile::Exists(script.c_str()) || !windowScript || !windowScript->IsWaitingForMessage()) {
    WriteDbg("ERROR: The dialog %s cannot be opened; the game goes on without it", script.c_str());
    PostEvent(evDialogClosed);
    return;
  }
  RunGameLua(prelude +
             str::getFormatted(" DoModal(%s); PostGameEvent(%d);", LuaQuote(script).c_str(), int(evDialogClosed)));
}

uint32_t TTheGame::SumRoundScore()
{
  uint32_t total = 0;
  for (const char* category : tableScore) {
    if (str(category) != "Total_round") {
      total += GetScore(category);
    }
  }
  SetScore("Total_round", total);
  WriteDbg("TTheGame - Round scored: Object_Found %u, Extra_Time %u, Puzzles %u, Total_round %u",
           GetScore("Object_Found"), GetScore("Extra_Time"), GetScore("Puzzles"), total);
  return total;
}

void TTheGame::LogRoundScore(uint32_t total)
{
  TSettings* settings = Settings();
  if (settings && total > 0) {
    settings->LogHighScore(int(total), false, false);
  }
}

// ---- Start-up and the main menu -----------------------------------------------------------

void TTheGame::ShowLoading()
{
  mLoading = AddScreen("TLoadingScreen");
  if (!mLoading) {
    PostEvent(evLoadingCompleted);
    return;
  }
  SwitchToScreen(mLoading, 0);
}

void TTheGame::FinishLoading()
{
  // The loading screen stays (deactivated): it holds the textures it loaded.
  CreateFixedScreens();
  ShowMainMenu();
}

void TTheGame::ShowMainMenu()
{
  SetAnalytics("StoryModePlayTime", 0);
  SetAnalytics("FreePlayModePlayTime", 0);
  SetAnalytics("MainMenuScreenTime", 1);
  HideJournal();
  mGameMode = 0;
  SwitchToScreen(mTitle, kScreenFade);
}

// ---- Story --------------------------------------------------------------------------------

void TTheGame::StartStory()
{
  CloseScriptMenu();
  mGameMode = kControllerStory;
  if (TSettings* settings = Settings()) {
    settings->SetCurrentGameMode(kSettingsStory);
  }
  SetAnalytics("MainMenuScreenTime", 0);
  SetAnalytics("StoryModePlayTime", 1);
  mTimedPlay = IsTimedPlay();
  if (mRounds.empty()) {
    WriteDbg("ERROR: The story has no rounds");
    PostEvent(evGameCompleted);
    return;
  }
  if (HasSavedGame(kControllerStory) && LoadGame(kControllerStory)) {
    PostEvent(evGameResumed);
    return;
  }
  StartRound(mCurrentRound >= 0 && mCurrentRound < int(mRounds.size()) ? mCurrentRound : 0);
  PostEvent(evNewRound);
}

void TTheGame::ShowRoundCinema()
{
  if (TGameRound* round = GetCurrentRound()) {
    SaveGame();
    round->ShowCinema();
  }
}

void TTheGame::ShowMap()
{
  {
    // Each place on the map has several looks, one shown at a time: a look's picture and
    // text load when it is first drawn, not all while the player waits for the map.
    TTextureManager::TDeferLoads deferred;
    SwitchToScreen(mMap, kScreenFade);
  }
  SaveGame();
  // The map leads on as it does when a case closes, also for a story taken up after a quit:
  // a case whose ending was left open ends, a round whose cases are solved ends.
  TGameRound* round = GetCurrentRound();
  if (!round) {
    return;
  }
  for (unsigned i = 0; i < round->getCaseCount(); ++i) {
    if (round->getCase(i)->GetState() == TCase::kEnding) {
      ChooseLocation(round->getCase(i)->mLocationId);
      return;
    }
  }
  if (round->getCaseCount() > 0 && round->getSolvedCasesCount() == int(round->getCaseCount())) {
    PostEvent(evRoundCompleted);
  }
}

void TTheGame::PlayEndCinema()
{
  SetAnalytics("StoryModePlayTime", 0);
  SetAnalytics("ComicScreenTime", 1);
  DeleteSavedGame(kControllerStory);
  mCurrentRound = -1;
  PlayMovie(mEndCinema);
}

void TTheGame::PlayChosenCase()
{
  TGameRound* round = GetCurrentRound();
  TCase* chosen = round ? round->getCase(mChosenLocation) : nullptr;
  if (!chosen) {
    WriteDbg("ERROR: The round has no case at %s", mChosenLocation.c_str());
    return;
  }
  round->PlayCase(chosen);
}

void TTheGame::ShowRoundEnd()
{
  // Shown again after a quit, the round's end keeps its score once.
  if (!mRoundScored) {
    LogRoundScore(SumRoundScore());
    mRoundScored = true;
    SaveGame();
  }
  if (TGameRound* round = GetCurrentRound()) {
    round->ShowEndDialog();
  }
}

void TTheGame::ShowRoundScore()
{
  OpenGameDialog(kScoreDialog, "gResultTitle = 'result_title';");
}

void TTheGame::LeaveStory()
{
  SaveGame();
  ShowMainMenu();
}

void TTheGame::OpenJournal()
{
  if (mMap && mCurrentScreen != mMap) {
    SwitchToScreen(mMap, kScreenFade);
  }
  OpenJournalLayer();
  SaveGame();
}

void TTheGame::CloseJournalToMap()
{
  HideJournal();
  SwitchToScreen(mMap, kScreenFade);
  SaveGame();
}

void TTheGame::StartSearch()
{
  TCase* current = GetCurrentCase();
  if (!current || (current->GetState() != TCase::kIntroShown && current->GetState() != TCase::kSearching)) {
    WriteDbg("ERROR: The current case cannot be searched now");
    PostEvent(evBackToMap);
    return;
  }
  HideJournal();
  current->PlaySearchScreen();
  if (!current->mSearchScreen) {
    PostEvent(evBackToMap);
    return;
  }
  current->ShowSearchIntro();
}

void TTheGame::StartSuspectPuzzle()
{
  TCase* current = GetCurrentCase();
  HideJournal();
  if (current && current->GetState() == TCase::kSequenceStage) {
    if (current->mSequenceClass.empty()) {
      // A case without a sequence puzzle goes straight to its checklist stage.
      PostEvent(evSequencePuzzleCompleted);
      return;
    }
    current->PlaySequencePuzzle();
    if (!current->mSequenceScreen) {
      PostEvent(evBackToMap);
    }
    return;
  }
  if (current && current->GetState() == TCase::kChecklistStage) {
    if (current->mChecklistConfig.empty()) {
      PostEvent(evChecklistPuzzleCompleted);
      return;
    }
    current->PlayChecklistPuzzle();
    if (!current->mChecklistScreen) {
      PostEvent(evBackToMap);
    }
    return;
  }
  WriteDbg("ERROR: The current case has no suspect puzzle to play now");
  PostEvent(evBackToMap);
}

void TTheGame::ShowCaseSolved()
{
  if (IJournalScreen* journal = dynamic_cast<IJournalScreen*>(mJournal)) {
    journal->ShowEndCaseTitleAnimation();
  }
}

void TTheGame::CompleteSearch()
{
  TCase* current = GetCurrentCase();
  if (!current) {
    return;
  }
  current->SearchScreenCompleted();
  SaveGame();
}

void TTheGame::StartMetaPuzzle()
{
  TCase* current = GetCurrentCase();
  if (!current || current->mMetaPuzzleConfig.empty() || !current->mMetaPuzzleScreen) {
    WriteDbg("ERROR: The current case has no meta puzzle");
    PostEvent(evMetaPuzzleCompleted);
    return;
  }
  current->PlayMetaPuzzle();
}

void TTheGame::LeaveToMap()
{
  HideJournal();
  SwitchToScreen(mMap, kScreenFade);
  SaveGame();
}

void TTheGame::ReturnToSearch()
{
  TCase* current = GetCurrentCase();
  if (current && current->mSearchScreen) {
    SwitchToScreen(current->mSearchScreen, kScreenFade);
  }
}

void TTheGame::CompleteSequencePuzzle()
{
  if (TCase* current = GetCurrentCase()) {
    current->EliminationPuzzleCompleted();
    AddScore("Puzzles", mPuzzlePoints);
  }
  OpenJournal();
}

void TTheGame::CompleteChecklistPuzzle()
{
  if (TCase* current = GetCurrentCase()) {
    current->StartEnding();
    AddScore("Puzzles", mPuzzlePoints);
    PayTimeBonus();
  }
  OpenJournal();
}

void TTheGame::EndCase()
{
  TCase* current = GetCurrentCase();
  HideJournal();
  if (!current) {
    PostEvent(evDialogClosed);
    return;
  }
  current->End();
  current->ShowEndAnimation();
}

void TTheGame::CloseCase()
{
  ShowMap();
}

void TTheGame::NextRound()
{
  if (mCurrentRound + 1 < int(mRounds.size()) && StartRound(mCurrentRound + 1)) {
    PostEvent(evNewRound);
  } else {
    PostEvent(evGameCompleted);
  }
}

// ---- Free play ----------------------------------------------------------------------------

void TTheGame::StartFreePlay()
{
  CloseScriptMenu();
  mGameMode = kControllerFreePlay;
  if (TSettings* settings = Settings()) {
    settings->SetCurrentGameMode(kSettingsFreePlay);
  }
  SetAnalytics("MainMenuScreenTime", 0);
  SetAnalytics("FreePlayModePlayTime", 1);
  setStartScore();
  mFreePlay.Init();
  if (!HasSavedGame(kControllerFreePlay) || !LoadGame(kControllerFreePlay)) {
    mFreePlay.UnInit();
    mFreePlay.Init();
  }
  if (mFreePlayMap) {
    for (const auto& location : mFreePlay.GetLocations()) {
      mFreePlayMap->ActivateLocation(location.first);
    }
  }
  SwitchToScreen(mFreePlayMap, kScreenFade);
}

void TTheGame::ShowFreePlayMap()
{
  SwitchToScreen(mFreePlayMap, kScreenFade);
  SaveGame();
}

void TTheGame::LeaveFreePlay()
{
  SaveGame();
  ShowMainMenu();
}

void TTheGame::StartFreePlaySearch()
{
  // The room's own finds count again once it shows: a trip to the map loses no points.
  setStartScore();
  if (!mFreePlay.PlaySearch(mChosenLocation)) {
    PostEvent(evBackToMap);
  }
}

void TTheGame::ScoreFreePlaySearch()
{
  const str location = mFreePlay.GetCurrentLocation();
  const bool completed = mLastEvent == evSearchCompleted;
  if (completed) {
    mFreePlay.ModifyUsedLocation(location, true);
  }
  const uint32_t total = SumRoundScore();
  for (const char* category : tableScore) {
    mFreePlay.ModifyTotalScoreFreePlay(category, mFreePlay.GetTotal(category) + GetScore(category));
  }
  LogRoundScore(total);
  // The score shows over the map, at once: the game stands still under a dialog, so a fade
  // begun here would hold the map dark behind it. The next visit starts the room afresh.
  SwitchToScreen(mFreePlayMap, 0);
  mFreePlay.RecreateSearchScreen(location);
  SaveGame();
  OpenGameDialog(kScoreDialog,
                 str::getFormatted("gResultTitle = %s;", completed ? "'result_title'" : "'result_timeup'"));
}

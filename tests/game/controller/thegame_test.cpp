// Tests of the game controller's state machine: every row of its table taken by a real run
// through story and free play, unknown events ignored, the log lines, case states through
// whole cases, screens made and switched, scores and input routing.
#include <regex>
#include <set>
#include <sstream>

#include "story/gameround.h"
#include "controller/mapscreen.h"
#include "controller/overlayscreen.h"
#include "core/window/text.h"
#include "scene/particlesmanager.h"
#include "shell/shellwindows.h"
#include "support/gametestutil.h"

namespace {

class TheGameTest : public GameTest
{
protected:
  // The result dialog closed by the player; its end reaches the waiting script with the next
  // frames' messages.
  void CloseResultDialog()
  {
    mManager.PopModal("scripts/result.lua");
    for (int i = 0; i < 3; ++i) {
      TEvent idle(TEvent::kIdle, 0, 0, 0, 0);
      mManager.HandleEvent(&idle);
      RunTasks(20);
    }
  }
};

std::set<std::pair<std::string, std::string>> TakenRows(const std::string& log)
{
  std::set<std::pair<std::string, std::string>> taken;
  std::regex line("TTheGame - Changing state from (\\w+) to (\\w+), event: (\\w+)");
  for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it) {
    taken.insert(std::make_pair((*it)[1].str(), (*it)[3].str()));
  }
  return taken;
}

class StoryRun
{
public:
  explicit StoryRun(TTheGame* game) : mGame(game) {}

  TCase* Case(const char* location) { return mGame->GetCurrentRound()->getCase(location); }
  void Post(int event) { mGame->PostEvent(event); }
  // Solves the case from the map, checking its state at every step.
  void SolveFromMap(const char* location)
  {
    TCase* solved = Case(location);
    mGame->ChooseLocation(location);
    EXPECT_EQ(stJournal, mGame->GetState());
    Post(evStartSearch);
    EXPECT_EQ(TCase::kSearching, solved->GetState());
    Post(evSearchCompleted);
    EXPECT_EQ(stJournal, mGame->GetState());
    EXPECT_EQ(TCase::kSequenceStage, solved->GetState());
    Post(evPlaySuspectPuzzle);
    EXPECT_EQ(stSuspectPuzzle, mGame->GetState());
    Post(evSequencePuzzleCompleted);
    EXPECT_EQ(TCase::kChecklistStage, solved->GetState());
    Post(evPlaySuspectPuzzle);
    Post(evChecklistPuzzleCompleted);
    EXPECT_EQ(TCase::kEnding, solved->GetState());
    Post(evCaseEndingJournalOpened);
    EXPECT_EQ(stCaseSolved, mGame->GetState());
    Post(evCaseEndingTitleAnimationEnded);
    EXPECT_EQ(TCase::kSolved, solved->GetState());
  }

private:
  TTheGame* mGame;
};

} // namespace

TEST_F(TheGameTest, StoryAndFreePlayRunsTakeEveryRowOfTheTable)
{
  ::testing::internal::CaptureStderr();
  TTheGame* game = StartedGame();
  StoryRun run(game);
  EXPECT_EQ(stMainMenu, game->GetState());

  run.Post(evStoryChosen);
  EXPECT_EQ(stCinema, game->GetState());
  game->FlashMovieStooped();
  EXPECT_EQ(stMap, game->GetState());

  // The museum, step by step, with every detour.
  TCase* museum = run.Case("02_museum");
  game->ChooseLocation("02_museum");
  EXPECT_EQ(stJournal, game->GetState());
  EXPECT_EQ(TCase::kIntroShown, museum->GetState());
  run.Post(evStartSearch);
  EXPECT_EQ(stSearch, game->GetState());
  EXPECT_EQ(TCase::kSearching, museum->GetState());
  EXPECT_EQ(museum->mSearchScreen, game->GetCurrentScreen());
  run.Post(evPlayMetaPuzzle);
  EXPECT_EQ(museum->mMetaPuzzleScreen, game->GetCurrentScreen());
  run.Post(evMetaPuzzleCompleted);
  EXPECT_EQ(stSearch, game->GetState());
  run.Post(evBackToMap);
  EXPECT_EQ(stMap, game->GetState());
  // An opened case goes straight to the journal.
  game->ChooseLocation("02_museum");
  EXPECT_EQ(stJournal, game->GetState());
  run.Post(evStartSearch);
  run.Post(evSearchCompleted);
  EXPECT_EQ(stJournal, game->GetState());
  EXPECT_EQ(TCase::kSequenceStage, museum->GetState());
  run.Post(evPlaySuspectPuzzle);
  EXPECT_EQ(museum->mSequenceScreen, game->GetCurrentScreen());
  EXPECT_EQ(nullptr, museum->mSearchScreen);
  run.Post(evBackToMap);
  game->ChooseLocation("02_museum");
  run.Post(evPlaySuspectPuzzle);
  run.Post(evSequencePuzzleCompleted);
  EXPECT_EQ(TCase::kChecklistStage, museum->GetState());
  run.Post(evPlaySuspectPuzzle);
  EXPECT_EQ(museum->mChecklistScreen, game->GetCurrentScreen());
  run.Post(evChecklistPuzzleCompleted);
  EXPECT_EQ(TCase::kEnding, museum->GetState());
  run.Post(evCaseEndingJournalOpened);
  run.Post(evCaseEndingTitleAnimationEnded);
  EXPECT_EQ(TCase::kSolved, museum->GetState());
  EXPECT_EQ(stMap, game->GetState());
  EXPECT_EQ(1000u, game->GetScore("Puzzles"));

  // The library: its journal sends the player back to the map once, then it is solved and
  // the round ends; round 2 begins with its cinematic.
  game->ChooseLocation("15_library");
  run.Post(evBackToMap);
  EXPECT_EQ(stMap, game->GetState());
  run.SolveFromMap("15_library");
  EXPECT_EQ(stCinema, game->GetState());
  EXPECT_EQ(1, game->GetCurrentRoundIndex());
  game->FlashMovieStooped();
  run.Post(evBackToMainMenu);
  EXPECT_EQ(stMainMenu, game->GetState());

  // Story again: the saved game goes on in round 2, whose one case ends the story.
  run.Post(evStoryChosen);
  EXPECT_EQ(stMap, game->GetState());
  EXPECT_EQ(1, game->GetCurrentRoundIndex());
  run.SolveFromMap("31_laondromat");
  EXPECT_EQ(stTheEndCinema, game->GetState());
  EXPECT_FALSE(game->HasSavedGame(kControllerStory));
  game->FlashMovieStooped();
  EXPECT_EQ(stMainMenu, game->GetState());

  // Free play.
  run.Post(evFreePlayChosen);
  EXPECT_EQ(stFreePlayMap, game->GetState());
  game->ChooseLocation("34_zoo");
  EXPECT_EQ(stFreePlaySearch, game->GetState());
  run.Post(evBackToMap);
  game->ChooseLocation("34_zoo");
  run.Post(evSearchCompleted);
  EXPECT_EQ(stFreePlayMap, game->GetState());
  game->ChooseLocation("02_museum");
  run.Post(evSearchTimeUp);
  EXPECT_EQ(stFreePlayMap, game->GetState());
  run.Post(evBackToMainMenu);
  EXPECT_EQ(stMainMenu, game->GetState());
  const std::string log = ::testing::internal::GetCapturedStderr();

  const auto taken = TakenRows(log);
  unsigned count = 0;
  const TTheGame::TTransition* rows = TTheGame::GetTransitions(&count);
  for (unsigned i = 0; i < count; ++i) {
    const auto key = std::make_pair(std::string(GetStateName(rows[i].state).c_str()),
                                    std::string(GetEventName(rows[i].event).c_str()));
    EXPECT_TRUE(taken.count(key)) << "row not taken: " << key.first << " + " << key.second;
  }
}

TEST_F(TheGameTest, EachStateAndEventPairHasOneRowAndEveryStateIsNamed)
{
  unsigned count = 0;
  const TTheGame::TTransition* rows = TTheGame::GetTransitions(&count);
  std::set<std::pair<int, int>> pairs;
  for (unsigned i = 0; i < count; ++i) {
    // A second row for the same pair could never be taken.
    EXPECT_TRUE(pairs.insert(std::make_pair(rows[i].state, rows[i].event)).second) << rows[i].actionName;
    EXPECT_TRUE(IsKnownState(rows[i].state));
    EXPECT_TRUE(IsKnownState(rows[i].next));
    EXPECT_EQ(GetEventName(rows[i].event).find("#", 0, 0), unsigned(-1));
  }
  EXPECT_EQ("stCinema", GetStateName(7));
  EXPECT_EQ("stTheEndCinema", GetStateName(25));
  EXPECT_EQ("evCinemaCompleted", GetEventName(15));
  EXPECT_EQ("evPlayCase", GetEventName(18));
  EXPECT_EQ("evBackToMap", GetEventName(22));
  EXPECT_EQ("evBackToMainMenu", GetEventName(28));
  EXPECT_EQ("evStartSearch", GetEventName(29));
  EXPECT_EQ("evPlaySuspectPuzzle", GetEventName(30));
  EXPECT_EQ("evCaseEndingJournalOpened", GetEventName(41));
  EXPECT_EQ("evCaseEndingTitleAnimationEnded", GetEventName(43));
  EXPECT_EQ("ev#99", GetEventName(99));
}

TEST_F(TheGameTest, EventsWithoutARowAreLoggedAndIgnored)
{
  TTheGame* game = StartedGame();
  ::testing::internal::CaptureStderr();
  game->PostEvent(evSearchCompleted);
  game->PostEvent(99);
  game->PostEvent(evStoryChosen);
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("TTheGame - PostEvent: evSearchCompleted\n"));
  EXPECT_NE(std::string::npos, log.find("TTheGame - PostEvent: ev#99\n"));
  EXPECT_NE(std::string::npos, log.find("TTheGame - PostEvent: evStoryChosen\n"
                                        "TTheGame - Changing state from stMainMenu to stStoryStart, "
                                        "event: evStoryChosen\n"));
  // Only the story's own two transitions changed the state.
  EXPECT_EQ(2u, TakenRows(log).size());
  EXPECT_EQ(stCinema, game->GetState());
  EXPECT_EQ(stStoryStart, game->GetPreviousState());
}

TEST_F(TheGameTest, EventsPostedByAnActionRunAfterIt)
{
  TTheGame* game = StartedGame();
  ::testing::internal::CaptureStderr();
  game->PostEvent(evStoryChosen);
  const std::string log = ::testing::internal::GetCapturedStderr();
  // StartStory posts evNewRound; its transition is logged after StartStory's.
  const size_t story = log.find("from stMainMenu to stStoryStart");
  const size_t round = log.find("from stStoryStart to stCinema, event: evNewRound");
  ASSERT_NE(std::string::npos, story);
  ASSERT_NE(std::string::npos, round);
  EXPECT_LT(story, round);
}

TEST_F(TheGameTest, FlashMovieStoopedMovesOnlyTheCinemaStates)
{
  TTheGame* game = StartedGame();
  game->FlashMovieStooped();
  EXPECT_EQ(stMainMenu, game->GetState());
  game->PostEvent(evStoryChosen);
  ASSERT_EQ(stCinema, game->GetState());
  game->FlashMovieStooped();
  EXPECT_EQ(stMap, game->GetState());
  game->FlashMovieStooped();
  EXPECT_EQ(stMap, game->GetState());
}

TEST_F(TheGameTest, ConfigurationAndStartScores)
{
  TTheGame* game = StartedGame();
  ASSERT_EQ(2u, game->GetRounds().size());
  EXPECT_EQ(6u, game->GetScores().size());
  for (const char* category : tableScore) {
    EXPECT_EQ(0u, game->GetScore(category)) << category;
  }
  game->AddScore("Object_Found", 300);
  game->setStartScore();
  EXPECT_EQ(0u, game->GetScore("Object_Found"));
  EXPECT_EQ(120000u, game->GetFreePlayTime());
  EXPECT_EQ("scenes/map/map.sxm", game->GetSceneFile("map"));
  EXPECT_FALSE(game->IsLocalVersionForWallOfFame());
}

TEST_F(TheGameTest, ParticlesAimAtTheGamesTargetWhileItLives)
{
  TTheGame* game = Game();
  game->GetParticleTarget()[0] = 412;
  game->GetParticleTarget()[1] = 96;
  const int32_t* aimed = GParticlesManager::GetParticleTarget();
  EXPECT_EQ(412, aimed[0]);
  EXPECT_EQ(96, aimed[1]);
  TTheGame::DestroyInstance();
  EXPECT_NE(nullptr, GParticlesManager::GetParticleTarget()) << "a target that outlives the game";
}

TEST_F(TheGameTest, UnknownLocationsAreRefusedBeforeAnyEvent)
{
  TTheGame* game = StartedGame();
  game->PostEvent(evStoryChosen);
  game->FlashMovieStooped();
  ::testing::internal::CaptureStderr();
  game->ChooseLocation("99_nowhere");
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("ERROR: The round has no case at 99_nowhere"));
  EXPECT_EQ(stMap, game->GetState());
}

TEST_F(TheGameTest, ScreensAreMadeByNameSwitchedWithFadesAndDeletedSafely)
{
  TTheGame* game = Game();
  EXPECT_EQ(nullptr, game->AddScreen("TNoSuchScreen"));
  TSceneScreen* first = game->AddScreen("TSearchScreen");
  TSceneScreen* second = game->AddScreen("TSearchScreen");
  ASSERT_TRUE(first && second);
  EXPECT_EQ("TSearchScreen", first->getDynamicScreenID());
  game->SwitchToScreen(first, 0);
  EXPECT_TRUE(first->IsActive());
  EXPECT_FALSE(first->IsFading());
  game->SwitchToScreen(second, 250);
  EXPECT_EQ(second, game->GetCurrentScreen());
  EXPECT_TRUE(first->IsActive());
  EXPECT_TRUE(second->IsFading());
  // Input waits for the fade.
  EXPECT_TRUE(game->OnMouseDown(TPoint(10, 10)));
  Tick(13);
  EXPECT_FALSE(first->IsActive());
  EXPECT_FALSE(second->IsFading());
  game->SwitchToScreen(nullptr, 250);
  EXPECT_EQ(second, game->GetCurrentScreen());
  game->DeleteScreen(second);
  EXPECT_EQ(nullptr, game->GetCurrentScreen());
  EXPECT_FALSE(game->OwnsScreen(second));
  game->DeleteScreen(nullptr);
  EXPECT_EQ(1u, game->GetScreenCount());
}

TEST_F(TheGameTest, ADialogTheOverlayCannotShowClosesAtOnce)
{
  TTheGame* game = StartedGame();
  TOverlayScreen* overlay = game->GetOverlayScreen();
  ASSERT_NE(nullptr, overlay);
  // A dialog its scene cannot show closes at once, so nothing waits for it.
  ::testing::internal::CaptureStderr();
  overlay->ShowDialog("museum_intro", true);
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("Overlay show dialog: museum_intro\n"));
  EXPECT_FALSE(overlay->IsDialogShown());
}

TEST_F(TheGameTest, TheFreePlayScoreShowsInTheResultDialogUntilItCloses)
{
  mSandbox.WriteFile("assets/scripts/result.lua", "MakeDialog{ Window{ name = 'result', w = 10, h = 10 } }\n");
  TFile::ScanForResources();
  mScript->DoLuaString("return function() PushModal('maingamewindow') while true do WaitForMessage() end end");
  TTheGame* game = StartedGame();
  game->PostEvent(evFreePlayChosen);
  game->ChooseLocation("34_zoo");
  game->AddScore("Object_Found", 300);
  game->PostEvent(evSearchCompleted);
  EXPECT_EQ(stFreePlayScore, game->GetState());
  EXPECT_EQ("scripts/result.lua", mManager.GetTopModalWindow()->GetName());
  EXPECT_EQ(300u, game->GetScore("Total_round"));
  EXPECT_EQ(300u, game->GetFreePlay().GetTotal("Total_round"));
  // The map is already whole behind the dialog.
  ASSERT_NE(nullptr, game->GetFreePlayMapScreen());
  EXPECT_EQ(game->GetFreePlayMapScreen(), game->GetCurrentScreen());
  EXPECT_FALSE(game->GetCurrentScreen()->IsFading());
  CloseResultDialog();
  EXPECT_EQ(stFreePlayMap, game->GetState());
  EXPECT_EQ("maingamewindow", mManager.GetTopModalWindow()->GetName());
}

TEST_F(TheGameTest, TheStorysRoundEndsWithItsDialogThenItsScoreInTheResultWindow)
{
  RegisterShellWindows();
  mSandbox.WriteFile("assets/scripts/result.lua", "MakeDialog{ InfoWindow{ name = 'result', w = 400, h = 300, "
                                                  "Text{ name = 'objects', w = 300, h = 30, label = '' }, "
                                                  "Text{ name = 'extra_time', w = 300, h = 30, label = '' }, "
                                                  "Text{ name = 'no_hints', w = 300, h = 30, label = '' }, "
                                                  "Text{ name = 'decals', w = 300, h = 30, label = '' }, "
                                                  "Text{ name = 'puzzles', w = 300, h = 30, label = '' }, "
                                                  "Text{ name = 'total', w = 300, h = 30, label = '' } } }\n");
  TFile::ScanForResources();
  mScript->DoLuaString("return function() PushModal('maingamewindow') while true do WaitForMessage() end end");
  TTheGame* game = StartedGame();
  StoryRun run(game);
  run.Post(evStoryChosen);
  game->FlashMovieStooped();
  run.SolveFromMap("02_museum");
  run.SolveFromMap("15_library");
  // The round's end dialog (closed at once: this overlay has no scene), then the round's six
  // lines over the map. A new player plays timed; this round's clock never ran.
  EXPECT_EQ(stRoundScore, game->GetState());
  TWindow* result = mManager.GetTopModalWindow();
  ASSERT_EQ("scripts/result.lua", result->GetName());
  auto line = [result](const char* name) {
    TText* text = dynamic_cast<TText*>(result->GetChildWindow(name, -1));
    return text ? std::string(text->GetText().c_str()) : std::string("(none)");
  };
  EXPECT_EQ("Objects: 0", line("objects"));
  EXPECT_EQ("Extra time: 6000", line("extra_time"));
  EXPECT_EQ("Puzzles: 2000", line("puzzles"));
  EXPECT_EQ("Total: 8000", line("total"));

  CloseResultDialog();
  EXPECT_EQ(stCinema, game->GetState());
  EXPECT_EQ(1, game->GetCurrentRoundIndex());
}

TEST_F(TheGameTest, TimedPlayRunsTheRoundsClockWhileThePlayerSearchesAndSolvesAndPaysWhatIsLeft)
{
  TTheGame* game = StartedGame();
  StoryRun run(game);
  // Once the screen shown has faded in, a second of play takes a second off the clock.
  auto expectASecondOff = [this, game] {
    for (int i = 0; i < 50 && game->IsAnimating(); ++i) {
      Tick();
    }
    const int32_t before = game->GetRoundTimeLeft();
    Tick(50);
    EXPECT_EQ(before - 1000, game->GetRoundTimeLeft()) << GetStateName(game->GetState()).c_str();
  };
  game->SetTimedPlay(true);
  run.Post(evStoryChosen);
  game->FlashMovieStooped();
  EXPECT_EQ(600000, game->GetRoundTimeLeft());
  // The map and the journal leave the clock alone; the room runs it.
  Tick(50);
  game->ChooseLocation("02_museum");
  Tick(50);
  EXPECT_EQ(600000, game->GetRoundTimeLeft());
  run.Post(evStartSearch);
  expectASecondOff();
  run.Post(evSearchCompleted);
  run.Post(evPlaySuspectPuzzle);
  expectASecondOff();
  run.Post(evSequencePuzzleCompleted);
  run.Post(evPlaySuspectPuzzle);
  run.Post(evChecklistPuzzleCompleted);
  // The round's other case is still to solve: its clock pays nothing yet.
  EXPECT_EQ(0u, game->GetScore("Extra_Time"));
  run.Post(evCaseEndingJournalOpened);
  run.Post(evCaseEndingTitleAnimationEnded);

  // The round's last case pays the time left, once, and never more than the round's time.
  game->ChooseLocation("15_library");
  run.Post(evStartSearch);
  expectASecondOff();
  run.Post(evSearchCompleted);
  run.Post(evPlaySuspectPuzzle);
  run.Post(evSequencePuzzleCompleted);
  run.Post(evPlaySuspectPuzzle);
  const int32_t solvedAt = game->GetRoundTimeLeft();
  run.Post(evChecklistPuzzleCompleted);
  EXPECT_EQ(uint32_t(solvedAt / 1000) * 10, game->GetScore("Extra_Time"));
  EXPECT_GT(game->GetScore("Extra_Time"), 0u);
  EXPECT_LE(game->GetScore("Extra_Time"), 600u * 10);
}

TEST_F(TheGameTest, AtZeroTheClockSaysOnceThatTheTimeIsUpAndTheRoundGoesOnWithoutABonus)
{
  TTheGame* game = StartedGame();
  StoryRun run(game);
  game->SetTimedPlay(true);
  run.Post(evStoryChosen);
  game->FlashMovieStooped();
  run.SolveFromMap("02_museum");
  ::testing::internal::CaptureStderr();
  game->ChooseLocation("15_library");
  run.Post(evStartSearch);
  Tick(30100);
  EXPECT_EQ(0, game->GetRoundTimeLeft());
  // The word comes once; the case goes on at the player's pace.
  Tick(500);
  const std::string log = ::testing::internal::GetCapturedStderr();
  const size_t said = log.find("Overlay show dialog: time_up\n");
  ASSERT_NE(std::string::npos, said) << log;
  EXPECT_EQ(std::string::npos, log.find("Overlay show dialog: time_up", said + 1));
  EXPECT_EQ(stSearch, game->GetState());
  run.Post(evSearchCompleted);
  run.Post(evPlaySuspectPuzzle);
  run.Post(evSequencePuzzleCompleted);
  run.Post(evPlaySuspectPuzzle);
  run.Post(evChecklistPuzzleCompleted);
  EXPECT_EQ(TCase::kEnding, game->GetCurrentCase()->GetState());
  EXPECT_EQ(0u, game->GetScore("Extra_Time"));
}

TEST_F(TheGameTest, RelaxedPlayHasNoClock)
{
  TTheGame* game = StartedGame();
  StoryRun run(game);
  game->SetTimedPlay(false);
  run.Post(evStoryChosen);
  game->FlashMovieStooped();
  run.SolveFromMap("02_museum");
  Tick(50);
  EXPECT_EQ(-1, game->GetRoundTimeLeft());
  EXPECT_EQ(0u, game->GetScore("Extra_Time"));
}

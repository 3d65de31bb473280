// Tests of the cinematics: the movie dialog opened by the first poll, a movie skipped by
// the player-less view (without its music), one played by a stand-in view until a click
// (with it), dialogs over the movie, a skip from Lua, the pop down to the game's layer and
// the host ending with its window.
#include <fstream>
#include <iterator>
#include <regex>

#include "buildpaths.h"
#include "core/window/modalwindow.h"
#include "shell/flashmanager.h"
#include "shell/flashwindow.h"
#include "platform/flashhost.h"
#include "platform/cinema/movieview.h"
#include "platform/display/event.h"
#include "support/gametestutil.h"

namespace {

// A web view whose movie plays until the player clicks it.
class TClickToEndView : public IWebMovieView
{
public:
  bool IsAvailable() override { return true; }
  void Show() override { ++mShown; }
  void Hide() override { ++mHidden; }
  void Update() override {}
  void LoadHTML(const std::string&) override { mLocation = "about:blank"; }
  std::string Location() override { return mLocation; }
  // The movie's own end: it moves the page to the end page.
  void Click(IMovieHost* host) { mLocation = "file://" + static_cast<TFlashHost*>(host)->GetEndPagePath(); }

  std::string mLocation;
  int mShown = 0;
  int mHidden = 0;
};

std::string DataFile(const char* relative)
{
  std::ifstream input(std::string(QV_SOURCE_DATA_DIR) + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
}

size_t Count(const std::string& text, const std::string& what)
{
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

class FlashManagerTest : public GameTest
{
protected:
  void SetUp() override
  {
    GameTest::SetUp();
    gbMissingNIB = false;
    mManager.AddWindowType("FlashWindow", TFlashWindow::ClassId());
    mSandbox.WriteFile("assets/scripts/flashwindow.lua", DataFile("assets/scripts/flashwindow.lua"));
    mSandbox.WriteFile("assets/movies/round1.swf", "FWS movie");
    TFile::ScanForResources();
  }
  void TearDown() override
  {
    GameTest::TearDown();
    SetMovieView(nullptr);
    gbMissingNIB = false;
  }
  // The start-up scripts' loop: the game's layer, then messages forever.
  void StartMainLoop(bool gameLayer = true)
  {
    mScript->DoLuaString(gameLayer ? "return function() PushModal('maingamewindow') "
                                     "while true do WaitForMessage() end end"
                                   : "return function() while true do WaitForMessage() end end");
  }
  // The story at its first cinematic.
  TTheGame* AtCinema()
  {
    TTheGame* game = StartedGame();
    game->PostEvent(evStoryChosen);
    EXPECT_EQ(stCinema, game->GetState());
    return game;
  }
  str TopName() { return mManager.GetTopModalWindow()->GetName(); }
  TFlashWindow* Window() { return TWindow::GetControl<TFlashWindow>("flashwindow"); }
};

} // namespace

TEST_F(FlashManagerTest, ThePlayerlessViewSkipsTheCinemaAtTheFirstPoll)
{
  StartMainLoop();
  TTheGame* game = AtCinema();
  TFlashManager* flash = TFlashManager::GetInstance();
  EXPECT_EQ("movies/round1.swf", flash->GetMovieName());
  EXPECT_TRUE(flash->IsPending());
  // Not PlayMovie itself: the first poll, 250 ms later, opens the dialog, whose window
  // finds no player, and the same poll closes it again.
  EXPECT_EQ("maingamewindow", TopName());
  RunTasks(249);
  EXPECT_EQ(stCinema, game->GetState());
  ::testing::internal::CaptureStderr();
  RunTasks(1);
  const std::string log = ::testing::internal::GetCapturedStderr();
  const size_t opened = log.find("No movie player on this system");
  const size_t ended = log.find("TTheGame - PostEvent: evCinemaCompleted");
  ASSERT_NE(std::string::npos, opened);
  ASSERT_NE(std::string::npos, ended);
  EXPECT_LT(opened, ended);
  EXPECT_EQ(1u, Count(log, "Cinematic movies/round1.swf skipped: nothing can play it\n"));
  EXPECT_EQ(1u, Count(log, "TTheGame - PostEvent: evCinemaCompleted"));
  EXPECT_EQ("maingamewindow", TopName());
  EXPECT_EQ(stMap, game->GetState());
  EXPECT_FALSE(flash->IsActive());
  RunTasks(1000);
  EXPECT_EQ(stMap, game->GetState());
}

TEST_F(FlashManagerTest, TheComicMusicStartsOnlyForAMovieThatPlays)
{
  StartMainLoop();
  TTheGame* game = AtCinema();
  ::testing::internal::CaptureStderr();
  RunTasks(250);
  std::string log = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(stMap, game->GetState()) << log;
  EXPECT_EQ(std::string::npos, log.find("comic.ogg")) << log;
  EXPECT_EQ(std::string::npos, log.find("Music: stopped")) << log;

  // A system with a player.
  TClickToEndView view;
  SetMovieView(&view);
  gbMissingNIB = false;
  ::testing::internal::CaptureStderr();
  TFlashManager::GetInstance()->PlayMovie("movies/round1.swf");
  RunTasks(250);
  log = ::testing::internal::GetCapturedStderr();
  ASSERT_NE(nullptr, Window()) << log;
  EXPECT_NE(std::string::npos, log.find("Music: audio/music/comic.ogg")) << log;
}

TEST_F(FlashManagerTest, AStubViewPlaysUntilAClickAndEndsOnce)
{
  TClickToEndView view;
  SetMovieView(&view);
  StartMainLoop();
  TTheGame* game = AtCinema();
  RunTasks(250);
  ASSERT_NE(nullptr, Window());
  ASSERT_NE(nullptr, Window()->GetHost());
  EXPECT_TRUE(Window()->GetHost()->IsReady());
  EXPECT_EQ(1, view.mShown);
  for (int i = 0; i < 8; ++i) {
    RunTasks(250);
  }
  EXPECT_EQ(stCinema, game->GetState());
  EXPECT_EQ("scripts/flashwindow.lua", TopName());

  view.Click(Window()->GetHost());
  ::testing::internal::CaptureStderr();
  for (int i = 0; i < 4; ++i) {
    RunTasks(250);
  }
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(1u, Count(log, "Cinematic movies/round1.swf ended\n"));
  EXPECT_EQ(1u, Count(log, "TTheGame - PostEvent: evCinemaCompleted"));
  EXPECT_EQ(stMap, game->GetState());
  EXPECT_EQ("maingamewindow", TopName());
  EXPECT_EQ(1, view.mHidden);
  EXPECT_FALSE(gbFlashPlaying);
}

TEST_F(FlashManagerTest, ADialogOverTheMovieHoldsThePollsUntilItCloses)
{
  TClickToEndView view;
  SetMovieView(&view);
  StartMainLoop();
  TTheGame* game = AtCinema();
  RunTasks(250);
  TFlashWindow* window = Window();
  ASSERT_NE(nullptr, window);
  TModalWindow* pause = new TModalWindow;
  pause->SetName("pause");
  mManager.PushModal(pause);
  view.Click(window->GetHost());
  for (int i = 0; i < 4; ++i) {
    RunTasks(250);
  }
  EXPECT_EQ(stCinema, game->GetState());
  EXPECT_EQ("pause", TopName());
  mManager.PopModal("pause");
  RunTasks(250);
  EXPECT_EQ(stMap, game->GetState());
  EXPECT_EQ("maingamewindow", TopName());
}

TEST_F(FlashManagerTest, ASkipFromLuaClosesDownToTheGameAndLeavesNoPollBehind)
{
  TClickToEndView view;
  SetMovieView(&view);
  StartMainLoop();
  TTheGame* game = AtCinema();
  RunTasks(250);
  ASSERT_NE(nullptr, Window());
  mScript->DoLuaString("StopFlashMovie()");
  EXPECT_EQ(stMap, game->GetState());
  EXPECT_EQ("maingamewindow", TopName());
  TFlashManager* flash = TFlashManager::GetInstance();
  EXPECT_FALSE(flash->IsActive());

  // The next movie is opened and stopped by its own poll only.
  flash->PlayMovie("movies/round1.swf");
  RunTasks(250);
  EXPECT_EQ("scripts/flashwindow.lua", TopName());
  flash->PlayMovie("movies/round1.swf");
  RunTasks(125);
  // The first movie's poll is gone: nothing stops the dialog early.
  EXPECT_EQ("scripts/flashwindow.lua", TopName());
}

TEST_F(FlashManagerTest, WithoutTheGamesLayerThePopsStopAtTheBottom)
{
  StartMainLoop(false);
  TTheGame* game = AtCinema();
  RunTasks(250);
  EXPECT_EQ(stMap, game->GetState());
  EXPECT_EQ(mManager.GetScreen(), (TWindow*)mManager.GetTopModalWindow());
}

TEST_F(FlashManagerTest, AMovieDialogClosedAnotherWayStopsItsHost)
{
  TClickToEndView view;
  SetMovieView(&view);
  StartMainLoop();
  AtCinema();
  RunTasks(250);
  ASSERT_NE(nullptr, Window());
  EXPECT_TRUE(gbFlashPlaying);
  mManager.PopModal("scripts/flashwindow.lua");
  mManager.ClearDestroyedWindows();
  EXPECT_EQ(1, view.mHidden);
  EXPECT_FALSE(gbFlashPlaying);
  // Its poll finds no window and keeps waiting; StopMovie without a window does nothing.
  TFlashManager::GetInstance()->StopMovie();
  EXPECT_EQ(stCinema, Game()->GetState());
}

TEST_F(FlashManagerTest, AMovieThatCannotBeShownIsSkippedRatherThanAwaited)
{
  // No waiting script loop: the dialog cannot be injected.
  TTheGame* game = AtCinema();
  ::testing::internal::CaptureStderr();
  RunTasks(250);
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("ERROR: The cinematic movies/round1.swf"));
  EXPECT_EQ(stMap, game->GetState());

  // A dialog script that makes no movie window: skipped once a poll finds none anywhere.
  game->DeleteSavedGame(kControllerStory);
  TTheGame::DestroyInstance();
  mSandbox.WriteFile("assets/scripts/flashwindow.lua", "MakeDialog{ }\n");
  TFile::ScanForResources();
  StartMainLoop();
  game = AtCinema();
  ::testing::internal::CaptureStderr();
  RunTasks(250);
  EXPECT_EQ(stCinema, game->GetState());
  RunTasks(250);
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("has no movie window"));
  EXPECT_EQ(stMap, game->GetState());
  EXPECT_EQ("maingamewindow", TopName());
}

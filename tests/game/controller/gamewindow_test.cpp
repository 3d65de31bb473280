// Tests of the game window: made by the start-up script, it starts the game controller,
// ticks it every 20 ms while its layer is on top, asks for a frame after input the game took,
// and switches the analytics timers on focus.
#include "core/app/gamestate.h"
#include "core/window/modalwindow.h"
#include "controller/gamewindow.h"
#include "support/gametestutil.h"

namespace {

// A title that takes every click and key and changes nothing that moves.
class TTakingScreen : public TStubScreen
{
public:
  bool OnMouseDown(const TPoint&) override { return true; }
  bool OnKeyDown(char, unsigned) override { return true; }
};

// A title that keeps the pointer moves it is offered.
class TMoveRecordingScreen : public TStubScreen
{
public:
  bool OnMouseMove(const TPoint& point) override
  {
    moves.push_back(std::to_string(point.x) + "," + std::to_string(point.y));
    return true;
  }
  static std::vector<std::string> moves;
};
std::vector<std::string> TMoveRecordingScreen::moves;

class GameWindowTest : public GameTest
{
protected:
  void SetUp() override
  {
    GameTest::SetUp();
    mManager.AddWindowType("GameWindow", TGameWindow::ClassId());
  }
  // One frame: the platform's tasks, then an idle event for the top layer's tasks.
  void Frame(uint32_t ms)
  {
    RunTasks(ms);
    TEvent idle(TEvent::kIdle, 0, 0, 0, 0);
    mManager.HandleEvent(&idle);
  }
  str Analytics(const char* name) { return TGameState::GetInstance()->GetState(name); }
};

} // namespace

TEST_F(GameWindowTest, TheScriptsGameWindowStartsTheGameAndTicksItWhileOnTop)
{
  mScript->DoLuaString("PushModal( 'maingamewindow' ) "
                       "MakeDialog{ GameWindow{ name = 'game', x = 0, y = 0, w = 800, h = 600 } }");
  TGameWindow* window = TWindow::GetControl<TGameWindow>("game");
  ASSERT_NE(nullptr, window);
  TTheGame* game = TTheGame::GetInstance();
  EXPECT_EQ(window, game->GetGameWindow());
  EXPECT_EQ(stMainMenu, game->GetState());
  TSceneScreen* title = game->GetTitleScreen();
  ASSERT_NE(nullptr, title);
  EXPECT_TRUE(title->IsFading());
  // The title fades in over 250 ms of game ticks, 20 ms each.
  for (int i = 0; i < 12; ++i) {
    Frame(20);
  }
  EXPECT_TRUE(title->IsFading());
  Frame(20);
  EXPECT_FALSE(title->IsFading());

  // A dialog over the game stops its ticks.
  game->PostEvent(evStoryChosen);
  game->FlashMovieStooped();
  ASSERT_TRUE(game->GetCurrentScreen()->IsFading());
  TModalWindow* pause = new TModalWindow;
  pause->SetName("pause");
  mManager.PushModal(pause);
  for (int i = 0; i < 20; ++i) {
    Frame(20);
  }
  EXPECT_TRUE(game->GetCurrentScreen()->IsFading());
  mManager.PopModal("pause");
  for (int i = 0; i < 14; ++i) {
    Frame(20);
  }
  EXPECT_FALSE(game->GetCurrentScreen()->IsFading());

  mManager.PopModal("maingamewindow");
  mManager.ClearDestroyedWindows();
  EXPECT_EQ(nullptr, game->GetGameWindow());
}

TEST_F(GameWindowTest, FocusSwitchesTheTimerOfWhatThePlayerIsDoing)
{
  mScript->DoLuaString("PushModal( 'maingamewindow' ) "
                       "MakeDialog{ GameWindow{ name = 'game', x = 0, y = 0, w = 800, h = 600 } }");
  TGameWindow* window = TWindow::GetControl<TGameWindow>("game");
  ASSERT_NE(nullptr, window);
  EXPECT_EQ("1", Analytics("MainMenuScreenTime"));
  window->OnKillFocus(nullptr);
  EXPECT_EQ("0", Analytics("MainMenuScreenTime"));
  window->OnSetFocus(nullptr);
  EXPECT_EQ("1", Analytics("MainMenuScreenTime"));
  // Focus moving between windows of the game's own layer changes nothing.
  window->OnKillFocus(window);
  EXPECT_EQ("1", Analytics("MainMenuScreenTime"));

  TTheGame* game = TTheGame::GetInstance();
  game->PostEvent(evStoryChosen);
  game->FlashMovieStooped();
  window->OnKillFocus(nullptr);
  EXPECT_EQ("0", Analytics("StoryModePlayTime"));
  window->OnSetFocus(nullptr);
  EXPECT_EQ("1", Analytics("StoryModePlayTime"));
}

TEST_F(GameWindowTest, WhileTheGameTicksFramesWaitForTicksAndOtherwiseDoNot)
{
  mScript->DoLuaString("PushModal( 'maingamewindow' ) "
                       "MakeDialog{ GameWindow{ name = 'game', x = 0, y = 0, w = 800, h = 600 } }");
  TGameWindow* window = TWindow::GetControl<TGameWindow>("game");
  ASSERT_NE(nullptr, window);
  // Something asks for frames every 4 ms (the pointer moving): the game's layer is on top,
  // so they come no faster than the ticks.
  auto busy = [&](int turns) {
    for (int i = 0; i < turns; ++i) {
      mManager.InvalidateScreen();
      Frame(4);
    }
  };
  busy(5);
  const uint64_t frames = mManager.GetFramesDrawn();
  const uint64_t ticks = window->GetTicks();
  busy(100);
  EXPECT_GT(mManager.GetFramesDrawn(), frames);
  EXPECT_LE(mManager.GetFramesDrawn() - frames, window->GetTicks() - ticks);
  // With a dialog over the game nothing ticks, and frames come at their own pace.
  TModalWindow* pause = new TModalWindow;
  pause->SetName("pause");
  mManager.PushModal(pause);
  const uint64_t paused = mManager.GetFramesDrawn();
  const uint64_t stopped = window->GetTicks();
  busy(100);
  EXPECT_EQ(stopped, window->GetTicks());
  EXPECT_GT(mManager.GetFramesDrawn() - paused, 25u);
  mManager.PopModal("pause");
}

TEST_F(GameWindowTest, AClickOrKeyTheGameTakesIsDrawnWithoutWaitingForSomethingToMove)
{
  gScreenFactory.Register("TTitleScreen", &CreateScreen<TTakingScreen>);
  mScript->DoLuaString("PushModal( 'maingamewindow' ) "
                       "MakeDialog{ GameWindow{ name = 'game', x = 0, y = 0, w = 800, h = 600 } }");
  TGameWindow* window = TWindow::GetControl<TGameWindow>("game");
  ASSERT_NE(nullptr, window);
  for (int i = 0; i < 20; ++i) {
    Frame(20);
  }
  ASSERT_FALSE(mManager.IsScreenInvalid());
  EXPECT_TRUE(window->OnMouseDown(TPoint(400, 300)));
  EXPECT_TRUE(mManager.IsScreenInvalid());
  Frame(20);
  ASSERT_FALSE(mManager.IsScreenInvalid());
  EXPECT_TRUE(window->OnKeyDown('X', 0));
  EXPECT_TRUE(mManager.IsScreenInvalid());
  // What the game leaves alone asks for no frame.
  Frame(20);
  EXPECT_FALSE(window->OnMouseUp(TPoint(400, 300)));
  EXPECT_FALSE(mManager.IsScreenInvalid());
}

TEST_F(GameWindowTest, AScreenThatComesToTakeTheInputHearsWhereThePointerRests)
{
  gScreenFactory.Register("TTitleScreen", &CreateScreen<TMoveRecordingScreen>);
  TMoveRecordingScreen::moves.clear();
  mScript->DoLuaString("PushModal( 'maingamewindow' ) "
                       "MakeDialog{ GameWindow{ name = 'game', x = 0, y = 0, w = 800, h = 600 } }");
  TGameWindow* window = TWindow::GetControl<TGameWindow>("game");
  ASSERT_NE(nullptr, window);
  // The pointer comes to rest while the title fades in and takes no input.
  TEvent move(TEvent::kMouseMove, 0, 320, 240, 0);
  mManager.HandleEvent(&move);
  EXPECT_TRUE(TMoveRecordingScreen::moves.empty());
  for (int i = 0; i < 20; ++i) {
    Frame(20);
  }
  EXPECT_EQ(std::vector<std::string>{"320,240"}, TMoveRecordingScreen::moves);
  // Once: a screen that keeps the input is not told again.
  for (int i = 0; i < 5; ++i) {
    Frame(20);
  }
  EXPECT_EQ(1u, TMoveRecordingScreen::moves.size());
}

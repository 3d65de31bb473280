// Tests of the window manager: the layer stack, focus, event routing, mouse listeners,
// the message queue, deferred destruction and the drawing of the window stack.
#include "core/window/windowmanager.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "core/graphics/texture.h"
#include "core/window/dialog.h"
#include "core/window/windowscript.h"
#include "platform/display/event.h"
#include "support/faketimer.h"
#include "support/windowtestutil.h"

namespace {

class TScriptProbe : public TRecordingScript
{
public:
  void Resume() override { ++resumes; }
  void NewModalWindow(TModalWindow* top) override { tops.push_back(top); }
  std::vector<TModalWindow*> tops;
  int resumes = 0;
};

// Opens a layer when clicked.
class TOpener : public TProbeWindow
{
public:
  using TProbeWindow::TProbeWindow;
  bool OnMouseDown(const TPoint& p) override
  {
    TProbeWindow::OnMouseDown(p);
    TWindowManager::GetInstance()->PushModal(new TModalWindow);
    return true;
  }
};

// Posts a message while it receives one.
class TEchoWindow : public TProbeWindow
{
public:
  using TProbeWindow::TProbeWindow;
  bool OnMessage(TMessage* m) override
  {
    TProbeWindow::OnMessage(m);
    if (m->GetName() == "first") {
      TWindowManager::GetInstance()->PostWindowMessage(new TMessage(TMessage::kGeneric, "echo"));
    }
    return true;
  }
};

// Pops its own layer while it is drawn.
class TPopWhileDrawn : public TProbeLayer
{
public:
  using TProbeLayer::TProbeLayer;
  void Draw() override
  {
    TProbeLayer::Draw();
    TWindowManager::GetInstance()->PopModal(GetName());
  }
};

class CountingTask : public TTask
{
public:
  explicit CountingTask(std::vector<std::string>* log, const char* name) : mLog(log), mName(name) {}
  bool DoTask() override
  {
    mLog->push_back(mName);
    return true;
  }
  std::vector<std::string>* mLog;
  std::string mName;
};

// An animation task that does nothing when it runs.
class TWindowAnimProbe : public TAnimTask
{
public:
  using TAnimTask::TAnimTask;
  bool Animate() override { return true; }
};

// A texture that is never drawn by a real back end: only its identity matters here.
class TCaptureTexture : public TTexture
{};

// The frame-level calls of the log (render target, frame, capture copy, window draws).
std::vector<std::string> FrameCalls(const TRecordingRenderer& renderer)
{
  std::vector<std::string> out;
  for (const std::string& line : renderer.log) {
    const std::string word = line.substr(0, line.find(' '));
    if (word == "target" || word == "endtarget" || word == "begin" || word == "end" || word == "copy" ||
        word == "draw") {
      out.push_back(line);
    }
  }
  return out;
}

class ManagerTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    manager.SetRenderer(&renderer);
    screen = new TScreen;
    manager.SetScreen(screen);
    manager.AttachWindowScript(&script);
  }
  void TearDown() override { TPlatform::SetConfig(TPlatform::kOverlayWindowMouseEvents, "0"); }

  void Send(int type, int x = 0, int y = 0, int code = 0)
  {
    TEvent event(type, code, x, y, 0);
    manager.HandleEvent(&event);
  }
  TProbeLayer* Push(const char* name)
  {
    TProbeLayer* layer = new TProbeLayer(name, &log);
    manager.PushModal(layer);
    return layer;
  }

  std::vector<std::string> log;
  TRecordingRenderer renderer;
  TScriptProbe script;
  TFakeTimer timer{1000};
  TWindowManager manager;
  TScreen* screen = nullptr;
};

TEST_F(ManagerTest, Screen_IsSizedToTheViewportAndNamed)
{
  EXPECT_EQ(screen->GetWindowWidth(), 800);
  EXPECT_EQ(screen->GetWindowHeight(), 600);
  EXPECT_EQ(screen->GetName(), "_screen_");
  EXPECT_EQ(manager.GetTopModalWindow(), screen);
  EXPECT_EQ(manager.GetFocus(), screen);
}

TEST_F(ManagerTest, PushModal_ChainsLayersAndSizesThemToTheParent)
{
  TProbeLayer* a = Push("a");
  TProbeLayer* b = Push("b");
  EXPECT_EQ(a->GetParent(), screen);
  EXPECT_EQ(b->GetParent(), a);
  EXPECT_EQ(b->GetWindowWidth(), 800);
  EXPECT_EQ(manager.GetTopModalWindow(), b);
  EXPECT_EQ(manager.GetFocus(), b);
  EXPECT_EQ(script.tops.back(), b);
  EXPECT_TRUE(a->GetClock()->IsPaused());
  EXPECT_FALSE(b->GetClock()->IsPaused());
}

TEST_F(ManagerTest, PopModal_ByNamePopsTheLayerAndEverythingAbove)
{
  bool aGone = false, bGone = false, cGone = false;
  TProbeLayer* a = Push("a");
  a->destroyed = &aGone;
  TProbeLayer* dialog = Push("dialog");
  dialog->destroyed = &bGone;
  Push("c")->destroyed = &cGone;
  manager.PopModal("dialog");
  EXPECT_EQ(manager.GetTopModalWindow()->GetName(), "a");
  EXPECT_FALSE(manager.GetTopModalWindow()->GetClock()->IsPaused());
  // Deletion waits for the next event.
  EXPECT_FALSE(bGone);
  Send(TEvent::kRedraw);
  EXPECT_TRUE(bGone);
  EXPECT_TRUE(cGone);
  EXPECT_FALSE(aGone);
  // The layer outlives the test; its report must not land in this finished frame.
  a->destroyed = nullptr;
}

TEST_F(ManagerTest, PopModal_ByEightCharacterId)
{
  TProbeLayer* a = Push("a");
  Push("b");
  manager.PopModal(a->GetIdString());
  EXPECT_EQ(manager.GetTopModalWindow(), screen);
  manager.PopModal("nothing");
  EXPECT_EQ(manager.GetTopModalWindow(), screen);
}

TEST_F(ManagerTest, PopModal_NeverPopsTheScreen)
{
  Push("a");
  manager.PopModal("_screen_");
  EXPECT_EQ(manager.GetTopModalWindow()->GetName(), "a");
  manager.PopModal(screen->GetIdString());
  EXPECT_EQ(manager.GetModalStack().size(), 2u);
  manager.PopModal("a");
  EXPECT_FALSE(manager._PopModal());
  EXPECT_EQ(manager.GetScreen(), screen);
  EXPECT_EQ(manager.GetTopModalWindow(), screen);
  Send(TEvent::kIdle);
}

TEST_F(ManagerTest, PopModal_TellsDescendantsAndMovesFocusDown)
{
  TProbeLayer* a = Push("a");
  TProbeLayer* b = Push("b");
  TProbeWindow* panel = new TProbeWindow("panel", &log, 0, 0, 10, 10);
  TProbeWindow* inner = new TProbeWindow("inner", &log, 0, 0, 10, 10);
  b->AdoptChild(panel);
  panel->AdoptChild(inner);
  log.clear();
  manager.PopModal("b");
  EXPECT_EQ(manager.GetFocus(), a);
  const std::vector<std::string> expected{"b unfocus to a", "a focus", "inner popped", "panel popped"};
  EXPECT_EQ(log, expected);
}

TEST_F(ManagerTest, Keys_GoToTheFocusWindowOrElseTheTop)
{
  TProbeLayer* layer = Push("layer");
  TProbeWindow* field = new TProbeWindow("field", &log, 0, 0, 10, 10);
  layer->AdoptChild(field);
  manager.SetFocus(nullptr);
  log.clear();
  Send(TEvent::kKeyDown, 0, 0, 'K');
  // The layer has no key handler of its own; it posted "raw:K" for the script.
  EXPECT_EQ(script.names.back(), "raw:K");
  manager.SetFocus(field);
  log.clear();
  Send(TEvent::kChar, 0, 0, 'k');
  EXPECT_EQ(log, std::vector<std::string>{"field char k"});
}

TEST_F(ManagerTest, Mouse_GoesToTheDeepestWindowInTheTopLayerOnly)
{
  TProbeWindow* below = new TProbeWindow("below", &log, 0, 0, 800, 600);
  screen->AdoptChild(below);
  TProbeLayer* layer = Push("layer");
  TProbeWindow* panel = new TProbeWindow("panel", &log, 100, 100, 300, 300);
  TProbeWindow* button = new TProbeWindow("button", &log, 10, 10, 50, 50);
  layer->AdoptChild(panel);
  panel->AdoptChild(button);
  button->consumeMouse = true;
  log.clear();
  Send(TEvent::kMouseDown, 115, 120);
  // The nearest focusable window is the layer, which has the focus already.
  const std::vector<std::string> expected{"button down 5,10"};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(manager.GetHoverWindow(), button);
}

TEST_F(ManagerTest, Listeners_NewestFirstAndTheWindowUnderThePointerGetsNothing)
{
  TProbeWindow* under = new TProbeWindow("under", &log, 0, 0, 800, 600);
  TProbeWindow* first = new TProbeWindow("first", &log, 0, 0, 100, 100);
  TProbeWindow* second = new TProbeWindow("second", &log, 200, 200, 300, 300);
  screen->AdoptChild(under);
  screen->AdoptChild(first);
  screen->AdoptChild(second);
  first->consumeMouse = true;
  second->consumeMouse = true;
  manager.AddMouseListener(first);
  manager.AddMouseListener(second);
  manager.AddMouseListener(second);
  Send(TEvent::kMouseMove, 250, 260);
  const std::vector<std::string> expected{"second move 50,60", "first leave", "first move 250,260"};
  EXPECT_EQ(log, expected);
}

TEST_F(ManagerTest, Listeners_OneThatLeavesOnLeaveIsNotServed)
{
  TProbeWindow* first = new TProbeWindow("first", &log, 0, 0, 100, 100);
  screen->AdoptChild(first);
  first->removeListenerOnLeave = true;
  manager.AddMouseListener(first);
  Send(TEvent::kMouseMove, 500, 500);
  EXPECT_EQ(log, std::vector<std::string>{"first leave"});
  EXPECT_FALSE(manager.IsMouseListener(first));
}

TEST_F(ManagerTest, Listeners_APushDuringTheWalkEndsIt)
{
  TOpener* opener = new TOpener("opener", &log, 0, 0, 100, 100);
  TProbeWindow* other = new TProbeWindow("other", &log, 0, 0, 100, 100);
  screen->AdoptChild(opener);
  screen->AdoptChild(other);
  manager.AddMouseListener(other);
  manager.AddMouseListener(opener);
  Send(TEvent::kMouseDown, 10, 10);
  // The push stripped the listeners (each was told) and other saw no click.
  const std::vector<std::string> expected{"opener down 10,10", "opener leave", "other leave"};
  EXPECT_EQ(log, expected);
  EXPECT_FALSE(manager.IsMouseListener(other));
}

TEST_F(ManagerTest, Listeners_PointerLeavingTheApplicationTellsThem)
{
  TProbeWindow* first = new TProbeWindow("first", &log, 0, 0, 100, 100);
  screen->AdoptChild(first);
  manager.AddMouseListener(first);
  Send(TEvent::kMouseLeave);
  EXPECT_EQ(log, std::vector<std::string>{"first leave"});
}

TEST_F(ManagerTest, OverlayMouse_OverlaysFirstAndUnhandledUpPostsFromTheManager)
{
  TPlatform::SetConfig(TPlatform::kOverlayWindowMouseEvents, "1");
  TProbeWindow overlay("overlay", &log, 0, 0, 100, 100);
  TProbeWindow* hud = new TProbeWindow("hud", &log, 0, 0, 50, 50);
  overlay.AdoptChild(hud, false);
  hud->consumeMouse = true;
  manager.AddOverlayWindow(&overlay);
  TProbeWindow* under = new TProbeWindow("under", &log, 0, 0, 800, 600);
  screen->AdoptChild(under);
  Send(TEvent::kMouseDown, 10, 10);
  EXPECT_EQ(log, std::vector<std::string>{"hud down 10,10"});
  log.clear();
  script.names.clear();
  Send(TEvent::kMouseUp, 500, 500);
  // The overlay itself is offered the event first and declines it.
  const std::vector<std::string> expected{"overlay up 500,500", "under up 500,500"};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(script.names, std::vector<std::string>{"mouse:up"});
  manager.RemoveOverlayWindow(&overlay);
  overlay.OrphanChild(hud);
  delete hud;
}

TEST_F(ManagerTest, Routing_KindsThatDoNothingAndCloseResumesTheScript)
{
  manager.PostWindowMessage(new TMessage(TMessage::kGeneric, "held"));
  Send(TEvent::kIgnore);
  Send(TEvent::kActivate, 0, 0, 1);
  EXPECT_EQ(manager.GetMessageCount(), 1u);
  Send(TEvent::kClose);
  EXPECT_EQ(script.resumes, 1);
  EXPECT_EQ(manager.GetMessageCount(), 0u);
}

TEST_F(ManagerTest, Idle_RunsLayerTasksAndDispatchesAroundTheFrame)
{
  TProbeLayer* layer = Push("layer");
  layer->AdoptTask(new CountingTask(&log, "task"));
  TEchoWindow* echo = new TEchoWindow("echo", &log, 0, 0, 10, 10);
  layer->AdoptChild(echo);
  echo->MakeFocusable();
  manager.SetFocus(echo);
  manager.PostWindowMessage(new TMessage(TMessage::kGeneric, "first"));
  log.clear();
  Send(TEvent::kIdle);
  // The layer's tasks run in the event loop's context first and again in the draw pass.
  const std::vector<std::string> expected{"task", "echo msg first", "echo msg echo", "task"};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(renderer.frames, 1);
}

TEST_F(ManagerTest, Messages_DeliveredInPostingOrderIncludingThosePostedDuringDelivery)
{
  TEchoWindow* echo = new TEchoWindow("echo", &log, 0, 0, 10, 10);
  screen->AdoptChild(echo);
  manager.PostWindowMessage(new TMessage(TMessage::kGeneric, "first", echo));
  manager.PostWindowMessage(new TMessage(TMessage::kGeneric, "second", echo));
  manager.DispatchMessages();
  const std::vector<std::string> expected{"echo msg first", "echo msg second", "echo msg echo"};
  // The echo is untargeted: it goes to the focus window (the screen), then the script.
  EXPECT_EQ(log[0], expected[0]);
  EXPECT_EQ(log[1], expected[1]);
  EXPECT_EQ(script.names, std::vector<std::string>{"echo"});
}

TEST_F(ManagerTest, Messages_HooksComeFirstForUntargetedMessages)
{
  class THook : public TMessageHook
  {
  public:
    bool OnMessage(TMessage* m) override { return m->GetName() == "hooked"; }
  };
  manager.AddMessageHook(new THook);
  manager.PostWindowMessage(new TMessage(TMessage::kGeneric, "hooked"));
  manager.PostWindowMessage(new TMessage(TMessage::kGeneric, "passed"));
  manager.DispatchMessages();
  EXPECT_EQ(script.names, std::vector<std::string>{"passed"});
}

TEST_F(ManagerTest, Messages_TargetDestroyedBeforeDeliveryGoesUntargeted)
{
  TProbeLayer* dialog = Push("dialog");
  TProbeWindow* button = new TProbeWindow("button", &log, 0, 0, 10, 10);
  dialog->AdoptChild(button);
  manager.PostWindowMessage(new TMessage(TMessage::kButtonPress, "pressed", button));
  manager.PopModal("dialog");
  log.clear();
  Send(TEvent::kRedraw);
  EXPECT_TRUE(log.empty());
  // The screen took it (it has focus) and handed it to the script.
  EXPECT_NE(std::find(script.names.begin(), script.names.end(), "pressed"), script.names.end());
}

TEST_F(ManagerTest, Messages_QuitNowEndsTheApplicationEvenIfAWindowWouldTakeIt)
{
  TPlatform platform;
  TProbeWindow* taker = new TProbeWindow("taker", &log, 0, 0, 10, 10);
  taker->consumeMessages = true;
  screen->AdoptChild(taker);
  manager.PostWindowMessage(new TMessage(TMessage::kQuitNow, "", taker));
  manager.DispatchMessages();
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(platform.GetEventQueue()->IsQuitRequested());
}

TEST_F(ManagerTest, Messages_ClosingALayerPostsItsIdToTheScript)
{
  TProbeLayer* dialog = Push("dialog");
  const std::string id = dialog->GetIdString().c_str();
  manager.PopModal("dialog");
  Send(TEvent::kRedraw);
  EXPECT_NE(std::find(script.names.begin(), script.names.end(), id), script.names.end());
  EXPECT_EQ(id.size(), 8u);
}

TEST_F(ManagerTest, Destruction_FocusWindowDestroyedLeavesNoFocus)
{
  TProbeWindow* field = new TProbeWindow("field", &log, 0, 0, 10, 10);
  screen->AdoptChild(field);
  screen->SetDefaultFocus(field);
  manager.SetFocus(field);
  manager.AddMouseListener(field);
  screen->OrphanChild(field);
  manager.SafeDestroyWindow(field);
  EXPECT_FALSE(manager.IsMouseListener(field));
  manager.ClearDestroyedWindows();
  EXPECT_EQ(manager.GetFocus(), nullptr);
  EXPECT_EQ(screen->GetDefaultFocus(), nullptr);
}

TEST_F(ManagerTest, Focus_TheOldWindowHearsOfTheNewOneAndTheNewOfTheOld)
{
  TProbeWindow* first = new TProbeWindow("first", &log, 0, 0, 10, 10);
  TProbeWindow* second = new TProbeWindow("second", &log, 0, 20, 10, 30);
  screen->AdoptChild(first);
  screen->AdoptChild(second);
  manager.SetFocus(first);
  log.clear();
  EXPECT_TRUE(manager.SetFocus(second));
  EXPECT_EQ(log, (std::vector<std::string>{"first unfocus to second", "second focus"}));
  // Asking again changes nothing and tells nobody.
  log.clear();
  EXPECT_TRUE(manager.SetFocus(second));
  EXPECT_TRUE(log.empty());
  // A window that refuses the focus does not get it.
  first->acceptsFocus = false;
  EXPECT_FALSE(manager.SetFocus(first));
  EXPECT_EQ(manager.GetFocus(), second);
  EXPECT_TRUE(log.empty());
  manager.SetFocus(nullptr);
  EXPECT_EQ(log, std::vector<std::string>{"second unfocus to none"});
}

TEST_F(ManagerTest, Focus_ADialogTakesItAndGivesItBackToTheWindowThatHadIt)
{
  TProbeWindow* field = new TProbeWindow("field", &log, 0, 0, 10, 10);
  screen->AdoptChild(field);
  manager.SetFocus(field);
  log.clear();
  TProbeLayer* dialog = Push("dialog");
  EXPECT_EQ(manager.GetFocus(), dialog);
  EXPECT_EQ(log, (std::vector<std::string>{"field unfocus to dialog", "dialog focus"}));
  log.clear();
  manager.PopModal("dialog");
  EXPECT_EQ(manager.GetFocus(), field);
  EXPECT_EQ(log, (std::vector<std::string>{"dialog unfocus to field", "field focus"}));
  // The window that had it is gone: the layer keeps the focus itself.
  manager.SetFocus(screen);
  Push("again");
  screen->OrphanChild(field);
  manager.SafeDestroyWindow(field);
  manager.PopModal("again");
  Send(TEvent::kIdle);
  EXPECT_EQ(manager.GetFocus(), screen);
}

TEST_F(ManagerTest, Destruction_DestroyAllChildrenLeavesStackedLayersToTheStack)
{
  bool dialogGone = false, childGone = false;
  TProbeWindow* child = new TProbeWindow("child", &log, 0, 0, 10, 10);
  child->destroyed = &childGone;
  screen->AdoptChild(child);
  TProbeLayer* dialog = Push("dialog");
  dialog->destroyed = &dialogGone;
  screen->DestroyAllChildren();
  EXPECT_EQ(dialog->GetParent(), screen);
  EXPECT_FALSE(manager.IsScheduledForDestruction(dialog));
  manager.PopModal("dialog");
  Send(TEvent::kRedraw);
  EXPECT_TRUE(childGone);
  EXPECT_TRUE(dialogGone);
  // Scheduling twice deletes once.
  TWindow* twice = new TWindow;
  manager.SafeDestroyWindow(twice);
  manager.SafeDestroyWindow(twice);
  manager.ClearDestroyedWindows();
}

TEST_F(ManagerTest, Drawing_OneFramePer12MillisecondsAndOnlyWhenInvalid)
{
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.frames, 1);
  manager.InvalidateScreen();
  timer.Advance(5);
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.frames, 1);
  timer.Advance(7);
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.frames, 2);
  timer.Advance(100);
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.frames, 2);
}

TEST_F(ManagerTest, Drawing_AClosedGateHoldsFramesAndTheLoopDoesNotWaitForThem)
{
  struct TGate : IFrameGate
  {
    bool FrameAllowed() override { return mOpen; }
    void FrameDrawn() override
    {
      ++mDrawn;
      mOpen = false;
    }
    bool mOpen = true;
    int mDrawn = 0;
  } gate;
  manager.SetFrameGate(&gate);
  Send(TEvent::kIdle);
  EXPECT_EQ(1, renderer.frames);
  EXPECT_EQ(1, gate.mDrawn);
  // Invalid and past its interval, the frame still waits for the gate, and the loop is
  // not told to turn for it.
  manager.InvalidateScreen();
  timer.Advance(50);
  EXPECT_EQ(TTask::kNotDue, manager.MillisecondsUntilIdleWork());
  Send(TEvent::kIdle);
  Send(TEvent::kRedraw);
  EXPECT_EQ(1, renderer.frames);
  gate.mOpen = true;
  EXPECT_EQ(0u, manager.MillisecondsUntilIdleWork());
  Send(TEvent::kIdle);
  EXPECT_EQ(2, renderer.frames);
  EXPECT_EQ(2, gate.mDrawn);
  EXPECT_EQ(2u, manager.GetFramesDrawn());
  manager.SetFrameGate(nullptr);
}

TEST_F(ManagerTest, IdleWork_NextFrameTasksAndMessagesSayWhenTheLoopMustTurn)
{
  Send(TEvent::kIdle);
  // Nothing invalid, nothing queued, no task: nothing comes due by itself.
  EXPECT_EQ(TTask::kNotDue, manager.MillisecondsUntilIdleWork());
  EXPECT_EQ(TTask::kNotDue, manager.MillisecondsUntilTasksDue());
  manager.InvalidateScreen();
  timer.Advance(5);
  EXPECT_EQ(7u, manager.MillisecondsUntilIdleWork());
  timer.Advance(20);
  EXPECT_EQ(0u, manager.MillisecondsUntilIdleWork());
  Send(TEvent::kIdle);
  manager.PostWindowMessage(new TMessage(TMessage::kGeneric, "later"));
  EXPECT_EQ(0u, manager.MillisecondsUntilIdleWork());
  manager.DispatchMessages();
  // The top layer's tasks count; a paused layer's do not reach the loop.
  TProbeLayer* dialog = Push("dialog");
  TWindowAnimProbe* anim = new TWindowAnimProbe(dialog->GetClock());
  anim->SetDelay(30, false, true, false);
  dialog->AdoptTask(anim);
  EXPECT_EQ(30u, manager.MillisecondsUntilTasksDue());
}

TEST_F(ManagerTest, Drawing_BackgroundDrawsEvery200Milliseconds)
{
  TPlatform platform;
  TNativeEvent lost;
  lost.kind = TNativeEvent::kFocusLost;
  platform.GetEventQueue()->QueueNativeEvent(lost);
  ASSERT_FALSE(platform.IsForeground());
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.frames, 1);
  manager.InvalidateScreen();
  timer.Advance(199);
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.frames, 1);
  timer.Advance(1);
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.frames, 2);
}

TEST_F(ManagerTest, Drawing_SurvivesTheTimerWrapping)
{
  timer.Set(0xFFFFFFF8u);
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.frames, 1);
  manager.InvalidateScreen();
  timer.Set(0x00000010u);
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.frames, 2);
}

TEST_F(ManagerTest, Drawing_NoFrameWhileAMoviePlaysOrBeginFails)
{
  manager.SetMoviePlaying(true);
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.frames, 0);
  manager.SetMoviePlaying(false);
  renderer.beginSucceeds = false;
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.frames, 1);
  EXPECT_TRUE(manager.IsScreenInvalid());
  EXPECT_TRUE(renderer.Lines("end").empty());
}

TEST_F(ManagerTest, Drawing_AFullScreenOpaqueLayerHidesWhatIsBelow)
{
  TProbeLayer* game = Push("game");
  TWindow* backdrop = new TWindow;
  game->AdoptChild(backdrop);
  backdrop->SetFlags(backdrop->GetFlags() | TWindow::kOpaque);
  backdrop->SetWindowSize(800, 600);
  ASSERT_TRUE(game->GetFlags() & TWindow::kOpaque);
  TProbeLayer* menu = Push("menu");
  menu->SetWindowSize(200, 100);
  Send(TEvent::kIdle);
  EXPECT_TRUE(renderer.Lines("fill").empty()); // the screen did not clear
  const std::vector<std::string> expected{"draw game", "draw menu"};
  EXPECT_EQ(renderer.Lines("draw"), expected);
}

TEST_F(ManagerTest, Drawing_TopModalOnlyDrawsTheTopLayer)
{
  Push("a");
  Push("b");
  manager.SetTopModalOnly(true);
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.Lines("draw"), std::vector<std::string>{"draw b"});
}

TEST_F(ManagerTest, Drawing_APopWhileDrawingEndsTheWalk)
{
  TPopWhileDrawn* popper = new TPopWhileDrawn("popper", &log);
  manager.PushModal(popper);
  Push("above");
  manager.SetTopModalOnly(false);
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.Lines("draw"), std::vector<std::string>{"draw popper"});
  EXPECT_EQ(renderer.Lines("end").size(), 1u);
  EXPECT_EQ(manager.GetTopModalWindow(), screen);
}

TEST_F(ManagerTest, Drawing_ScreenClearsOnlyWhenItIsTheTop)
{
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.Lines("fill"), std::vector<std::string>{"fill 0,0,800,600"});
  Push("dialog")->SetWindowSize(100, 100);
  renderer.log.clear();
  timer.Advance(20);
  Send(TEvent::kIdle);
  EXPECT_TRUE(renderer.Lines("fill").empty());
  screen->SetClearAlways(true);
  manager.InvalidateScreen();
  timer.Advance(20);
  Send(TEvent::kIdle);
  EXPECT_EQ(renderer.Lines("fill").size(), 1u);
  screen->SetNoClear(true);
  manager.InvalidateScreen();
  renderer.log.clear();
  timer.Advance(20);
  Send(TEvent::kIdle);
  EXPECT_TRUE(renderer.Lines("fill").empty());
}

TEST_F(ManagerTest, Drawing_HoverFrameIsFourYellowStrips)
{
  TProbeWindow* box = new TProbeWindow("box", &log, 100, 100, 200, 150);
  screen->AdoptChild(box);
  manager.SetHighlightHover(true);
  Send(TEvent::kMouseMove, 110, 110);
  Send(TEvent::kIdle);
  const std::vector<std::string> expected{"fill 0,0,800,600", "fill 100,100,200,102", "fill 198,100,200,150",
                                          "fill 100,148,200,150", "fill 100,100,102,150"};
  EXPECT_EQ(renderer.Lines("fill"), expected);
  EXPECT_TRUE(renderer.viewports.empty());
  EXPECT_TRUE(renderer.clips.empty());
}

TEST_F(ManagerTest, Drawing_RunsThePlatformIdleTasksInTheDrawPass)
{
  TPlatform platform;
  class TDrawTask : public TTask
  {
  public:
    explicit TDrawTask(int* runs) : mRuns(runs) {}
    bool Ready(ETaskContext context) override { return context == eDrawPass; }
    bool DoTask() override
    {
      ++*mRuns;
      return true;
    }
    int* mRuns;
  };
  int runs = 0;
  platform.AdoptTask(new TDrawTask(&runs));
  Send(TEvent::kIdle);
  EXPECT_EQ(runs, 1);
  Send(TEvent::kIdle);
  EXPECT_EQ(runs, 1);
}

TEST_F(ManagerTest, Capture_DrawsBelowTheTopIntoTheTextureThenShowsItUnderTheTop)
{
  TProbeWindow* plain = new TProbeWindow("plain", &log, 0, 0, 100, 100);
  TProbeWindow* text = new TProbeWindow("text", &log, 0, 0, 100, 100);
  text->MakeCaptureDraw();
  screen->AdoptChild(plain);
  screen->AdoptChild(text);
  Push("dialog")->SetWindowSize(100, 100);
  boost::shared_ptr<TTexture> capture(new TCaptureTexture);
  manager.SetCaptureTexture(capture);
  renderer.log.clear();
  Send(TEvent::kIdle);
  const std::vector<std::string> expected{"target 0",   "draw text", "endtarget",   "begin", "copy",
                                          "draw plain", "draw text", "draw dialog", "end"};
  EXPECT_EQ(FrameCalls(renderer), expected);
  EXPECT_FALSE(manager.IsScreenInvalid());
  EXPECT_TRUE(renderer.viewports.empty());
  EXPECT_TRUE(renderer.clips.empty());

  // The flags of the last capture do not leak into the next frame's capture.
  text->SetFlags(text->GetFlags() & ~TWindow::kVisible);
  renderer.log.clear();
  timer.Advance(20);
  Send(TEvent::kIdle);
  EXPECT_FALSE(text->GetFlags() & TWindow::kCaptured);
  EXPECT_TRUE(renderer.Lines("draw text").empty());
}

TEST_F(ManagerTest, Capture_ARefusedTargetStillGivesAFrameOverTheOldCapture)
{
  TProbeWindow* text = new TProbeWindow("text", &log, 0, 0, 100, 100);
  text->MakeCaptureDraw();
  screen->AdoptChild(text);
  Push("dialog")->SetWindowSize(100, 100);
  manager.SetCaptureTexture(boost::shared_ptr<TTexture>(new TCaptureTexture));
  renderer.targetSucceeds = false;
  renderer.log.clear();
  Send(TEvent::kIdle);
  const std::vector<std::string> expected{"target 0", "begin", "copy", "draw text", "draw dialog", "end"};
  EXPECT_EQ(FrameCalls(renderer), expected);
}

TEST_F(ManagerTest, Capture_AFailedFrameKeepsTheScreenInvalid)
{
  Push("dialog")->SetWindowSize(100, 100);
  manager.SetCaptureTexture(boost::shared_ptr<TTexture>(new TCaptureTexture));
  renderer.beginSucceeds = false;
  Send(TEvent::kIdle);
  EXPECT_TRUE(manager.IsScreenInvalid());
  EXPECT_EQ(renderer.Lines("endtarget").size(), 1u);
  EXPECT_TRUE(renderer.Lines("copy").empty());
  EXPECT_EQ(std::count(renderer.log.begin(), renderer.log.end(), "end"), 0);
}

TEST_F(ManagerTest, Capture_Kind17ReleasesItAndFramesAreNormalAgain)
{
  Push("middle")->SetWindowSize(100, 100);
  Push("dialog")->SetWindowSize(50, 50);
  boost::shared_ptr<TTexture> capture(new TCaptureTexture);
  manager.SetCaptureTexture(capture);
  Send(TEvent::kReleaseCapture);
  EXPECT_FALSE(manager.GetCaptureTexture());
  EXPECT_EQ(capture.use_count(), 1);
  renderer.log.clear();
  Send(TEvent::kIdle);
  const std::vector<std::string> expected{"begin", "draw middle", "draw dialog", "end"};
  EXPECT_EQ(FrameCalls(renderer), expected);
}

TEST(ManagerCapture, ReleasedWhenTheManagerGoes)
{
  boost::shared_ptr<TTexture> capture(new TCaptureTexture);
  {
    TWindowManager manager;
    manager.SetCaptureTexture(capture);
    EXPECT_EQ(capture.use_count(), 2);
  }
  EXPECT_EQ(capture.use_count(), 1);
}

TEST_F(ManagerTest, DisplayDialog_PushesANamedDialog)
{
  TDialog* dialog = manager.DisplayDialog("dialog.lua", "body", "title", "confirm");
  EXPECT_EQ(manager.GetTopModalWindow(), dialog);
  EXPECT_EQ(dialog->GetName(), "confirm");
  EXPECT_EQ(dialog->GetParent(), screen);
}

TEST(ManagerWithoutLayers, DrawsNothingAndDropsEvents)
{
  TRecordingRenderer renderer;
  TWindowManager manager;
  manager.SetRenderer(&renderer);
  manager.DrawStack();
  EXPECT_FALSE(manager._PopModal());
  manager.PopModal("anything");
  TEvent click(TEvent::kMouseDown, 0, 1, 1, 0);
  manager.HandleEvent(&click);
  TEvent idle(TEvent::kIdle, 0, 0, 0, 0);
  manager.HandleEvent(&idle);
  EXPECT_EQ(renderer.frames, 0);
  // Untargeted messages with nobody to take them are deleted.
  manager.PostWindowMessage(new TMessage(TMessage::kGeneric, "lost"));
  manager.DispatchMessages();
  EXPECT_EQ(manager.GetMessageCount(), 0u);
}

} // namespace

// Tests of the event queue: delivery order, idle handling and the translation of native
// keys, text, mouse and window events, over a scripted native host.
#include "platform/display/event.h"

#include <deque>
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "core/window/modalwindow.h"
#include "core/window/screen.h"
#include "core/window/windowmanager.h"
#include "platform/sound/soundmanager.h"
#include "support/faketimer.h"

namespace {

class FakeHost : public IEventHost
{
public:
  struct Step
  {
    EWait result;
    TNativeEvent event;
  };

  EWait WaitEvent(TNativeEvent* event, int timeoutMs) override
  {
    ++waits;
    lastTimeout = timeoutMs;
    if (steps.empty()) {
      return kTimedOut;
    }
    Step step = steps.front();
    steps.pop_front();
    *event = step.event;
    return step.result;
  }
  uint32_t GetModifiers() override { return modifiers; }
  void GetMouse(int* x, int* y) override
  {
    *x = mouseX;
    *y = mouseY;
  }
  void Sleep(unsigned ms) override { sleeps.push_back(ms); }
  bool IsFullscreen() override { return fullscreen; }
  void SetFullscreen(bool on) override { fullscreen = on; }
  void ToggleHUD() override { ++hudToggles; }
  void RaiseWindow() override { ++raises; }
  void Minimize() override { ++minimizes; }
  void SwapDisplayMode() override
  {
    TSoundManager* sound = TSoundManager::GetCurrent();
    swaps.push_back(sound && sound->IsAppActive() ? "swap, sound on" : "swap, sound off");
  }

  void Push(const TNativeEvent& event) { steps.push_back(Step{kGotEvent, event}); }

  std::deque<Step> steps;
  uint32_t modifiers = 0;
  int mouseX = 0, mouseY = 0;
  std::vector<unsigned> sleeps;
  bool fullscreen = false;
  std::vector<std::string> swaps;
  int hudToggles = 0, raises = 0, minimizes = 0, waits = 0, lastTimeout = -1;
};

TNativeEvent Key(uint32_t key, bool down = true)
{
  TNativeEvent e;
  e.kind = down ? TNativeEvent::kKeyDown : TNativeEvent::kKeyUp;
  e.key = key;
  return e;
}

TNativeEvent Text(const std::string& text)
{
  TNativeEvent e;
  e.kind = TNativeEvent::kTextInput;
  e.text = text;
  return e;
}

TNativeEvent Mouse(TNativeEvent::EKind kind, int button, int x, int y)
{
  TNativeEvent e;
  e.kind = kind;
  e.button = button;
  e.x = x;
  e.y = y;
  return e;
}

TNativeEvent Window(TNativeEvent::EKind kind)
{
  TNativeEvent e;
  e.kind = kind;
  return e;
}

class CountingTask : public TTask
{
public:
  explicit CountingTask(int* runs) : mRuns(runs) {}
  bool DoTask() override
  {
    ++*mRuns;
    return true;
  }
  int* mRuns;
};

class EventQueueTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    gbQVUnicode = false;
    gbTarvishUnicode = false;
    gbFlashPlaying = false;
    host = new FakeHost;
    queue.SetHost(host);
  }
  void TearDown() override
  {
    gbQVUnicode = false;
    gbTarvishUnicode = false;
    gbFlashPlaying = false;
  }

  // Pulls events until the native script is used up and the queue is empty.
  std::vector<TEvent> Drain()
  {
    std::vector<TEvent> events;
    while (!host->steps.empty() || queue.GetQueueLength() != 0) {
      TEvent e;
      queue.GetEvent(&e);
      if (e.type != TEvent::kIdle) {
        events.push_back(e);
      }
    }
    return events;
  }

  TEventQueue queue;
  FakeHost* host = nullptr;
};

#define EXPECT_EVENT(e, t, c)                                                                                          \
  do {                                                                                                                 \
    EXPECT_EQ((e).type, (t));                                                                                          \
    EXPECT_EQ((e).code, (c));                                                                                          \
  } while (0)

TEST_F(EventQueueTest, GetEvent_QuitOnceThenCloseThenNewestQueuedThenIdle)
{
  queue.QueueEvent(TEvent(TEvent::kMouseMove, 0, 1, 1, 0));
  queue.QueueEvent(TEvent(TEvent::kKeyDown, 'B', 0, 0, 0));
  queue.RequestQuit();
  queue.RequestClose();
  host->modifiers = TEvent::kShift;

  TEvent e;
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kQuit);
  EXPECT_EQ(e.modifiers, uint32_t(TEvent::kShift));
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kClose);
  queue.GetEvent(&e);
  EXPECT_EVENT(e, TEvent::kKeyDown, 'B');
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kMouseMove);
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kIdle);
  EXPECT_EQ(host->lastTimeout, 1);
  // The quit request stays, but its event came once.
  EXPECT_TRUE(queue.IsQuitRequested());
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kIdle);
}

TEST_F(EventQueueTest, GetEvent_FailedWaitGivesIdleNotTheCallersOldRecord)
{
  host->steps.push_back(FakeHost::Step{IEventHost::kFailed, TNativeEvent()});
  int runs = 0;
  queue.GetTaskList()->AdoptTask(new CountingTask(&runs));
  TEvent e(TEvent::kMouseDown, 0, 5, 5, 0);
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kIdle);
  EXPECT_EQ(e.x, 0);
  EXPECT_EQ(runs, 1);
}

TEST_F(EventQueueTest, Idle_RunsIdleTasksOnlyWhenNothingArrived)
{
  int runs = 0;
  queue.GetTaskList()->AdoptTask(new CountingTask(&runs));
  host->Push(Mouse(TNativeEvent::kMouseMove, 0, 3, 4));
  TEvent e;
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kMouseMove);
  EXPECT_EQ(runs, 0);
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kIdle);
  EXPECT_EQ(runs, 1);
}

TEST_F(EventQueueTest, Idle_BackgroundSleepGrowsBy10UpTo1000AndStopsInForeground)
{
  host->Push(Window(TNativeEvent::kFocusLost));
  TEvent e;
  queue.GetEvent(&e);
  EXPECT_EVENT(e, TEvent::kActivate, 0);
  EXPECT_FALSE(queue.IsForeground());
  for (int i = 0; i < 105; ++i) {
    queue.GetEvent(&e);
    EXPECT_EQ(e.type, TEvent::kIdle);
  }
  ASSERT_EQ(host->sleeps.size(), 105u);
  EXPECT_EQ(host->sleeps[0], 10u);
  EXPECT_EQ(host->sleeps[1], 20u);
  EXPECT_EQ(host->sleeps[98], 990u);
  EXPECT_EQ(host->sleeps[99], 1000u);
  EXPECT_EQ(host->sleeps[104], 1000u);

  host->Push(Window(TNativeEvent::kFocusGained));
  queue.GetEvent(&e);
  EXPECT_EVENT(e, TEvent::kActivate, 1);
  queue.GetEvent(&e);
  EXPECT_EQ(host->sleeps.size(), 105u);
  EXPECT_EQ(queue.GetSleepTime(), 0);
}

TEST_F(EventQueueTest, Activation_TellsTheSoundManager)
{
  TSoundManager sound;
  host->Push(Window(TNativeEvent::kFocusLost));
  TEvent e;
  queue.GetEvent(&e);
  EXPECT_FALSE(sound.IsAppActive());
  host->Push(Window(TNativeEvent::kRestored));
  queue.GetEvent(&e);
  EXPECT_EVENT(e, TEvent::kActivate, 1);
  EXPECT_TRUE(sound.IsAppActive());
}

TEST_F(EventQueueTest, FocusLostInFullScreenMinimizesAndIdleRaisesOnceWhenBack)
{
  host->fullscreen = true;
  TEvent e;
  queue.GetEvent(&e);
  queue.GetEvent(&e);
  EXPECT_EQ(host->raises, 1);
  host->Push(Window(TNativeEvent::kFocusLost));
  queue.GetEvent(&e);
  EXPECT_EQ(host->minimizes, 1);
  host->Push(Window(TNativeEvent::kFocusGained));
  queue.GetEvent(&e);
  queue.GetEvent(&e);
  queue.GetEvent(&e);
  EXPECT_EQ(host->raises, 2);
}

TEST_F(EventQueueTest, HiddenInFullScreen_SwapsTheModeOutAfterTheSoundAndBackBeforeIt)
{
  TSoundManager sound;
  host->fullscreen = true;
  host->Push(Window(TNativeEvent::kMinimized));
  // A second hide before the show must not swap the mode back in while hidden.
  host->Push(Window(TNativeEvent::kMinimized));
  host->Push(Window(TNativeEvent::kRestored));
  std::vector<TEvent> events = Drain();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EVENT(events[0], TEvent::kActivate, 0);
  EXPECT_EVENT(events[1], TEvent::kActivate, 0);
  EXPECT_EVENT(events[2], TEvent::kActivate, 1);
  const std::vector<std::string> expected{"swap, sound off", "swap, sound off"};
  EXPECT_EQ(host->swaps, expected);
  EXPECT_TRUE(sound.IsAppActive());

  // A restore that follows no hide (a window coming out of maximised) swaps nothing.
  host->swaps.clear();
  host->Push(Window(TNativeEvent::kRestored));
  Drain();
  EXPECT_TRUE(host->swaps.empty());
}

TEST_F(EventQueueTest, HiddenInAWindow_LeavesTheDisplayModeAlone)
{
  host->Push(Window(TNativeEvent::kMinimized));
  host->Push(Window(TNativeEvent::kRestored));
  Drain();
  // Full screen chosen while hidden: the show has no swap to undo.
  host->Push(Window(TNativeEvent::kMinimized));
  Drain();
  host->fullscreen = true;
  host->Push(Window(TNativeEvent::kRestored));
  Drain();
  EXPECT_TRUE(host->swaps.empty());
}

TEST_F(EventQueueTest, Keys_PlainModeGivesKeyDownFromKeyAndCharacterFromText)
{
  host->mouseX = 7;
  host->mouseY = 9;
  host->Push(Key('a'));
  host->Push(Text("a"));
  host->Push(Key('a', false));
  std::vector<TEvent> events = Drain();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EVENT(events[0], TEvent::kKeyDown, 'A');
  EXPECT_EQ(events[0].x, 7);
  EXPECT_EQ(events[0].y, 9);
  EXPECT_EVENT(events[1], TEvent::kChar, 'a');
  EXPECT_EVENT(events[2], TEvent::kKeyUp, 'A');
}

TEST_F(EventQueueTest, Keys_KeysWithoutTextGiveKeyDownThenCharacter)
{
  gbQVUnicode = true;
  const struct
  {
    uint32_t key;
    int code;
  } table[] = {{kNativeKeyReturn, 13}, {kNativeKeyKeypadEnter, 13}, {kNativeKeyEscape, 27}, {kNativeKeyBackspace, 8},
               {kNativeKeyTab, 9},     {kNativeKeyDelete, 127},     {kNativeKeyLeft, 28},   {kNativeKeyRight, 29},
               {kNativeKeyUp, 30},     {kNativeKeyDown, 31},        {kNativeKeyHome, 1},    {kNativeKeyEnd, 4},
               {kNativeKeyPageUp, 11}, {kNativeKeyPageDown, 12}};
  for (const auto& row : table) {
    host->Push(Key(row.key));
    std::vector<TEvent> events = Drain();
    ASSERT_EQ(events.size(), 2u) << row.code;
    EXPECT_EVENT(events[0], TEvent::kKeyDown, row.code);
    EXPECT_EVENT(events[1], TEvent::kUTF8Char, row.code);
  }
  gbQVUnicode = false;
  host->Push(Key(kNativeKeyEscape));
  std::vector<TEvent> events = Drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EVENT(events[1], TEvent::kChar, 27);
}

TEST_F(EventQueueTest, Keys_FunctionKeysHaveNoCharacter)
{
  host->Push(Key(kNativeKeyF1));
  host->Push(Key(kNativeKeyF4));
  host->Push(Key(kNativeKeyOtherFunction));
  host->Push(Key(kNativeKeyIgnored));
  std::vector<TEvent> events = Drain();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EVENT(events[0], TEvent::kKeyDown, 'p');
  EXPECT_EVENT(events[1], TEvent::kKeyDown, 's');
  EXPECT_EVENT(events[2], TEvent::kKeyDown, 0);
}

TEST_F(EventQueueTest, Keys_OptionReturnTogglesFullScreenUnlessAMovieShows)
{
  host->modifiers = TEvent::kOption;
  host->Push(Key(kNativeKeyReturn));
  std::vector<TEvent> events = Drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, TEvent::kFullscreenToggled);
  EXPECT_TRUE(host->fullscreen);

  gbFlashPlaying = true;
  host->Push(Key(kNativeKeyReturn));
  EXPECT_TRUE(Drain().empty());
  EXPECT_TRUE(host->fullscreen);
}

TEST_F(EventQueueTest, Keys_OptionF1TogglesTheHUDOnly)
{
  host->modifiers = TEvent::kOption;
  host->Push(Key(kNativeKeyF1));
  EXPECT_TRUE(Drain().empty());
  EXPECT_EQ(host->hudToggles, 1);
}

TEST_F(EventQueueTest, Keys_Utf8ModeTextMakesTheKeyDownAndCodePoints)
{
  gbQVUnicode = true;
  host->Push(Key('a'));
  host->Push(Text("a"));
  host->Push(Text("\xC3\xA9"));         // é
  host->Push(Text("\xF0\x9F\x98\x80")); // U+1F600
  host->Push(Text("xy"));
  std::vector<TEvent> events = Drain();
  ASSERT_EQ(events.size(), 8u);
  EXPECT_EVENT(events[0], TEvent::kKeyDown, 'A');
  EXPECT_EVENT(events[1], TEvent::kUTF8Char, 'a');
  EXPECT_EVENT(events[2], TEvent::kUTF8Char, 0xE9);
  EXPECT_EVENT(events[3], TEvent::kUTF8Char, 0x1F600);
  EXPECT_EVENT(events[4], TEvent::kKeyDown, 'X');
  EXPECT_EVENT(events[5], TEvent::kUTF8Char, 'x');
  EXPECT_EVENT(events[6], TEvent::kKeyDown, 'Y');
  EXPECT_EVENT(events[7], TEvent::kUTF8Char, 'y');
}

TEST_F(EventQueueTest, Keys_LatinModeSendsQuestionMarkBeyondLatin1)
{
  gbTarvishUnicode = true;
  host->Push(Text("\xC3\xA9"));
  host->Push(Text("\xE2\x82\xAC")); // €
  std::vector<TEvent> events = Drain();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EVENT(events[0], TEvent::kKeyDown, 0xE9);
  EXPECT_EVENT(events[1], TEvent::kChar, 0xE9);
  EXPECT_EVENT(events[2], TEvent::kKeyDown, '?');
  EXPECT_EVENT(events[3], TEvent::kChar, '?');
}

TEST_F(EventQueueTest, Keys_ControlChordGivesUpperCaseKeyDownAndControlCharacter)
{
  gbQVUnicode = true;
  host->modifiers = TEvent::kControl;
  host->Push(Key('q'));
  host->Push(Text("q")); // not sent by SDL with Control, and ignored if it were
  std::vector<TEvent> events = Drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EVENT(events[0], TEvent::kKeyDown, 'Q');
  EXPECT_EQ(events[0].modifiers, uint32_t(TEvent::kControl));
  EXPECT_EVENT(events[1], TEvent::kUTF8Char, 0x11);

  host->modifiers = TEvent::kOption;
  host->Push(Key('p'));
  host->Push(Text("p"));
  events = Drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EVENT(events[0], TEvent::kKeyDown, 'P');
  EXPECT_EVENT(events[1], TEvent::kUTF8Char, 'p');
}

TEST_F(EventQueueTest, Text_MalformedUtf8BecomesReplacementCharacters)
{
  EXPECT_EQ(DecodeUTF8("\xED\xA0\xBD"), std::vector<uint32_t>({0xFFFD})); // a lone surrogate
  EXPECT_EQ(DecodeUTF8("\xC0\xAF"), std::vector<uint32_t>({0xFFFD}));     // overlong
  EXPECT_EQ(DecodeUTF8("a\xE2\x82"), std::vector<uint32_t>({'a', 0xFFFD}));
  EXPECT_EQ(DecodeUTF8("\xFF"
                       "b"),
            std::vector<uint32_t>({0xFFFD, 'b'}));
  EXPECT_EQ(DecodeUTF8("\xF4\x90\x80\x80"), std::vector<uint32_t>({0xFFFD})); // above U+10FFFF
}

TEST_F(EventQueueTest, Mouse_ControlClickIsSecondaryAndReleaseEndsWithAMove)
{
  host->modifiers = TEvent::kControl;
  host->Push(Mouse(TNativeEvent::kMouseDown, 1, 10, 20));
  host->Push(Mouse(TNativeEvent::kMouseUp, 1, 11, 21));
  std::vector<TEvent> events = Drain();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EVENT(events[0], TEvent::kExtendedMouse, TEvent::kSecondaryDown);
  EXPECT_EQ(events[0].x, 10);
  EXPECT_EVENT(events[1], TEvent::kExtendedMouse, TEvent::kSecondaryUp);
  EXPECT_EVENT(events[2], TEvent::kMouseMove, 0);
  EXPECT_EQ(events[2].x, 11);
  EXPECT_EQ(events[2].y, 21);
}

TEST_F(EventQueueTest, Mouse_ButtonsMapToPrimarySecondaryTertiary)
{
  host->Push(Mouse(TNativeEvent::kMouseDown, 1, 1, 1));
  host->Push(Mouse(TNativeEvent::kMouseUp, 1, 1, 1));
  host->Push(Mouse(TNativeEvent::kMouseDown, 3, 1, 1));
  host->Push(Mouse(TNativeEvent::kMouseUp, 3, 1, 1));
  host->Push(Mouse(TNativeEvent::kMouseDown, 6, 1, 1));
  std::vector<TEvent> events = Drain();
  host->modifiers = TEvent::kOption;
  host->Push(Mouse(TNativeEvent::kMouseDown, 1, 1, 1));
  std::vector<TEvent> more = Drain();
  events.insert(events.end(), more.begin(), more.end());
  ASSERT_EQ(events.size(), 7u);
  EXPECT_EQ(events[0].type, TEvent::kMouseDown);
  EXPECT_EQ(events[1].type, TEvent::kMouseUp);
  EXPECT_EQ(events[2].type, TEvent::kMouseMove);
  EXPECT_EVENT(events[3], TEvent::kExtendedMouse, TEvent::kTertiaryDown);
  EXPECT_EVENT(events[4], TEvent::kExtendedMouse, TEvent::kTertiaryUp);
  EXPECT_EQ(events[5].type, TEvent::kMouseMove);
  EXPECT_EVENT(events[6], TEvent::kExtendedMouse, TEvent::kTertiaryDown);
}

TEST_F(EventQueueTest, Mouse_WheelGivesOneEventPerAxisOnce)
{
  TNativeEvent wheel = Mouse(TNativeEvent::kMouseWheel, 0, 5, 6);
  wheel.wheelY = -1;
  host->Push(wheel);
  wheel.wheelY = 2;
  host->Push(wheel);
  wheel.wheelY = 1;
  wheel.wheelX = -3;
  host->Push(wheel);
  wheel.wheelY = 0;
  wheel.wheelX = 1;
  host->Push(wheel);
  std::vector<TEvent> events = Drain();
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EVENT(events[0], TEvent::kExtendedMouse, TEvent::kWheelVerticalMinus);
  EXPECT_EQ(events[0].x, 5);
  EXPECT_EVENT(events[1], TEvent::kExtendedMouse, TEvent::kWheelVerticalPlus);
  EXPECT_EVENT(events[2], TEvent::kExtendedMouse, TEvent::kWheelVerticalPlus);
  EXPECT_EVENT(events[3], TEvent::kExtendedMouse, TEvent::kWheelHorizontalMinus);
  EXPECT_EVENT(events[4], TEvent::kExtendedMouse, TEvent::kWheelHorizontalPlus);
}

TEST_F(EventQueueTest, Mouse_MoveInvalidatesTheScreen)
{
  TWindowManager manager;
  TEvent idle;
  manager.DrawStack();
  host->Push(Mouse(TNativeEvent::kMouseMove, 0, 1, 2));
  queue.GetEvent(&idle);
  EXPECT_TRUE(manager.IsScreenInvalid());
}

TEST_F(EventQueueTest, Window_CloseBoxAndSessionQuitRequestCloseOnly)
{
  host->Push(Window(TNativeEvent::kCloseRequest));
  TEvent e;
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kIdle);
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kClose);
  EXPECT_FALSE(queue.IsQuitRequested());
  host->Push(Window(TNativeEvent::kPointerLeave));
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kMouseLeave);
}

TEST_F(EventQueueTest, Terminate_ScriptsMustStopOnceTheGraceIsOutUntilTheQuitIsDelivered)
{
  TFakeTimer timer(5000);
  queue.RequestTerminate();
  TEvent e;
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kClose);
  timer.Advance(TEventQueue::kTerminateGraceMs - 1);
  EXPECT_FALSE(queue.MustStopScripts());
  testing::internal::CaptureStderr();
  timer.Advance(1);
  EXPECT_TRUE(queue.MustStopScripts());
  EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("ERROR: The scripts did not close the program", 0), 0u);
  EXPECT_TRUE(queue.MustStopScripts());
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kQuit);
  // The game saves and tears down from here: its scripts run again.
  EXPECT_FALSE(queue.MustStopScripts());

  // A quit without a request to end stops nothing.
  TEventQueue plain;
  plain.RequestQuit();
  EXPECT_FALSE(plain.MustStopScripts());
}

TEST(PlatformEvents, GetEventForwardsAndExitRequestsQuit)
{
  TPlatform platform;
  FakeHost* host = new FakeHost;
  platform.SetEventHost(host);
  host->Push(Key('z'));
  TEvent e;
  platform.GetEvent(&e);
  EXPECT_EVENT(e, TEvent::kKeyDown, 'Z');
  platform.Exit(0);
  platform.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kQuit);
  int runs = 0;
  CountingTask* task = new CountingTask(&runs);
  platform.AdoptTask(task);
  platform.GetEvent(&e);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(platform.OrphanTask(task));
  delete task;
  EXPECT_TRUE(platform.IsForeground());
}

} // namespace

// A task due at a time of the fake timer, paused once it ran.
class DueTask : public TAnimTask
{
public:
  explicit DueTask(unsigned delay) { SetDelay(delay, false, true, false); }
  bool Animate() override
  {
    ++runs;
    return true;
  }
  int runs = 0;
};

TEST_F(EventQueueTest, IdleWait_UntilTheNextDueWorkAtMostTwentyMilliseconds)
{
  TFakeTimer timer(1000);
  TEvent e;
  // Without a window manager nobody says what is due: the old millisecond.
  queue.GetEvent(&e);
  EXPECT_EQ(host->lastTimeout, 1);
  TWindowManager manager;
  queue.GetEvent(&e);
  EXPECT_EQ(host->lastTimeout, int(TEventQueue::kMaxIdleWaitMs));
  DueTask* task = new DueTask(5);
  queue.GetTaskList()->AdoptTask(task);
  queue.GetEvent(&e);
  EXPECT_EQ(host->lastTimeout, 5);
  // Due now: no wait after an event, the poll interval after an idle event.
  timer.Advance(5);
  host->Push(Mouse(TNativeEvent::kMouseMove, 0, 1, 1));
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kMouseMove);
  queue.GetEvent(&e);
  EXPECT_EQ(host->lastTimeout, 0);
  EXPECT_EQ(e.type, TEvent::kIdle);
  EXPECT_EQ(task->runs, 1);
  task->SetDelay(0, false, true, false);
  queue.GetEvent(&e);
  EXPECT_EQ(host->lastTimeout, int(TEventQueue::kPollIntervalMs));
  // Queued events come first, as always, whatever is due.
  queue.QueueEvent(TEvent(TEvent::kKeyDown, 'A', 0, 0, 0));
  queue.GetEvent(&e);
  EXPECT_EVENT(e, TEvent::kKeyDown, 'A');
}

TEST_F(EventQueueTest, IdleWait_APollingTaskDoesNotPutOffTheTopLayersNextTask)
{
  TFakeTimer timer(1000);
  TEvent e;
  TWindowManager manager;
  manager.SetScreen(new TScreen);
  // No frame to wait for.
  manager.SetMoviePlaying(true);
  // A task due again at every run (a script waiting for a message) among the idle tasks,
  // and the top layer's task (the game's tick) due in 3 ms.
  DueTask* poller = new DueTask(0);
  queue.GetTaskList()->AdoptTask(poller);
  DueTask* tick = new DueTask(3);
  manager.GetTopModalWindow()->AdoptTask(tick);
  queue.GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kIdle);
  poller->SetDelay(0, false, true, false);
  queue.GetEvent(&e);
  EXPECT_EQ(host->lastTimeout, 3);
}

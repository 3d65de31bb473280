// event: the platform's event queue; turns native input (from a host such as SDL, or a
// scripted fake) into TEvents once each, and runs idle tasks and the background sleep.
#include "platform/display/event.h"

#include <algorithm>

#include "core/foundation/utf8.h"
#include "core/foundation/timesource.h"
#include "core/window/windowmanager.h"
#include "core/foundation/debug.h"
#include "platform/display/signals.h"
#include "platform/sound/soundmanager.h"

bool gbFlashPlaying = false;
bool gbQVUnicode = false;
bool gbTarvishUnicode = false;

namespace {

// A host with no window: every wait times out at once.
class TNoEventHost : public IEventHost
{
public:
  EWait WaitEvent(TNativeEvent*, int) override { return kTimedOut; }
  uint32_t GetModifiers() override { return 0; }
  void GetMouse(int* x, int* y) override { *x = *y = 0; }
  void Sleep(unsigned) override {}
};

const int kBackgroundSleepStep = 10;
const int kBackgroundSleepMax = 1000;

int UpperAscii(uint32_t c)
{
  return (c >= 'a' && c <= 'z') ? int(c - 'a' + 'A') : int(c);
}

bool IsPrintable(uint32_t key)
{
  return key < kNativeKeyNone;
}

// The code that keys without text report as key-down and as character; -1 when the key
// reports nothing.
int SpecialKeyCode(uint32_t key, bool* hasChar)
{
  *hasChar = true;
  switch (key) {
  case kNativeKeyReturn:
  case kNativeKeyKeypadEnter:
    return TEvent::kEnter;
  case kNativeKeyEscape:
    return TEvent::kEscape;
  case kNativeKeyBackspace:
    return 8;
  case kNativeKeyTab:
    return 9;
  case kNativeKeyDelete:
    return TEvent::kDelete;
  case kNativeKeyLeft:
    return TEvent::kLeft;
  case kNativeKeyRight:
    return TEvent::kRight;
  case kNativeKeyUp:
    return 30;
  case kNativeKeyDown:
    return 31;
  case kNativeKeyHome:
    return 1;
  case kNativeKeyEnd:
    return 4;
  case kNativeKeyPageUp:
    return 11;
  case kNativeKeyPageDown:
    return 12;
  default:
    break;
  }
  // Function keys have no character.
  *hasChar = false;
  switch (key) {
  case kNativeKeyF1:
    return 'p';
  case kNativeKeyF2:
    return 'q';
  case kNativeKeyF3:
    return 'r';
  case kNativeKeyF4:
    return 's';
  case kNativeKeyOtherFunction:
    return 0;
  default:
    return -1;
  }
}

} // namespace

std::vector<uint32_t> DecodeUTF8(const std::string& text)
{
  std::vector<uint32_t> out;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t at = 0; at < text.size();) {
    const TUtf8Char character = DecodeUtf8Char(bytes + at, text.size() - at);
    out.push_back(character.code);
    at += character.length;
  }
  return out;
}

TEventQueue::TEventQueue(IEventHost* host) : mHost(host ? host : new TNoEventHost) {}

TEventQueue::~TEventQueue()
{
  mIdleTasks.DestroyAll();
  delete mHost;
}

void TEventQueue::SetHost(IEventHost* host)
{
  delete mHost;
  mHost = host ? host : new TNoEventHost;
}

void TEventQueue::RequestTerminate()
{
  mCloseRequested = true;
  if (!mTerminating) {
    mTerminating = true;
    mTerminateTime = TTimeSource::Timer();
  }
}

void TEventQueue::PollQuitSignals()
{
  switch (TakeQuitSignal()) {
  case kInterruptSignal:
    mCloseRequested = true;
    break;
  case kTerminateSignal:
    RequestTerminate();
    break;
  case kNoQuitSignal:
    break;
  }
  if (mTerminating && !mQuitRequested && int32_t(TTimeSource::Timer() - mTerminateTime) >= int32_t(kTerminateGraceMs)) {
    WriteDbg("ERROR: The scripts did not close the program within %u ms of the request to end; quitting",
             unsigned(kTerminateGraceMs));
    mQuitRequested = true;
  }
}

bool TEventQueue::MustStopScripts()
{
  PollQuitSignals();
  return mTerminating && mQuitRequested && !mQuitSent;
}

void TEventQueue::GetEvent(TEvent* event)
{
  PollQuitSignals();
  const uint32_t modifiers = mHost->GetModifiers();
  if (mQuitRequested && !mQuitSent) {
    mQuitSent = true;
    // From here the game saves and tears down; the alarm set by a SIGTERM would cut that short.
    CancelHardQuitLimit();
    *event = TEvent(TEvent::kQuit, 0, 0, 0, modifiers);
    return;
  }
  if (mCloseRequested) {
    mCloseRequested = false;
    if (TWindowManager* manager = TWindowManager::GetInstance()) {
      manager->OnCloseRequested();
    }
    *event = TEvent(TEvent::kClose, 0, 0, 0, modifiers);
    return;
  }
  if (!mEventQueue.empty()) {
    *event = mEventQueue.back();
    mEventQueue.pop_back();
    return;
  }

  TNativeEvent native;
  const IEventHost::EWait result = mHost->WaitEvent(&native, int(IdleWait()));
  mLastWasIdle = result != IEventHost::kGotEvent;
  if (result == IEventHost::kGotEvent) {
    QueueNativeEvent(native);
    *event = mEventQueue.back();
    mEventQueue.pop_back();
  } else {
    // A failed wait is treated as a time-out: the caller gets a fresh idle event rather
    // than whatever its record held before.
    Idle(event, modifiers);
  }
  if (TSoundManager* sound = TSoundManager::GetCurrent()) {
    sound->HandleNotifications();
  }
}

uint32_t TEventQueue::IdleWait() const
{
  // Without a window manager nothing says when idle work is due: the loop is asked again
  // within a millisecond, as whatever drives it may poll.
  TWindowManager* manager = TWindowManager::GetInstance();
  if (!manager) {
    return 1;
  }
  // A task due again at once after an idle event ran it polls (a script waiting for a
  // message without a time-out is resumed at every run of its task): it runs at most
  // every kPollIntervalMs, rather than as fast as the loop can turn. The other list's
  // next task keeps its own time (the game's tick is not put off by the script's poll).
  uint32_t idleTasks = mIdleTasks.MillisecondsUntilDue();
  uint32_t layerTasks = manager->MillisecondsUntilTasksDue();
  if (mLastWasIdle) {
    if (idleTasks == 0) {
      idleTasks = kPollIntervalMs;
    }
    if (layerTasks == 0) {
      layerTasks = kPollIntervalMs;
    }
  }
  uint32_t wait = std::min({kMaxIdleWaitMs, idleTasks, layerTasks, manager->MillisecondsUntilIdleWork()});
  if (wait == 0 && mLastWasIdle) {
    wait = 1;
  }
  return wait;
}

void TEventQueue::Idle(TEvent* event, uint32_t modifiers)
{
  if (!mForeground) {
    mSleepTime = std::min(mSleepTime + kBackgroundSleepStep, kBackgroundSleepMax);
    mHost->Sleep(unsigned(mSleepTime));
  } else {
    mSleepTime = 0;
  }
  // A full-screen window is brought back to the front once after it comes back to
  // the foreground, not at every idle event.
  const bool wantFront = mForeground && mHost->IsFullscreen();
  if (wantFront && !mRaised) {
    mHost->RaiseWindow();
  }
  mRaised = wantFront;
  mIdleTasks.DoAll(TTask::eEventLoop);
  *event = TEvent(TEvent::kIdle, 0, 0, 0, modifiers);
}

void TEventQueue::SetForeground(bool foreground)
{
  mForeground = foreground;
  if (!foreground) {
    mRaised = false;
  }
  if (TSoundManager* sound = TSoundManager::GetCurrent()) {
    sound->AppActivate(foreground);
  }
}

void TEventQueue::QueueNativeEvent(const TNativeEvent& native)
{
  const uint32_t modifiers = native.hasModifiers ? native.modifiers : mHost->GetModifiers();
  TEvent pending(TEvent::kIdle, 0, 0, 0, modifiers);

  switch (native.kind) {
  case TNativeEvent::kKeyDown:
    TranslateKeyDown(native, pending);
    return;
  case TNativeEvent::kKeyUp:
    if (native.key == kNativeKeyIgnored) {
      break;
    }
    {
      int x, y;
      mHost->GetMouse(&x, &y);
      bool hasChar;
      int code = IsPrintable(native.key) ? UpperAscii(native.key) : SpecialKeyCode(native.key, &hasChar);
      if (code >= 0) {
        pending = TEvent(TEvent::kKeyUp, code, x, y, modifiers);
      }
    }
    break;
  case TNativeEvent::kTextInput:
    TranslateText(native, modifiers);
    return;
  case TNativeEvent::kMouseDown:
  case TNativeEvent::kMouseUp:
  case TNativeEvent::kMouseMove:
  case TNativeEvent::kMouseWheel:
    TranslateMouse(native, pending);
    return;
  case TNativeEvent::kPointerEnter:
    mHost->PointerEntered();
    break;
  case TNativeEvent::kPointerLeave:
    mHost->PointerLeft();
    pending = TEvent(TEvent::kMouseLeave, 0, native.x, native.y, modifiers);
    break;
  case TNativeEvent::kFocusGained:
  case TNativeEvent::kRestored:
    // The mode comes back before the sound does, as it went after it.
    if (native.kind == TNativeEvent::kRestored && mAppHidden && mHost->IsFullscreen()) {
      mHost->SwapDisplayMode();
      mAppHidden = false;
    }
    SetForeground(true);
    pending = TEvent(TEvent::kActivate, 1, 0, 0, modifiers);
    break;
  case TNativeEvent::kFocusLost:
  case TNativeEvent::kMinimized:
    SetForeground(false);
    // A full-screen game that loses the keyboard gets out of the way.
    if (native.kind == TNativeEvent::kFocusLost && mHost->IsFullscreen()) {
      mHost->Minimize();
    }
    // One swap per hide: a second minimise before the restore must not swap back.
    if (native.kind == TNativeEvent::kMinimized && !mAppHidden && mHost->IsFullscreen()) {
      mHost->SwapDisplayMode();
      mAppHidden = true;
    }
    pending = TEvent(TEvent::kActivate, 0, 0, 0, modifiers);
    break;
  case TNativeEvent::kCloseRequest:
    mCloseRequested = true;
    break;
  case TNativeEvent::kOther:
    break;
  }
  mEventQueue.push_back(pending);
}

void TEventQueue::TranslateKeyDown(const TNativeEvent& native, TEvent pending)
{
  const uint32_t modifiers = pending.modifiers;
  int x, y;
  mHost->GetMouse(&x, &y);
  const bool textMode = gbQVUnicode || gbTarvishUnicode;
  const int charKind = gbQVUnicode ? TEvent::kUTF8Char : TEvent::kChar;

  if (native.key == kNativeKeyIgnored || native.key == kNativeKeyNone) {
    mEventQueue.push_back(pending);
    return;
  }
  if ((native.key == kNativeKeyReturn || native.key == kNativeKeyKeypadEnter) && (modifiers & TEvent::kOption)) {
    if (!gbFlashPlaying) {
      mHost->SetFullscreen(!mHost->IsFullscreen());
      pending = TEvent(TEvent::kFullscreenToggled, 0, 0, 0, modifiers);
    }
    mEventQueue.push_back(pending);
    return;
  }
  if (native.key == kNativeKeyF1 && (modifiers & TEvent::kOption)) {
    mHost->ToggleHUD();
    mEventQueue.push_back(pending);
    return;
  }

  if (IsPrintable(native.key)) {
    const bool chord = (modifiers & (TEvent::kControl | TEvent::kOption)) != 0;
    if (!chord && textMode) {
      // The text that follows makes the key-down.
      mEventQueue.push_back(pending);
      return;
    }
    if (modifiers & TEvent::kControl) {
      // No text comes with Control; its control character stands in, as a terminal
      // would send it, so a hot key's swallowed character is this one.
      if (native.key >= 'a' && native.key <= 'z') {
        mEventQueue.push_back(TEvent(charKind, int(native.key & 0x1F), x, y, modifiers));
      }
    }
    // Without a chord the text event brings the character.
    mEventQueue.push_back(TEvent(TEvent::kKeyDown, UpperAscii(native.key), x, y, modifiers));
    return;
  }

  bool hasChar;
  const int code = SpecialKeyCode(native.key, &hasChar);
  if (code < 0) {
    mEventQueue.push_back(pending);
    return;
  }
  if (hasChar) {
    mEventQueue.push_back(TEvent(charKind, code, x, y, modifiers));
  }
  mEventQueue.push_back(TEvent(TEvent::kKeyDown, code, x, y, modifiers));
}

void TEventQueue::TranslateText(const TNativeEvent& native, uint32_t modifiers)
{
  const std::vector<uint32_t> points = DecodeUTF8(native.text);
  const bool textMode = gbQVUnicode || gbTarvishUnicode;
  // With a chord the key-down came from the key itself; Control brings its own character.
  const bool chord = (modifiers & (TEvent::kControl | TEvent::kOption)) != 0;
  const size_t before = mEventQueue.size();
  if (!(modifiers & TEvent::kControl)) {
    // Appended last first, so that the first character comes out first.
    for (auto it = points.rbegin(); it != points.rend(); ++it) {
      const uint32_t cp = *it;
      if (gbQVUnicode) {
        mEventQueue.push_back(TEvent(TEvent::kUTF8Char, int(cp), 0, 0, modifiers));
        if (cp <= 0x7F && !chord) {
          mEventQueue.push_back(TEvent(TEvent::kKeyDown, UpperAscii(cp), 0, 0, modifiers));
        }
      } else {
        const int latin1 = cp <= 0xFF ? int(cp) : '?';
        mEventQueue.push_back(TEvent(TEvent::kChar, latin1, 0, 0, modifiers));
        if (textMode && !chord) {
          mEventQueue.push_back(TEvent(TEvent::kKeyDown, UpperAscii(uint32_t(latin1)), 0, 0, modifiers));
        }
      }
    }
  }
  if (mEventQueue.size() == before) {
    mEventQueue.push_back(TEvent(TEvent::kIdle, 0, 0, 0, modifiers));
  }
}

void TEventQueue::TranslateMouse(const TNativeEvent& native, TEvent pending)
{
  const uint32_t modifiers = pending.modifiers;
  const int x = native.x;
  const int y = native.y;
  int button = native.button;
  if (modifiers & TEvent::kControl) {
    button = 2;
  } else if (modifiers & TEvent::kOption) {
    button = 3;
  }

  switch (native.kind) {
  case TNativeEvent::kMouseDown:
    if (button == 1) {
      pending = TEvent(TEvent::kMouseDown, 0, x, y, modifiers);
    } else if (button == 2) {
      pending = TEvent(TEvent::kExtendedMouse, TEvent::kSecondaryDown, x, y, modifiers);
    } else if (button == 3) {
      pending = TEvent(TEvent::kExtendedMouse, TEvent::kTertiaryDown, x, y, modifiers);
    }
    break;
  case TNativeEvent::kMouseUp:
    mEventQueue.push_back(TEvent(TEvent::kMouseMove, 0, x, y, modifiers));
    if (button == 1) {
      pending = TEvent(TEvent::kMouseUp, 0, x, y, modifiers);
    } else if (button == 2) {
      pending = TEvent(TEvent::kExtendedMouse, TEvent::kSecondaryUp, x, y, modifiers);
    } else if (button == 3) {
      pending = TEvent(TEvent::kExtendedMouse, TEvent::kTertiaryUp, x, y, modifiers);
    }
    break;
  case TNativeEvent::kMouseMove:
    pending = TEvent(TEvent::kMouseMove, 0, x, y, modifiers);
    if (TWindowManager* manager = TWindowManager::GetInstance()) {
      manager->InvalidateScreen();
    }
    break;
  case TNativeEvent::kMouseWheel:
    if (native.wheelX == 0 && native.wheelY == 0) {
      break;
    }
    // One event per moved axis; the vertical one comes out first.
    if (native.wheelX != 0) {
      mEventQueue.push_back(TEvent(TEvent::kExtendedMouse,
                                   native.wheelX >= 0 ? TEvent::kWheelHorizontalPlus : TEvent::kWheelHorizontalMinus, x,
                                   y, modifiers));
    }
    if (native.wheelY == 0) {
      return;
    }
    pending = TEvent(TEvent::kExtendedMouse,
                     native.wheelY >= 0 ? TEvent::kWheelVerticalPlus : TEvent::kWheelVerticalMinus, x, y, modifiers);
    break;
  default:
    break;
  }
  mEventQueue.push_back(pending);
}

// event: the platform's event queue; turns native input (from a host such as SDL, or a
// scripted fake) into TEvents once each, and runs idle tasks and the background sleep.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/window/event.h"
#include "core/foundation/task.h"

// Set while a cinematic is showing: Option+Return does not switch full screen then.
extern bool gbFlashPlaying;
// Text-input modes, chosen at start-up: "utf8mode" sends characters as code points
// (kind 14); "TarvishUnicode" sends Latin-1 characters (kind 13) with their key-downs.
extern bool gbQVUnicode;
extern bool gbTarvishUnicode;

// Keys that have no text of their own; printable keys are given by their character.
enum ENativeKey : uint32_t
{
  kNativeKeyNone = 0x110000, // beyond every code point
  kNativeKeyReturn,
  kNativeKeyKeypadEnter,
  kNativeKeyEscape,
  kNativeKeyBackspace,
  kNativeKeyTab,
  kNativeKeyDelete,
  kNativeKeyLeft,
  kNativeKeyRight,
  kNativeKeyUp,
  kNativeKeyDown,
  kNativeKeyHome,
  kNativeKeyEnd,
  kNativeKeyPageUp,
  kNativeKeyPageDown,
  kNativeKeyF1,
  kNativeKeyF2,
  kNativeKeyF3,
  kNativeKeyF4,
  kNativeKeyOtherFunction, // F5 and above
  kNativeKeyIgnored        // modifier keys, locks and the like: no event
};

// One native event, already stripped of the native library's types.
struct TNativeEvent
{
  enum EKind
  {
    kOther,   // translated to idle
    kKeyDown, // key (and repeats)
    kKeyUp,
    kTextInput, // text, UTF-8
    kMouseDown, // button 1 primary, 2 secondary, 3 tertiary
    kMouseUp,
    kMouseMove,
    kMouseWheel, // wheelX, wheelY: positive right and away from the user
    kPointerEnter,
    kPointerLeave,
    kFocusGained,
    kFocusLost,
    kMinimized,
    kRestored,
    kCloseRequest // the window's close box or the session asking the program to end
  };

  EKind kind = kOther;
  // Printable keys: the unshifted character (lower case); others: an ENativeKey.
  uint32_t key = kNativeKeyNone;
  std::string text;
  int button = 0;
  int x = 0;
  int y = 0;
  int wheelX = 0;
  int wheelY = 0;
  // Key events carry the modifiers held when the key went down or up: by the time the
  // event is read the keyboard may have moved on (a quick Alt+Return lets Alt go first).
  // Other events take the keyboard's state as they are read.
  bool hasModifiers = false;
  uint32_t modifiers = 0; // TEvent modifier bits
};

// The native side: where events, modifier state and the pointer come from, and the
// few window actions that keys and activation trigger.
class IEventHost
{
public:
  enum EWait
  {
    kGotEvent,
    kTimedOut,
    kFailed
  };

  virtual ~IEventHost() {}
  // Waits up to timeoutMs for one native event.
  virtual EWait WaitEvent(TNativeEvent* event, int timeoutMs) = 0;
  // TEvent modifier bits of the left-hand keys held now.
  virtual uint32_t GetModifiers() = 0;
  // Pointer position in window pixels.
  virtual void GetMouse(int* x, int* y) = 0;
  virtual void Sleep(unsigned ms) = 0;

  virtual bool IsFullscreen() { return false; }
  virtual void SetFullscreen(bool fullscreen) {}
  virtual void ToggleHUD() {}
  virtual void RaiseWindow() {}
  virtual void Minimize() {}
  // Leaves the full-screen display mode while the application is hidden, and enters it
  // again when it is shown. SDL already does this for a minimised full-screen window, so
  // by default there is nothing more to do.
  virtual void SwapDisplayMode() {}
  virtual void PointerEntered() {}
  virtual void PointerLeft() {}
};

// The event part of the platform's data: the queue, the quit and close flags, the
// foreground state and the idle task list.
class TEventQueue
{
public:
  // Takes ownership of the host; null gives a host that never has events.
  explicit TEventQueue(IEventHost* host = nullptr);
  ~TEventQueue();

  // Replaces (and deletes) the host.
  void SetHost(IEventHost* host);
  IEventHost* GetHost() const { return mHost; }

  // Always fills the record: quit (once), close, the newest queued event, a
  // translated native event or an idle event.
  void GetEvent(TEvent* event);

  // Translates one native event and queues what it gives (always at least one event).
  void QueueNativeEvent(const TNativeEvent& native);
  void QueueEvent(const TEvent& event) { mEventQueue.push_back(event); }
  size_t GetQueueLength() const { return mEventQueue.size(); }

  void RequestQuit() { mQuitRequested = true; }
  bool IsQuitRequested() const { return mQuitRequested; }
  void RequestClose() { mCloseRequested = true; }
  // The session asks the program to end: a close request the scripts may answer (to save,
  // say goodbye), and a quit that follows kTerminateGraceMs later whatever they do.
  void RequestTerminate();
  static const uint32_t kTerminateGraceMs = 3000;
  // True once the grace after a request to end has run out and the quit is not yet out:
  // scripts still running then must stop. Looks at the signals first, so it may be asked
  // while the loop is held up.
  bool MustStopScripts();
  bool IsTerminating() const { return mTerminating; }
  bool IsForeground() const { return mForeground; }
  TTaskList* GetTaskList() { return &mIdleTasks; }
  // The longest wait: signals, sound notifications and the terminate grace period are
  // looked at between waits.
  static constexpr uint32_t kMaxIdleWaitMs = 20;
  // The shortest wait before tasks that keep being due are run again.
  static constexpr uint32_t kPollIntervalMs = 10;
  // The pause before the last idle event, in ms.
  int GetSleepTime() const { return mSleepTime; }

private:
  TEventQueue(const TEventQueue&) = delete;
  TEventQueue& operator=(const TEventQueue&) = delete;

  void TranslateKeyDown(const TNativeEvent& native, TEvent pending);
  void TranslateText(const TNativeEvent& native, uint32_t modifiers);
  void TranslateMouse(const TNativeEvent& native, TEvent pending);
  void SetForeground(bool foreground);
  void Idle(TEvent* event, uint32_t modifiers);
  // How long GetEvent waits for a native event before it returns an idle event: until
  // the next idle work is due (window manager, idle tasks), at most kMaxIdleWaitMs.
  uint32_t IdleWait() const;
  // Turns SIGTERM and Control+C into requests, and quits once a terminate is overdue.
  void PollQuitSignals();

  IEventHost* mHost;
  // Taken from the back: producers append in reverse delivery order.
  std::vector<TEvent> mEventQueue;
  bool mQuitRequested = false;
  bool mQuitSent = false;
  bool mCloseRequested = false;
  bool mTerminating = false;
  uint32_t mTerminateTime = 0;
  bool mForeground = true;
  int mSleepTime = 0;
  bool mRaised = false;
  // Hidden while in full screen: the display mode was swapped and must be swapped back.
  bool mAppHidden = false;
  bool mLastWasIdle = false;
  TTaskList mIdleTasks;
};

// Decodes UTF-8 into code points; malformed or truncated sequences, overlong forms and
// surrogates each give U+FFFD.
std::vector<uint32_t> DecodeUTF8(const std::string& text);

// windowmanager: the window system's singleton; keeps the modal layers, focus, mouse
// listeners, the message queue and the windows waiting for deletion, and draws frames.
#pragma once

#include <cstdint>
#include <cstddef>
#include <deque>
#include <list>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/window/event.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "core/window/window.h"

class IWindowScript;
class TDialog;
class TLuaFunction;
class TMessage;
class TModalWindow;
class TScreen;
class TTexture;
class TWindowRenderer;

// Offered every untargeted message before the windows; true consumes it.
class TMessageHook
{
public:
  virtual ~TMessageHook() {}
  virtual bool OnMessage(TMessage* message) = 0;
};

// Asked by TWindow::OnMouseHover.
class THoverHook
{
public:
  virtual ~THoverHook() {}
  virtual bool OnHover(TWindow* window, const TPoint& point) = 0;
};

// Holds frames back while something that moves in steps has not stepped since the last
// frame: the game, while it ticks, wants no more frames than ticks.
class IFrameGate
{
public:
  virtual ~IFrameGate() {}
  // Whether a frame may be drawn now.
  virtual bool FrameAllowed() = 0;
  // A frame was drawn.
  virtual void FrameDrawn() = 0;
};

class TWindowManager
{
public:
  // Frame intervals in ms.
  static const uint32_t kForegroundFrameInterval = 12;
  static const uint32_t kBackgroundFrameInterval = 200;

  // The newest manager made becomes the instance until it is destroyed.
  TWindowManager();
  virtual ~TWindowManager();
  static TWindowManager* GetInstance() { return sInstance; }

  // The renderer the windows draw through (not owned); null uses the default one.
  void SetRenderer(TWindowRenderer* renderer) { mRenderer = renderer; }
  TWindowRenderer* GetRenderer() const;

  // The script (not owned: it lives among the idle tasks).
  void AttachWindowScript(IWindowScript* script);
  IWindowScript* GetScript() const { return mScript; }
  void AddWindowType(const str& name, intptr_t classId);
  void EnableStringTable(bool enable);
  void DoLuaString(TWindow* window, const str& code);
  // The user asked to close the application; the script hears of it.
  void OnCloseRequested();

  void InvalidateScreen() { mScreenInvalid = true; }
  bool IsScreenInvalid() const { return mScreenInvalid; }
  // Frames drawn and presented so far (benches compare them with the game's ticks).
  uint64_t GetFramesDrawn() const { return mFramesDrawn; }
  // The gate (not owned; null for none) that frames wait at besides their interval.
  void SetFrameGate(IFrameGate* gate) { mFrameGate = gate; }
  IFrameGate* GetFrameGate() const { return mFrameGate; }
  void SetTopModalOnly(bool topOnly) { mTopModalOnly = topOnly; }
  void SetMoviePlaying(bool playing) { mMoviePlaying = playing; }
  void SetHighlightHover(bool highlight) { mHighlightHover = highlight; }

  // Layers.
  TModalWindow* GetTopModalWindow() const { return mModalStack.empty() ? nullptr : mModalStack.front(); }
  const std::list<TModalWindow*>& GetModalStack() const { return mModalStack; }
  TScreen* GetScreen() const { return mScreen; }
  void PushModal(TModalWindow* window);
  // Pops the top layer, never the bottom (the screen); false when nothing was popped.
  bool _PopModal();
  // Pops the layer named name (or whose "%8x" id is name) and everything above it.
  void PopModal(const str& name);
  void SetScreen(TScreen* screen);
  TDialog* DisplayDialog(const str& script, const str& body, const str& title, const str& name);

  // Focus.
  TWindow* GetFocus() const { return mFocus; }
  // Moves the focus: a window that cannot accept it is refused (false), a layer hands it
  // on to the window it keeps for it; the old focus window gets OnKillFocus with the new
  // one, then the new one OnSetFocus with the old one.
  bool SetFocus(TWindow* window);
  // True when the focus window lies in that layer (or is the layer).
  bool IsFocusInLayer(const TWindow* layer) const;
  TWindow* GetHoverWindow() const { return mHoverWindow; }
  // Where the last mouse event put the pointer (screen coordinates); false while the pointer
  // is out of the application's window or no mouse event came yet.
  bool GetPointer(TPoint* point) const
  {
    *point = mPointer;
    return mPointerKnown;
  }

  // Mouse listeners: served every mouse event before (and instead of) the window under
  // the pointer.
  void AddMouseListener(TWindow* window);
  void RemoveMouseListener(TWindow* window);
  bool IsMouseListener(TWindow* window) const;

  // Overlay windows (not owned): drawn above every layer.
  void AddOverlayWindow(TWindow* window) { mOverlayWindows.push_back(window); }
  void RemoveOverlayWindow(TWindow* window) { mOverlayWindows.remove(window); }
  // Hooks are owned by the manager.
  void AddMessageHook(TMessageHook* hook) { mMessageHooks.push_back(hook); }
  void SetHoverHook(THoverHook* hook) { mHoverHook = hook; }
  THoverHook* GetHoverHook() const { return mHoverHook; }

  // Routes one platform event.
  void HandleEvent(TEvent* event);
  // Milliseconds before an idle event has work here (messages to dispatch, windows to
  // destroy, the next frame of an invalid screen), and before the top layer's tasks are
  // due: the event loop waits that long for events. TTask::kNotDue when nothing is due.
  uint32_t MillisecondsUntilIdleWork() const;
  uint32_t MillisecondsUntilTasksDue() const;

  // Messages.
  void PostWindowMessage(TMessage* message);
  void DispatchMessages();
  void DispatchWindowMessage(TMessage* message);
  void OnScriptMessage(TMessage* message, TLuaFunction* function);
  size_t GetMessageCount() const { return mMessageQueue.size(); }

  // Deferred destruction: the window must already be detached from its parent.
  void SafeDestroyWindow(TWindow* window);
  void ClearDestroyedWindows();
  bool IsScheduledForDestruction(const TWindow* window) const;
  void OnDestroyWindow(TWindow* window);

  // Drawing.
  void DrawStack();
  void DrawLayer(TWindow::EDrawMode mode);
  // While a capture texture is held, every frame first draws the capture windows below
  // the top layer into it and then shows it under the top layer; event kind 17 lets it go.
  void SetCaptureTexture(boost::shared_ptr<TTexture> texture) { mCaptureTexture = texture; }
  boost::shared_ptr<TTexture> GetCaptureTexture() const { return mCaptureTexture; }
  // True while the layers are being drawn into the capture texture.
  bool IsCapturing() const { return mCapturing; }

private:
  TWindowManager(const TWindowManager&) = delete;
  TWindowManager& operator=(const TWindowManager&) = delete;

  void RouteMouse(TEvent* event, TModalWindow* top);
  bool ListenerWalk(TEvent* event, bool leave);
  // A window that came or went under a pointer at rest (a dialog opened or closed, a menu
  // built) is told of the pointer as if it had moved there, so a button under it is lit.
  void RefreshHover(TModalWindow* top, uint32_t modifiers);
  bool IsDescendantOrSelf(TWindow* window, TWindow* ancestor) const;

  static TWindowManager* sInstance;

  boost::shared_ptr<TTexture> mCaptureTexture;
  bool mCapturing = false;
  TScreen* mScreen = nullptr;
  bool mModalPopped = false;
  uint32_t mLastDrawTime = 0;
  bool mDrawnOnce = false;
  uint64_t mFramesDrawn = 0;
  IFrameGate* mFrameGate = nullptr;
  std::list<TModalWindow*> mModalStack;
  std::vector<TWindow*> mDestroyList;
  std::list<TWindow*> mOverlayWindows;
  bool mMoviePlaying = false;
  bool mTopModalOnly = false;
  bool mScreenInvalid = true;
  bool mHighlightHover = false;
  bool mListenersChanged = false;
  TWindow* mHoverWindow = nullptr;
  // Where the last mouse event put the pointer, while it is over the application's window.
  bool mPointerKnown = false;
  TPoint mPointer;
  std::list<TWindow*> mMouseListeners;
  TWindow* mFocus = nullptr;
  IWindowScript* mScript = nullptr;
  std::deque<TMessage*> mMessageQueue;
  std::vector<TMessageHook*> mMessageHooks;
  THoverHook* mHoverHook = nullptr;
  TWindowRenderer* mRenderer = nullptr;
  bool mShuttingDown = false;
};

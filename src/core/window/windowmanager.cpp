// windowmanager: the window system's singleton; keeps the modal layers, focus, mouse
// listeners, the message queue and the windows waiting for deletion, and draws frames.
#include "core/window/windowmanager.h"

#include <algorithm>

#include "core/foundation/config.h"
#include "core/foundation/services.h"
#include "core/foundation/timesource.h"
#include "core/graphics/qvminivecdraw.h"
#include "core/window/dialog.h"
#include "core/script/message.h"
#include "core/window/modalwindow.h"
#include "core/window/screen.h"
#include "core/window/windowrenderer.h"
#include "core/window/windowscript.h"
#include "core/foundation/debug.h"

TWindowManager* TWindowManager::sInstance = nullptr;

void IWindowScript::OnMessage(TMessage* message, TLuaFunction* function)
{
  delete message;
}

namespace {

// Glyphs drawn into a texture change what the screen shows.
void InvalidateAfterGlyphs(void* manager)
{
  static_cast<TWindowManager*>(manager)->InvalidateScreen();
}

} // namespace

TWindowManager::TWindowManager()
{
  sInstance = this;
  TQvMiniVecDraw::SetDrawnHook(&InvalidateAfterGlyphs, this);
}

TWindowManager::~TWindowManager()
{
  mShuttingDown = true;
  for (TMessageHook* hook : mMessageHooks) {
    delete hook;
  }
  mMessageHooks.clear();
  mMouseListeners.clear();
  for (TMessage* message : mMessageQueue) {
    delete message;
  }
  mMessageQueue.clear();
  // The screen is the bottom layer and the root of the tree: pop everything above it,
  // then take it down too.
  while (_PopModal()) {
  }
  if (!mModalStack.empty()) {
    TModalWindow* bottom = mModalStack.front();
    mModalStack.clear();
    bottom->DestroyTasks();
    SafeDestroyWindow(bottom);
  }
  mScreen = nullptr;
  ClearDestroyedWindows();
  // Layers post their close messages as they go; nobody will read them now.
  for (TMessage* message : mMessageQueue) {
    delete message;
  }
  mMessageQueue.clear();
  mCaptureTexture.reset();
  if (mScript) {
    mScript->OnDetached(this);
    mScript = nullptr;
  }
  if (TQvMiniVecDraw::GetDrawnHookContext() == this)
    TQvMiniVecDraw::SetDrawnHook(nullptr, nullptr);
  if (sInstance == this) {
    sInstance = nullptr;
  }
}

TWindowRenderer* TWindowManager::GetRenderer() const
{
  return mRenderer ? mRenderer : GetDefaultWindowRenderer();
}

void TWindowManager::AttachWindowScript(IWindowScript* script)
{
  if (mScript && mScript != script)
    mScript->OnDetached(this);
  mScript = script;
  if (!script) {
    return;
  }
  if (TModalWindow* top = GetTopModalWindow()) {
    script->PushWindow(top);
  }
  script->OnAttached(this);
}

void TWindowManager::AddWindowType(const str& name, intptr_t classId)
{
  if (mScript) {
    mScript->AddWindowType(name, classId);
  }
}

void TWindowManager::EnableStringTable(bool enable)
{
  if (mScript) {
    mScript->EnableStringTable(enable);
  }
}

void TWindowManager::DoLuaString(TWindow* window, const str& code)
{
  if (!mScript) {
    return;
  }
  mScript->PushWindow(window);
  mScript->DoLuaString(code);
  mScript->PopWindow();
}

void TWindowManager::OnCloseRequested()
{
  if (mScript) {
    mScript->CloseRequested();
  }
}

void TWindowManager::PushModal(TModalWindow* window)
{
  if (!window) {
    return;
  }
  mHoverWindow = nullptr;
  if (!mMouseListeners.empty()) {
    const std::list<TWindow*> former(mMouseListeners);
    mMouseListeners.clear();
    mListenersChanged = true;
    for (TWindow* listener : former) {
      listener->OnMouseLeave();
    }
  }
  TModalWindow* oldTop = GetTopModalWindow();
  mModalStack.push_front(window);
  if (oldTop) {
    oldTop->AdoptChild(window, false);
    oldTop->GetClock()->Pause();
  }
  SetFocus(window);
  if (mScript) {
    mScript->NewModalWindow(window);
  }
  window->OnNewParent();
  if (window->GetWindowWidth() == 0 && window->GetParent()) {
    window->SetWindowSize(unsigned(window->GetParent()->GetWindowWidth()),
                          unsigned(window->GetParent()->GetWindowHeight()));
  }
  InvalidateScreen();
}

void TWindowManager::SetScreen(TScreen* screen)
{
  mScreen = screen;
  PushModal(screen);
  if (TWindowRenderer* renderer = GetRenderer()) {
    TRect viewport;
    renderer->GetViewport(&viewport);
    screen->SetWindowSize(unsigned(std::max(viewport.right - viewport.left, 0)),
                          unsigned(std::max(viewport.bottom - viewport.top, 0)));
  }
  screen->OnNewParent();
}

bool TWindowManager::_PopModal()
{
  // The bottom layer is the root of every window; popping it would orphan it from a
  // parent it does not have and leave the screen pointer dangling.
  if (mModalStack.size() < 2) {
    return false;
  }
  TModalWindow* window = mModalStack.front();
  if (TWindow* parent = window->GetParent()) {
    parent->OrphanChild(window);
  }
  SafeDestroyWindow(window);
  mModalStack.pop_front();
  window->DestroyTasks();
  TModalWindow* top = GetTopModalWindow();
  if (mScript) {
    mScript->NewModalWindow(top);
  }
  SetFocus(top);
  TModalPoppedSpider spider;
  window->ForEachChild(&spider);
  InvalidateScreen();
  mModalPopped = true;
  return true;
}

void TWindowManager::PopModal(const str& name)
{
  mHoverWindow = nullptr;
  TWindow* match = nullptr;
  for (TWindow* w = GetTopModalWindow(); w; w = w->GetParent()) {
    if (w->GetName() == name || w->GetIdString() == name) {
      match = w;
      break;
    }
  }
  // Never the bottom layer: a match there pops nothing.
  if (match && !mModalStack.empty() && match != mModalStack.back()) {
    while (mModalStack.size() >= 2) {
      TModalWindow* popped = mModalStack.front();
      _PopModal();
      if (popped == match) {
        break;
      }
    }
  }
  if (TModalWindow* top = GetTopModalWindow()) {
    top->GetClock()->Start();
  }
}

TDialog* TWindowManager::DisplayDialog(const str& script, const str& body, const str& title, const str& name)
{
  TDialog* dialog = new TDialog(script, body, title);
  dialog->SetName(name);
  PushModal(dialog);
  return dialog;
}

bool TWindowManager::SetFocus(TWindow* window)
{
  if (window && !window->CanAcceptFocus()) {
    return false;
  }
  if (TModalWindow* layer = TWindow::GetCast<TModalWindow>(window)) {
    TWindow* target = layer->GetFocusTarget();
    if (target && target->CanAcceptFocus()) {
      window = target;
    }
  }
  TWindow* previous = mFocus;
  if (window == previous) {
    return true;
  }
  if (previous) {
    previous->OnKillFocus(window);
  }
  mFocus = window;
  if (window) {
    // The layer gives it back when it gets the focus again (a dialog above it closed).
    if (!(window->GetFlags() & TWindow::kModal)) {
      if (TModalWindow* layer = window->FindParentModal()) {
        layer->SetLastFocus(window);
      }
    }
    window->OnSetFocus(previous);
  }
  return true;
}

bool TWindowManager::IsFocusInLayer(const TWindow* layer) const
{
  for (const TWindow* w = mFocus; w; w = w->GetParent()) {
    if (w->GetFlags() & TWindow::kModal) {
      return w == layer;
    }
  }
  return false;
}

void TWindowManager::AddMouseListener(TWindow* window)
{
  if (!window || IsMouseListener(window)) {
    return;
  }
  mMouseListeners.push_front(window);
}

void TWindowManager::RemoveMouseListener(TWindow* window)
{
  mMouseListeners.remove(window);
  mListenersChanged = true;
}

bool TWindowManager::IsMouseListener(TWindow* window) const
{
  return std::find(mMouseListeners.begin(), mMouseListeners.end(), window) != mMouseListeners.end();
}

void TWindowManager::HandleEvent(TEvent* event)
{
  if (event->type == TEvent::kIgnore) {
    return;
  }
  if (event->type == TEvent::kReleaseCapture) {
    mCaptureTexture.reset();
  }
  if (event->type == TEvent::kClose && mScript) {
    mScript->Resume();
  }
  ClearDestroyedWindows();
  TModalWindow* top = GetTopModalWindow();
  if (!top) {
    return;
  }
  TEvent copy = *event;
  switch (event->type) {
  case TEvent::kIdle:
    RefreshHover(top, event->modifiers);
    // The move may have opened or closed a layer.
    top = GetTopModalWindow();
    if (!top) {
      return;
    }
    top->DoModalProcess(TTask::eEventLoop);
    DispatchMessages();
    DrawStack();
    DispatchMessages();
    break;
  case TEvent::kRedraw:
    InvalidateScreen();
    DispatchMessages();
    DrawStack();
    DispatchMessages();
    break;
  case TEvent::kKeyDown:
  case TEvent::kKeyUp:
  case TEvent::kChar:
  case TEvent::kUTF8Char:
    (mFocus ? mFocus : top)->HandleEvent(&copy, false);
    DispatchMessages();
    break;
  case TEvent::kMouseDown:
  case TEvent::kExtendedMouse:
  case TEvent::kMouseUp:
  case TEvent::kMouseMove:
  case TEvent::kMouseHover:
    RouteMouse(&copy, top);
    break;
  case TEvent::kMouseLeave:
    mPointerKnown = false;
    if (!mMouseListeners.empty()) {
      ListenerWalk(&copy, true);
    }
    DispatchMessages();
    break;
  case TEvent::kActivate:
    break;
  default:
    DispatchMessages();
    // Messages may have popped the layer.
    if (TModalWindow* current = GetTopModalWindow()) {
      current->HandleEvent(event, false);
    }
    break;
  }
}

bool TWindowManager::ListenerWalk(TEvent* event, bool leave)
{
  mListenersChanged = false;
  TModalWindow* top = GetTopModalWindow();
  const TPoint screenPoint(event->x, event->y);
  // Walk a copy: listeners add and remove listeners while they are served, and one
  // that left the list (or was destroyed) is skipped.
  const std::vector<TWindow*> listeners(mMouseListeners.begin(), mMouseListeners.end());
  for (TWindow* listener : listeners) {
    if (!IsMouseListener(listener)) {
      continue;
    }
    if (leave) {
      listener->OnMouseLeave();
    } else {
      TRect rect;
      listener->GetWindowRect(&rect);
      const bool inside = screenPoint.x >= rect.left && screenPoint.x < rect.right && screenPoint.y >= rect.top &&
                          screenPoint.y < rect.bottom;
      bool receives = true;
      if (!inside) {
        listener->OnMouseLeave();
        receives = IsMouseListener(listener);
      }
      if (receives) {
        TEvent local = *event;
        TPoint point = screenPoint;
        listener->ScreenToClient(&point);
        local.x = point.x;
        local.y = point.y;
        listener->HandleEvent(&local, false);
      }
    }
    if (GetTopModalWindow() != top) {
      return true;
    }
  }
  mListenersChanged = false;
  return true;
}

void TWindowManager::RefreshHover(TModalWindow* top, uint32_t modifiers)
{
  // A lit button holds the mouse as a listener and knows where the pointer is; windows that
  // take the mouse before the layers are left to themselves.
  if (!mPointerKnown || !mMouseListeners.empty() ||
      (!mOverlayWindows.empty() && TConfig::IsEnabled(TConfig::kOverlayWindowMouseEvents))) {
    return;
  }
  TPoint point = mPointer;
  top->ScreenToClient(&point);
  TWindow* hit = top->ChildWindowFromPoint(point, -1);
  if ((hit ? hit : top) == mHoverWindow) {
    return;
  }
  TEvent move(TEvent::kMouseMove, 0, mPointer.x, mPointer.y, modifiers);
  RouteMouse(&move, top);
}

void TWindowManager::RouteMouse(TEvent* event, TModalWindow* top)
{
  mPointerKnown = true;
  mPointer = TPoint(event->x, event->y);
  if (!mMouseListeners.empty()) {
    ListenerWalk(event, false);
    DispatchMessages();
    // A move that every listener has left goes on to the window under the pointer: a jump
    // from one button straight onto the next enters the next at once.
    if (event->type != TEvent::kMouseMove || !mMouseListeners.empty() || GetTopModalWindow() != top) {
      return;
    }
  }
  const bool overlayMouse = TConfig::IsEnabled(TConfig::kOverlayWindowMouseEvents);
  const TPoint screenPoint(event->x, event->y);
  if (overlayMouse) {
    const std::list<TWindow*> overlays(mOverlayWindows);
    for (TWindow* overlay : overlays) {
      TPoint p = screenPoint;
      overlay->ScreenToClient(&p);
      TWindow* hit = overlay->ChildWindowFromPoint(p, -1);
      if (!hit) {
        continue;
      }
      TPoint local = screenPoint;
      hit->ScreenToClient(&local);
      TEvent copy = *event;
      copy.x = local.x;
      copy.y = local.y;
      if (hit->HandleEvent(&copy, false)) {
        mHoverWindow = hit;
        DispatchMessages();
        return;
      }
    }
  }
  TPoint p = screenPoint;
  top->ScreenToClient(&p);
  TWindow* hit = top->ChildWindowFromPoint(p, -1);
  if (!hit) {
    hit = top;
  }
  mHoverWindow = hit;
  if (mHighlightHover) {
    InvalidateScreen();
  }
  TPoint local = screenPoint;
  hit->ScreenToClient(&local);
  TEvent copy = *event;
  copy.x = local.x;
  copy.y = local.y;
  const bool consumed = hit->HandleEvent(&copy, false);
  if (!consumed && overlayMouse && event->type == TEvent::kMouseUp) {
    PostWindowMessage(new TMessage(TMessage::kPressAnyKey, "mouse:up"));
  }
  DispatchMessages();
}

void TWindowManager::PostWindowMessage(TMessage* message)
{
  if (message) {
    mMessageQueue.push_back(message);
  }
}

void TWindowManager::DispatchMessages()
{
  while (!mMessageQueue.empty()) {
    TMessage* message = mMessageQueue.front();
    mMessageQueue.pop_front();
    DispatchWindowMessage(message);
  }
}

void TWindowManager::DispatchWindowMessage(TMessage* message)
{
  TMessage* inner = message->Unwrap();
  if (message->GetType() == TMessage::kQuitNow) {
    delete message;
    if (IAppHost* host = TServices::Get().host) {
      host->Exit(0);
    }
    return;
  }
  if (TWindow* target = message->GetTarget()) {
    target->SendWindowMessage(message);
    return;
  }
  for (TMessageHook* hook : mMessageHooks) {
    if (hook->OnMessage(inner)) {
      delete message;
      return;
    }
  }
  if (TWindow* receiver = mFocus ? mFocus : GetTopModalWindow()) {
    receiver->SendWindowMessage(message);
  } else {
    delete message;
  }
}

void TWindowManager::OnScriptMessage(TMessage* message, TLuaFunction* function)
{
  if (mScript) {
    mScript->OnMessage(message, function);
  } else {
    delete message;
  }
}

bool TWindowManager::IsDescendantOrSelf(TWindow* window, TWindow* ancestor) const
{
  for (TWindow* w = window; w; w = w->GetParent()) {
    if (w == ancestor) {
      return true;
    }
  }
  return false;
}

void TWindowManager::SafeDestroyWindow(TWindow* window)
{
  if (!window) {
    return;
  }
  mHoverWindow = nullptr;
  // Scheduling twice would delete twice.
  if (!IsScheduledForDestruction(window)) {
    mDestroyList.push_back(window);
  }
  for (TMessage* message : mMessageQueue) {
    if (message->GetTarget() && IsDescendantOrSelf(message->GetTarget(), window)) {
      message->SetTarget(nullptr);
    }
  }
  mMouseListeners.remove(window);
}

bool TWindowManager::IsScheduledForDestruction(const TWindow* window) const
{
  return std::find(mDestroyList.begin(), mDestroyList.end(), window) != mDestroyList.end();
}

void TWindowManager::ClearDestroyedWindows()
{
  if (mDestroyList.empty()) {
    return;
  }
  mHoverWindow = nullptr;
  // A destructor may schedule more windows; take the list first.
  while (!mDestroyList.empty()) {
    std::vector<TWindow*> doomed;
    doomed.swap(mDestroyList);
    for (TWindow* window : doomed) {
      delete window;
    }
  }
  InvalidateScreen();
}

void TWindowManager::OnDestroyWindow(TWindow* window)
{
  mHoverWindow = nullptr;
  if (mFocus == window) {
    mFocus = nullptr;
  }
  RemoveMouseListener(window);
  // Layers leave the stack before they are deleted; one deleted directly must not stay
  // (and is no longer a layer to ask about its default focus).
  mModalStack.remove_if([window](TModalWindow* layer) { return static_cast<TWindow*>(layer) == window; });
  if (mScreen == window) {
    mScreen = nullptr;
  }
  for (TModalWindow* layer : mModalStack) {
    layer->ForgetWindow(window);
  }
  mOverlayWindows.remove(window);
  // A window deleted while it still had a parent leaves targets behind: drop them.
  for (TMessage* message : mMessageQueue) {
    if (message->GetTarget() == window) {
      message->SetTarget(nullptr);
    }
  }
}

uint32_t TWindowManager::MillisecondsUntilIdleWork() const
{
  if (!mMessageQueue.empty() || !mDestroyList.empty()) {
    return 0;
  }
  TModalWindow* top = GetTopModalWindow();
  if (!top) {
    return TTask::kNotDue;
  }
  uint32_t wait = TTask::kNotDue;
  // The same conditions under which DrawStack draws.
  IAppHost* host = TServices::Get().host;
  // A closed gate opens with a task (a game's tick), which the tasks' own wait covers.
  if (mScreenInvalid && !mMoviePlaying && !mModalStack.empty() && mModalStack.front() &&
      (!mFrameGate || mFrameGate->FrameAllowed())) {
    if (!mDrawnOnce) {
      return 0;
    }
    const bool foreground = host ? host->IsForeground() : true;
    const uint32_t interval = foreground ? kForegroundFrameInterval : kBackgroundFrameInterval;
    const int32_t left = int32_t(interval) - int32_t(TTimeSource::Timer() - mLastDrawTime);
    wait = std::min(wait, left > 0 ? uint32_t(left) : 0u);
  }
  return wait;
}

uint32_t TWindowManager::MillisecondsUntilTasksDue() const
{
  TModalWindow* top = GetTopModalWindow();
  return top ? top->GetTaskList()->MillisecondsUntilDue() : TTask::kNotDue;
}

void TWindowManager::DrawStack()
{
  mModalPopped = false;
  if (mMoviePlaying || !mScreenInvalid) {
    return;
  }
  IAppHost* host = TServices::Get().host;
  const bool foreground = host ? host->IsForeground() : true;
  const uint32_t interval = foreground ? kForegroundFrameInterval : kBackgroundFrameInterval;
  const uint32_t now = TTimeSource::Timer();
  // A signed difference keeps working when the timer wraps.
  if (mDrawnOnce && int32_t(now - mLastDrawTime) < int32_t(interval)) {
    return;
  }
  if (mModalStack.empty() || !mModalStack.front()) {
    return;
  }
  if (mFrameGate && !mFrameGate->FrameAllowed()) {
    return;
  }
  mLastDrawTime = now;
  mDrawnOnce = true;
  TWindowClearFlags clearCaptured(~unsigned(TWindow::kCaptured), true);
  clearCaptured.Process(mModalStack.back());

  if (host) {
    host->GetTaskList()->DoAll(TTask::eDrawPass);
  }
  if (TModalWindow* top = GetTopModalWindow()) {
    top->DoModalProcess(TTask::eDrawPass);
  }
  TWindowRenderer* renderer = GetRenderer();
  if (!renderer) {
    return;
  }
  if (mCaptureTexture) {
    // Held here too: a window drawn in the pass may replace the manager's texture.
    const boost::shared_ptr<TTexture> capture = mCaptureTexture;
    if (renderer->BeginRenderTarget(capture, 0)) {
      mCapturing = true;
      DrawLayer(TWindow::kDrawCapture);
      mCapturing = false;
      renderer->EndRenderTarget();
    }
    if (!renderer->BeginDraw(false)) {
      return;
    }
    mScreenInvalid = false;
    // The screen shows the capture; the windows in it are skipped over it.
    if (mScreen) {
      mScreen->DoDraw(TWindow::kDrawNormal);
    }
    DrawLayer(TWindow::kDrawOverCapture);
  } else {
    if (!renderer->BeginDraw(false)) {
      return;
    }
    mScreenInvalid = false;
    DrawLayer(TWindow::kDrawNormal);
  }
  const std::list<TWindow*> overlays(mOverlayWindows);
  for (TWindow* overlay : overlays) {
    overlay->DoDraw(TWindow::kDrawNormal);
  }
  if (mHighlightHover && mHoverWindow && mScreen) {
    TRect screen;
    mScreen->GetWindowRect(&screen);
    renderer->PushClippingRectangle(TURect(unsigned(std::max(screen.left, 0)), unsigned(std::max(screen.top, 0)),
                                           unsigned(std::max(screen.right, 0)), unsigned(std::max(screen.bottom, 0))));
    renderer->PushViewport(screen);
    TRect r;
    mHoverWindow->GetWindowRect(&r);
    const TColor yellow(1, 1, 0, 1);
    auto fill = [&](int l, int t, int rr, int b) {
      renderer->FillRect(TURect(unsigned(std::max(l, 0)), unsigned(std::max(t, 0)), unsigned(std::max(rr, 0)),
                                unsigned(std::max(b, 0))),
                         yellow);
    };
    fill(r.left, r.top, r.right, r.top + 2);
    fill(r.right - 2, r.top, r.right, r.bottom);
    fill(r.left, r.bottom - 2, r.right, r.bottom);
    fill(r.left, r.top, r.left + 2, r.bottom);
    renderer->PopViewport();
    renderer->PopClippingRectangle();
  }
  renderer->EndDraw(true);
  ++mFramesDrawn;
  if (mFrameGate) {
    mFrameGate->FrameDrawn();
  }
}

void TWindowManager::DrawLayer(TWindow::EDrawMode mode)
{
  if (mModalPopped || mModalStack.empty()) {
    return;
  }
  if (mode == TWindow::kDrawOverCapture || mTopModalOnly) {
    mModalStack.front()->DoDraw(mode);
    return;
  }
  // From the top down, the highest full-screen opaque layer hides everything below.
  auto start = std::prev(mModalStack.end());
  for (auto it = mModalStack.begin(); it != mModalStack.end(); ++it) {
    TModalWindow* layer = *it;
    if ((layer->GetFlags() & TWindow::kOpaque) && mScreen && layer->GetWindowWidth() == mScreen->GetWindowWidth() &&
        layer->GetWindowHeight() == mScreen->GetWindowHeight()) {
      start = it;
      break;
    }
  }
  // The stack's front is the top: walk from start towards the front.
  const std::vector<TModalWindow*> layers(mModalStack.begin(), std::next(start));
  for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
    if (mode == TWindow::kDrawCapture && *it == layers.front()) {
      continue;
    }
    (*it)->DoDraw(mode);
    if (mModalPopped) {
      break;
    }
  }
}

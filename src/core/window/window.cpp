// window: the base of every on-screen element; a node of the window tree with geometry,
// flags, drawing, input bubbling, message bubbling, animation and class identity.
#include "core/window/window.h"

#include <algorithm>
#include <map>

#include "core/foundation/config.h"
#include "core/script/message.h"
#include "core/window/modalwindow.h"
#include "core/window/screen.h"
#include "core/window/windowmanager.h"
#include "core/window/windowrenderer.h"
#include "core/window/windowscript.h"
#include "core/window/windowstyle.h"
#include "core/foundation/debug.h"

bool gIgnoreNextChar = false;
int TWindow::sWindowId = 0;

namespace {

// Ids of the classes that can be made by name. Ids are never called as functions:
// CreateFromId only runs a creator found here.
std::map<intptr_t, TWindow::TCreator>& CreatorTable()
{
  static std::map<intptr_t, TWindow::TCreator> table;
  return table;
}

TWindowRenderer* Renderer()
{
  TWindowManager* manager = TWindowManager::GetInstance();
  return manager ? manager->GetRenderer() : GetDefaultWindowRenderer();
}

void Invalidate()
{
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->InvalidateScreen();
  }
}

bool IsMouseKind(int type)
{
  return (type >= TEvent::kMouseDown && type <= TEvent::kMouseMove) || type == TEvent::kMouseHover;
}

class ChildrenDelete : public TWindowSpider
{
public:
  ChildrenDelete(TWindow* parent, TWindowManager* manager) : mParent(parent), mManager(manager) {}
  bool Process(TWindow* window) override
  {
    // A layer above a dialog is a child of the layer below it while it is stacked; the
    // stack pops it, so it must not be scheduled from here as well.
    if ((window->GetFlags() & TWindow::kModal) && mManager) {
      for (TModalWindow* layer : mManager->GetModalStack()) {
        if (layer == window) {
          return true;
        }
      }
    }
    mParent->OrphanChild(window);
    if (mManager) {
      mManager->SafeDestroyWindow(window);
    } else {
      delete window;
    }
    return true;
  }

private:
  TWindow* mParent;
  TWindowManager* mManager;
};

class GetLargest : public TWindowSpider
{
public:
  GetLargest(int width, int height) : mWidth(width), mHeight(height) {}
  bool Process(TWindow* window) override
  {
    mWidth = std::max(mWidth, window->GetRect().right);
    mHeight = std::max(mHeight, window->GetRect().bottom);
    return true;
  }
  int mWidth, mHeight;
};

} // namespace

bool TWindowClearFlags::Process(TWindow* window)
{
  window->SetFlags(window->GetFlags() & mMask);
  if (mRecursive) {
    window->ForEachChild(this);
  }
  return true;
}

bool TModalPoppedSpider::Process(TWindow* window)
{
  TModalPoppedSpider children;
  window->ForEachChild(&children);
  window->OnParentModalPopped();
  return true;
}

TWindow* TWindowDynamicCreate()
{
  return new TWindow;
}

TWindow::TWindow() : mFlags(kVisible), mParent(nullptr), mName(""), mId(sWindowId++), mAnim(nullptr) {}

TWindow::~TWindow()
{
  if (mAnim) {
    mAnim->Detach();
    mAnim = nullptr;
  }
  Invalidate();
  // Deleting a window that its parent still lists is a caller's error; leaving the
  // parent a dangling child would turn it into a crash later.
  if (mParent) {
    WriteDbg("ERROR: window '%s' deleted while its parent still lists it", mName.c_str());
    mParent->OrphanChild(this);
  }
  while (!mChildren.empty()) {
    TWindow* child = mChildren.front();
    mChildren.pop_front();
    child->mParent = nullptr;
    delete child;
  }
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->OnDestroyWindow(this);
  }
}

intptr_t TWindow::RegisterCreatable(TCreator creator)
{
  const intptr_t id = reinterpret_cast<intptr_t>(creator);
  CreatorTable()[id] = creator;
  return id;
}

intptr_t TWindow::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TWindowDynamicCreate);
  return id;
}

TWindow* TWindow::CreateFromId(intptr_t id)
{
  const std::map<intptr_t, TCreator>& table = CreatorTable();
  auto found = table.find(id);
  return found == table.end() ? nullptr : found->second();
}

TWindow* TWindow::ControlRoot(TWindow* from)
{
  if (!from) {
    TWindowManager* manager = TWindowManager::GetInstance();
    return manager ? manager->GetTopModalWindow() : nullptr;
  }
  if (from->GetCast<TModalWindow>()) {
    return from;
  }
  return from->FindParentModal();
}

void TWindow::Init(TWindowStyle& style)
{
  mName = style.GetString("name", "");
  SizeAndPositionFromStyle(style);
}

void TWindow::PostChildrenInit(TWindowStyle& style)
{
  if (style.GetBool("fit", false)) {
    FitToChildren();
  }
  SizeAndPositionFromStyle(style);
}

bool TWindow::AdoptChild(TWindow* child, bool init)
{
  if (!child || child == this) {
    return false;
  }
  bool present = false;
  for (TWindow* existing : mChildren) {
    if (existing == child) {
      present = true;
      break;
    }
  }
  if (!present) {
    if (child->mParent && child->mParent != this) {
      child->mParent->OrphanChild(child);
    }
    mChildren.push_front(child);
    child->mParent = this;
    Invalidate();
  }
  if (init && !child->OnNewParent()) {
    mChildren.remove(child);
    child->mParent = nullptr;
    // Redoes the opaque bookkeeping for the window's new place (none).
    child->SetWindowSize(unsigned(child->GetWindowWidth()), unsigned(child->GetWindowHeight()));
    return false;
  }
  return true;
}

void TWindow::OrphanChild(TWindow* child)
{
  bool found = false;
  for (auto it = mChildren.begin(); it != mChildren.end(); ++it) {
    if (*it == child) {
      mChildren.erase(it);
      found = true;
      break;
    }
  }
  if (!found) {
    return;
  }
  Invalidate();
  if (TModalWindow* modal = child->FindParentModal()) {
    modal->SetOpaqueChild(child, false);
  }
  child->mParent = nullptr;
}

void TWindow::ForEachChild(TWindowSpider* spider, bool reverse)
{
  if (!reverse) {
    for (auto it = mChildren.begin(); it != mChildren.end();) {
      TWindow* child = *it++;
      if (!spider->Process(child)) {
        break;
      }
    }
  } else {
    for (auto it = mChildren.rbegin(); it != mChildren.rend();) {
      TWindow* child = *it++;
      if (!spider->Process(child)) {
        break;
      }
    }
  }
}

void TWindow::DestroyAllChildren()
{
  ChildrenDelete spider(this, TWindowManager::GetInstance());
  ForEachChild(&spider);
}

TWindow* TWindow::GetChildWindow(const str& name, int depth)
{
  if (mName == name) {
    return this;
  }
  if (depth == 0) {
    return nullptr;
  }
  for (TWindow* child : mChildren) {
    if (TWindow* found = child->GetChildWindow(name, depth - 1)) {
      return found;
    }
  }
  return nullptr;
}

TModalWindow* TWindow::FindParentModal() const
{
  for (TWindow* window = mParent; window; window = window->mParent) {
    if (window->mFlags & kModal) {
      return window->GetCast<TModalWindow>();
    }
  }
  return nullptr;
}

void TWindow::GetWindowRect(TRect* rect) const
{
  if (!mParent) {
    *rect = mRect;
    return;
  }
  TRect parent;
  mParent->GetWindowRect(&parent);
  rect->left = parent.left + mRect.left;
  rect->top = parent.top + mRect.top;
  rect->right = rect->left + GetWindowWidth();
  rect->bottom = rect->top + GetWindowHeight();
}

void TWindow::GetClientRect(TRect* rect) const
{
  *rect = TRect(0, 0, GetWindowWidth(), GetWindowHeight());
}

void TWindow::ScreenToClient(TPoint* point) const
{
  TRect screen;
  GetWindowRect(&screen);
  point->x -= screen.left;
  point->y -= screen.top;
}

void TWindow::ClientToParent(TPoint* point) const
{
  point->x += mRect.left;
  point->y += mRect.top;
}

void TWindow::SetWindowPos(int x, int y)
{
  const int width = GetWindowWidth();
  const int height = GetWindowHeight();
  mRect = TRect(x, y, x + width, y + height);
  Invalidate();
}

void TWindow::SetWindowSize(unsigned width, unsigned height)
{
  mRect.right = mRect.left + int(width);
  mRect.bottom = mRect.top + int(height);
  Invalidate();
  TModalWindow* modal = FindParentModal();
  if (!modal) {
    return;
  }
  TWindowManager* manager = TWindowManager::GetInstance();
  TScreen* screen = manager ? manager->GetScreen() : nullptr;
  const bool covers = screen && (mFlags & kOpaque) && GetWindowWidth() == screen->GetWindowWidth() &&
                      GetWindowHeight() == screen->GetWindowHeight();
  modal->SetOpaqueChild(this, covers);
}

void TWindow::SetFlags(unsigned flags)
{
  const unsigned old = mFlags;
  mFlags = (flags & 0xFF00u) | (mFlags & 0x00FFu);
  if ((old ^ mFlags) & kVisible) {
    Invalidate();
  }
  if (TModalWindow* modal = FindParentModal()) {
    UpdateOpaque(modal->GetWindowWidth(), modal->GetWindowHeight());
  }
}

void TWindow::UpdateOpaque(int width, int height)
{
  TModalWindow* modal = FindParentModal();
  const bool covers = (mFlags & kOpaque) && GetWindowWidth() == width && GetWindowHeight() == height;
  modal->SetOpaqueChild(this, covers);
}

void TWindow::FitToChildren()
{
  GetLargest largest(GetWindowWidth(), GetWindowHeight());
  ForEachChild(&largest);
  SetWindowSize(unsigned(largest.mWidth), unsigned(largest.mHeight));
}

str TWindow::GetIdString() const
{
  return str::getFormatted("%8x", unsigned(mId));
}

bool TWindow::OnMouseHover(const TPoint& point)
{
  TWindowManager* manager = TWindowManager::GetInstance();
  THoverHook* hook = manager ? manager->GetHoverHook() : nullptr;
  return hook ? hook->OnHover(this, point) : false;
}

namespace {

// Visible itself and through every ancestor up to its modal layer (or the root).
bool IsHitTestable(const TWindow* window)
{
  for (const TWindow* w = window; w; w = w->GetParent()) {
    if (!(w->GetFlags() & TWindow::kVisible)) {
      return false;
    }
    if (w->GetFlags() & TWindow::kModal) {
      return true;
    }
  }
  return true;
}

bool Contains(const TRect& rect, const TPoint& point)
{
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

} // namespace

TWindow* TWindow::NextChildWindowFromPoint(const TPoint& point, TWindowList::const_iterator from) const
{
  for (auto it = from; it != mChildren.end(); ++it) {
    TWindow* child = *it;
    if (IsHitTestable(child) && Contains(child->mRect, point)) {
      return child;
    }
  }
  return const_cast<TWindow*>(this);
}

TWindow* TWindow::ChildWindowFromPoint(const TPoint& point, int depth)
{
  TWindow* window = this;
  TPoint p = point;
  for (;;) {
    if (depth == 0) {
      return nullptr;
    }
    TWindow* child = window->NextChildWindowFromPoint(p, window->mChildren.begin());
    if (child == window) {
      return window;
    }
    p.x -= child->mRect.left;
    p.y -= child->mRect.top;
    window = child;
    if (depth > 0) {
      --depth;
    }
  }
}

bool TWindow::DoDraw(EDrawMode mode)
{
  if (!(mFlags & kVisible)) {
    return false;
  }
  if (mode == kDrawCapture) {
    // The root starts the capture: with no parent to have been captured first,
    // nothing below it could ever be.
    if (!(mFlags & kCaptureDraw) || (mParent && !(mParent->mFlags & kCaptured))) {
      return false;
    }
    mFlags |= kCaptured;
  } else if (mode == kDrawOverCapture && (mFlags & kCaptured)) {
    return false;
  }
  TWindowRenderer* renderer = Renderer();
  if (!renderer) {
    return false;
  }
  TRect screen;
  GetWindowRect(&screen);
  const TURect current = renderer->GetClippingRectangle();
  const TRect clip =
      TRect::Intersect(TRect(int(current.left), int(current.top), int(current.right), int(current.bottom)), screen);
  if (clip.right <= clip.left || clip.bottom <= clip.top) {
    return true;
  }
  renderer->PushViewport(screen);
  renderer->PushClippingRectangle(TURect(unsigned(std::max(clip.left, 0)), unsigned(std::max(clip.top, 0)),
                                         unsigned(std::max(clip.right, 0)), unsigned(std::max(clip.bottom, 0))));
  Draw();
  // Back to front; a child may not change the list under us, but a copy costs little.
  TWindowList children(mChildren);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (!((*it)->mFlags & kModal)) {
      (*it)->DoDraw(mode);
    }
  }
  PostDraw();
  renderer->PopClippingRectangle();
  renderer->PopViewport();
  return true;
}

bool TWindow::HandleEvent(const TEvent* event, bool focusTaken)
{
  const TPoint point(event->x, event->y);
  bool consumed = false;
  switch (event->type) {
  case TEvent::kMouseDown:
    consumed = OnMouseDown(point);
    break;
  case TEvent::kExtendedMouse:
    consumed = OnExtendedMouseEvent(point, event->code);
    break;
  case TEvent::kMouseUp:
    consumed = OnMouseUp(point);
    break;
  case TEvent::kMouseMove:
    consumed = OnMouseMove(point);
    break;
  case TEvent::kMouseHover:
    consumed = OnMouseHover(point);
    break;
  case TEvent::kKeyDown:
    consumed = OnKeyDown(char(event->code), event->modifiers);
    break;
  case TEvent::kKeyUp:
    consumed = OnKeyUp(char(event->code));
    break;
  case TEvent::kChar:
  case TEvent::kUTF8Char:
    if (gIgnoreNextChar) {
      gIgnoreNextChar = false;
      consumed = true;
    } else if (event->type == TEvent::kChar) {
      consumed = OnChar(char(event->code));
    } else {
      const str text = str::from_utf32(unsigned(event->code));
      consumed = OnUTF8Char(text);
      if (!consumed && text.length() == 1) {
        consumed = OnChar(char(event->code));
      }
    }
    break;
  default:
    break;
  }

  if (event->type == TEvent::kMouseDown && !focusTaken) {
    for (TWindow* w = this; w; w = w->mParent) {
      if (w->TakesFocusFromInput()) {
        // A click on something of the layer that takes no focus (a button) leaves it
        // where it is inside that layer.
        TWindowManager* manager = TWindowManager::GetInstance();
        if (manager && !((w->mFlags & kModal) && manager->IsFocusInLayer(w))) {
          manager->SetFocus(w);
        }
        focusTaken = true;
        break;
      }
    }
  }
  if (consumed) {
    return true;
  }

  if (mFlags & kModal) {
    if (TConfig::Get(TConfig::kOverlayWindowMouseEvents, "").to_int() == 0) {
      TWindowManager* manager = TWindowManager::GetInstance();
      if (manager && event->type == TEvent::kMouseUp) {
        manager->PostWindowMessage(new TMessage(TMessage::kPressAnyKey, "mouse:up"));
      } else if (manager && event->type == TEvent::kKeyDown) {
        manager->PostWindowMessage(new TMessage(TMessage::kPressAnyKey, str("raw:") + char(event->code)));
      }
    }
    return false;
  }

  if (!mParent) {
    return false;
  }
  TEvent copy = *event;
  const bool mouse = IsMouseKind(event->type);
  if (mouse) {
    copy.x += mRect.left;
    copy.y += mRect.top;
    // Lower siblings under the pointer come before the parent. Key events carry no
    // position in this window's frame, so they go straight to the parent.
    auto self = mParent->mChildren.begin();
    while (self != mParent->mChildren.end() && *self != this) {
      ++self;
    }
    if (self != mParent->mChildren.end()) {
      ++self;
      const TPoint parentPoint(copy.x, copy.y);
      TWindow* sibling = mParent->NextChildWindowFromPoint(parentPoint, self);
      if (sibling != mParent) {
        TPoint inSibling(parentPoint.x - sibling->mRect.left, parentPoint.y - sibling->mRect.top);
        TWindow* target = sibling->ChildWindowFromPoint(inSibling, -1);
        if (!target) {
          target = sibling;
        }
        TPoint local = parentPoint;
        // From the parent's coordinates to the target's.
        for (TWindow* w = target; w && w != mParent; w = w->mParent) {
          local.x -= w->mRect.left;
          local.y -= w->mRect.top;
        }
        copy.x = local.x;
        copy.y = local.y;
        return target->HandleEvent(&copy, focusTaken);
      }
    }
  }
  return mParent->HandleEvent(&copy, focusTaken);
}

void TWindow::SendWindowMessage(TMessage* message)
{
  TWindow* window = this;
  for (;;) {
    if (window->OnMessage(message)) {
      delete message;
      return;
    }
    if (window->mFlags & kModal) {
      break;
    }
    if (!window->mParent) {
      delete message;
      return;
    }
    window = window->mParent;
  }
  if (TModalWindow* modal = window->GetCast<TModalWindow>()) {
    if (TWindow* focus = modal->GetDefaultFocus()) {
      if (focus->OnMessage(message->Unwrap())) {
        delete message;
        return;
      }
    }
  }
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->OnScriptMessage(message, nullptr);
  } else {
    delete message;
  }
}

TWindowAnim* TWindow::GetWindowAnim()
{
  if (mAnim) {
    return mAnim;
  }
  TModalWindow* modal = GetCast<TModalWindow>();
  if (!modal) {
    modal = FindParentModal();
  }
  if (!modal) {
    WriteDbg("ERROR: window '%s' has no modal layer for its animation", mName.c_str());
    return nullptr;
  }
  mAnim = new TWindowAnim(this, modal->GetClock());
  modal->AdoptTask(mAnim);
  return mAnim;
}

void TWindow::StartWindowAnimation(int ms, bool repeat, bool fromNow, bool catchUp)
{
  if (TWindowAnim* anim = GetWindowAnim()) {
    anim->SetDelay(unsigned(ms), repeat, fromNow, catchUp);
  }
}

void TWindow::StopWindowAnimation()
{
  if (mAnim) {
    mAnim->Detach();
    mAnim = nullptr;
  }
}

TWindowAnim::TWindowAnim(TWindow* window, TClock* clock) : TAnimTask(clock), mWindow(window) {}

TWindowAnim::~TWindowAnim()
{
  if (mWindow) {
    mWindow->mAnim = nullptr;
  }
}

void TWindowAnim::Detach()
{
  if (mWindow) {
    mWindow->mAnim = nullptr;
    mWindow = nullptr;
  }
}

bool TWindowAnim::Animate()
{
  return mWindow ? mWindow->OnTaskAnimate() : false;
}

void TWindow::FixSize(int* pos, int* size, int (TWindow::*extent)() const, bool alignCentre, bool alignFar,
                      bool alignGiven) const
{
  if (*pos < 40000 || *pos > 106666) {
    if (alignCentre || alignFar) {
      *pos -= alignCentre ? *size / 2 : *size;
      if (*size == 0) {
        return;
      }
    }
  }
  if (!mParent) {
    return;
  }
  const int e = (mParent->*extent)();
  auto spread = [&]() {
    // The window keeps equal margins from the parent's edges.
    if (*pos < 0) {
      *size = e + *size - 160000 + 2 * *pos;
      *pos = 0;
    } else {
      *size = e + *size - 2 * *pos - 160000;
      *pos = 2 * *pos;
    }
  };
  auto absolute = [&](int s) {
    if (*pos > 106666) {
      *pos = e + *pos - 160000;
    } else if (*pos > 40000) {
      *pos = *pos - 80000 + e / 2 - s / 2;
    } else if (!alignGiven && *pos < 0) {
      *pos = e + *pos;
    }
  };
  if (*size >= 0 && *size <= 80000) {
    absolute(*size);
    return;
  }
  if (*size < 0) {
    *size = -*size;
    if (*size <= 80000) {
      absolute(*size);
      *pos -= *size;
      return;
    }
    if (*pos <= 40000) {
      if (!alignGiven && *pos < 0) {
        *pos = e + *pos;
      }
      *size = *pos;
      *pos = 160000 - *pos;
      return;
    }
  } else if (*pos <= 40000) {
    if (!alignGiven && *pos < 0) {
      *pos = e + *pos;
    }
    *size = e + *size - *pos - 160000;
    return;
  }
  if (*pos <= 106666) {
    *pos -= 80000;
  } else {
    *pos = e + *pos - 160000;
  }
  spread();
}

void TWindow::SizeAndPositionFromStyle(TWindowStyle& style)
{
  int x = int(style.GetNumber("x", 0));
  int y = int(style.GetNumber("y", 0));
  int w = int(style.GetNumber("w", GetWindowWidth()));
  int h = int(style.GetNumber("h", GetWindowHeight()));
  if (mParent) {
    const bool xNeedsParent = w < 0 || x < 0 || w > 80000 || x > 40000;
    const bool yNeedsParent = h < 0 || y < 0 || h > 80000 || y > 40000;
    if ((xNeedsParent && mParent->GetWindowWidth() == 0) || (yNeedsParent && mParent->GetWindowHeight() == 0)) {
      return;
    }
  }
  if (((x > 40000 || x < 0) && w == 0) || ((y > 40000 || y < 0) && h == 0)) {
    return;
  }
  const int align = style.GetInt("align", -1);
  const bool given = align != -1;
  FixSize(&x, &w, &TWindow::GetWindowWidth, given && (align & 1), given && (align & 2), given);
  FixSize(&y, &h, &TWindow::GetWindowHeight, given && (align & 4), given && (align & 8), given);

  const int newX = mRect.left == 0 ? x : mRect.left;
  const int newY = mRect.top == 0 ? y : mRect.top;
  SetWindowPos(newX, newY);
  const int newW = GetWindowWidth() == 0 ? w : GetWindowWidth();
  const int newH = GetWindowHeight() == 0 ? h : GetWindowHeight();
  SetWindowSize(unsigned(std::max(newW, 0)), unsigned(std::max(newH, 0)));
}

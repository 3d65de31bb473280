// window: the base of every on-screen element; a node of the window tree with geometry,
// flags, drawing, input bubbling, message bubbling, animation and class identity.
#pragma once

#include <cstdint>
#include <list>

#include "core/window/event.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "core/foundation/task.h"

class TMessage;
class TModalWindow;
class TWindow;
class TWindowAnim;
class TWindowStyle;

// Set by a hot key: the character event of the same key stroke is swallowed.
extern bool gIgnoreNextChar;

// Visits a window's direct children; false stops the walk at that level.
class TWindowSpider
{
public:
  virtual ~TWindowSpider() {}
  virtual bool Process(TWindow* window) = 0;
};

// ANDs each window's flags with a mask, optionally through the whole subtree.
class TWindowClearFlags : public TWindowSpider
{
public:
  TWindowClearFlags(unsigned mask, bool recursive) : mMask(mask), mRecursive(recursive) {}
  bool Process(TWindow* window) override;

private:
  unsigned mMask;
  bool mRecursive;
};

// Tells every descendant (children before parents) that its modal layer was popped.
class TModalPoppedSpider : public TWindowSpider
{
public:
  bool Process(TWindow* window) override;
};

class TWindow
{
public:
  enum EFlags
  {
    kModal = 0x0001,
    kFocusable = 0x0002,
    kCaptureDraw = 0x0004,
    kBeginGroup = 0x0008,
    kVisible = 0x0100,
    kCaptured = 0x0400,
    kOpaque = 0x0800
  };

  enum EDrawMode
  {
    kDrawNormal = 0,
    kDrawCapture = 1,
    kDrawOverCapture = 2
  };

  typedef TWindow* (*TCreator)();
  typedef std::list<TWindow*> TWindowList;

  TWindow();
  virtual ~TWindow();

  // Class identity. Creatable classes answer with an id registered for their creation
  // function (see RegisterCreatable); others with an id no creator answers to.
  static intptr_t ClassId();
  virtual const char* GetTypeName() const { return "TWindow"; }
  virtual bool IsKindOf(intptr_t id) const { return id == ClassId(); }
  // A new window of the class the id names; null for classes that cannot be made by
  // name and for ids that name no class.
  static TWindow* CreateFromId(intptr_t id);
  // Enters a creation function in the table CreateFromId reads and returns its id.
  static intptr_t RegisterCreatable(TCreator creator);

  template <class T>
  T* GetCast()
  {
    return IsKindOf(T::ClassId()) ? static_cast<T*>(this) : nullptr;
  }
  template <class T>
  static T* GetCast(TWindow* window)
  {
    return window ? window->GetCast<T>() : nullptr;
  }
  // Searches the modal layer holding from (the top layer when from is null).
  template <class T>
  static T* GetControl(const str& name, TWindow* from = nullptr)
  {
    TWindow* root = ControlRoot(from);
    return root ? GetCast<T>(root->GetChildWindow(name, -1)) : nullptr;
  }

  virtual bool OnNewParent() { return true; }
  virtual void Init(TWindowStyle& style);
  virtual void PostChildrenInit(TWindowStyle& style);
  virtual void Draw() {}
  virtual void PostDraw() {}
  virtual bool AdoptChild(TWindow* child, bool init = true);
  virtual void OrphanChild(TWindow* child);
  virtual void OnParentModalPopped() {}
  virtual void SetScroll(float, float) {}
  virtual bool OnMessage(TMessage* message) { return false; }
  virtual bool OnTaskAnimate() { return false; }
  virtual bool OnMouseDown(const TPoint& point) { return false; }
  virtual bool OnExtendedMouseEvent(const TPoint& point, int code) { return false; }
  virtual bool OnMouseUp(const TPoint& point) { return false; }
  virtual bool OnMouseMove(const TPoint& point) { return false; }
  virtual bool OnMouseLeave() { return false; }
  // Whether the window takes the keyboard focus now; a window may refuse it for a while
  // (a disabled entry). Clicks and Tab offer it only to windows with kFocusable.
  virtual bool CanAcceptFocus() { return true; }
  bool TakesFocusFromInput() { return (mFlags & kFocusable) && CanAcceptFocus(); }
  virtual bool OnChar(char c) { return false; }
  virtual bool OnUTF8Char(str c) { return false; }
  virtual bool OnKeyDown(char key, unsigned modifiers) { return false; }
  virtual bool OnKeyUp(char key) { return false; }
  virtual bool OnMouseHover(const TPoint& point);
  virtual void OnSetFocus(TWindow* previous) {}
  virtual void OnKillFocus(TWindow* next) {}
  virtual bool Init() { return false; }

  // Tree.
  TWindow* GetParent() const { return mParent; }
  const TWindowList& GetChildren() const { return mChildren; }
  void ForEachChild(TWindowSpider* spider, bool reverse = false);
  // Detaches every child and schedules it for deletion.
  void DestroyAllChildren();
  TWindow* GetChildWindow(const str& name, int depth);
  TModalWindow* FindParentModal() const;

  // Geometry.
  const TRect& GetRect() const { return mRect; }
  int GetWindowWidth() const { return mRect.right - mRect.left; }
  int GetWindowHeight() const { return mRect.bottom - mRect.top; }
  void GetWindowRect(TRect* rect) const;
  void GetClientRect(TRect* rect) const;
  void ScreenToClient(TPoint* point) const;
  void ClientToParent(TPoint* point) const;
  void SetWindowPos(int x, int y);
  void SetWindowSize(unsigned width, unsigned height);
  void FitToChildren();

  // Flags: the class bits (0-7) stay, the user bits (8-15) are replaced.
  unsigned GetFlags() const { return mFlags; }
  void SetFlags(unsigned flags);
  bool IsVisible() const { return (mFlags & kVisible) != 0; }

  const str& GetName() const { return mName; }
  void SetName(const str& name) { mName = name; }
  int GetId() const { return mId; }
  // The id as eight space-padded hexadecimal digits.
  str GetIdString() const;

  // Hit testing; points in this window's client coordinates.
  TWindow* NextChildWindowFromPoint(const TPoint& point, TWindowList::const_iterator from) const;
  TWindow* ChildWindowFromPoint(const TPoint& point, int depth);

  // Drawing and input.
  bool DoDraw(EDrawMode mode);
  bool HandleEvent(const TEvent* event, bool focusTaken);
  // Owns the message: climbs to the modal layer, then its default focus, then the script.
  void SendWindowMessage(TMessage* message);

  // Animation on the clock of the window's modal layer.
  TWindowAnim* GetWindowAnim();
  void StartWindowAnimation(int ms, bool repeat, bool fromNow, bool catchUp);
  void StopWindowAnimation();

  // Layout from a style's "x", "y", "w", "h" and "align".
  void SizeAndPositionFromStyle(TWindowStyle& style);
  void FixSize(int* pos, int* size, int (TWindow::*extent)() const, bool alignCentre, bool alignFar,
               bool alignGiven) const;

protected:
  unsigned mFlags;

private:
  friend class TWindowAnim;
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  static TWindow* ControlRoot(TWindow* from);
  void UpdateOpaque(int width, int height);

  TWindow* mParent;
  TWindowList mChildren;
  TRect mRect;
  str mName;
  int mId;
  TWindowAnim* mAnim;

  static int sWindowId;
};

// A window's animation task, run by its modal layer's task list on the layer's clock.
class TWindowAnim : public TAnimTask
{
public:
  TWindowAnim(TWindow* window, TClock* clock);
  ~TWindowAnim() override;
  bool Animate() override;
  TWindow* GetWindow() const { return mWindow; }
  void Detach();

private:
  TWindow* mWindow;
};

TWindow* TWindowDynamicCreate();

// modalwindow: one layer of the window manager's stack (dialog, menu, game screen, the
// screen); owns the layer's tasks, clock, default focus, hot keys and Enter/Escape.
#pragma once

#include <map>
#include <set>

#include "core/foundation/clock.h"
#include "core/foundation/task.h"
#include "core/window/window.h"

// What a layer needs of a button; the button class implements it.
class TButtonRole
{
public:
  virtual ~TButtonRole() {}
  virtual bool IsDefaultButton() const = 0;
  virtual bool IsCancelButton() const = 0;
  // Runs the button's command; true when it acted.
  virtual bool DoCommand() = 0;
  // Presses the button as a click would; false when the press was consumed or reset.
  virtual bool Press() = 0;
};

// Finds the effectively visible default and cancel buttons of a layer.
class FindDefault : public TWindowSpider
{
public:
  bool Process(TWindow* window) override;
  TButtonRole* mDefault = nullptr;
  TButtonRole* mCancel = nullptr;
};

class TModalWindow : public TWindow
{
public:
  TModalWindow();
  ~TModalWindow() override;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TModalWindow"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  bool OnNewParent() override;
  void PostChildrenInit(TWindowStyle& style) override;
  bool OnMessage(TMessage* message) override;
  bool OnChar(char c) override;
  bool OnKeyDown(char key, unsigned modifiers) override;
  void OnSetFocus(TWindow* previous) override;
  virtual void AddHotkey(const str& key, const str& button);

  void AdoptTask(TTask* task) { mTaskList.AdoptTask(task); }
  void DestroyTasks() { mTaskList.DestroyAll(); }
  void DoModalProcess(TTask::ETaskContext context) { mTaskList.DoAll(context); }
  TTaskList* GetTaskList() { return &mTaskList; }
  TClock* GetClock() { return &mClock; }

  TWindow* GetDefaultFocus() const { return mDefaultFocus; }
  void SetDefaultFocus(TWindow* window);
  // Where the focus goes when the layer gets it: the window of the layer that had it
  // last, else the default focus window; null keeps it on the layer.
  TWindow* GetFocusTarget() const;
  void SetLastFocus(TWindow* window) { mLastFocus = window; }
  // The window is going away: the layer keeps no pointer to it.
  void ForgetWindow(const TWindow* window);
  void SetOpaqueChild(TWindow* child, bool opaque);
  bool HasOpaqueChild(TWindow* child) const { return mOpaqueChildren.count(child) != 0; }

  void PressButton(const str& name);
  // Gives the focus to the first (or last) window of the layer that takes it, in
  // creation order; false when there is none.
  bool FocusFirstEntry(bool last);
  // The hot key as stored: modifiers in the order shift-, ctrl-, alt-, then the key
  // upper-cased; "@" and a key for any modifiers.
  static str NormalizeKeyString(const str& key);
  str GetHotkey(const str& normalizedKey) const;

private:
  bool PressHotkey(char key, unsigned modifiers);

  TTaskList mTaskList;
  TWindow* mDefaultFocus = nullptr;
  TWindow* mLastFocus = nullptr;
  std::set<TWindow*> mOpaqueChildren;
  TClock mClock;
  std::map<str, str> mHotkeys;
};

// modalwindow: one layer of the window manager's stack (dialog, menu, game screen, the
// screen); owns the layer's tasks, clock, default focus, hot keys and Enter/Escape.
#include "core/window/modalwindow.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "core/script/message.h"
#include "core/window/windowmanager.h"
#include "core/foundation/debug.h"

namespace {

// Visible up to and including the nearest modal window; a chain that ends without one
// does not count.
bool IsEffectivelyVisible(TWindow* window)
{
  for (TWindow* w = window; w; w = w->GetParent()) {
    if (!(w->GetFlags() & TWindow::kVisible)) {
      return false;
    }
    if (w->GetFlags() & TWindow::kModal) {
      return true;
    }
  }
  return false;
}

} // namespace

bool FindDefault::Process(TWindow* window)
{
  TButtonRole* button = dynamic_cast<TButtonRole*>(window);
  if (!button) {
    window->ForEachChild(this);
    return true;
  }
  if (IsEffectivelyVisible(window)) {
    if (button->IsDefaultButton()) {
      mDefault = button;
    }
    if (button->IsCancelButton()) {
      mCancel = button;
    }
  }
  if (mDefault && mCancel) {
    return false;
  }
  window->ForEachChild(this);
  return true;
}

TModalWindow::TModalWindow()
{
  mFlags |= kModal | kFocusable;
}

TModalWindow::~TModalWindow()
{
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->PostWindowMessage(new TMessage(TMessage::kModalClosed, GetIdString()));
  }
  mTaskList.DestroyAll();
}

intptr_t TModalWindow::ClassId()
{
  return reinterpret_cast<intptr_t>(&TModalWindow::ClassId);
}

bool TModalWindow::OnNewParent()
{
  mClock.Start();
  return true;
}

void TModalWindow::PostChildrenInit(TWindowStyle& style)
{
  FitToChildren();
  TWindow::PostChildrenInit(style);
}

void TModalWindow::SetDefaultFocus(TWindow* window)
{
  mDefaultFocus = window;
  TWindowManager* manager = TWindowManager::GetInstance();
  if (manager && manager->GetFocus() == this) {
    manager->SetFocus(window);
  }
}

TWindow* TModalWindow::GetFocusTarget() const
{
  // A window taken out of the layer (waiting for deletion) is no target.
  const TWindow* inLayer = mLastFocus;
  while (inLayer && inLayer != this) {
    inLayer = inLayer->GetParent();
  }
  if (inLayer && mLastFocus != this && mLastFocus->CanAcceptFocus()) {
    return mLastFocus;
  }
  return mDefaultFocus != this ? mDefaultFocus : nullptr;
}

void TModalWindow::ForgetWindow(const TWindow* window)
{
  if (mDefaultFocus == window) {
    mDefaultFocus = nullptr;
  }
  if (mLastFocus == window) {
    mLastFocus = nullptr;
  }
}

void TModalWindow::OnSetFocus(TWindow* previous)
{
  // The manager hands a layer's focus on by itself; this serves a direct call.
  TWindowManager* manager = TWindowManager::GetInstance();
  TWindow* target = GetFocusTarget();
  if (target && manager && manager->GetFocus() == this) {
    manager->SetFocus(target);
  }
}

void TModalWindow::SetOpaqueChild(TWindow* child, bool opaque)
{
  if (opaque) {
    mOpaqueChildren.insert(child);
  } else {
    mOpaqueChildren.erase(child);
  }
  const unsigned flags = GetFlags();
  if (mOpaqueChildren.empty()) {
    if (flags & kOpaque) {
      SetFlags(flags & ~unsigned(kOpaque));
    }
  } else if (!(flags & kOpaque)) {
    SetFlags(flags | kOpaque);
  }
}

bool TModalWindow::OnMessage(TMessage* message)
{
  if (message->GetType() != TMessage::kCloseWindow) {
    return false;
  }
  if (message->GetName().length() != 0) {
    if (TWindowManager* manager = TWindowManager::GetInstance()) {
      manager->PopModal(message->GetName());
    }
  }
  return true;
}

str TModalWindow::NormalizeKeyString(const str& key)
{
  str lower = key;
  lower.downcase();
  const unsigned n = lower.length();
  if (n == 0) {
    return "";
  }
  if (n > 1 && lower[0] == '@') {
    return str("@") + char(toupper((unsigned char)lower[n - 1]));
  }
  str result;
  if (lower.find("shift-") != str::npos) {
    result += "shift-";
  }
  if (lower.find("ctrl-") != str::npos || lower.find("control-") != str::npos) {
    result += "ctrl-";
  }
  if (lower.find("alt-") != str::npos) {
    result += "alt-";
  }
  result += char(toupper((unsigned char)lower[n - 1]));
  return result;
}

void TModalWindow::AddHotkey(const str& key, const str& button)
{
  const str normalized = NormalizeKeyString(key);
  if (button.length() == 0) {
    mHotkeys.erase(normalized);
  } else {
    mHotkeys[normalized] = button;
  }
}

str TModalWindow::GetHotkey(const str& normalizedKey) const
{
  auto found = mHotkeys.find(normalizedKey);
  return found == mHotkeys.end() ? str("") : found->second;
}

void TModalWindow::PressButton(const str& name)
{
  TButtonRole* button = dynamic_cast<TButtonRole*>(GetChildWindow(name, -1));
  if (button) {
    button->Press();
  } else {
    WriteDbg("ERROR: Hot key button not found. Button:'%s'", name.c_str());
  }
}

namespace {

// Collects the windows of one layer that would take the focus, in creation order; the
// layers above it are not part of it.
class TFocusCandidates : public TWindowSpider
{
public:
  bool Process(TWindow* window) override
  {
    if (!(window->GetFlags() & TWindow::kVisible) || (window->GetFlags() & TWindow::kModal)) {
      return true;
    }
    if (window->TakesFocusFromInput()) {
      mFound.push_back(window);
    }
    window->ForEachChild(this);
    return true;
  }
  std::vector<TWindow*> mFound;
};

} // namespace

bool TModalWindow::FocusFirstEntry(bool last)
{
  TFocusCandidates candidates;
  ForEachChild(&candidates);
  TWindowManager* manager = TWindowManager::GetInstance();
  if (candidates.mFound.empty() || !manager) {
    return false;
  }
  auto byCreation = [](const TWindow* a, const TWindow* b) { return a->GetId() < b->GetId(); };
  TWindow* chosen = last ? *std::max_element(candidates.mFound.begin(), candidates.mFound.end(), byCreation)
                         : *std::min_element(candidates.mFound.begin(), candidates.mFound.end(), byCreation);
  return manager->SetFocus(chosen);
}

bool TModalWindow::OnKeyDown(char key, unsigned modifiers)
{
  if (PressHotkey(key, modifiers)) {
    return true;
  }
  if (key == TEvent::kTab && !(modifiers & (TEvent::kControl | TEvent::kOption)) &&
      FocusFirstEntry((modifiers & TEvent::kShift) != 0)) {
    // Tab while nothing of the layer has the focus: its character is the key's, not text.
    gIgnoreNextChar = true;
    return true;
  }
  return false;
}

bool TModalWindow::PressHotkey(char key, unsigned modifiers)
{
  if (mHotkeys.empty() || key == 0) {
    return false;
  }
  str chord;
  if (modifiers & 1) {
    chord += "shift-";
  }
  if (modifiers & 2) {
    chord += "ctrl-";
  }
  if (modifiers & 4) {
    chord += "alt-";
  }
  chord += key;
  auto found = mHotkeys.find(NormalizeKeyString(chord));
  if (found == mHotkeys.end()) {
    found = mHotkeys.find(NormalizeKeyString(str("@") + key));
  }
  if (found == mHotkeys.end()) {
    return false;
  }
  // The button may close this layer; keep the name.
  const str button = found->second;
  gIgnoreNextChar = true;
  PressButton(button);
  return true;
}

bool TModalWindow::OnChar(char c)
{
  if (c != TEvent::kEnter && c != TEvent::kEscape) {
    return false;
  }
  FindDefault finder;
  ForEachChild(&finder);
  TButtonRole* button = c == TEvent::kEnter ? finder.mDefault : finder.mCancel;
  if (button && button->DoCommand()) {
    return true;
  }
  TMessage* message = new TMessage(TMessage::kDefaultAction, "");
  TWindowManager* manager = TWindowManager::GetInstance();
  TWindow* focus = manager ? manager->GetFocus() : nullptr;
  (focus ? focus : this)->SendWindowMessage(message);
  return true;
}

// modalwindow: one layer of the window manager's stack (dialog, menu, game screen, the
// screen); owns the layer's tasks, clock, default focus, hot keys and Enter/Escape.
#include "core/window/modalwindow.h"

#include <cctype>

#include "core/window/message.h"
#include "core/window/windowmanager.h"
#include "platform/debug.h"

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
    TWindow* previous = manager->GetFocus();
    manager->SetFocusQuiet(window);
    if (window) {
      window->OnSetFocus(previous);
    }
  }
}

void TModalWindow::OnSetFocus(TWindow* previous)
{
  TWindowManager* manager = TWindowManager::GetInstance();
  if (mDefaultFocus && manager) {
    TWindow* managerPrevious = manager->GetFocus();
    manager->SetFocusQuiet(mDefaultFocus);
    mDefaultFocus->OnSetFocus(managerPrevious);
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

bool TModalWindow::OnKeyDown(char key, unsigned modifiers)
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

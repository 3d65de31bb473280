// rolloverwindow: follows the mouse as a listener of the window manager while hovered and
// shows or hides its target window of the same dialog.
#include "shell/rolloverwindow.h"

#include "core/window/modalwindow.h"
#include "core/window/text.h"
#include "core/window/windowmanager.h"
#include "core/window/windowstyle.h"
#include "shell/shellglue.h"

TWindow* TRolloverWindowDynamicCreate()
{
  return new TRolloverWindow;
}

intptr_t TRolloverWindow::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TRolloverWindowDynamicCreate);
  return id;
}

TRolloverWindow::~TRolloverWindow()
{
  if (mHovering) {
    EndHover();
  }
}

void TRolloverWindow::PostChildrenInit(TWindowStyle& style)
{
  TWindow::PostChildrenInit(style);
  mTarget = style.GetString("activate", "");
  mText = style.GetString("text", "");
}

void TRolloverWindow::EndHover()
{
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->RemoveMouseListener(this);
  }
  mHovering = false;
  Activate(false);
}

bool TRolloverWindow::OnMouseMove(const TPoint& point)
{
  if (!mHovering) {
    mHovering = true;
    if (TWindowManager* manager = TWindowManager::GetInstance()) {
      manager->AddMouseListener(this);
    }
    Activate(true);
    return false;
  }
  const bool inside = point.x >= 0 && point.x < GetWindowWidth() && point.y >= 0 && point.y < GetWindowHeight();
  if (!inside) {
    EndHover();
  }
  return false;
}

bool TRolloverWindow::OnMouseLeave()
{
  if (mHovering) {
    EndHover();
  }
  return false;
}

void TRolloverWindow::Activate(bool on)
{
  TModalWindow* modal = FindParentModal();
  TWindow* target = (!mTarget.empty() && modal) ? modal->GetChildWindow(mTarget, -1) : nullptr;
  if (target) {
    ShowWindow(target, on);
    if (on && !mText.empty()) {
      if (TText* text = target->GetCast<TText>()) {
        text->SetText(mText);
      }
    }
  }
  InvalidateGameScreen();
}

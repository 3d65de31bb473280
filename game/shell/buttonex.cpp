// buttonex: the label button's pressed look and its hover report to the timer-mode window.
#include "shell/buttonex.h"

#include "core/window/text.h"
#include "shell/timermode.h"

TWindow* GButtonExDynamicCreate()
{
  return new GButtonEx;
}

intptr_t GButtonEx::ClassId()
{
  static const intptr_t id = RegisterCreatable(&GButtonExDynamicCreate);
  return id;
}

void GButtonEx::PostChildrenInit(TWindowStyle& style)
{
  TButton::PostChildrenInit(style);
  if (TText* label = GetCast<TText>(GetChildWindow("label", -1))) {
    mHasLabel = true;
    mLabelX = label->GetRect().left;
    mLabelY = label->GetRect().top;
  }
}

void GButtonEx::PlaceLabel(int drop)
{
  // Looked up each time: the label is the button's child and may have gone.
  if (TText* label = mHasLabel ? GetCast<TText>(GetChildWindow("label", -1)) : nullptr) {
    label->SetWindowPos(mLabelX, mLabelY + drop);
  }
}

bool GButtonEx::OnMouseDown(const TPoint& point)
{
  TButton::OnMouseDown(point);
  PlaceLabel(kPressedOffset);
  mPressed = true;
  return true;
}

bool GButtonEx::OnMouseUp(const TPoint& point)
{
  TButton::OnMouseUp(point);
  if (mPressed) {
    PlaceLabel(0);
    mPressed = false;
  }
  return true;
}

bool GButtonEx::OnMouseLeave()
{
  if (mPressed) {
    PlaceLabel(0);
    mPressed = false;
  }
  return TButton::OnMouseLeave();
}

bool GButtonEx::OnMouseMove(const TPoint& point)
{
  if (TTimerMode* parent = GetCast<TTimerMode>(GetParent())) {
    parent->OnButtonHighlight(this);
  }
  return TButton::OnMouseMove(point);
}

// buttonex: the label button ("GButtonEx"): its label sinks two pixels while it is held,
// and it tells a timer-mode parent that the mouse is over it.
#pragma once

#include <cstdint>

#include "core/window/button.h"

class GButtonEx : public TButton
{
public:
  static const int kPressedOffset = 2;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "GButtonEx"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TButton::IsKindOf(id); }

  void PostChildrenInit(TWindowStyle& style) override;
  bool OnMouseDown(const TPoint& point) override;
  bool OnMouseUp(const TPoint& point) override;
  bool OnMouseMove(const TPoint& point) override;
  bool OnMouseLeave() override;

  bool IsPressed() const { return mPressed; }

private:
  void PlaceLabel(int drop);

  bool mPressed = false;
  bool mHasLabel = false;
  int mLabelX = 0;
  int mLabelY = 0;
};

TWindow* GButtonExDynamicCreate();

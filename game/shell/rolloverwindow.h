// rolloverwindow: an invisible hover area ("RolloverWindow") that shows another window of
// its dialog, optionally with a text, while the mouse is over it.
#pragma once

#include <cstdint>

#include "core/foundation/str.h"
#include "core/window/window.h"

class TRolloverWindow : public TWindow
{
public:
  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TRolloverWindow"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  ~TRolloverWindow() override;

  void PostChildrenInit(TWindowStyle& style) override;
  bool OnMouseMove(const TPoint& point) override;
  bool OnMouseLeave() override;
  // Shows (with the text) or hides the target window.
  void Activate(bool on);

  bool IsHovering() const { return mHovering; }

private:
  void EndHover();

  str mTarget;
  str mText;
  bool mHovering = false;
};

TWindow* TRolloverWindowDynamicCreate();

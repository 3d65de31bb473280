// screen: the bottom layer of the window stack and root of every window; fills the
// frame with its background colour when it is the top layer and shows the capture.
#pragma once

#include "core/foundation/color.h"
#include "core/window/modalwindow.h"

class TScreen : public TModalWindow
{
public:
  TScreen();

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TScreen"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TModalWindow::IsKindOf(id); }

  void Draw() override;

  void SetClearAlways(bool clear) { mClearAlways = clear; }
  void SetNoClear(bool noClear) { mNoClear = noClear; }
  void SetBackgroundColor(const TColor& color) { mBackgroundColor = color; }
  const TColor& GetBackgroundColor() const { return mBackgroundColor; }

private:
  bool mClearAlways = false;
  bool mNoClear = false;
  TColor mBackgroundColor;
};

// timermode: the timer-mode window ("TTimerMode"), in which hovering over the timed or the
// relaxed choice shows the description of that way of playing.
#pragma once

#include <cstdint>

#include "core/window/window.h"

class TButton;

class TTimerMode : public TWindow
{
public:
  static constexpr char kTimedButton[] = "timeyesname";
  static constexpr char kRelaxedButton[] = "timenoname";
  static constexpr char kDescription[] = "time_mode_txt";

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TTimerMode"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  // Called by a label button of the window while the mouse moves over it.
  void OnButtonHighlight(TButton* button);
};

TWindow* TTimerModeDynamicCreate();

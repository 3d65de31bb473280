// timermode: the descriptions of the two timer modes shown on hover; talks to the string
// table and the window's text child.
#include "shell/timermode.h"

#include "core/window/button.h"
#include "core/window/text.h"
#include "shell/shellglue.h"

TWindow* TTimerModeDynamicCreate()
{
  return new TTimerMode;
}

intptr_t TTimerMode::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TTimerModeDynamicCreate);
  return id;
}

void TTimerMode::OnButtonHighlight(TButton* button)
{
  if (!button) {
    return;
  }
  const char* label = nullptr;
  if (button->GetName() == str(kTimedButton)) {
    label = "timer_mode_descr";
  } else if (button->GetName() == str(kRelaxedButton)) {
    label = "relaxed_mode_decr";
  }
  if (!label) {
    return;
  }
  if (TText* text = GetCast<TText>(GetChildWindow(kDescription, -1))) {
    text->SetText(GameString(label));
  }
}

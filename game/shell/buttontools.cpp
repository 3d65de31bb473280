// buttontools: the disabled look of buttons kept in a hidden child window, and the two Lua
// functions that scripts use; talks to the button's image and label children.
#include "shell/buttontools.h"

#include "core/script/luabind.h"
#include "core/script/script.h"
#include "core/window/button.h"
#include "core/window/image.h"
#include "core/window/text.h"
#include "shell/shellglue.h"

namespace {

const float kDisabledAlpha = 0.5f;

ButtonTools::TStateWindow* StateOf(TButton* button)
{
  return button ? TWindow::GetCast<ButtonTools::TStateWindow>(button->GetChildWindow(ButtonTools::kStateName, -1))
                : nullptr;
}

} // namespace

intptr_t ButtonTools::TStateWindow::ClassId()
{
  return reinterpret_cast<intptr_t>(&ButtonTools::TStateWindow::ClassId);
}

ButtonTools::TStateWindow::~TStateWindow() {}

void ButtonTools::TStateWindow::SetDisabled(bool disabled)
{
  if (disabled == mDisabled) {
    return;
  }
  TWindow* button = GetParent();
  TImage* images[3] = {nullptr, nullptr, nullptr};
  TText* label = nullptr;
  if (button) {
    for (int i = 0; i < 3; ++i) {
      images[i] = GetCast<TImage>(button->GetChildWindow(str::getFormatted("image%d", i), -1));
    }
    label = GetCast<TText>(button->GetChildWindow("label", -1));
  }
  mDisabled = disabled;
  if (disabled) {
    TImage* first = images[0] ? images[0] : images[1] ? images[1] : images[2];
    boost::shared_ptr<TTexture> look = first ? first->GetTexture() : boost::shared_ptr<TTexture>();
    for (int i = 0; i < 3; ++i) {
      if (images[i]) {
        mSaved[i] = images[i]->GetTexture();
        images[i]->SetTexture(look, 1.0f);
        images[i]->SetAlpha(kDisabledAlpha);
      }
    }
  } else {
    for (int i = 0; i < 3; ++i) {
      if (images[i]) {
        images[i]->SetTexture(mSaved[i], 1.0f);
        images[i]->SetAlpha(1.0f);
      }
    }
  }
  if (label) {
    label->SetAlpha(disabled ? kDisabledAlpha : 1.0f);
  }
  InvalidateGameScreen();
}

void ButtonTools::RegisterInScript(TScript* script)
{
  if (!script) {
    script = GameScript();
  }
  if (!script) {
    return;
  }
  LuaBind(script->GetState(), "DisabledButton", &ButtonTools::DisabledButtonName);
  LuaBind(script->GetState(), "isDisabled", &ButtonTools::isDisabledName);
}

void ButtonTools::DisabledButtonName(str name, bool disabled)
{
  DisabledButton(TWindow::GetControl<TButton>(name), disabled);
}

bool ButtonTools::isDisabledName(str name)
{
  return isDisabledButton(TWindow::GetControl<TButton>(name));
}

void ButtonTools::DisabledButton(TButton* button, bool disabled)
{
  if (!button) {
    return;
  }
  TStateWindow* state = StateOf(button);
  if (!state) {
    if (!disabled) {
      return;
    }
    state = new TStateWindow;
    button->AdoptChild(state, true);
    state->SetName(kStateName);
  }
  state->SetDisabled(disabled);
}

bool ButtonTools::isDisabledButton(TButton* button)
{
  TStateWindow* state = StateOf(button);
  return state && state->IsDisabled();
}

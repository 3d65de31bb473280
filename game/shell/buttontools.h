// buttontools: greys buttons out for the window scripts ("DisabledButton", "isDisabled")
// by keeping a hidden state window in the button that remembers its pictures.
#pragma once

#include <cstdint>

#include <boost/shared_ptr.hpp>

#include "core/foundation/str.h"
#include "core/window/window.h"

class TButton;
class TScript;
class TTexture;

class ButtonTools
{
public:
  // The child "#state" a button gets when it is disabled the first time; draws nothing.
  class TStateWindow : public TWindow
  {
  public:
    static intptr_t ClassId();
    const char* GetTypeName() const override { return "TStateWindow"; }
    bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }
    ~TStateWindow() override;

    // Changes the look of the parent button: its pictures all show the first one, half
    // transparent, or get back what they showed before.
    void SetDisabled(bool disabled);
    bool IsDisabled() const { return mDisabled; }

  private:
    bool mDisabled = false;
    boost::shared_ptr<TTexture> mSaved[3];
  };

  static constexpr char kStateName[] = "#state";

  // "DisabledButton" and "isDisabled"; null means the window manager's script.
  static void RegisterInScript(TScript* script);

  static void DisabledButtonName(str name, bool disabled);
  static bool isDisabledName(str name);
  // Only the look changes: the button still takes clicks; scripts ask "isDisabled".
  static void DisabledButton(TButton* button, bool disabled);
  static bool isDisabledButton(TButton* button);
};

// serversubmit: the score submission dialog ("SubmitWindow"): sends the best local score, or
// the earned medals, anonymously under a typed name or under an account; polls the hiscore
// service every 20 ms and closes with the result in gReturnValue or shows the error.
#pragma once

#include <cstdint>

#include "core/foundation/str.h"
#include "core/window/window.h"

class TQvHiscores;

class TServerSubmit : public TWindow
{
public:
  static constexpr char kAnonymousName[] = "_anonusername";
  static const int kPollMs = 20;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TServerSubmit"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  // The window type "SubmitWindow" and the Lua function "GetLuaServerSubmitSetupVars".
  static void Register();
  // Lua assignments of what the game remembers for the dialog: gNameEdit, gAccountEdit,
  // gPassEdit, gRemember, gMedalsMode and (for a score) gEligibleScore.
  static str GetLuaSetupVars(bool medalsMode);

  TServerSubmit();
  ~TServerSubmit() override;

  bool OnMessage(TMessage* message) override;
  bool OnTaskAnimate() override;

  // Lua "SubmitToServer": under the account when one is typed, else under the name; with
  // neither (blanks alone are none) nothing is sent.
  void SubmitToServer(str name, str account, str password, bool remember, bool medalsMode);
  // Runs the script's SwitchModes(true|false).
  void SwitchModes(bool connecting);

private:
  void ShowFailure(const str& message);

  TQvHiscores* mHiscores;
};

TWindow* TServerSubmitDynamicCreate();

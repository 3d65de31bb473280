// chooseplayer: the choose-player window ("ChoosePlayerWindow"): hands the players' names to
// its script's list box "user_list" and tells the script which player is selected.
#pragma once

#include <cstdint>

#include "core/foundation/str.h"
#include "core/window/window.h"

class TChoosePlayer : public TWindow
{
public:
  static constexpr char kList[] = "user_list";
  // The most names handed to the script.
  static const int kMaxListed = 10;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TChoosePlayer"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  TChoosePlayer();
  ~TChoosePlayer() override;

  void PostChildrenInit(TWindowStyle& style) override;

  // Runs the script's UpdatePlayerChoices(current, count, names).
  void SetPlayerChoices();
  // The Lua text SetPlayerChoices runs, as "UpdatePlayerChoices( 1, 3, {'Ann','Bo','Cy',} )".
  static str PlayerChoicesCall();
  // The selected row of "user_list"; -1 without a selection or a list.
  int GetCurrentSelectedUser();
  str GetSelectedPlayerName();
};

TWindow* TChoosePlayerDynamicCreate();

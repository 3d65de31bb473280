// mainmenu: the main menu window ("MainMenu"), which starts the menu music, looping at the
// music level, for as long as it exists unless other music plays; its buttons come from its
// window script.
#pragma once

#include <cstdint>

#include <boost/shared_ptr.hpp>

#include "core/window/window.h"

class TSound;

class TMainMenu : public TWindow
{
public:
  static constexpr char kMusic[] = "audio/music/mainmenumusic.ogg";

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TMainMenu"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  TMainMenu();
  ~TMainMenu() override;

  // Lua "SetWelcomeName": the welcome text is the script's own business.
  void SetWelcomeName() {}

  boost::shared_ptr<TSound> GetMusic() const { return mMusic; }

private:
  boost::shared_ptr<TSound> mMusic;
};

TWindow* TMainMenuDynamicCreate();

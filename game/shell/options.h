// options: the options window ("OptionsWindow"): its sound and music sliders and its full
// screen and mute boxes start at the current player's settings; the sliders change the
// volumes as they move, with a hover sound while the effects slider is dragged.
#pragma once

#include <cstdint>

#include <boost/shared_ptr.hpp>

#include "core/window/window.h"

class TSound;
class TSoundInstance;

class TOptions : public TWindow
{
public:
  static constexpr char kHoverSound[] = "audio/sfx/hover.ogg";
  static constexpr char kSoundSlider[] = "sfxlevelslider";
  static constexpr char kMusicSlider[] = "musiclevelslider";
  static constexpr char kFullScreenBox[] = "fullscreen";
  static constexpr char kMuteBox[] = "mutebox";

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TOptions"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  TOptions();
  ~TOptions() override;

  // Takes the place of the base's pass: no fitting, sizing or placing after the children.
  void PostChildrenInit(TWindowStyle& style) override;
  bool OnMessage(TMessage* message) override;

  // Lua "SaveVolumes": stores both levels for the current player.
  void SaveVolumes();

  // Sets the full-screen box of every open options window to the mode the game is in: the
  // mode also changes (Alt+Return) while the window is open.
  static void ShowDisplayMode();

  bool IsHoverPlaying() const { return mHoverPlaying; }

private:
  void StopHover();
  void ShowOwnDisplayMode();

  boost::shared_ptr<TSound> mHover;
  boost::shared_ptr<TSoundInstance> mHoverInstance;
  bool mHoverPlaying = false;
};

TWindow* TOptionsDynamicCreate();

// titlescreen: the title screen with the game's theme, over which the window scripts lay the
// main menu; its scene's buttons may offer the mode choice ("ChooseStory", "ChooseFreePlay").
#pragma once

#include "screenbase/scenescreen.h"

class TTitleScreen : public TSceneScreen
{
public:
  static constexpr char kMusic[] = "audio/music/qsb_theme.ogg";

  void Activate() override;
  void ChooseStory();
  void ChooseFreePlay();

protected:
  void PostLoadInit(TScene* scene, bool fromSave) override;
  // Once the title is fully shown, the window scripts lay the main menu over it.
  void OnFadeCompleted(bool fadeIn) override;
};

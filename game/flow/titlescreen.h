// titlescreen: the title screen, over which the window scripts lay the main menu, with the
// choice of game mode that its scene's buttons may offer ("ChooseStory", "ChooseFreePlay").
#pragma once

#include "flow/scenescreen.h"

class TTitleScreen : public TSceneScreen
{
public:
  void Activate() override;
  void ChooseStory();
  void ChooseFreePlay();

protected:
  void PostLoadInit(TScene* scene, bool fromSave) override;
  // Once the title is fully shown, the window scripts lay the main menu over it.
  void OnFadeCompleted(bool fadeIn) override;
};

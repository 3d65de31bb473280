// titlescreen: the title screen under the main menu, with the choice of game mode that its
// scene's buttons may offer through the Lua functions "ChooseStory" and "ChooseFreePlay".
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
};

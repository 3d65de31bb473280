// titlescreen: the title screen with the choice of game mode; its scene's buttons call the
// Lua functions "ChooseStory" and "ChooseFreePlay".
#pragma once

#include "flow/scenescreen.h"

class TTitleScreen : public TSceneScreen
{
public:
  static constexpr char kMusic[] = "audio/music/qsb_theme.ogg";

  void Activate() override;
  void ChooseStory();
  void ChooseFreePlay();

protected:
  void PostLoadInit(TScene* scene, bool fromSave) override;
};

// minigame: the two kinds of puzzle screen the case model configures: mini-games read one
// configuration file (LoadConfig), meta puzzles and the checklist are re-initialised (ReInit).
#pragma once

#include "flow/scenescreen.h"

// Their saved records carry the configuration path, since a saved screen is only made
// again and handed its record.
class TMiniGame : public TSceneScreen
{
public:
  virtual bool LoadConfig(const str& config, bool reset) = 0;
};

class TMetaPuzzleBase : public TSceneScreen
{
public:
  // An empty configuration gives a puzzle with nothing to do.
  virtual void ReInit(const str& config, bool reset) = 0;
};

// minigame: the two kinds of puzzle screen the case model configures: mini-games read one
// configuration file (LoadConfig), meta puzzles and the checklist are re-initialised
// (ReInit); both start the puzzles' music as they fade in.
#pragma once

#include "screenbase/scenescreen.h"

// One of the two puzzle tracks at random, cross-faded in and looping.
void PlayMiniGameMusic();

// Their saved records carry the configuration path, since a saved screen is only made
// again and handed its record.
class TMiniGame : public TSceneScreen
{
public:
  static constexpr unsigned kTrackCount = 2;
  static const char* const kTracks[kTrackCount];

  virtual bool LoadConfig(const str& config, bool reset) = 0;
  void StartFading(unsigned time, bool fadeIn) override;
};

class TMetaPuzzleBase : public TSceneScreen
{
public:
  // An empty configuration gives a puzzle with nothing to do.
  virtual void ReInit(const str& config, bool reset) = 0;
  void StartFading(unsigned time, bool fadeIn) override;
};

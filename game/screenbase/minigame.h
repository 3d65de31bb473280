// minigame: the puzzle screens' base: the puzzles' music as they fade in and a saved record
// that starts with the configuration path; and the two kinds the case model configures:
// mini-games read one configuration file (LoadConfig), meta puzzles and the checklist are
// re-initialised (ReInit).
#pragma once

#include "screenbase/scenescreen.h"

// Their saved records carry the configuration path, since a saved screen is only made
// again and handed its record.
class TPuzzleScreen : public TSceneScreen
{
public:
  static constexpr unsigned kTrackCount = 2;
  static const char* const kTracks[kTrackCount];

  const str& GetConfig() const { return mConfig; }
  // Fading in starts one of the two puzzle tracks at random, cross-faded in and looping.
  void StartFading(unsigned time, bool fadeIn) override;
  // The configuration path, the puzzle's progress, then the scenes.
  bool Save(TBinaryBuffer* buffer) override;
  bool LoadSaved(TBinaryBuffer* buffer) override;

protected:
  virtual void SaveProgress(TBinaryBuffer* buffer) {}
  // Reads the configuration of the saved path again (its scene comes with the record's
  // scenes) and the progress; false for a damaged record.
  virtual bool LoadProgress(const str& config, TBinaryBuffer* buffer) { return true; }

  str mConfig;
};

class TMiniGame : public TPuzzleScreen
{
public:
  virtual bool LoadConfig(const str& config, bool reset) = 0;
};

class TMetaPuzzleBase : public TPuzzleScreen
{
public:
  // An empty configuration gives a puzzle with nothing to do.
  virtual void ReInit(const str& config, bool reset) = 0;
};

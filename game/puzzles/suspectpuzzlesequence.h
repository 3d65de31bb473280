// suspectpuzzlesequence: the suspect sequence puzzle ("TSuspectPuzzleSequence"): the
// player picks the scene's cards in the order the configuration gives; a wrong pick starts
// the sequence again; the whole sequence tells the game controller.
#pragma once

#include <cstdint>
#include <vector>

#include "screenbase/minigame.h"

class TSuspectPuzzleSequence : public TMiniGame
{
public:
  static constexpr char kChosenState[] = "chosen";
  static constexpr char kNormalState[] = "normal";

  // Reads "sequence_puzzle": its "scene" (file) and its "sequence" (ids in order).
  bool LoadConfig(const str& config, bool reset) override;
  const std::vector<str>& GetSequence() const { return mSequence; }
  unsigned GetProgress() const { return mProgress; }

  bool OnMouseDown(const TPoint& point) override;
  bool IsDone() const override { return mProgress >= mSequence.size(); }

protected:
  // The cards picked so far.
  void SaveProgress(TBinaryBuffer* buffer) override;
  bool LoadProgress(const str& config, TBinaryBuffer* buffer) override;

private:
  bool ReadConfig(const str& config, bool withScene);

  std::vector<str> mSequence;
  uint32_t mProgress = 0;
};

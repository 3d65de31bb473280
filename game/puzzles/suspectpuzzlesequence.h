// suspectpuzzlesequence: the suspect sequence puzzle ("TSuspectPuzzleSequence"): the
// player picks the scene's cards in the order the configuration gives; a wrong pick is marked
// for a moment and starts the sequence again; the whole sequence tells the game controller.
#pragma once

#include <cstdint>
#include <vector>

#include "screenbase/minigame.h"

class TSceneObject;

class TSuspectPuzzleSequence : public TMiniGame
{
public:
  static constexpr char kChosenState[] = "chosen";
  static constexpr char kNormalState[] = "normal";
  static constexpr char kHoverState[] = "hover";
  // A card that has it shows this state for kWrongMarkMs after a wrong pick, before the
  // sequence starts again.
  static constexpr char kWrongState[] = "wrong";
  static const int kWrongMarkMs = 500;

  // Reads "sequence_puzzle": its "scene" (file) and its "sequence" (ids in order).
  bool LoadConfig(const str& config, bool reset) override;
  const std::vector<str>& GetSequence() const { return mSequence; }
  unsigned GetProgress() const { return mProgress; }

  bool OnMouseDown(const TPoint& point) override;
  void OnTick(double ms) override;
  // The mark of a wrong pick is still on show.
  bool IsMarkingWrongPick() const { return mWrongMarkLeft > 0; }
  bool IsAnimating() const override;

protected:
  // The cards picked so far; a mark still on show ends first, so the record holds the
  // sequence started again.
  void SaveProgress(TBinaryBuffer* buffer) override;
  bool LoadProgress(const str& config, TBinaryBuffer* buffer) override;

private:
  bool ReadConfig(const str& config, bool withScene);
  // The cards picked so far and the wrong one turn back (the one under the pointer to its
  // hover look); the sequence starts again.
  void StartAgain();
  void TurnBack(TSceneObject* card);

  std::vector<str> mSequence;
  uint32_t mProgress = 0;
  str mWrongCard;
  double mWrongMarkLeft = 0;
};

// metapuzzle: the meta puzzle ("TMetaPuzzle"): the pieces a search room turned up, placed
// one by one on its scene; a click on the whole tells the game controller.
#pragma once

#include <vector>

#include "screenbase/minigame.h"

class TMetaPuzzle : public TMetaPuzzleBase
{
public:
  static constexpr char kPlacedState[] = "placed";

  // Reads "meta_puzzle": its "scene" (file) and its "pieces" (ids); an empty configuration
  // leaves a puzzle with nothing to do.
  void ReInit(const str& config, bool reset) override;
  const std::vector<str>& GetPieces() const { return mPieces; }
  const std::vector<str>& GetPlaced() const { return mPlaced; }

  bool OnMouseDown(const TPoint& point) override;
  // The whole waits for the click that goes back; an empty puzzle has nothing to do.
  bool IsDone() const override { return mPlaced.size() >= mPieces.size(); }

protected:
  // The pieces placed.
  void SaveProgress(TBinaryBuffer* buffer) override;
  bool LoadProgress(const str& config, TBinaryBuffer* buffer) override;

private:
  // The pieces and, when withScene, the scene.
  bool ReadConfig(const str& config, bool withScene);

  std::vector<str> mPieces;
  std::vector<str> mPlaced;
};

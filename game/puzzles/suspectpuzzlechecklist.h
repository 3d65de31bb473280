// suspectpuzzlechecklist: the suspect checklist ("TSuspectPuzzleChecklist"): the three
// suspects the case's checklist names stand on its scene as "suspect_N"; the player crosses
// out the innocent ones and names the guilty one, which tells the game controller.
#pragma once

#include <vector>

#include "screenbase/minigame.h"

class TSuspectPuzzleChecklist : public TMetaPuzzleBase
{
public:
  static constexpr char kGuiltyState[] = "guilty";
  static constexpr char kInnocentState[] = "innocent";

  // Reads "checklist_puzzle": its "scene" (file) and its "suspects" ("nums", three 0-based
  // suspects); the guilty one is the current case's.
  void ReInit(const str& config, bool reset) override;
  const std::vector<str>& GetCandidates() const { return mCandidates; }
  const std::vector<str>& GetCrossed() const { return mCrossed; }
  bool IsSolved() const { return mSolved; }

  bool OnMouseDown(const TPoint& point) override;
  bool IsDone() const override { return mSolved; }

protected:
  // The suspects crossed out.
  void SaveProgress(TBinaryBuffer* buffer) override;
  bool LoadProgress(const str& config, TBinaryBuffer* buffer) override;

private:
  bool ReadConfig(const str& config, bool withScene);
  void Solve(TSceneObject* suspect);

  // "suspect_N" of the three who take part, N from 1.
  std::vector<str> mCandidates;
  str mGuilty;
  std::vector<str> mCrossed;
  bool mSolved = false;
};

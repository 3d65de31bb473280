// suspectpuzzlechecklist: the checklist's configuration, the guilty suspect from the current
// case, crosses and the naming of the guilty one, and its saved record.
#include "puzzles/suspectpuzzlechecklist.h"

#include <algorithm>

#include "core/foundation/xmlnode.h"
#include "story/case.h"
#include "screenbase/configuredscreen.h"
#include "screenbase/savestring.h"
#include "screenbase/gamecontrol.h"
#include "screenbase/gamestates.h"
#include "core/foundation/debug.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"
#include "scene/xmlattributes.h"

bool TSuspectPuzzleChecklist::ReadConfig(const str& config, bool withScene)
{
  mConfig = config;
  mCandidates.clear();
  mGuilty = str();
  TXmlNode document;
  TXmlNode* puzzle = ReadScreenConfig(config, "checklist_puzzle", &document, "Checklist");
  if (!puzzle) {
    return false;
  }
  if (withScene) {
    AddConfiguredScene(this, puzzle);
  }
  TXmlNode* suspects = puzzle->GetChild("suspects");
  std::vector<int> nums;
  str_to_int(suspects ? suspects->GetAttribute("nums").c_str() : "", &nums);
  for (size_t i = 0; i < nums.size() && i < 3; ++i) {
    if (nums[i] >= 0 && nums[i] <= 5) {
      mCandidates.push_back(str::getFormatted("suspect_%d", nums[i] + 1));
    }
  }
  TGameControl* game = GetControl();
  TCase* current = game ? game->GetCurrentCase() : nullptr;
  const int guilty = current ? current->mCaseFile.mGuilty : 0;
  mGuilty = str::getFormatted("suspect_%d", guilty);
  if (std::find(mCandidates.begin(), mCandidates.end(), mGuilty) == mCandidates.end()) {
    // Then the last suspect standing is taken as the guilty one.
    WriteDbg("ERROR: Checklist %s: the guilty suspect %d is not among its suspects", config.c_str(), guilty);
    mGuilty = str();
  }
  return true;
}

void TSuspectPuzzleChecklist::ReInit(const str& config, bool reset)
{
  ClearScenes();
  mCrossed.clear();
  mSolved = false;
  ReadConfig(config, true);
}

bool TSuspectPuzzleChecklist::OnMouseDown(const TPoint& point)
{
  if (!IsActive() || mSolved) {
    return TSceneScreen::OnMouseDown(point);
  }
  TSceneObject* hit = HitTest(point);
  TSceneObject* suspect = FindNamedAncestor(hit, mCandidates);
  if (!suspect || std::find(mCrossed.begin(), mCrossed.end(), suspect->GetId()) != mCrossed.end()) {
    return TSceneScreen::OnMouseDown(point);
  }
  if (suspect->GetId() == mGuilty) {
    Solve(suspect);
    return true;
  }
  mCrossed.push_back(suspect->GetId());
  SetStateOrHide(suspect, kInnocentState);
  if (mGuilty.empty() && mCrossed.size() + 1 >= mCandidates.size()) {
    for (const str& candidate : mCandidates) {
      if (std::find(mCrossed.begin(), mCrossed.end(), candidate) == mCrossed.end()) {
        if (TSceneObject* last = FindObject(candidate)) {
          Solve(last);
          return true;
        }
      }
    }
    Solve(nullptr);
  }
  return true;
}

void TSuspectPuzzleChecklist::Solve(TSceneObject* suspect)
{
  mSolved = true;
  if (suspect && suspect->getStateNum(kGuiltyState) >= 0) {
    suspect->setState(str(kGuiltyState));
  }
  Report(evChecklistPuzzleCompleted);
}

void TSuspectPuzzleChecklist::SaveProgress(TBinaryBuffer* buffer)
{
  SaveStrings(buffer, mCrossed);
}

bool TSuspectPuzzleChecklist::LoadProgress(const str& config, TBinaryBuffer* buffer)
{
  ReadConfig(config, false);
  return LoadNames(buffer, &mCrossed, mCandidates);
}

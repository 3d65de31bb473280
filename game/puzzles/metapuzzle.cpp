// metapuzzle: the meta puzzle's configuration, the pieces placed by clicks, its completion
// and its saved record.
#include "puzzles/metapuzzle.h"

#include <algorithm>

#include "core/foundation/xmlnode.h"
#include "screenbase/configuredscreen.h"
#include "screenbase/savestring.h"
#include "screenbase/gamestates.h"
#include "core/foundation/debug.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"

bool TMetaPuzzle::ReadConfig(const str& config, bool withScene)
{
  mConfig = config;
  mPieces.clear();
  if (config.empty()) {
    return true;
  }
  TXmlNode document;
  TXmlNode* puzzle = ReadScreenConfig(config, "meta_puzzle", &document, "Meta puzzle");
  if (!puzzle) {
    return false;
  }
  if (withScene) {
    AddConfiguredScene(this, puzzle);
  }
  TXmlNode* pieces = puzzle->GetChild("pieces");
  mPieces = SplitNames(pieces ? pieces->GetAttribute("ids") : str());
  return true;
}

void TMetaPuzzle::ReInit(const str& config, bool reset)
{
  ClearScenes();
  mPlaced.clear();
  ReadConfig(config, true);
}

bool TMetaPuzzle::OnMouseDown(const TPoint& point)
{
  if (IsActive() && !mPieces.empty() && mPlaced.size() == mPieces.size()) {
    // The whole stays for the player to see until a click takes them back (also when a
    // solved puzzle is opened again).
    Report(evMetaPuzzleCompleted);
    return true;
  }
  if (!IsActive() || mPieces.empty()) {
    return TSceneScreen::OnMouseDown(point);
  }
  TSceneObject* hit = HitTest(point);
  TSceneObject* piece = FindNamedAncestor(hit, mPieces);
  if (!piece || std::find(mPlaced.begin(), mPlaced.end(), piece->GetId()) != mPlaced.end()) {
    return TSceneScreen::OnMouseDown(point);
  }
  mPlaced.push_back(piece->GetId());
  SetStateOrHide(piece, kPlacedState);
  if (mPlaced.size() == mPieces.size()) {
    WriteDbg("Meta puzzle: whole; a click goes back");
  }
  return true;
}

void TMetaPuzzle::SaveProgress(TBinaryBuffer* buffer)
{
  SaveStrings(buffer, mPlaced);
}

bool TMetaPuzzle::LoadProgress(const str& config, TBinaryBuffer* buffer)
{
  ReadConfig(config, false);
  return LoadNames(buffer, &mPlaced, mPieces);
}

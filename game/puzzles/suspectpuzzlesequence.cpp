// suspectpuzzlesequence: the sequence puzzle's configuration, picks right and wrong, its
// completion and its saved record.
#include "puzzles/suspectpuzzlesequence.h"

#include "core/foundation/xmlnode.h"
#include "screenbase/configuredscreen.h"
#include "screenbase/savestring.h"
#include "screenbase/gamestates.h"
#include "scene/binarybuffer.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"

bool TSuspectPuzzleSequence::ReadConfig(const str& config, bool withScene)
{
  mConfig = config;
  mSequence.clear();
  TXmlNode document;
  TXmlNode* puzzle = ReadScreenConfig(config, "sequence_puzzle", &document, "Sequence puzzle");
  if (!puzzle) {
    return false;
  }
  if (withScene) {
    AddConfiguredScene(this, puzzle);
  }
  TXmlNode* sequence = puzzle->GetChild("sequence");
  mSequence = SplitNames(sequence ? sequence->GetAttribute("ids") : str());
  return true;
}

bool TSuspectPuzzleSequence::LoadConfig(const str& config, bool reset)
{
  ClearScenes();
  mProgress = 0;
  return ReadConfig(config, true);
}

bool TSuspectPuzzleSequence::OnMouseDown(const TPoint& point)
{
  if (!IsActive() || mSequence.empty() || mProgress >= mSequence.size()) {
    return TSceneScreen::OnMouseDown(point);
  }
  TSceneObject* hit = HitTest(point);
  TSceneObject* card = FindNamedAncestor(hit, mSequence);
  if (!card) {
    return TSceneScreen::OnMouseDown(point);
  }
  if (card->GetId() != mSequence[mProgress]) {
    // A wrong pick: the cards chosen so far turn back.
    for (uint32_t i = 0; i < mProgress; ++i) {
      if (TSceneObject* chosen = FindObject(mSequence[i])) {
        chosen->setState(str(kNormalState));
        chosen->setVisible(true);
      }
    }
    mProgress = 0;
    return true;
  }
  SetStateOrHide(card, kChosenState);
  if (++mProgress == mSequence.size()) {
    Report(evSequencePuzzleCompleted);
  }
  return true;
}

void TSuspectPuzzleSequence::SaveProgress(TBinaryBuffer* buffer)
{
  buffer->WriteU32(mProgress);
}

bool TSuspectPuzzleSequence::LoadProgress(const str& config, TBinaryBuffer* buffer)
{
  uint32_t progress = 0;
  if (!buffer->ReadU32(&progress)) {
    return false;
  }
  ReadConfig(config, false);
  if (progress > mSequence.size()) {
    buffer->Fail("sequence progress");
    return false;
  }
  mProgress = progress;
  return true;
}

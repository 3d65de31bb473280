// suspectpuzzlesequence: the sequence puzzle's configuration, picks right and wrong, its
// completion and its saved record.
#include "puzzles/suspectpuzzlesequence.h"

#include "core/foundation/xmlnode.h"
#include "screenbase/configuredscreen.h"
#include "screenbase/savestring.h"
#include "controller/thegame.h"
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
    TTheGame::GetInstance()->PostEvent(evSequencePuzzleCompleted);
  }
  return true;
}

bool TSuspectPuzzleSequence::Save(TBinaryBuffer* buffer)
{
  SaveString(buffer, mConfig);
  buffer->WriteU32(mProgress);
  return TSceneScreen::Save(buffer);
}

bool TSuspectPuzzleSequence::LoadSaved(TBinaryBuffer* buffer)
{
  str config;
  uint32_t progress = 0;
  if (!LoadString(buffer, config) || !buffer->ReadU32(&progress)) {
    return false;
  }
  ReadConfig(config, false);
  if (progress > mSequence.size()) {
    buffer->Fail("sequence progress");
    return false;
  }
  mProgress = progress;
  return TSceneScreen::LoadSaved(buffer);
}

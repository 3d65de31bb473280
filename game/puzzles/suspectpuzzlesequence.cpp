// suspectpuzzlesequence: the sequence puzzle's configuration, picks right and wrong (a wrong
// one marked for a moment), its completion and its saved record.
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
  mWrongCard = str();
  mWrongMarkLeft = 0;
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
  // A click during the mark does not wait for it: the sequence starts again and the click
  // is its first pick.
  if (IsMarkingWrongPick()) {
    StartAgain();
  }
  if (card->GetId() != mSequence[mProgress]) {
    // A wrong pick shows where it went wrong before the cards chosen so far turn back.
    if (card->getStateNum(kWrongState) >= 0) {
      card->setVisible(true);
      card->setState(str(kWrongState));
      mWrongCard = card->GetId();
      mWrongMarkLeft = kWrongMarkMs;
    } else {
      StartAgain();
    }
    return true;
  }
  SetStateOrHide(card, kChosenState);
  if (++mProgress == mSequence.size()) {
    Report(evSequencePuzzleCompleted);
  }
  return true;
}

void TSuspectPuzzleSequence::OnTick(double ms)
{
  TPuzzleScreen::OnTick(ms);
  if (IsMarkingWrongPick()) {
    mWrongMarkLeft -= ms;
    if (mWrongMarkLeft <= 0) {
      StartAgain();
    }
  }
}

bool TSuspectPuzzleSequence::IsAnimating() const
{
  return IsMarkingWrongPick() || TPuzzleScreen::IsAnimating();
}

void TSuspectPuzzleSequence::StartAgain()
{
  for (uint32_t i = 0; i < mProgress && i < mSequence.size(); ++i) {
    TurnBack(FindObject(mSequence[i]));
  }
  if (!mWrongCard.empty()) {
    TurnBack(FindObject(mWrongCard));
  }
  mProgress = 0;
  mWrongCard = str();
  mWrongMarkLeft = 0;
}

void TSuspectPuzzleSequence::TurnBack(TSceneObject* card)
{
  if (!card) {
    return;
  }
  // The scene tells a card the pointer came in only as it comes: a card turned back under
  // the pointer takes its hover look here.
  bool hovered = false;
  if (TScene* scene = card->GetScene()) {
    for (TSceneObject* at = scene->GetHoveredObject(); at && !hovered; at = at->GetParent()) {
      hovered = at == card;
    }
  }
  card->setVisible(true);
  card->setState(str(hovered && card->getStateNum(kHoverState) >= 0 ? kHoverState : kNormalState));
}

void TSuspectPuzzleSequence::SaveProgress(TBinaryBuffer* buffer)
{
  if (IsMarkingWrongPick()) {
    StartAgain();
  }
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

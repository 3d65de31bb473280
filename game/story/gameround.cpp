// gameround: a story round's configuration, its cases, its cinematic and dialogs, and its
// saved record.
#include "story/gameround.h"

#include <climits>

#include "core/app/gamestate.h"
#include "core/foundation/xmlnode.h"
#include "story/storystage.h"
#include "story/venues.h"
#include "core/foundation/debug.h"
#include "scene/binarybuffer.h"
#include "scene/xmlattributes.h"

namespace {

void SetAnalytics(const char* name, int value)
{
  if (TGameState* state = TGameState::GetInstance()) {
    state->SetState(name, value);
  }
}

} // namespace

TGameRound::TGameRound(TStoryStage* stage) : mStage(stage) {}

TGameRound::~TGameRound()
{
  DeInit();
}

void TGameRound::LoadFromXml(TXmlNode* roundElement)
{
  mCinema = roundElement->GetAttribute("cinema");
  mJournalScene = roundElement->GetAttribute("journal_scene");
  mOverlayScene = roundElement->GetAttribute("overlay_scene");
  mEndDialog = roundElement->GetAttribute("end_anim");
  mRank = roundElement->GetAttribute("rank");
  // Seconds in the file; a time too long for milliseconds in 32 bits is held at the limit.
  const int seconds = ReadIntAttribute(roundElement, "time", 0);
  mTime = seconds > INT_MAX / 1000 ? INT_MAX : seconds < INT_MIN / 1000 ? INT_MIN : seconds * 1000;
  if (TXmlNode* cases = roundElement->GetChild("cases")) {
    str tag;
    TXmlNode* element = nullptr;
    cases->ResetChildren();
    while (cases->GetNextChild(&tag, &element)) {
      mCases.emplace_back(new TCase(mStage));
      mCases.back()->LoadFromXml(element);
    }
  }
  for (unsigned i = 0; i < mCases.size(); ++i) {
    mCaseIndex.insert(std::make_pair(mCases[i]->mLocationId, i));
  }
}

void TGameRound::ShowCinema()
{
  SetAnalytics("MainMenuScreenTime", 0);
  SetAnalytics("ComicScreenTime", 1);
  if (mStage) {
    mStage->PlayMovie(mCinema);
  }
}

void TGameRound::ShowEndDialog()
{
  if (!mStage || !mStage->ShowOverlayDialog(mEndDialog, true)) {
    WriteDbg("ERROR: No overlay screen for the round");
  }
}

void TGameRound::ReloadOverlayScene()
{
  if (!mStage || !mStage->ReloadOverlayScene(mOverlayScene)) {
    WriteDbg("ERROR: No overlay screen for the round");
  }
}

void TGameRound::PlayCase(TCase* c)
{
  mCurrentCase = c;
  if (c) {
    c->Play();
  }
}

void TGameRound::SetCurrentCase(int i)
{
  if (i >= int(mCases.size())) {
    WriteDbg("ERROR: The round has no case %d", i);
    i = -1;
  }
  mCurrentCase = i >= 0 ? mCases[i].get() : nullptr;
  if (mCurrentCase) {
    SetAnalytics("Venue", GetVenue(mCurrentCase->mLocationId));
    SetAnalytics("VenueType", GetVenueType(mCurrentCase->mLocationId));
  }
}

TCase* TGameRound::getCase(unsigned i) const
{
  return i < mCases.size() ? mCases[i].get() : nullptr;
}

TCase* TGameRound::getCase(const str& locationId) const
{
  auto found = mCaseIndex.find(locationId);
  return found == mCaseIndex.end() ? nullptr : mCases[found->second].get();
}

int TGameRound::getCaseNum(const TCase* c) const
{
  for (unsigned i = 0; i < mCases.size(); ++i) {
    if (mCases[i].get() == c) {
      return int(i);
    }
  }
  return -1;
}

int TGameRound::getCurrentCaseNum() const
{
  return mCurrentCase ? getCaseNum(mCurrentCase) : -1;
}

int TGameRound::getSolvedCasesCount() const
{
  int solved = 0;
  for (const auto& c : mCases) {
    solved += c->IsSolved() ? 1 : 0;
  }
  return solved;
}

int TGameRound::getOpenedCasesCount() const
{
  int opened = 0;
  for (const auto& c : mCases) {
    opened += c->IsOpened() ? 1 : 0;
  }
  return opened;
}

void TGameRound::DeInit()
{
  for (auto& c : mCases) {
    c->DeInit();
  }
}

void TGameRound::Reset()
{
  for (auto& c : mCases) {
    c->Reset();
  }
}

bool TGameRound::Save(TBinaryBuffer* buffer)
{
  buffer->WriteI32(getCurrentCaseNum());
  bool saved = true;
  for (auto& c : mCases) {
    saved = c->Save(buffer) && saved;
  }
  return saved && !buffer->Failed();
}

bool TGameRound::Load(TBinaryBuffer* buffer)
{
  Reset();
  int32_t current = -1;
  if (!buffer->ReadI32(&current)) {
    return false;
  }
  mCurrentCase = current >= 0 ? getCase(unsigned(current)) : nullptr;
  for (auto& c : mCases) {
    if (!c->Load(buffer)) {
      return false;
    }
  }
  return true;
}

// case: a story case's configuration, its play steps over the game controller's screens,
// its theories and its saved record.
#include "story/case.h"

#include <algorithm>

#include "core/foundation/xmlnode.h"
#include "screenbase/minigame.h"
#include "screenbase/savestring.h"
#include "screenbase/scenescreen.h"
#include "shell/shellglue.h"
#include "screenbase/gamestates.h"
#include "shell/gamedefs.h"
#include "story/storystage.h"
#include "core/foundation/debug.h"
#include "scene/binarybuffer.h"
#include "scene/xmlattributes.h"

namespace {

const char kChecklistClass[] = "TSuspectPuzzleChecklist";
const char kDefaultMetaPuzzleClass[] = "TMetaPuzzle";

str AttributeOf(TXmlNode* node, const char* name)
{
  return node ? node->GetAttribute(name) : str();
}

// A saved flag byte: 0 or 1, anything else is damage.
bool ReadFlag(TBinaryBuffer* buffer, bool* flag)
{
  unsigned char byte = 0;
  if (buffer->Failed() || buffer->Read(&byte, 1) != 1) {
    return false;
  }
  if (byte > 1) {
    buffer->Fail("screen flag");
    return false;
  }
  *flag = byte == 1;
  return true;
}

void WriteFlag(TBinaryBuffer* buffer, bool flag)
{
  unsigned char byte = flag ? 1 : 0;
  buffer->Write(&byte, 1);
}

} // namespace

TCase::TCase(TStoryStage* stage) : mStage(stage) {}

TCase::~TCase()
{
  DeInit();
}

void TCase::LoadFromXml(TXmlNode* caseElement)
{
  mLocationId = AttributeOf(caseElement, "location_id");
  TXmlNode* search = caseElement ? caseElement->GetChild("SearchScreen") : nullptr;
  mSearchScreenClass = AttributeOf(search, "ScreenClass");
  mSceneFile = AttributeOf(search, "SceneConfig");
  mSearchConfig = AttributeOf(search, "SearchConfig");
  mSearchIntroDialog = AttributeOf(search, "IntroAnim");
  mSearchEndDialog = AttributeOf(search, "EndAnim");
  mCoverFrame = AttributeOf(search, "Cover");
  mLocationSting = AttributeOf(search, "location_sting");
  mAmbientSound = AttributeOf(search, "ambient_sound");
  mIntroAnimation = AttributeOf(caseElement ? caseElement->GetChild("IntroAnim") : nullptr, "anim");
  mEndAnimation = AttributeOf(caseElement ? caseElement->GetChild("EndAnim") : nullptr, "anim");
  TXmlNode* puzzles = caseElement ? caseElement->GetChild("Puzzles") : nullptr;
  mSequenceConfig = AttributeOf(puzzles, "SequenceConfig");
  mChecklistConfig = AttributeOf(puzzles, "ChecklistConfig");
  mMetaPuzzleConfig = AttributeOf(puzzles, "MetaPuzzleConfig");
  mMetaPuzzleClass = AttributeOf(puzzles, "MetaPuzzleClass");
  if (mMetaPuzzleClass.empty()) {
    mMetaPuzzleClass = kDefaultMetaPuzzleClass;
  }
  mSequenceClass = AttributeOf(puzzles, "SequenceClass");

  if (TXmlNode* theories = caseElement ? caseElement->GetChild("theories") : nullptr) {
    str tag;
    TXmlNode* element = nullptr;
    theories->ResetChildren();
    while (theories->GetNextChild(&tag, &element)) {
      TTheory theory;
      theory.mId = element->GetAttribute("id");
      theory.mTextLabel = element->GetAttribute("txt");
      theory.mAnimation = element->GetAttribute("anim");
      theory.mCheckText = element->GetAttribute("check_text");
      theory.mIcon = element->GetAttribute("icon");
      (theory.mId.empty() ? mUntitledTheories : mTheories).push_back(theory);
    }
  }
  mCaseFile.LoadFromXml(caseElement ? caseElement->GetChild("case_file") : nullptr);
  ReadChecklistConfig();
}

void TCase::ReadChecklistConfig()
{
  mEliminatedSuspects.clear();
  if (mChecklistConfig.empty()) {
    return;
  }
  TXmlNode document;
  document.ParseFile(mChecklistConfig.c_str());
  TXmlNode* checklist = document.GetChild("checklist_puzzle");
  TXmlNode* suspects = checklist ? checklist->GetChild("suspects") : nullptr;
  if (!suspects) {
    WriteDbg("ERROR: Checklist %s of case %s has no \"checklist_puzzle\" with \"suspects\"", mChecklistConfig.c_str(),
             mLocationId.c_str());
    return;
  }
  std::vector<int> nums;
  str_to_int(suspects->GetAttribute("nums").c_str(), &nums);
  // The three suspects who take part in the checklist, 0-based; the journal crosses out
  // the others.
  if (nums.size() < 3 || std::any_of(nums.begin(), nums.begin() + 3, [](int k) { return k < 0 || k > 5; })) {
    WriteDbg("ERROR: Checklist %s of case %s: \"nums\" must name three suspects from 0 to 5", mChecklistConfig.c_str(),
             mLocationId.c_str());
    return;
  }
  std::vector<int> candidates = {1, 2, 3, 4, 5, 6};
  for (int i = 0; i < 3; ++i) {
    candidates.erase(std::remove(candidates.begin(), candidates.end(), nums[i] + 1), candidates.end());
  }
  mEliminatedSuspects.assign(nums.begin(), nums.end());
  for (int i = 0; i < 3; ++i) {
    mEliminatedSuspects[i] = candidates[i];
  }
}

void TCase::Play()
{
  if (mState == kNotOpened) {
    ShowIntroAnimation();
  } else {
    if (mStage) {
      mStage->PostEvent(evPlayCase);
    }
  }
}

void TCase::ShowDialog(const str& name, bool modal)
{
  if (!mStage || !mStage->ShowOverlayDialog(name, modal)) {
    WriteDbg("ERROR: No overlay screen to show a dialog on");
  }
}

void TCase::ShowIntroAnimation()
{
  ShowDialog(mIntroAnimation, true);
  mState = kIntroShown;
}

void TCase::ShowSearchIntro()
{
  if (mStage && mStage->GetGameMode() == kControllerStory) {
    ShowDialog(mSearchIntroDialog, true);
  }
}

void TCase::ShowSearchEndAnimation()
{
  if (mStage && mStage->GetGameMode() == kControllerStory) {
    ShowDialog(mSearchEndDialog, true);
  }
}

void TCase::PlaySearchScreen()
{
  TStoryStage* game = mStage;
  if (!game) {
    return;
  }
  if (!mMetaPuzzleScreen) {
    mMetaPuzzleScreen = game->AddScreen(mMetaPuzzleClass);
    if (TMetaPuzzleBase* puzzle = dynamic_cast<TMetaPuzzleBase*>(mMetaPuzzleScreen)) {
      puzzle->ReInit(mMetaPuzzleConfig, true);
    }
  }
  mState = kSearching;
  if (!mSearchScreen) {
    mSearchScreen = game->AddScreen(mSearchScreenClass);
    if (mSearchScreen) {
      mSearchScreen->AddScene(mSceneFile, false);
    }
  }
  game->SwitchToScreen(mSearchScreen, TStoryStage::kScreenFade);
}

void TCase::SearchScreenCompleted()
{
  ShowSearchEndAnimation();
  mState = kSequenceStage;
}

void TCase::PlayMetaPuzzle()
{
  if (mStage && !mMetaPuzzleConfig.empty()) {
    mStage->SwitchToScreen(mMetaPuzzleScreen, TStoryStage::kScreenFade);
  }
}

void TCase::PlaySequencePuzzle()
{
  TStoryStage* game = mStage;
  if (!game) {
    return;
  }
  game->DeleteScreen(mSearchScreen);
  mSearchScreen = nullptr;
  mState = kSequenceStage;
  if (!mSequenceScreen) {
    mSequenceScreen = game->AddScreen(mSequenceClass);
    if (TMiniGame* puzzle = dynamic_cast<TMiniGame*>(mSequenceScreen)) {
      puzzle->LoadConfig(mSequenceConfig, true);
    }
  }
  game->SwitchToScreen(mSequenceScreen, TStoryStage::kScreenFade);
}

void TCase::PlayChecklistPuzzle()
{
  TStoryStage* game = mStage;
  if (!game) {
    return;
  }
  if (!mChecklistScreen) {
    mChecklistScreen = game->AddScreen(kChecklistClass);
    if (TMetaPuzzleBase* puzzle = dynamic_cast<TMetaPuzzleBase*>(mChecklistScreen)) {
      puzzle->ReInit(mChecklistConfig, true);
    }
  }
  game->SwitchToScreen(mChecklistScreen, TStoryStage::kScreenFade);
}

void TCase::ShowEndAnimation()
{
  ShowDialog(mEndAnimation, true);
}

void TCase::SuspectFounded(unsigned index)
{
  mCaseFile.mFoundSuspects.push_back(index);
}

bool TCase::CheckTheory(const str& id)
{
  auto theory = std::find_if(mTheories.begin(), mTheories.end(),
                             [&id](const TTheory& candidate) { return candidate.mId == id && !candidate.mChecked; });
  if (theory == mTheories.end()) {
    return false;
  }
  theory->mChecked = true;
  const str text = GameString(theory->mTextLabel);
  const int number = int(mCaseFile.mCheckedTheoryTexts.size()) + 1;
  mCaseFile.mCheckedTheoryTexts.push_back(str::getFormatted("%d. %s", number, text.c_str()));
  ShowDialog(theory->mAnimation, false);
  mCaseFile.mCheckedTheoryIcons.push_back(theory->mIcon);
  return true;
}

str TCase::getCoverFrameName() const
{
  return mStage && mStage->IsLocalVersionForWallOfFame() ? "loc_" + mCoverFrame : mCoverFrame;
}

void TCase::DeInit()
{
  if (TStoryStage* game = mStage) {
    for (TSceneScreen** screen : {&mSearchScreen, &mSequenceScreen, &mChecklistScreen, &mMetaPuzzleScreen}) {
      game->DeleteScreen(*screen);
      *screen = nullptr;
    }
  }
  mCaseFile.mCheckedTheoryTexts.clear();
  mCaseFile.mFoundSuspects.clear();
  mCaseFile.mCheckedTheoryIcons.clear();
  for (TTheory& theory : mTheories) {
    theory.mChecked = false;
  }
}

void TCase::RecreateCurrentScreen()
{
  if (mState == kSolved) {
    DeInit();
  }
}

void TCase::Reset()
{
  DeInit();
  mState = kNotOpened;
  if (mStage) {
    mStage->ActivateMapLocation(mLocationId);
  }
}

bool TCase::Save(TBinaryBuffer* buffer)
{
  buffer->WriteI32(mState);
  SaveStrings(buffer, mCaseFile.mCheckedTheoryTexts);
  SaveStrings(buffer, mCaseFile.mCheckedTheoryIcons);
  buffer->WriteU32(uint32_t(mCaseFile.mFoundSuspects.size()));
  for (uint32_t suspect : mCaseFile.mFoundSuspects) {
    buffer->WriteU32(suspect);
  }
  bool saved = true;
  auto screenRecord = [&](TSceneScreen* screen) {
    WriteFlag(buffer, screen != nullptr);
    if (screen) {
      saved = screen->Save(buffer) && saved;
    }
  };
  switch (mState) {
  case kSearching:
    screenRecord(mSearchScreen);
    screenRecord(mMetaPuzzleScreen);
    break;
  case kSequenceStage:
    screenRecord(mSequenceScreen);
    break;
  case kChecklistStage:
    screenRecord(mChecklistScreen);
    break;
  default:
    break;
  }
  return saved && !buffer->Failed();
}

bool TCase::LoadScreen(TBinaryBuffer* buffer, const str& className, const str& config, TSceneScreen** screen)
{
  bool present = false;
  if (!ReadFlag(buffer, &present)) {
    return false;
  }
  if (!present) {
    return true;
  }
  *screen = mStage ? mStage->AddScreen(className) : nullptr;
  if (!*screen) {
    buffer->Fail("screen class");
    return false;
  }
  (*screen)->ExpectConfig(config);
  return (*screen)->LoadSaved(buffer) && !buffer->Failed();
}

bool TCase::Load(TBinaryBuffer* buffer)
{
  DeInit();
  int32_t state = 0;
  if (!buffer->ReadI32(&state)) {
    return false;
  }
  if (state < kNotOpened || state > kSolved) {
    buffer->Fail("case state");
    return false;
  }
  if (!LoadStrings(buffer, &mCaseFile.mCheckedTheoryTexts) || !LoadStrings(buffer, &mCaseFile.mCheckedTheoryIcons)) {
    return false;
  }
  uint32_t count = 0;
  if (!buffer->ReadCount(&count, 4, "found suspects")) {
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t suspect = 0;
    if (!buffer->ReadU32(&suspect)) {
      return false;
    }
    mCaseFile.mFoundSuspects.push_back(suspect);
  }
  mState = state;
  bool loaded = true;
  switch (mState) {
  case kSearching:
    loaded = LoadScreen(buffer, mSearchScreenClass, mSearchConfig, &mSearchScreen) &&
             LoadScreen(buffer, mMetaPuzzleClass, mMetaPuzzleConfig, &mMetaPuzzleScreen);
    break;
  case kSequenceStage:
    loaded = LoadScreen(buffer, mSequenceClass, mSequenceConfig, &mSequenceScreen);
    break;
  case kChecklistStage:
    loaded = LoadScreen(buffer, kChecklistClass, mChecklistConfig, &mChecklistScreen);
    break;
  default:
    break;
  }
  // The record keeps the confirmed theories' icons, not their flags: mark one theory per
  // icon again, so no theory can be confirmed twice.
  for (const str& icon : mCaseFile.mCheckedTheoryIcons) {
    for (TTheory& theory : mTheories) {
      if (!theory.mChecked && theory.mIcon == icon) {
        theory.mChecked = true;
        break;
      }
    }
  }
  return loaded;
}

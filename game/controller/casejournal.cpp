// casejournal: fills the journal's scenes from the round and case model, turns its pages and
// reports the player's choices to the game controller; talks to the scenes and the music.
#include "controller/casejournal.h"

#include "core/script/luabind.h"
#include "story/case.h"
#include "story/gameround.h"
#include "media/musicmanager.h"
#include "core/foundation/debug.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"
#include "scene/textobject.h"

const char* const TCaseJournal::tracks[kTrackCount] = {"audio/music/ss_01.ogg", "audio/music/ss_02.ogg",
                                                       "audio/music/ss_03.ogg", "audio/music/ss_04.ogg",
                                                       "audio/music/ss_05.ogg"};

namespace {

const char kRoot[] = "SCENE_ROOT";
// A page shows six suspects and three theories, whatever the data hold.
const unsigned kSuspects = TCaseFile::kMaxSuspects;
const unsigned kTheories = 3;

str Numbered(const char* format, unsigned number)
{
  return str::getFormatted(format, number);
}

} // namespace

// ---- Scenes and their objects -------------------------------------------------------------

TScene* TCaseJournal::FindScene(const char* id) const
{
  for (unsigned i = 0; i < getSceneCount(); ++i) {
    TScene* scene = getScene(i);
    if (scene->GetId() == str(id)) {
      return scene;
    }
  }
  return nullptr;
}

bool TCaseJournal::HasScene(const TScene* scene) const
{
  for (unsigned i = 0; i < getSceneCount(); ++i) {
    if (getScene(i) == scene) {
      return true;
    }
  }
  return false;
}

TSceneObject* TCaseJournal::Object(const char* sceneId, const str& name, bool required)
{
  TScene* scene = FindScene(sceneId);
  TSceneObject* object = scene ? scene->FindObject(name) : nullptr;
  if (!object && required && mReported.insert(str(sceneId) + "/" + name).second) {
    WriteDbg("ERROR: The journal's scene %s has no object %s", sceneId, name.c_str());
  }
  return object;
}

TTextObject* TCaseJournal::Text(const char* sceneId, const str& name)
{
  TSceneObject* object = Object(sceneId, name);
  TTextObject* text = dynamic_cast<TTextObject*>(object);
  if (object && !text && mReported.insert(str(sceneId) + "/" + name + "#text").second) {
    WriteDbg("ERROR: The journal's object %s is not a text object", name.c_str());
  }
  return text;
}

void TCaseJournal::Show(const char* sceneId, const str& name, bool shown, bool required)
{
  if (TSceneObject* object = Object(sceneId, name, required)) {
    object->setVisible(shown);
  }
}

void TCaseJournal::SetState(const char* sceneId, const str& name, const char* state)
{
  if (TSceneObject* object = Object(sceneId, name)) {
    object->setState(str(state));
  }
}

void TCaseJournal::PostLoadInit(TScene* scene, bool fromSave)
{
  (void)fromSave;
  lua_State* L = scene->GetScript().GetState();
  const str& id = scene->GetId();
  if (id == str(kMainScene)) {
    LuaBind(L, "OpenCompleted", this, &TCaseJournal::OpenCompleted);
    LuaBind(L, "NextStart", this, &TCaseJournal::NextStart);
    LuaBind(L, "NextEnd", this, &TCaseJournal::NextEnd);
    LuaBind(L, "PrevStart", this, &TCaseJournal::PrevStart);
    LuaBind(L, "PrevEnd", this, &TCaseJournal::PrevEnd);
    LuaBind(L, "BackToMap", this, &TCaseJournal::BackToMap);
    LuaBind(L, "PlaySearch", this, &TCaseJournal::PlaySearch);
    LuaBind(L, "PlayMinigame", this, &TCaseJournal::PlaySuspectPuzzle);
    if (TTheGame* game = ControllerOf(this)) {
      LuaBind(L, "JournalFadingCompleted", game, &TTheGame::JournalFadingCompleted);
      LuaBind(L, "JournalFadingInCompleted", game, &TTheGame::JournalFadingInCompleted);
    }
  } else if (id == str(kRoundScene)) {
    LuaBind(L, "HighlightFace", this, &TCaseJournal::HighlightFace);
    LuaBind(L, "UnHighlightFace", this, &TCaseJournal::UnHighlightFace);
  } else if (id == str(kSolvedScene)) {
    LuaBind(L, "EndCaseTitleAnimationCompleted", this, &TCaseJournal::EndCaseTitleAnimationCompleted);
    LuaBind(L, "OnCaseSolvedContinueButtonPressed", this, &TCaseJournal::OnCaseSolvedContinueButtonPressed);
  }
}

// ---- The controller's calls ---------------------------------------------------------------

void TCaseJournal::OnRoundReset()
{
  while (TScene* old = FindScene(kRoundScene)) {
    DeleteScene(old);
  }
  mReported.clear();
  TGameRound* round = CurrentRound();
  if (round && !round->mJournalScene.empty()) {
    AddScene(round->mJournalScene, true);
  }
  if (TScene* solved = FindScene(kSolvedScene)) {
    SceneToFront(solved);
  }
  mPage = 0;
  // The first opening starts from an empty page, as every later one does after its fade-out.
  HideCaseFileInfo();
}

void TCaseJournal::ShowEndCaseTitleAnimation()
{
  Show(kMainScene, "assembly", false);
  SetState(kSolvedScene, "solved", "appear");
}

void TCaseJournal::Deactivate()
{
  TSceneScreen::Deactivate();
  mPhase = kClosed;
}

void TCaseJournal::StartFading(unsigned time, bool fadeIn)
{
  OnMouseMove(TPoint(0, 0));
  if (!fadeIn) {
    HideCaseFileInfo();
    SetState(kMainScene, kRoot, "fade_out");
    mPhase = kFadingOut;
    return;
  }
  TGameControl* game = GetControl();
  const double draw = game ? game->GetRandom().RandDouble() : 0.0;
  unsigned track = unsigned(draw * kTrackCount);
  if (track >= kTrackCount) {
    track = kTrackCount - 1;
  }
  if (game) {
    game->GetMusic()->PlayMusic(tracks[track], true, true, "");
  }
  for (unsigned i = 0; i < getSceneCount(); ++i) {
    TSceneObject* root = getScene(i)->FindObject(kRoot);
    if (!root) {
      continue;
    }
    TSceneObjectState* fade = root->getState(str("fade_in"));
    // A step of no length would never end the fade: the data's own length stays then.
    if (fade && !fade->mAnimators.empty() && time > 0) {
      fade->mAnimators.at(0)->SetDelay(time);
    }
    root->setState(str("fade_in"));
  }
  mPhase = kFadingIn;
}

void TCaseJournal::OfferToEveryScene(bool (TScene::*handler)(const TPoint&), const TPoint& point)
{
  // A scene's script may change the scene list: walk a copy.
  std::vector<TScene*> scenes;
  for (unsigned i = 0; i < getSceneCount(); ++i) {
    scenes.push_back(getScene(i));
  }
  for (TScene* scene : scenes) {
    if (HasScene(scene)) {
      (scene->*handler)(point);
    }
  }
}

bool TCaseJournal::OnMouseDown(const TPoint& point)
{
  OfferToEveryScene(&TScene::OnMouseDown, point);
  return true;
}

bool TCaseJournal::OnMouseUp(const TPoint& point)
{
  // Every scene that heard the press hears its release: one left holding a press would take
  // the next press for the same and drop that release.
  OfferToEveryScene(&TScene::OnMouseUp, point);
  return true;
}

bool TCaseJournal::OnMouseMove(const TPoint& point)
{
  OfferToEveryScene(&TScene::OnMouseMove, point);
  return true;
}

// ---- Pages --------------------------------------------------------------------------------

TGameRound* TCaseJournal::CurrentRound() const
{
  TTheGame* game = ControllerOf(this);
  return game ? game->GetCurrentRound() : nullptr;
}

TCase* TCaseJournal::PageCase() const
{
  TGameRound* round = CurrentRound();
  return round && mPage >= 0 ? round->getCase(unsigned(mPage)) : nullptr;
}

bool TCaseJournal::IsOpened(int index) const
{
  TGameRound* round = CurrentRound();
  TCase* c = round && index >= 0 ? round->getCase(unsigned(index)) : nullptr;
  return c && c->IsOpened();
}

void TCaseJournal::OpenCompleted()
{
  mPhase = kOpen;
  TGameRound* round = CurrentRound();
  const int current = round ? round->getCurrentCaseNum() : -1;
  mPage = current < 0 ? 0 : current;
  UpdateButtons();
  ShowCaseFileInfo();
}

void TCaseJournal::TurnPage(int step)
{
  TGameRound* round = CurrentRound();
  const int count = round ? int(round->getCaseCount()) : 0;
  if (count == 0) {
    return;
  }
  // Once round at most: with no opened case the page stays where it was.
  int page = mPage;
  for (int turned = 0; turned < count; ++turned) {
    page = ((page + step) % count + count) % count;
    if (IsOpened(page)) {
      mPage = page;
      return;
    }
  }
}

void TCaseJournal::NextStart()
{
  HideCaseFileInfo();
  TurnPage(1);
}

void TCaseJournal::PrevStart()
{
  HideCaseFileInfo();
  TurnPage(-1);
}

void TCaseJournal::NextEnd()
{
  UpdateButtons();
  ShowCaseFileInfo();
}

void TCaseJournal::PrevEnd()
{
  UpdateButtons();
  ShowCaseFileInfo();
}

void TCaseJournal::UpdateButtons()
{
  TGameRound* round = CurrentRound();
  const int count = round ? int(round->getCaseCount()) : 0;
  bool after = false;
  bool before = false;
  for (int i = 0; i < count; ++i) {
    if (IsOpened(i)) {
      after = after || i > mPage;
      before = before || i < mPage;
    }
  }
  SetState(kMainScene, "next_1", after ? "normal" : "disabled");
  SetState(kMainScene, "prev_1", before ? "normal" : "disabled");
}

void TCaseJournal::BackToMap()
{
  Report(evBackToMap);
}

void TCaseJournal::SelectPageCase()
{
  if (TGameRound* round = CurrentRound()) {
    if (PageCase()) {
      round->SetCurrentCase(mPage);
    }
  }
}

void TCaseJournal::PlaySearch()
{
  SelectPageCase();
  Report(evStartSearch);
}

void TCaseJournal::PlaySuspectPuzzle()
{
  SelectPageCase();
  Report(evPlaySuspectPuzzle);
}

void TCaseJournal::SetFace(int number, const char* suffix)
{
  TCase* c = PageCase();
  if (!c || number < 1 || number > int(kSuspects) || unsigned(number) > c->mCaseFile.mSuspectFrames.size()) {
    return;
  }
  if (TSceneObject* face = Object(kRoundScene, Numbered("face_%d", unsigned(number)))) {
    face->setFrame(c->mCaseFile.mSuspectFrames[number - 1] + suffix);
  }
}

void TCaseJournal::HighlightFace(int number)
{
  SetFace(number, "_h");
}

void TCaseJournal::UnHighlightFace(int number)
{
  SetFace(number, "_n");
}

void TCaseJournal::EndCaseTitleAnimationCompleted()
{
  WriteDbg("Case solved: the way back to the map shows");
  SetState(kSolvedScene, "CaseSolvedContinueButton", "appear");
}

void TCaseJournal::OnCaseSolvedContinueButtonPressed()
{
  Report(evCaseEndingTitleAnimationEnded);
}

void TCaseJournal::HideCaseFileInfo()
{
  for (const char* name : {"case_pict", "case_description", "lines", "case_title"}) {
    Show(kRoundScene, name, false);
  }
  for (const char* name : {"search_button", "suspect_button", "checklist_button", "back_to_map_1", "assembly"}) {
    Show(kMainScene, name, false);
  }
  Show(kRoundScene, "suspects_title", false);
  for (const char* format : {"theory_%02d", "theory_icon_%d"}) {
    for (unsigned i = 1; i <= kTheories; ++i) {
      Show(kRoundScene, Numbered(format, i), false);
    }
  }
  for (const char* format : {"face_%d", "clue_icon_%d", "foto_%d", "parcel_%d"}) {
    for (unsigned n = 1; n <= kSuspects; ++n) {
      Show(kRoundScene, Numbered(format, n), false);
    }
  }
  Show(kSolvedScene, "solved", false);
  for (const char* name : {"theories_const_txt", "solved_const_txt", "case_solved_txt"}) {
    Show(kRoundScene, name, false);
  }
  for (unsigned n = 1; n <= kSuspects; ++n) {
    Show(kRoundScene, Numbered("foto_%d_", n), false);
  }
  for (unsigned n = 1; n <= kSuspects; ++n) {
    Show(kRoundScene, Numbered("cross_%d", n), false, false);
  }
  ClearSuspectNames();
}

void TCaseJournal::ClearSuspectNames()
{
  for (unsigned n = 1; n <= kSuspects; ++n) {
    if (TTextObject* name = Text(kRoundScene, Numbered("_name_%d", n))) {
      name->setText(str());
    }
  }
}

void TCaseJournal::ShowSuspect(const TCaseFile& file, unsigned index)
{
  // The data may hold fewer suspects than the page has places, or name one past them.
  if (index >= kSuspects || index >= file.mSuspectFrames.size()) {
    return;
  }
  const unsigned number = index + 1;
  if (TSceneObject* face = Object(kRoundScene, Numbered("face_%d", number))) {
    face->setFrame(file.mSuspectFrames[index] + "_n");
    face->setVisible(true);
  }
  if (TSceneObject* clue = Object(kRoundScene, Numbered("clue_icon_%d", number))) {
    if (index < file.mClueIcons.size()) {
      clue->setFrame(file.mClueIcons[index]);
    }
    clue->setVisible(true);
  }
  Show(kRoundScene, Numbered("foto_%d", number), true);
  if (TTextObject* name = Text(kRoundScene, Numbered("_name_%d", number))) {
    name->setText(index < file.mNames.size() ? file.mNames[index] : str());
  }
  Show(kRoundScene, Numbered("parcel_%d", number), false);
}

void TCaseJournal::CrossAllButGuilty(const TCaseFile& file)
{
  for (unsigned n = 1; n <= kSuspects; ++n) {
    if (int(n) != file.mGuilty) {
      Show(kRoundScene, Numbered("cross_%d", n), true, false);
    }
  }
}

void TCaseJournal::ShowCaseFileInfo()
{
  TCase* c = PageCase();
  if (!c) {
    return;
  }
  // A snapshot: the scenes' scripts may change the case while the page is filled.
  const TCaseFile file = c->mCaseFile;
  const int state = c->GetState();

  if (TSceneObject* picture = Object(kRoundScene, "case_pict")) {
    picture->setFrame(file.mPictureFrame);
    picture->setVisible(true);
  }
  if (TTextObject* title = Text(kRoundScene, "case_title")) {
    title->setText(file.mTitle);
    title->setVisible(true);
  }
  if (TTextObject* description = Text(kRoundScene, "case_description")) {
    description->setText(file.mDescription);
    description->setVisible(true);
  }
  Show(kRoundScene, "lines", true);
  if (TTextObject* solved = Text(kRoundScene, "case_solved_txt")) {
    solved->setText(file.mSolvedText);
    solved->setVisible(false);
  }
  if (!file.mCheckedTheoryTexts.empty()) {
    Show(kRoundScene, "theories_const_txt", true);
  }
  Show(kRoundScene, "suspects_title", true);
  Show(kMainScene, "assembly", true);
  Show(kMainScene, "back_to_map_1", true);
  SetState(kMainScene, "back_to_map_1", "normal");

  for (unsigned i = 1; i <= file.mCheckedTheoryTexts.size() && i <= kTheories; ++i) {
    if (TTextObject* text = Text(kRoundScene, Numbered("theory_%02d", i))) {
      text->setText(file.mCheckedTheoryTexts[i - 1]);
      text->setVisible(true);
    }
  }
  for (unsigned i = 1; i <= file.mCheckedTheoryIcons.size() && i <= kTheories; ++i) {
    if (TSceneObject* icon = Object(kRoundScene, Numbered("theory_icon_%d", i))) {
      icon->setFrame(file.mCheckedTheoryIcons[i - 1]);
      icon->setVisible(true);
    }
  }
  for (unsigned n = 1; n <= kSuspects; ++n) {
    Show(kRoundScene, Numbered("foto_%d_", n), true);
  }
  for (unsigned n = 1; n <= kSuspects; ++n) {
    Show(kRoundScene, Numbered("parcel_%d", n), true);
  }
  // A page names only its own case's suspects found so far.
  ClearSuspectNames();

  // The three buttons' looks in the states that set them.
  static const char* const kButtons[][3] = {
      {"faded", "faded", "faded"},
      {"normal", "faded", "faded"},
      {"normal", "faded", "faded"},
      {"transform_to_done", "normal", "faded"},
      {"transform_to_done", "transform_to_done", "normal"},
  };
  if (state >= 0 && state <= TCase::kChecklistStage) {
    const char* const names[3] = {"search_button", "suspect_button", "checklist_button"};
    for (int i = 0; i < 3; ++i) {
      SetState(kMainScene, names[i], kButtons[state][i]);
    }
    for (const char* name : names) {
      Show(kMainScene, name, true);
    }
  }

  switch (state) {
  case TCase::kSearching:
    for (uint32_t index : file.mFoundSuspects) {
      ShowSuspect(file, index);
    }
    break;
  case TCase::kSequenceStage:
    for (unsigned index = 0; index < kSuspects; ++index) {
      ShowSuspect(file, index);
    }
    break;
  case TCase::kChecklistStage:
    for (unsigned index = 0; index < kSuspects; ++index) {
      ShowSuspect(file, index);
    }
    for (int32_t number : c->mEliminatedSuspects) {
      if (number >= 1 && number <= int(kSuspects)) {
        Show(kRoundScene, Numbered("cross_%d", unsigned(number)), true, false);
      }
    }
    break;
  case TCase::kEnding:
    for (unsigned index = 0; index < kSuspects; ++index) {
      ShowSuspect(file, index);
    }
    CrossAllButGuilty(file);
    Show(kMainScene, "assembly", false);
    // The case-solved scene's own button leads back to the map; a second, dead one beside
    // it would only be in the way.
    SetState(kMainScene, "back_to_map_1", "disabled");
    Show(kMainScene, "back_to_map_1", false);
    Show(kRoundScene, "solved_const_txt", true);
    Show(kRoundScene, "case_solved_txt", true);
    SetState(kMainScene, "next_1", "disabled");
    SetState(kMainScene, "prev_1", "disabled");
    Report(evCaseEndingJournalOpened);
    break;
  case TCase::kSolved:
    for (unsigned index = 0; index < kSuspects; ++index) {
      ShowSuspect(file, index);
    }
    Show(kMainScene, "assembly", false);
    Show(kRoundScene, "solved_const_txt", true);
    Show(kRoundScene, "case_solved_txt", true);
    CrossAllButGuilty(file);
    break;
  default:
    break;
  }
}

// Tests of the case journal over real scenes: the three scenes in their order, the pages of
// opened cases and their turning, the suspects, theories and crosses of each case state, the
// fades, the buttons' events and the solved title, with data that holds less than it should.
#include <map>
#include <set>

#include "buildpaths.h"
#include "core/foundation/xmlnode.h"
#include "controller/casejournal.h"
#include "story/gameround.h"
#include "media/musicmanager.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"
#include "scene/textobject.h"
#include "support/gamescenetestutil.h"

namespace {

// A resources file whose frames carry the names the case files use, all over the one block.
std::string JournalResources()
{
  std::string images;
  auto image = [&images](const std::string& id) {
    images += "<image id='" + id + "' texture='block' x='0' y='0' w='40' h='40'/>";
  };
  for (int n = 1; n <= 6; ++n) {
    const std::string s = std::to_string(n);
    image("s" + s + "_n");
    image("s" + s + "_h");
    image("c" + s);
  }
  for (const char* id : {"block", "pict_a", "pict_b", "icon_1", "icon_2", "icon_3", "icon_4"}) {
    image(id);
  }
  return "<resources><textures><texture id='block' file='block.png'/></textures><images>" + images +
         "</images><empties><image id='box' x='0' y='0' w='200' h='20'/></empties></resources>";
}

// Four cases: a with six suspects (guilty 3), b with two, c and d with six (guilty 1).
std::string Suspects(int count, int guilty)
{
  std::string text = "<suspects guilty='" + std::to_string(guilty) + "'>";
  for (int n = 1; n <= count; ++n) {
    const std::string s = std::to_string(n);
    text += "<suspect frame='s" + s + "' clue_icon='c" + s + "' name='Name" + s + "'/>";
  }
  return text + "</suspects>";
}

std::string Case(const char* id, const char* picture, int suspects, int guilty)
{
  return std::string("<case location_id='") + id +
         "'><SearchScreen ScreenClass='TSearchScreen' SceneConfig='scenes/search/x.sxm'/>"
         "<Puzzles SequenceClass='TStubSequence' ChecklistConfig='configs/cases/museum_checklist.xml'/>"
         "<case_file><title txt='title_" +
         id + "'/><dsc txt='dsc'/><solved txt='solved_" + id + "'/><image frame='" + picture + "'/>" +
         Suspects(suspects, guilty) + "</case_file></case>";
}

class CaseJournalTest : public GameSceneTest
{
protected:
  void SetUp() override
  {
    GameSceneTest::SetUp();
    gScreenFactory.Register("TCaseJournal", &CreateScreen<TCaseJournal>);
    WriteFile("scenes/journal_res.xml", JournalResources());
    WriteFile("configs/rounds_config.xml",
              "<rounds><round journal_scene='scenes/journal/round1.sxm'><cases>" + Case("a", "pict_a", 6, 3) +
                  Case("b", "pict_b", 2, 1) + Case("c", "pict_a", 6, 1) + Case("d", "pict_b", 6, 1) +
                  "</cases></round><round journal_scene='scenes/journal/round2.sxm'><cases>" +
                  Case("e", "pict_a", 6, 2) + "</cases></round></rounds>");
    const std::string button = "<states><st id='faded'/><st id='normal'/><st id='transform_to_done'/></states>";
    WriteJournalScene(
        "scenes/case_journal/journal.sxm", "Journal_Scene",
        "<object id='SCENE_ROOT' f='box' p='400,10'><states>"
        "<st id='idle'/>"
        "<st id='fade_in' sn='open' sc='TAlphaAnimator'><animators>"
        "<animator type='TAlphaAnimator' delay='100' key='0,1'/></animators></st>"
        "<st id='open'><script>OpenCompleted() JournalFadingInCompleted()</script></st>"
        "<st id='fade_out' sn='closed' sc='TAlphaAnimator'><animators>"
        "<animator type='TAlphaAnimator' delay='100' key='1,0'/></animators></st>"
        "<st id='closed'><script>JournalFadingCompleted()</script></st></states></object>"
        "<object id='search_button' f='block' p='100,560'>" +
            button +
            "<on_mouse_up><script>if getObjectState($this.id):find('^normal$') then PlaySearch() end"
            "</script></on_mouse_up></object>"
            "<object id='suspect_button' f='block' p='200,560'>" +
            button +
            "<on_mouse_up><script>PlayMinigame()</script></on_mouse_up></object>"
            "<object id='checklist_button' f='block' p='300,560'>" +
            button +
            "</object>"
            "<object id='back_to_map_1' f='block' p='700,560'><states><st id='normal'/><st id='disabled'/>"
            "</states><on_mouse_up><script>BackToMap()</script></on_mouse_up></object>"
            "<object id='assembly' f='block' p='500,560'/>"
            "<object id='next_1' f='block' p='760,300'><states><st id='normal'/><st id='disabled'/></states>"
            "<on_mouse_up><script>NextStart() NextEnd()</script></on_mouse_up></object>"
            "<object id='prev_1' f='block' p='40,300'><states><st id='normal'/><st id='disabled'/></states>"
            "<on_mouse_up><script>PrevStart() PrevEnd()</script></on_mouse_up></object>" +
            Clickable("main_probe"));
    WriteJournalScene("scenes/journal/round1.sxm", "Journal_round_scene", RoundPage(""));
    WriteJournalScene("scenes/journal/round2.sxm", "Journal_round_scene",
                      RoundPage("<object id='round2_mark' f='block'/>"));
    WriteJournalScene("scenes/case_solved/case_solved.sxm", "case_solved_scene",
                      "<object id='SCENE_ROOT' f='box' p='400,30'/>"
                      "<object id='solved' f='block' p='400,200'><states><st id='idle'/>"
                      "<st id='appear'><script>EndCaseTitleAnimationCompleted()</script></st></states></object>"
                      "<object id='CaseSolvedContinueButton' f='block' p='400,260' v='0'><states><st id='idle'/>"
                      "<st id='appear' v='1'/></states>"
                      "<on_mouse_up><script>OnCaseSolvedContinueButtonPressed()</script></on_mouse_up></object>" +
                          Clickable("solved_probe"));
  }

  // An object at (20, 20) that records a press and its release in its state.
  static std::string Clickable(const std::string& id)
  {
    return "<object id='" + id +
           "' f='block' p='20,20'><states><st id='idle'/><st id='pressed'/><st id='released'/>"
           "</states><on_mouse_down><script>setObjectState($this.id, 'pressed')</script></on_mouse_down>"
           "<on_mouse_up><script>setObjectState($this.id, 'released')</script></on_mouse_up></object>";
  }
  // The round page with every object but cross 4, face objects hovering to highlight.
  static std::string RoundPage(const std::string& extra)
  {
    std::string objects = "<object id='SCENE_ROOT' f='box' p='400,50'><states><st id='fade_in' sc='TAlphaAnimator'>"
                          "<animators><animator type='TAlphaAnimator' delay='100' key='0,1'/></animators></st>"
                          "</states></object>";
    for (const char* id : {"case_pict", "lines", "suspects_title"}) {
      objects += std::string("<object id='") + id + "' f='block' p='300,300'/>";
    }
    for (const char* id : {"case_title", "case_description", "case_solved_txt", "theories_const_txt",
                           "solved_const_txt", "theory_01", "theory_02", "theory_03"}) {
      objects += std::string("<object type='TTextObject' id='") + id + "' f='box' p='300,100'/>";
    }
    for (int n = 1; n <= 3; ++n) {
      objects += "<object id='theory_icon_" + std::to_string(n) + "' f='block' p='500,100'/>";
    }
    for (int n = 1; n <= 6; ++n) {
      const std::string s = std::to_string(n);
      const std::string x = std::to_string(100 * n);
      objects += "<object id='face_" + s + "' f='s" + s + "_n' p='" + x +
                 ",400'>"
                 "<on_mouse_in><script>HighlightFace(" +
                 s +
                 ")</script></on_mouse_in>"
                 "<on_mouse_out><script>UnHighlightFace(" +
                 s + ")</script></on_mouse_out></object>";
      for (const char* format : {"clue_icon_", "foto_", "parcel_"}) {
        objects += std::string("<object id='") + format + s + "' f='block' p='" + x + ",460'/>";
      }
      objects += "<object id='foto_" + s + "_' f='block' p='" + x + ",460'/>";
      objects += "<object type='TTextObject' id='_name_" + s + "' f='box' p='" + x + ",500'/>";
      if (n != 4) {
        objects += "<object id='cross_" + s + "' f='block' p='" + x + ",400'/>";
      }
    }
    return objects + Clickable("page_probe") + extra;
  }
  void WriteJournalScene(const std::string& file, const std::string& id, const std::string& objects)
  {
    WriteFile(file, "<scene id='" + id + "'><resources id='scenes/journal_res.xml'/><objects>" + objects +
                        "</objects></scene>");
  }

  // The controller at the main menu with the journal made; round 0 started.
  TCaseJournal* StartedJournal()
  {
    TTheGame* game = StartedGame();
    game->StartRound(0);
    TCaseJournal* journal = dynamic_cast<TCaseJournal*>(game->GetJournalScreen());
    EXPECT_NE(nullptr, journal);
    return journal;
  }
  TCase* CaseAt(unsigned index) { return Game()->GetCurrentRound()->getCase(index); }
  TSceneObject* Find(const char* sceneId, const std::string& name)
  {
    TCaseJournal* journal = dynamic_cast<TCaseJournal*>(Game()->GetJournalScreen());
    for (unsigned i = 0; journal && i < journal->getSceneCount(); ++i) {
      TScene* scene = journal->getScene(i);
      if (scene->GetId() == str(sceneId)) {
        return scene->FindObject(name.c_str());
      }
    }
    return nullptr;
  }
  TSceneObject* Page(const std::string& name) { return Find(TCaseJournal::kRoundScene, name); }
  TSceneObject* Main(const std::string& name) { return Find(TCaseJournal::kMainScene, name); }
  bool Shown(TSceneObject* object) { return object && object->IsVisible(); }
  // "1" for each shown object of format %d over 1..6, "0" for each hidden, "-" for a missing one.
  std::string Row(const char* prefix, const char* suffix = "")
  {
    std::string row;
    for (int n = 1; n <= 6; ++n) {
      TSceneObject* object = Page(prefix + std::to_string(n) + suffix);
      row += object ? (object->IsVisible() ? "1" : "0") : "-";
    }
    return row;
  }
  std::string ButtonStates()
  {
    std::string states;
    for (const char* name : {"search_button", "suspect_button", "checklist_button"}) {
      states += std::string(Main(name)->GetCurrentStateName().c_str()) + (Shown(Main(name)) ? " " : "(hidden) ");
    }
    return states;
  }
  // Shows the page of case index in state, as the journal does when it opens on it.
  void ShowPage(TCaseJournal* journal, unsigned index, int state)
  {
    CaseAt(index)->SetState(state);
    journal->SetPage(int(index));
    journal->HideCaseFileInfo();
    journal->ShowCaseFileInfo();
  }
};

} // namespace

TEST_F(CaseJournalTest, TheThreeScenesKeepTheirOrderAndARoundResetReplacesThePage)
{
  TCaseJournal* journal = StartedJournal();
  ASSERT_EQ(3u, journal->getSceneCount());
  EXPECT_EQ(str("Journal_Scene"), journal->getScene(0)->GetId());
  EXPECT_EQ(str("Journal_round_scene"), journal->getScene(1)->GetId());
  EXPECT_EQ(str("case_solved_scene"), journal->getScene(2)->GetId());
  EXPECT_EQ(str("TCaseJournal"), journal->getDynamicScreenID());

  journal->SetPage(2);
  Game()->StartRound(1);
  ASSERT_EQ(3u, journal->getSceneCount());
  EXPECT_EQ(str("Journal_round_scene"), journal->getScene(1)->GetId());
  EXPECT_EQ(str("case_solved_scene"), journal->getScene(2)->GetId());
  EXPECT_NE(nullptr, Page("round2_mark"));
  EXPECT_EQ(0, journal->GetPage());
  // The new page starts empty.
  EXPECT_FALSE(Shown(Page("case_pict")));
}

TEST_F(CaseJournalTest, PagesTurnOverOpenedCasesOnlyAndWrapRound)
{
  TCaseJournal* journal = StartedJournal();
  for (unsigned index : {0u, 2u, 3u}) {
    CaseAt(index)->SetState(TCase::kIntroShown);
  }
  journal->SetPage(3);
  journal->NextStart();
  EXPECT_EQ(0, journal->GetPage());
  journal->NextEnd();
  EXPECT_EQ(str("normal"), Main("next_1")->GetCurrentStateName());
  EXPECT_EQ(str("disabled"), Main("prev_1")->GetCurrentStateName());
  journal->PrevStart();
  EXPECT_EQ(3, journal->GetPage());
  journal->NextStart();
  journal->NextStart();
  EXPECT_EQ(2, journal->GetPage()) << "case 1 is not opened";

  // The only opened case: nowhere to go either way.
  for (unsigned index : {0u, 3u}) {
    CaseAt(index)->SetState(TCase::kNotOpened);
  }
  journal->NextStart();
  journal->PrevStart();
  EXPECT_EQ(2, journal->GetPage());
  journal->UpdateButtons();
  EXPECT_EQ(str("disabled"), Main("next_1")->GetCurrentStateName());
  EXPECT_EQ(str("disabled"), Main("prev_1")->GetCurrentStateName());

  // No opened case at all: one round of the cases and the page stays.
  CaseAt(2)->SetState(TCase::kNotOpened);
  journal->NextStart();
  journal->PrevStart();
  EXPECT_EQ(2, journal->GetPage());
}

TEST_F(CaseJournalTest, OpeningShowsTheCurrentCaseOrPageZero)
{
  TCaseJournal* journal = StartedJournal();
  CaseAt(0)->SetState(TCase::kIntroShown);
  CaseAt(2)->SetState(TCase::kIntroShown);
  journal->SetPage(3);
  journal->OpenCompleted();
  EXPECT_EQ(TCaseJournal::kOpen, journal->GetPhase());
  EXPECT_EQ(0, journal->GetPage());
  EXPECT_TRUE(Shown(Page("case_pict")));
  EXPECT_EQ(str("pict_a"), Page("case_pict")->getFrameName());
  EXPECT_EQ(str("title_a"), static_cast<TTextObject*>(Page("case_title"))->GetText());
  EXPECT_FALSE(Shown(Page("case_solved_txt")));
  EXPECT_EQ(str("solved_a"), static_cast<TTextObject*>(Page("case_solved_txt"))->GetText());

  Game()->GetCurrentRound()->SetCurrentCase(2);
  journal->OpenCompleted();
  EXPECT_EQ(2, journal->GetPage());
  EXPECT_EQ(str("disabled"), Main("next_1")->GetCurrentStateName());
  EXPECT_EQ(str("normal"), Main("prev_1")->GetCurrentStateName());
}

TEST_F(CaseJournalTest, TheButtonsFollowTheCaseState)
{
  TCaseJournal* journal = StartedJournal();
  const char* expected[] = {"faded faded faded ", "normal faded faded ", "normal faded faded ",
                            "transform_to_done normal faded ", "transform_to_done transform_to_done normal "};
  for (int state = 0; state <= 4; ++state) {
    ShowPage(journal, 0, state);
    EXPECT_EQ(expected[state], ButtonStates()) << state;
    EXPECT_TRUE(Shown(Main("back_to_map_1")));
    EXPECT_EQ(str("normal"), Main("back_to_map_1")->GetCurrentStateName());
  }
  // The ending and the solved case keep the buttons hidden.
  ShowPage(journal, 0, TCase::kSolved);
  EXPECT_FALSE(Shown(Main("search_button")));
  EXPECT_FALSE(Shown(Main("assembly")));
}

TEST_F(CaseJournalTest, SuspectsFoundWhileSearchingShowInPlaceOfTheirParcels)
{
  TCaseJournal* journal = StartedJournal();
  CaseAt(0)->SuspectFounded(4);
  CaseAt(0)->SuspectFounded(1);
  // Data past the page's places is left out.
  CaseAt(0)->SuspectFounded(9);
  ShowPage(journal, 0, TCase::kSearching);
  EXPECT_EQ("010010", Row("face_"));
  EXPECT_EQ("010010", Row("foto_"));
  EXPECT_EQ("101101", Row("parcel_"));
  EXPECT_EQ("111111", Row("foto_", "_"));
  EXPECT_EQ(str("s5_n"), Page("face_5")->getFrameName());
  EXPECT_EQ(str("c2"), Page("clue_icon_2")->getFrameName());
  EXPECT_EQ(str("Name5"), static_cast<TTextObject*>(Page("_name_5"))->GetText());
  EXPECT_EQ("000-00", Row("cross_"));
}

TEST_F(CaseJournalTest, CrossesMarkTheEliminatedAndThenAllButTheGuiltySkippingAMissingOne)
{
  TCaseJournal* journal = StartedJournal();
  // The checklist's "0,2,4" leaves suspects 2, 4 and 6 to be crossed out; cross 4 is missing.
  ASSERT_EQ((std::vector<int32_t>{2, 4, 6}), CaseAt(0)->mEliminatedSuspects);
  testing::internal::CaptureStderr();
  ShowPage(journal, 0, TCase::kChecklistStage);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ("010-01", Row("cross_"));
  EXPECT_EQ("111111", Row("face_"));
  EXPECT_EQ(std::string::npos, log.find("cross_4")) << log;

  // Guilty 3: every other number is crossed.
  ShowPage(journal, 0, TCase::kSolved);
  EXPECT_EQ("110-11", Row("cross_"));
  EXPECT_TRUE(Shown(Page("solved_const_txt")));
  EXPECT_TRUE(Shown(Page("case_solved_txt")));
}

TEST_F(CaseJournalTest, ACaseWithFewerSuspectsShowsThoseItHas)
{
  TCaseJournal* journal = StartedJournal();
  ShowPage(journal, 1, TCase::kSequenceStage);
  EXPECT_EQ("110000", Row("face_"));
  EXPECT_EQ("001111", Row("parcel_"));
  journal->HighlightFace(2);
  EXPECT_EQ(str("s2_h"), Page("face_2")->getFrameName());
  // Past the case's suspects and the page's places nothing changes.
  for (int number : {0, 3, 7, -1}) {
    journal->HighlightFace(number);
  }
  EXPECT_EQ(str("s3_n"), Page("face_3")->getFrameName());
}

TEST_F(CaseJournalTest, TheoriesShowNumberedWithTheirIconsThreeAtMost)
{
  TCaseJournal* journal = StartedJournal();
  TCaseFile& file = CaseAt(0)->mCaseFile;
  ShowPage(journal, 0, TCase::kIntroShown);
  EXPECT_FALSE(Shown(Page("theories_const_txt")));
  for (int i = 1; i <= 4; ++i) {
    file.mCheckedTheoryTexts.push_back(str::getFormatted("%d. text", i));
    file.mCheckedTheoryIcons.push_back(str::getFormatted("icon_%d", i));
  }
  ShowPage(journal, 0, TCase::kSearching);
  EXPECT_TRUE(Shown(Page("theories_const_txt")));
  EXPECT_EQ(str("3. text"), static_cast<TTextObject*>(Page("theory_03"))->GetText());
  EXPECT_TRUE(Shown(Page("theory_03")));
  EXPECT_EQ(str("icon_2"), Page("theory_icon_2")->getFrameName());
  EXPECT_TRUE(Shown(Page("theory_icon_3")));
}

TEST_F(CaseJournalTest, TheEndingPagePostsItsEventOnEveryShowing)
{
  TCaseJournal* journal = StartedJournal();
  testing::internal::CaptureStderr();
  ShowPage(journal, 0, TCase::kEnding);
  journal->ShowCaseFileInfo();
  const std::string log = testing::internal::GetCapturedStderr();
  size_t posts = 0;
  for (size_t at = log.find("PostEvent: evCaseEndingJournalOpened"); at != std::string::npos;
       at = log.find("PostEvent: evCaseEndingJournalOpened", at + 1)) {
    ++posts;
  }
  EXPECT_EQ(2u, posts) << log;
  EXPECT_EQ("110-11", Row("cross_"));
  EXPECT_FALSE(Shown(Main("assembly")));
  EXPECT_EQ(str("disabled"), Main("back_to_map_1")->GetCurrentStateName());
  EXPECT_EQ(str("disabled"), Main("next_1")->GetCurrentStateName());
  EXPECT_EQ(str("disabled"), Main("prev_1")->GetCurrentStateName());
}

TEST_F(CaseJournalTest, TheEndingPageShowsNoDeadMapButton)
{
  TCaseJournal* journal = StartedJournal();
  ShowPage(journal, 0, TCase::kEnding);
  EXPECT_FALSE(Shown(Main("back_to_map_1")));
  // Once the case is solved the journal's own way back to the map is there again.
  ShowPage(journal, 0, TCase::kSolved);
  EXPECT_TRUE(Shown(Main("back_to_map_1")));
  EXPECT_EQ(str("normal"), Main("back_to_map_1")->GetCurrentStateName());
}

TEST_F(CaseJournalTest, KeysAreSwallowedAndAClickAndItsReleaseReachEveryScene)
{
  TCaseJournal* journal = StartedJournal();
  journal->Activate();
  EXPECT_TRUE(journal->OnKeyDown('x', 0));
  for (TScene* scene : {journal->getScene(0), journal->getScene(1), journal->getScene(2)}) {
    scene->Draw();
  }
  EXPECT_TRUE(journal->OnMouseDown(TPoint(20, 20)));
  EXPECT_EQ(str("pressed"), Main("main_probe")->GetCurrentStateName());
  EXPECT_EQ(str("pressed"), Page("page_probe")->GetCurrentStateName());
  EXPECT_EQ(str("pressed"), Find(TCaseJournal::kSolvedScene, "solved_probe")->GetCurrentStateName());
  // The release too: a scene that heard the press but not its release would take the next
  // press for the same one and drop its release (the case-solved button that needed two clicks).
  EXPECT_TRUE(journal->OnMouseUp(TPoint(20, 20)));
  EXPECT_EQ(str("released"), Main("main_probe")->GetCurrentStateName());
  EXPECT_EQ(str("released"), Page("page_probe")->GetCurrentStateName());
  EXPECT_EQ(str("released"), Find(TCaseJournal::kSolvedScene, "solved_probe")->GetCurrentStateName());
}

TEST_F(CaseJournalTest, FadesRunTheScenesAnimationsAndFollowThePhases)
{
  TCaseJournal* journal = StartedJournal();
  journal->Activate();
  journal->StartFading(300, true);
  EXPECT_EQ(TCaseJournal::kFadingIn, journal->GetPhase());
  for (const char* scene : {TCaseJournal::kMainScene, TCaseJournal::kRoundScene}) {
    TSceneObject* root = Find(scene, "SCENE_ROOT");
    EXPECT_EQ(str("fade_in"), root->GetCurrentStateName()) << scene;
    EXPECT_EQ(300u, root->getState(str("fade_in"))->mAnimators.at(0)->GetDelay()) << scene;
  }
  GMusicManager* music = GMusicManager::Instance();
  const std::string tracks = std::string(music->GetChannel(0).mName.c_str()) + music->GetChannel(1).mName.c_str();
  EXPECT_NE(std::string::npos, tracks.find("audio/music/ss_0")) << tracks;

  journal->OnTick(320);
  EXPECT_EQ(TCaseJournal::kOpen, journal->GetPhase());
  EXPECT_TRUE(Shown(Page("case_pict")));

  journal->StartFading(300, false);
  EXPECT_EQ(TCaseJournal::kFadingOut, journal->GetPhase());
  EXPECT_FALSE(Shown(Page("case_pict")));
  EXPECT_EQ(str("fade_out"), Main("SCENE_ROOT")->GetCurrentStateName());
  journal->Deactivate();
  EXPECT_EQ(TCaseJournal::kClosed, journal->GetPhase());
}

TEST_F(CaseJournalTest, ACaseIsPlayedAndSolvedThroughTheJournalsButtons)
{
  TCaseJournal* journal = StartedJournal();
  TTheGame* game = Game();
  game->PostEvent(evStoryChosen);
  game->FlashMovieStooped();
  Settle();
  ASSERT_EQ(stMap, game->GetState());
  game->ChooseLocation("c");
  game->PostEvent(evDialogClosed);
  ASSERT_EQ(stJournal, game->GetState());
  Tick(30);
  EXPECT_EQ(TCaseJournal::kOpen, journal->GetPhase());
  EXPECT_EQ(2, journal->GetPage());
  Click(100, 560);
  EXPECT_EQ(stSearch, game->GetState());
  EXPECT_EQ(2, game->GetCurrentRound()->getCurrentCaseNum());

  // The case's ending: the journal opens on the solved page and the title follows.
  game->GetCurrentRound()->getCase(2u)->SetState(TCase::kChecklistStage);
  game->PostEvent(evBackToMap);
  game->ChooseLocation("c");
  ASSERT_EQ(stJournal, game->GetState());
  game->GetCurrentRound()->getCase(2u)->StartEnding();
  Tick(30);
  EXPECT_EQ(stCaseSolved, game->GetState());
  EXPECT_EQ(str("appear"), Find(TCaseJournal::kSolvedScene, "CaseSolvedContinueButton")->GetCurrentStateName());
  Click(400, 260);
  // The case's end dialog has no overlay data and closes at once: back at the map.
  EXPECT_EQ(stMap, game->GetState());
  EXPECT_EQ(TCase::kSolved, game->GetCurrentRound()->getCase(2u)->GetState());
}

namespace {

// Every object of a scene file with the names of its states, read as XML.
void CollectObjects(TXmlNode* node, std::map<std::string, std::set<std::string>>* objects)
{
  str name;
  TXmlNode* child = nullptr;
  node->ResetChildren();
  while (node->GetNextChild(&name, &child)) {
    if (name == str("object")) {
      std::set<std::string>& states = (*objects)[child->GetAttribute("id").c_str()];
      if (TXmlNode* list = child->GetChild("states")) {
        str tag;
        TXmlNode* state = nullptr;
        list->ResetChildren();
        while (list->GetNextChild(&tag, &state)) {
          states.insert(state->GetAttribute("id").c_str());
        }
      }
    }
    CollectObjects(child, objects);
  }
}

std::map<std::string, std::set<std::string>> GameScene(const std::string& file, std::string* id)
{
  TXmlNode document;
  document.ParseFile(("::" + std::string(QV_SOURCE_DATA_DIR) + "/assets/" + file).c_str());
  std::map<std::string, std::set<std::string>> objects;
  TXmlNode* scene = document.GetChild("scene");
  if (scene) {
    *id = scene->GetAttribute("id").c_str();
    CollectObjects(scene, &objects);
  }
  return objects;
}

} // namespace

TEST(CaseJournalData, TheGamesJournalScenesHoldEveryObjectAndStateTheJournalUses)
{
  std::string id;
  auto journal = GameScene("scenes/case_journal/journal.sxm", &id);
  EXPECT_EQ("Journal_Scene", id);
  for (const char* button : {"search_button", "suspect_button", "checklist_button"}) {
    for (const char* state : {"faded", "normal", "transform_to_done"}) {
      EXPECT_TRUE(journal[button].count(state)) << button << " " << state;
    }
  }
  for (const char* button : {"back_to_map_1", "next_1", "prev_1"}) {
    for (const char* state : {"normal", "disabled"}) {
      EXPECT_TRUE(journal[button].count(state)) << button << " " << state;
    }
  }
  EXPECT_TRUE(journal.count("assembly"));
  for (const char* state : {"fade_in", "fade_out"}) {
    EXPECT_TRUE(journal["SCENE_ROOT"].count(state)) << state;
  }

  auto solved = GameScene("scenes/case_solved/case_solved.sxm", &id);
  EXPECT_EQ("case_solved_scene", id);
  EXPECT_TRUE(solved["solved"].count("appear"));
  EXPECT_TRUE(solved["CaseSolvedContinueButton"].count("appear"));
  EXPECT_TRUE(solved.count("SCENE_ROOT"));
}

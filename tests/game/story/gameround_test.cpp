// Tests of the story's round and case model: the rounds configuration with every attribute,
// checklist suspects, theories, counts, the case and round records byte for byte, a round
// trip through a restart, and damaged records refused.
#include "core/foundation/stringtable.h"
#include "core/foundation/xmlnode.h"
#include "story/gameround.h"
#include "controller/overlayscreen.h"
#include "shell/shellglue.h"
#include "support/apptestutil.h"
#include "support/gametestutil.h"
#include "support/recordbytes.h"

namespace {

class GameRoundTest : public GameTest
{
protected:
  void SetUp() override
  {
    GameTest::SetUp();
    const std::string table =
        StringTableXml({{"theory_glove", "The thief wore gloves"}, {"theory_window", "The window was forced"}});
    mStrings.MergeStringBuffer(table.data(), table.size(), "test strings");
    UseGameStringTable(&mStrings);
  }
  void TearDown() override
  {
    GameTest::TearDown();
    UseGameStringTable(nullptr);
  }
  // A game in round 1 at the map.
  TGameRound* StoryAtMap()
  {
    TTheGame* game = StartedGame();
    game->PostEvent(evStoryChosen);
    game->FlashMovieStooped();
    return game->GetCurrentRound();
  }

  TStringTable mStrings;
};

} // namespace

TEST_F(GameRoundTest, TheRoundsConfigurationGivesEveryAttribute)
{
  TTheGame* game = StartedGame();
  ASSERT_EQ(2u, game->GetRounds().size());
  TGameRound* round = game->GetRounds()[0].get();
  EXPECT_EQ("movies/round1.swf", round->mCinema);
  EXPECT_EQ("scenes/journal/round1.sxm", round->mJournalScene);
  EXPECT_EQ("scenes/overlay/round1.sxm", round->mOverlayScene);
  EXPECT_EQ("round1_end", round->mEndDialog);
  EXPECT_EQ("rank_constable", round->mRank);
  EXPECT_EQ(600 * 1000, round->mTime);
  ASSERT_EQ(2u, round->getCaseCount());

  TCase* museum = round->getCase("02_museum");
  ASSERT_EQ(round->getCase(0u), museum);
  EXPECT_EQ("TSearchScreen", museum->mSearchScreenClass);
  EXPECT_EQ("scenes/search/museum.sxm", museum->mSceneFile);
  EXPECT_EQ("configs/search/museum.xml", museum->mSearchConfig);
  EXPECT_EQ("museum_search_intro", museum->mSearchIntroDialog);
  EXPECT_EQ("museum_search_end", museum->mSearchEndDialog);
  EXPECT_EQ("museum_cover", museum->mCoverFrame);
  EXPECT_EQ("audio/music/sting_museum.ogg", museum->mLocationSting);
  EXPECT_EQ("audio/sfx/museum_hall.ogg", museum->mAmbientSound);
  EXPECT_EQ("museum_intro", museum->mIntroAnimation);
  EXPECT_EQ("museum_end", museum->mEndAnimation);
  EXPECT_EQ("configs/puzzles/museum_sequence.xml", museum->mSequenceConfig);
  EXPECT_EQ("configs/cases/museum_checklist.xml", museum->mChecklistConfig);
  EXPECT_EQ("configs/puzzles/museum_meta.xml", museum->mMetaPuzzleConfig);
  EXPECT_EQ("TMetaPuzzle", museum->mMetaPuzzleClass);
  EXPECT_EQ("TStubSequence", museum->mSequenceClass);
  ASSERT_EQ(2u, museum->mTheories.size());
  EXPECT_EQ("glove", museum->mTheories[0].mId);
  EXPECT_EQ("theory_glove", museum->mTheories[0].mTextLabel);
  EXPECT_EQ("glove_anim", museum->mTheories[0].mAnimation);
  EXPECT_EQ("glove_check", museum->mTheories[0].mCheckText);
  EXPECT_EQ("icon_glove", museum->mTheories[0].mIcon);
  EXPECT_FALSE(museum->mTheories[0].mChecked);
  EXPECT_EQ("window", museum->mTheories[1].mId);
  ASSERT_EQ(1u, museum->mUntitledTheories.size());
  EXPECT_EQ("theory_hint", museum->mUntitledTheories[0].mTextLabel);

  const TCaseFile& file = museum->mCaseFile;
  EXPECT_EQ("museum_title", file.mTitle);
  EXPECT_EQ("museum_dsc", file.mDescription);
  EXPECT_EQ("museum_solved", file.mSolvedText);
  EXPECT_EQ("museum_pict", file.mPictureFrame);
  EXPECT_EQ(3, file.mGuilty);
  ASSERT_EQ(6u, file.mNames.size());
  EXPECT_EQ("s6", file.mSuspectFrames[5]);
  EXPECT_EQ("c2", file.mClueIcons[1]);
  EXPECT_EQ("w3", file.mWrongAnims[2]);
  EXPECT_EQ("g4", file.mGoodAnims[3]);
  EXPECT_EQ("i5", file.mInnocentAnims[4]);
  EXPECT_EQ("Flo", file.mNames[5]);
  // "0,2,4" names the checklist's suspects; the journal crosses out the others.
  EXPECT_EQ((std::vector<int32_t>{2, 4, 6}), museum->mEliminatedSuspects);

  TCase* library = round->getCase("15_library");
  EXPECT_EQ(1, round->getCaseNum(library));
  EXPECT_EQ("TMetaPuzzle", library->mMetaPuzzleClass);
  EXPECT_EQ("", library->mCoverFrame);
  EXPECT_EQ(1, library->mCaseFile.mGuilty);
  EXPECT_EQ((std::vector<int32_t>{1, 5, 6}), library->mEliminatedSuspects);

  // A case with no intro, end, theories or case file reads them as empty.
  TCase* laundromat = game->GetRounds()[1]->getCase("31_laondromat");
  ASSERT_NE(nullptr, laundromat);
  EXPECT_EQ("", laundromat->mIntroAnimation);
  EXPECT_EQ("", laundromat->mCaseFile.mTitle);
  EXPECT_EQ(0, laundromat->mCaseFile.mGuilty);
  EXPECT_EQ(900 * 1000, game->GetRounds()[1]->mTime);
  EXPECT_EQ(nullptr, round->getCase(2u));
  EXPECT_EQ(nullptr, round->getCase("99_nowhere"));
  EXPECT_EQ(-1, round->getCaseNum(laundromat));
}

TEST_F(GameRoundTest, ChecklistSuspectsThatCannotBeReadLeaveNoneToCrossOut)
{
  mSandbox.WriteFile("assets/configs/cases/short.xml",
                     "<checklist_puzzle><scene file=\"x.sxm\"/><suspects nums=\"0,2\"/></checklist_puzzle>");
  mSandbox.WriteFile("assets/configs/cases/range.xml",
                     "<checklist_puzzle><scene file=\"x.sxm\"/><suspects nums=\"0,2,6\"/></checklist_puzzle>");
  mSandbox.WriteFile("assets/configs/cases/nosuspects.xml",
                     "<checklist_puzzle><scene file=\"x.sxm\"/></checklist_puzzle>");
  TFile::ScanForResources();
  for (const char* checklist : {"configs/cases/short.xml", "configs/cases/range.xml", "configs/cases/nosuspects.xml",
                                "configs/cases/missing.xml"}) {
    TXmlNode element;
    element.ParseString(
        (std::string("<case location_id=\"x\"><Puzzles ChecklistConfig=\"") + checklist + "\"/></case>").c_str());
    TCase c;
    ::testing::internal::CaptureStderr();
    c.LoadFromXml(element.GetChild("case"));
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(c.mEliminatedSuspects.empty()) << checklist;
    EXPECT_NE(std::string::npos, log.find("ERROR: ")) << checklist;
  }
}

TEST_F(GameRoundTest, TheoriesAreCheckedOncePerTheoryAndNumberedInOrder)
{
  TGameRound* round = StoryAtMap();
  TCase* museum = round->getCase("02_museum");
  EXPECT_TRUE(museum->CheckTheory("window"));
  EXPECT_FALSE(museum->CheckTheory("window"));
  EXPECT_FALSE(museum->CheckTheory(""));
  EXPECT_FALSE(museum->CheckTheory("nothing"));
  EXPECT_TRUE(museum->CheckTheory("glove"));
  EXPECT_EQ((std::vector<str>{"1. The window was forced", "2. The thief wore gloves"}),
            museum->mCaseFile.mCheckedTheoryTexts);
  EXPECT_EQ((std::vector<str>{"icon_window", "icon_glove"}), museum->mCaseFile.mCheckedTheoryIcons);

  // Two theories of one id: each call checks the next.
  TXmlNode element;
  element.ParseString("<case><theories><t id=\"a\" txt=\"theory_glove\" icon=\"i1\"/>"
                      "<t id=\"a\" txt=\"theory_window\" icon=\"i2\"/></theories></case>");
  TCase twins;
  twins.LoadFromXml(element.GetChild("case"));
  EXPECT_TRUE(twins.CheckTheory("a"));
  EXPECT_TRUE(twins.CheckTheory("a"));
  EXPECT_FALSE(twins.CheckTheory("a"));
  EXPECT_EQ((std::vector<str>{"i1", "i2"}), twins.mCaseFile.mCheckedTheoryIcons);
}

TEST_F(GameRoundTest, CountsCurrentCaseAndCover)
{
  TGameRound* round = StoryAtMap();
  round->getCase(0u)->SetState(TCase::kIntroShown);
  round->getCase(1u)->SetState(TCase::kSolved);
  EXPECT_EQ(2, round->getOpenedCasesCount());
  EXPECT_EQ(1, round->getSolvedCasesCount());
  round->getCase(0u)->SetState(TCase::kEnding);
  EXPECT_EQ(2, round->getSolvedCasesCount());

  round->SetCurrentCase(1);
  EXPECT_EQ(1, round->getCurrentCaseNum());
  ::testing::internal::CaptureStderr();
  round->SetCurrentCase(2);
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("ERROR: "));
  EXPECT_EQ(-1, round->getCurrentCaseNum());

  TCase* museum = round->getCase(0u);
  EXPECT_EQ("museum_cover", museum->getCoverFrameName());
  Game()->SetLocalVersionForWallOfFame(true);
  EXPECT_EQ("loc_museum_cover", museum->getCoverFrameName());
}

TEST_F(GameRoundTest, PlayOfAnOpenedCasePostsPlayCaseAndShowsNoIntro)
{
  TGameRound* round = StoryAtMap();
  TCase* museum = round->getCase(0u);
  museum->SetState(TCase::kSequenceStage);
  ::testing::internal::CaptureStderr();
  round->PlayCase(museum);
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("TTheGame - PostEvent: evPlayCase"));
  EXPECT_EQ(std::string::npos, log.find("Overlay show dialog"));
  EXPECT_EQ(museum, round->getCurrentCase());

  museum->SetState(TCase::kNotOpened);
  ::testing::internal::CaptureStderr();
  round->PlayCase(museum);
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("Overlay show dialog: museum_intro\n"));
  EXPECT_EQ(TCase::kIntroShown, museum->GetState());
}

TEST_F(GameRoundTest, CaseRecordsAreByteExact)
{
  TGameRound* round = StoryAtMap();
  TCase* museum = round->getCase(0u);
  museum->SetState(TCase::kIntroShown);
  museum->CheckTheory("glove");
  museum->SuspectFounded(4);
  museum->SuspectFounded(1);
  TBinaryBuffer intro;
  ASSERT_TRUE(museum->Save(&intro));
  // In state 1 the record ends after the found suspects.
  EXPECT_EQ(
      TRecordBytes().I32(1).U32(1).Str("1. The thief wore gloves").U32(1).Str("icon_glove").U32(2).U32(4).U32(1).Get(),
      BufferBytes(intro));

  museum->PlaySearchScreen();
  ScreenLog().clear();
  TBinaryBuffer searching;
  ASSERT_TRUE(museum->Save(&searching));
  // Both screens exist: flag 1 and the search screen's record, flag 1 and the meta puzzle's.
  EXPECT_EQ(TRecordBytes()
                .I32(2)
                .U32(1)
                .Str("1. The thief wore gloves")
                .U32(1)
                .Str("icon_glove")
                .U32(2)
                .U32(4)
                .U32(1)
                .Byte(1)
                .Str("plain")
                .U32(0)
                .Byte(1)
                .Str("configs/puzzles/museum_meta.xml")
                .U32(0)
                .Get(),
            BufferBytes(searching));
  EXPECT_EQ((std::vector<std::string>{"Save TSearchScreen", "Save TMetaPuzzle"}), ScreenLog());

  // Strings longer than any fixed buffer survive a record.
  TBinaryBuffer roundRecord;
  museum->mCaseFile.mCheckedTheoryTexts[0] = str(std::string(1000, 'x').c_str());
  ASSERT_TRUE(round->Save(&roundRecord));
  TBinaryBuffer reading;
  FillBuffer(reading, BufferBytes(roundRecord));
  ASSERT_TRUE(round->Load(&reading));
  EXPECT_EQ(1000u, round->getCase(0u)->mCaseFile.mCheckedTheoryTexts[0].length());
  EXPECT_EQ(0u, reading.Remaining());
}

TEST_F(GameRoundTest, ARoundSurvivesARestartWithItsScreensAndTheoryMarks)
{
  TGameRound* round = StoryAtMap();
  TCase* museum = round->getCase(0u);
  Game()->ChooseLocation("02_museum");
  Game()->PostEvent(evStartSearch);
  museum->CheckTheory("glove");
  museum->SuspectFounded(2);
  Game()->AddScore("Object_Found", 700);
  ASSERT_TRUE(Game()->SaveGame());

  // A restart: the controller and the settings are made again over the same files.
  TTheGame::DestroyInstance();
  TSettings::DeleteSettings();
  TSettings::CreateSettings();
  ScreenLog().clear();
  TTheGame* game = StartedGame();
  game->PostEvent(evStoryChosen);
  EXPECT_EQ(stMap, game->GetState());
  TGameRound* resumed = game->GetCurrentRound();
  TCase* restored = resumed->getCase(0u);
  EXPECT_EQ(TCase::kSearching, restored->GetState());
  EXPECT_EQ(restored, resumed->getCurrentCase());
  EXPECT_EQ((std::vector<str>{"1. The thief wore gloves"}), restored->mCaseFile.mCheckedTheoryTexts);
  EXPECT_EQ((std::vector<uint32_t>{2}), restored->mCaseFile.mFoundSuspects);
  EXPECT_EQ(700u, game->GetScore("Object_Found"));
  ASSERT_NE(nullptr, restored->mSearchScreen);
  ASSERT_NE(nullptr, restored->mMetaPuzzleScreen);
  EXPECT_EQ("configs/puzzles/museum_meta.xml", static_cast<TStubMetaPuzzle*>(restored->mMetaPuzzleScreen)->mWord);
  std::vector<std::string> loads;
  for (const std::string& call : ScreenLog()) {
    if (call.compare(0, 9, "LoadSaved") == 0) {
      loads.push_back(call);
    }
  }
  EXPECT_EQ((std::vector<std::string>{"LoadSaved TSearchScreen", "LoadSaved TMetaPuzzle"}), loads);
  // The confirmed theory stays confirmed: it cannot add a second text.
  EXPECT_FALSE(restored->CheckTheory("glove"));
  EXPECT_TRUE(restored->CheckTheory("window"));
  EXPECT_EQ("2. The window was forced", restored->mCaseFile.mCheckedTheoryTexts[1]);
  // The search room goes on where it was.
  game->ChooseLocation("02_museum");
  game->PostEvent(evStartSearch);
  EXPECT_EQ(restored->mSearchScreen, game->GetCurrentScreen());
}

TEST_F(GameRoundTest, DamagedCaseRecordsAreRefusedWithoutACrash)
{
  TGameRound* round = StoryAtMap();
  TCase* museum = round->getCase(0u);
  museum->CheckTheory("glove");
  museum->SuspectFounded(3);
  museum->PlaySearchScreen();
  TBinaryBuffer saved;
  ASSERT_TRUE(round->Save(&saved));
  const std::string good = BufferBytes(saved);

  // Every shortened record fails; none crashes.
  for (size_t length = 0; length < good.size(); ++length) {
    TBinaryBuffer cut;
    FillBuffer(cut, good.substr(0, length));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(round->Load(&cut)) << length;
    ::testing::internal::GetCapturedStderr();
  }
  // A count past what the record holds, a state out of range, a flag that is no flag.
  std::string huge = good;
  huge.replace(8, 4, std::string("\xff\xff\xff\x7f", 4));
  std::string state = good;
  state.replace(4, 4, std::string("\x07\x00\x00\x00", 4));
  std::string flag = good;
  flag[4 + 4 + 4 + 4 + 24 + 4 + 4 + 10 + 4 + 4] = 2;
  for (const std::string& bad : {huge, state, flag}) {
    TBinaryBuffer damaged;
    FillBuffer(damaged, bad);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(round->Load(&damaged));
    EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("ERROR: "));
  }
  TBinaryBuffer again;
  FillBuffer(again, good);
  EXPECT_TRUE(round->Load(&again));
}

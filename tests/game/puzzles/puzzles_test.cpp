// Tests of the puzzles a case plays: the checklist solved by naming the guilty suspect (and
// its innocents crossed out), the sequence picked in order (a wrong card marked before it
// starts again), the meta puzzle's pieces placed, an empty meta configuration harmless, each
// puzzle's record carrying its configuration, and the puzzles' music.
#include <algorithm>

#include "story/gameround.h"
#include "support/gamescenetestutil.h"
#include "support/musicprobe.h"
#include "support/recordbytes.h"

namespace {

class PuzzlesTest : public GameSceneTest
{
protected:
  void SetUp() override
  {
    GameSceneTest::SetUp();
    UseRealScreens();
    // The museum's checklist: suspects 1, 3 and 5 ("0,2,4") take part; the guilty is 3.
    WriteScene(
        "scenes/puzzles/museum_checklist.sxm", "checklist",
        "<object id='suspect_1' f='block' p='100,100'><states><st id='idle'/><st id='innocent'/></states></object>"
        "<object id='suspect_3' f='block' p='300,100'><states><st id='idle'/><st id='guilty'/></states></object>"
        "<object id='suspect_5' f='block' p='500,100'/>");
    WriteFile("configs/cases/museum_checklist.xml",
              "<checklist_puzzle><scene file='scenes/puzzles/museum_checklist.sxm'/><suspects nums='0,2,4'/>"
              "</checklist_puzzle>");
    WriteScene(
        "scenes/puzzles/museum_sequence.sxm", "sequence",
        "<object id='card_a' f='block' p='100,300'><states><st id='normal'/><st id='chosen'/></states></object>"
        "<object id='card_b' f='block' p='300,300'><states><st id='normal'/><st id='chosen'/></states></object>"
        "<object id='card_c' f='block' p='500,300'><states><st id='normal'/><st id='chosen'/></states></object>");
    WriteFile("configs/puzzles/museum_sequence.xml",
              "<sequence_puzzle><scene file='scenes/puzzles/museum_sequence.sxm'/>"
              "<sequence ids='card_b, card_c,card_a'/></sequence_puzzle>");
    WriteScene("scenes/puzzles/museum_meta.sxm", "meta",
               "<object id='piece_1' f='block' p='100,500'/><object id='piece_2' f='block' p='300,500'/>");
    WriteFile(
        "configs/puzzles/museum_meta.xml",
        "<meta_puzzle><scene file='scenes/puzzles/museum_meta.sxm'/><pieces ids='piece_1,piece_2'/></meta_puzzle>");
    WriteScene("scenes/search/museum.sxm", "museum_room", "<object id='key' f='block' p='100,100'/>");
    WriteFile("configs/search/museum.xml", "<search><objects><object id='key'/></objects></search>");
  }
  // The museum's case at the given stage, its journal open.
  TCase* MuseumAt(int state)
  {
    TTheGame* game = StartedGame();
    game->PostEvent(evStoryChosen);
    game->FlashMovieStooped();
    game->ChooseLocation("02_museum");
    TCase* museum = game->GetCurrentCase();
    museum->SetState(state);
    return museum;
  }
  // One of the two puzzle tracks, cross-faded in, looping, with no follow-up.
  static void ExpectPuzzleMusic(const TMusicRequest& request)
  {
    const auto& tracks = TMiniGame::kTracks;
    EXPECT_NE(std::end(tracks), std::find(std::begin(tracks), std::end(tracks), request.mTrack)) << request.mTrack;
    EXPECT_TRUE(request.mCrossFade);
    EXPECT_TRUE(request.mLoop);
    EXPECT_EQ("", request.mNext);
  }
};

} // namespace

TEST_F(PuzzlesTest, TheChecklistIsSolvedByNamingTheGuiltySuspect)
{
  TCase* museum = MuseumAt(TCase::kChecklistStage);
  TTheGame* game = Game();
  game->PostEvent(evPlaySuspectPuzzle);
  Settle();
  TSuspectPuzzleChecklist* checklist = dynamic_cast<TSuspectPuzzleChecklist*>(game->GetCurrentScreen());
  ASSERT_NE(nullptr, checklist);
  EXPECT_EQ((std::vector<str>{"suspect_1", "suspect_3", "suspect_5"}), checklist->GetCandidates());

  Click(100, 100);
  EXPECT_EQ("innocent", checklist->FindObject("suspect_1")->GetCurrentStateName());
  EXPECT_FALSE(checklist->IsSolved());
  Click(500, 100);
  EXPECT_FALSE(checklist->FindObject("suspect_5")->IsVisible());
  EXPECT_EQ(stSuspectPuzzle, game->GetState());
  // Saved now, the record carries the configuration and the crosses.
  TBinaryBuffer record;
  ASSERT_TRUE(checklist->Save(&record));
  EXPECT_EQ(
      TRecordBytes().Str("configs/cases/museum_checklist.xml").U32(2).Str("suspect_1").Str("suspect_5").U32(1).Get(),
      BufferBytes(record).substr(0, 4 + 34 + 4 + 13 + 13 + 4));

  Click(300, 100);
  EXPECT_TRUE(checklist->IsSolved());
  EXPECT_EQ("guilty", checklist->FindObject("suspect_3")->GetCurrentStateName());
  EXPECT_EQ(TCase::kEnding, museum->GetState());
  EXPECT_EQ(stJournal, game->GetState());
  EXPECT_EQ(500u, game->GetScore("Puzzles"));

  // The record reads back into a new checklist, without its configuration's scene.
  TSceneScreen* copy = game->AddScreen("TSuspectPuzzleChecklist");
  TBinaryBuffer reading;
  FillBuffer(reading, BufferBytes(record));
  ASSERT_TRUE(copy->LoadSaved(&reading));
  EXPECT_EQ(0u, reading.Remaining());
  EXPECT_EQ(1u, copy->getSceneCount());
  EXPECT_EQ((std::vector<str>{"suspect_1", "suspect_5"}), dynamic_cast<TSuspectPuzzleChecklist*>(copy)->GetCrossed());
}

TEST_F(PuzzlesTest, AChecklistWhoseGuiltyIsNotAmongItsSuspectsEndsWithTheLastOneStanding)
{
  TCase* museum = MuseumAt(TCase::kChecklistStage);
  museum->mCaseFile.mGuilty = 2;
  ::testing::internal::CaptureStderr();
  Game()->PostEvent(evPlaySuspectPuzzle);
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("ERROR: Checklist"));
  Settle();
  Click(100, 100);
  EXPECT_EQ(TCase::kChecklistStage, museum->GetState());
  Click(300, 100);
  EXPECT_EQ(TCase::kEnding, museum->GetState());
}

TEST_F(PuzzlesTest, TheSequenceIsPickedInOrderAndAWrongPickStartsItAgain)
{
  TCase* museum = MuseumAt(TCase::kSequenceStage);
  TTheGame* game = Game();
  game->PostEvent(evPlaySuspectPuzzle);
  Settle();
  TSuspectPuzzleSequence* sequence = dynamic_cast<TSuspectPuzzleSequence*>(game->GetCurrentScreen());
  ASSERT_NE(nullptr, sequence);
  EXPECT_EQ((std::vector<str>{"card_b", "card_c", "card_a"}), sequence->GetSequence());
  Click(300, 300);
  EXPECT_EQ(1u, sequence->GetProgress());
  EXPECT_EQ("chosen", sequence->FindObject("card_b")->GetCurrentStateName());
  Click(100, 300);
  EXPECT_EQ(0u, sequence->GetProgress());
  EXPECT_EQ("normal", sequence->FindObject("card_b")->GetCurrentStateName());
  Click(300, 300);
  Click(500, 300);
  TBinaryBuffer record;
  ASSERT_TRUE(sequence->Save(&record));
  EXPECT_EQ(TRecordBytes().Str("configs/puzzles/museum_sequence.xml").U32(2).U32(1).Get(),
            BufferBytes(record).substr(0, 4 + 35 + 4 + 4));
  Click(100, 300);
  EXPECT_EQ(TCase::kChecklistStage, museum->GetState());
  EXPECT_EQ(stJournal, game->GetState());
}

TEST_F(PuzzlesTest, AWrongCardIsMarkedForHalfASecondBeforeTheSequenceStartsAgain)
{
  // The game's cards: a hover look while the pointer is on them, and a wrong look.
  std::string cards;
  for (const char* card : {"card_a' p='100,300", "card_b' p='300,300", "card_c' p='500,300"}) {
    cards +=
        std::string("<object id='") + card +
        "' f='block' st='normal'><states><st id='normal'/><st id='hover'/><st id='chosen'/><st id='wrong'/></states>"
        "<on_mouse_in><script>setStateIfState($this.id,'hover',$this.id,'normal')</script></on_mouse_in>"
        "<on_mouse_out><script>setStateIfState($this.id,'normal',$this.id,'hover')</script></on_mouse_out>"
        "</object>";
  }
  WriteScene("scenes/puzzles/museum_sequence.sxm", "sequence", cards);
  MuseumAt(TCase::kSequenceStage);
  TTheGame* game = Game();
  game->PostEvent(evPlaySuspectPuzzle);
  Settle();
  TSuspectPuzzleSequence* sequence = dynamic_cast<TSuspectPuzzleSequence*>(game->GetCurrentScreen());
  ASSERT_NE(nullptr, sequence);
  auto state = [sequence](const char* card) {
    return std::string(sequence->FindObject(card)->GetCurrentStateName().c_str());
  };

  // The right card keeps its tick under the pointer.
  game->Draw();
  game->OnMouseMove(TPoint(300, 300));
  EXPECT_EQ("hover", state("card_b"));
  Click(300, 300);
  EXPECT_EQ("chosen", state("card_b"));
  game->OnMouseMove(TPoint(302, 302));
  EXPECT_EQ("chosen", state("card_b"));

  // A wrong one is marked, and what was chosen stays, for half a second of game time.
  game->OnMouseMove(TPoint(100, 300));
  Click(100, 300);
  EXPECT_EQ("wrong", state("card_a"));
  EXPECT_EQ("chosen", state("card_b"));
  EXPECT_TRUE(game->IsAnimating());
  Tick(24);
  EXPECT_EQ("wrong", state("card_a"));
  Tick();
  EXPECT_EQ(0u, sequence->GetProgress());
  EXPECT_EQ("normal", state("card_b"));
  // The card under the pointer turns back to its hover look.
  EXPECT_EQ("hover", state("card_a"));
  EXPECT_FALSE(sequence->IsMarkingWrongPick());

  // A click during the mark starts the sequence again at once and is its first pick.
  Click(300, 300);
  Click(100, 300);
  game->OnMouseMove(TPoint(300, 300));
  Click(300, 300);
  EXPECT_EQ(1u, sequence->GetProgress());
  EXPECT_EQ("chosen", state("card_b"));
  EXPECT_EQ("normal", state("card_a"));
  EXPECT_FALSE(sequence->IsMarkingWrongPick());

  // Saved during the mark, the record holds the sequence started again.
  Click(100, 300);
  TBinaryBuffer record;
  ASSERT_TRUE(sequence->Save(&record));
  EXPECT_EQ(TRecordBytes().Str("configs/puzzles/museum_sequence.xml").U32(0).Get(),
            BufferBytes(record).substr(0, 4 + 35 + 4));
  EXPECT_EQ("normal", state("card_a"));
  EXPECT_EQ("hover", state("card_b"));
  EXPECT_FALSE(sequence->IsMarkingWrongPick());
}

TEST_F(PuzzlesTest, TheMetaPuzzlePlacesItsPiecesAndAnEmptyOneIsHarmless)
{
  TCase* museum = MuseumAt(TCase::kIntroShown);
  TTheGame* game = Game();
  game->PostEvent(evStartSearch);
  TMetaPuzzle* meta = dynamic_cast<TMetaPuzzle*>(museum->mMetaPuzzleScreen);
  ASSERT_NE(nullptr, meta);
  EXPECT_EQ((std::vector<str>{"piece_1", "piece_2"}), meta->GetPieces());
  game->PostEvent(evPlayMetaPuzzle);
  Settle();
  EXPECT_EQ(meta, game->GetCurrentScreen());
  Click(100, 500);
  EXPECT_EQ(stMetaPuzzle, game->GetState());
  // The whole stays to be seen until the next click goes back to the room.
  Click(300, 500);
  EXPECT_EQ(stMetaPuzzle, game->GetState());
  Click(700, 100);
  EXPECT_EQ(stSearch, game->GetState());
  EXPECT_EQ(museum->mSearchScreen, game->GetCurrentScreen());
  // Opened again once solved, the puzzle lets the player back to the room with a click.
  Settle();
  game->PostEvent(evPlayMetaPuzzle);
  Settle();
  ASSERT_EQ(stMetaPuzzle, game->GetState());
  Click(700, 100);
  EXPECT_EQ(stSearch, game->GetState());
  EXPECT_EQ((std::vector<str>{"piece_1", "piece_2"}), meta->GetPlaced());

  TMetaPuzzle empty;
  empty.ReInit("", true);
  EXPECT_EQ(0u, empty.getSceneCount());
  EXPECT_TRUE(empty.GetPieces().empty());
  empty.Activate();
  EXPECT_FALSE(empty.OnMouseDown(TPoint(10, 10)));
  TBinaryBuffer record;
  ASSERT_TRUE(empty.Save(&record));
  EXPECT_EQ(TRecordBytes().Str("").U32(0).U32(0).Get(), BufferBytes(record));
}

TEST_F(PuzzlesTest, EveryEntryOfAPuzzleFadesInOneOfTheTwoPuzzleTracks)
{
  TMusicProbe music(mSandbox, {{TMiniGame::kTracks[0], "tone10s.ogg"}, {TMiniGame::kTracks[1], "tone10s.ogg"}});
  TCase* museum = MuseumAt(TCase::kIntroShown);
  TTheGame* game = Game();
  game->PostEvent(evStartSearch);
  Settle();
  for (int entry = 0; entry < 2; ++entry) {
    game->PostEvent(evPlayMetaPuzzle);
    Settle();
    ASSERT_EQ(museum->mMetaPuzzleScreen, game->GetCurrentScreen());
    ExpectPuzzleMusic(music.Last());
    // Solved the first time, a click on the whole going back; a click back the second. The
    // room has its own music again.
    if (entry == 0) {
      Click(100, 500);
      Click(300, 500);
    }
    Click(700, 100);
    Settle();
    ASSERT_EQ(museum->mSearchScreen, game->GetCurrentScreen());
    EXPECT_EQ(std::string::npos, music.Last().mTrack.find("MiniGame")) << entry;
  }

  museum->SetState(TCase::kSequenceStage);
  game->PostEvent(evBackToMap);
  game->ChooseLocation("02_museum");
  game->PostEvent(evPlaySuspectPuzzle);
  Settle();
  ASSERT_NE(nullptr, dynamic_cast<TSuspectPuzzleSequence*>(game->GetCurrentScreen()));
  ExpectPuzzleMusic(music.Last());
}

// Tests of the search room: objects found and missed by clicks, the list panel, scores, the
// case's theories and suspects, completion, free play's clock, the room's saved record, and
// its music on first and later entries.
#include <algorithm>

#include "story/gameround.h"
#include "scene/textobject.h"
#include "support/gamescenetestutil.h"
#include "support/musicprobe.h"
#include "support/recordbytes.h"

namespace {

class SearchScreenTest : public GameSceneTest
{
protected:
  void SetUp() override
  {
    GameSceneTest::SetUp();
    UseRealScreens();
    // A key at (100,100), a glove at (300,100) that proves a theory and points at suspect 2,
    // a vase (scenery) at (500,100), a back button at (700,500); two list lines.
    WriteScene(
        "scenes/search/museum.sxm", "museum_room",
        "<object id='key' f='block' p='100,100'><states><st id='idle'/><st id='deleting' a='0'/></states></object>"
        "<object id='glove' f='block' p='300,100'/>"
        "<object id='vase' f='block' p='500,100'/>"
        "<object id='back' f='block' p='700,500'><on_mouse_up><script>BackToMap()</script></on_mouse_up></object>"
        "<object type='TTextObject' id='list_1' f='box' p='0,550'/>"
        "<object type='TTextObject' id='list_2' f='box' p='0,575'/>"
        "<object type='TTextObject' id='timer' f='box' p='600,10'/>");
    WriteFile("configs/search/museum.xml", "<search><objects><object id='key' label='Key'/>"
                                           "<object id='glove' label='Glove' theory='glove' suspect='2'/>"
                                           "<object id='ghost' label='Ghost'/></objects></search>");
  }
  TTheGame* InMuseumSearch()
  {
    TTheGame* game = StartedGame();
    game->PostEvent(evStoryChosen);
    game->FlashMovieStooped();
    game->ChooseLocation("02_museum");
    game->PostEvent(evStartSearch);
    Settle();
    return game;
  }
  TSearchScreen* Room() { return dynamic_cast<TSearchScreen*>(Game()->GetCurrentScreen()); }
  // The museum's sting is short, the room tracks are long.
  std::vector<std::pair<std::string, std::string>> Tracks()
  {
    std::vector<std::pair<std::string, std::string>> tracks = {{"audio/music/sting_museum.ogg", "tone010.ogg"}};
    for (const char* room : TSearchScreen::kRoomTracks) {
      tracks.push_back({room, "tone10s.ogg"});
    }
    return tracks;
  }
  static bool IsRoomTrack(const std::string& track)
  {
    const auto& rooms = TSearchScreen::kRoomTracks;
    return std::find(std::begin(rooms), std::end(rooms), track) != std::end(rooms);
  }
  str Line(const char* name)
  {
    TTextObject* text = dynamic_cast<TTextObject*>(Room()->FindObject(name));
    return text ? text->GetText() : str("(none)");
  }
};

} // namespace

TEST_F(SearchScreenTest, ClicksFindListedObjectsAndMissTheRest)
{
  ::testing::internal::CaptureStderr();
  TTheGame* game = InMuseumSearch();
  const std::string log = ::testing::internal::GetCapturedStderr();
  TSearchScreen* room = Room();
  ASSERT_NE(nullptr, room);
  // The object the room does not show is dropped from the list at once.
  EXPECT_NE(std::string::npos, log.find("ERROR: Search room configs/search/museum.xml has no object ghost"));
  EXPECT_EQ((std::vector<str>{"key", "glove"}), room->GetRemaining());
  EXPECT_EQ("Key", Line("list_1"));
  EXPECT_EQ("Glove", Line("list_2"));

  Click(500, 100);
  Click(20, 400);
  EXPECT_EQ(2u, room->GetMisses());
  EXPECT_EQ(0u, game->GetScore("Object_Found"));

  Click(100, 100);
  EXPECT_EQ((std::vector<str>{"glove"}), room->GetRemaining());
  EXPECT_EQ("deleting", room->FindObject("key")->GetCurrentStateName());
  EXPECT_EQ(100u, game->GetScore("Object_Found"));
  EXPECT_EQ("Glove", Line("list_1"));
  EXPECT_EQ("", Line("list_2"));
  // A found object is not found twice: its place is empty now.
  Click(100, 100);
  EXPECT_EQ(100u, game->GetScore("Object_Found"));
  EXPECT_EQ(3u, room->GetMisses());

  TCase* museum = game->GetCurrentCase();
  Click(300, 100);
  EXPECT_EQ(200u, game->GetScore("Object_Found"));
  // Without a "deleting" state the glove is hidden; its theory and suspect reach the case.
  EXPECT_FALSE(room->FindObject("glove")->IsVisible());
  EXPECT_EQ((std::vector<str>{"icon_glove"}), museum->mCaseFile.mCheckedTheoryIcons);
  EXPECT_EQ((std::vector<uint32_t>{1}), museum->mCaseFile.mFoundSuspects);
  // The last find completes the room: the end dialog, then the journal.
  EXPECT_EQ(TCase::kSequenceStage, museum->GetState());
  EXPECT_EQ(stJournal, game->GetState());
}

TEST_F(SearchScreenTest, TheRoomsButtonLeavesForTheMapWithoutAMiss)
{
  TTheGame* game = InMuseumSearch();
  Click(700, 500);
  EXPECT_EQ(stMap, game->GetState());
  EXPECT_EQ(0u, Room() ? Room()->GetMisses() : 0u);
}

TEST_F(SearchScreenTest, TheRoomIsSavedWithWhatIsLeftAndItsScenes)
{
  TTheGame* game = InMuseumSearch();
  Click(100, 100);
  Click(500, 100);
  TSearchScreen* room = Room();
  TBinaryBuffer record;
  ASSERT_TRUE(room->Save(&record));
  const std::string bytes = BufferBytes(record);
  EXPECT_EQ(TRecordBytes().Str("configs/search/museum.xml").U32(1).Str("glove").U32(1).I32(-1).U32(1).Get(),
            bytes.substr(0, 4 + 25 + 4 + 4 + 5 + 4 + 4 + 4));

  TSceneScreen* copy = game->AddScreen("TSearchScreen");
  TBinaryBuffer reading;
  FillBuffer(reading, bytes);
  ASSERT_TRUE(copy->LoadSaved(&reading));
  EXPECT_EQ(0u, reading.Remaining());
  TSearchScreen* restored = dynamic_cast<TSearchScreen*>(copy);
  EXPECT_EQ((std::vector<str>{"glove"}), restored->GetRemaining());
  EXPECT_EQ(1u, restored->GetMisses());
  ASSERT_NE(nullptr, restored->FindObject("key"));
  EXPECT_EQ("deleting", restored->FindObject("key")->GetCurrentStateName());
  EXPECT_EQ("Glove", dynamic_cast<TTextObject*>(restored->FindObject("list_1"))->GetText());

  // A record naming an object the configuration does not list is refused.
  std::string foreign = bytes;
  foreign.replace(4 + 25 + 4 + 4, 5, "chair");
  TSceneScreen* other = game->AddScreen("TSearchScreen");
  TBinaryBuffer bad;
  FillBuffer(bad, foreign);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(other->LoadSaved(&bad));
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("ERROR: "));
}

// Damage in a saved room is the record's fault: a room whose scenes lack an object it still
// lists, or that names another configuration than the game has for it, is refused without a
// line that blames the configuration, and the fault is kept for the line of the whole record.
TEST_F(SearchScreenTest, ADamagedRoomRecordIsRefusedWithoutBlamingTheConfiguration)
{
  TTheGame* game = InMuseumSearch();
  TBinaryBuffer record;
  ASSERT_TRUE(Room()->Save(&record));
  const std::string bytes = BufferBytes(record);
  std::string lost = bytes;
  const size_t inScene = bytes.find("glove", bytes.find("glove") + 5);
  ASSERT_NE(std::string::npos, inScene);
  lost[inScene + 4] = 'x';
  std::string other = bytes;
  other[4 + 24] = 'k';

  for (const std::string& bad : {lost, other}) {
    TSceneScreen* copy = game->AddScreen("TSearchScreen");
    copy->ExpectConfig("configs/search/museum.xml");
    TBinaryBuffer reading;
    FillBuffer(reading, bad);
    reading.KeepFaultsQuiet();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(copy->LoadSaved(&reading));
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string::npos, log.find("configs/search/museum")) << log;
    EXPECT_EQ(std::string::npos, log.find("Binary record")) << log;
    EXPECT_NE(std::string::npos, std::string(reading.GetFault().c_str()).find("at byte")) << reading.GetFault().c_str();
  }
}

TEST_F(SearchScreenTest, FreePlayRacesTheClock)
{
  WriteScene("scenes/search/zoo.sxm", "zoo_room",
             "<object id='key' f='block' p='100,100'/><object id='map' f='block' p='300,100'/>"
             "<object type='TTextObject' id='timer' f='box' p='600,10'/>");
  WriteFile("configs/search/zoo.xml", "<search><objects><object id='key'/><object id='map'/></objects></search>");
  TTheGame* game = StartedGame();
  game->PostEvent(evFreePlayChosen);
  game->ChooseLocation("34_zoo");
  Settle();
  TSearchScreen* room = Room();
  ASSERT_NE(nullptr, room);
  // The clock starts once the room has faded in.
  const int32_t start = room->GetTimeLeft();
  EXPECT_GT(start, 119900);
  EXPECT_LE(start, 120000);
  Click(100, 100);
  // 30 s later the last object gives 10 points a second left.
  for (int i = 0; i < 1500; ++i) {
    Tick();
  }
  EXPECT_EQ(start - 30000, room->GetTimeLeft());
  EXPECT_EQ("1:30", dynamic_cast<TTextObject*>(room->FindObject("timer"))->GetText());
  Click(300, 100);
  EXPECT_EQ(stFreePlayMap, game->GetState());
  EXPECT_EQ(200u, game->GetFreePlay().GetTotal("Object_Found"));
  const uint32_t extra = game->GetFreePlay().GetTotal("Extra_Time");
  EXPECT_EQ(uint32_t((start - 30000) / 1000 * 10), extra);
  EXPECT_TRUE(game->GetFreePlay().GetUsedLocations().at("34_zoo"));

  // The clock runs out in another room: no used mark, but the score counts.
  WriteScene("scenes/search/restaurant.sxm", "restaurant_room", "<object id='spoon' f='block' p='100,100'/>");
  WriteFile("configs/search/restaurant.xml", "<search><objects><object id='spoon'/></objects></search>");
  game->ChooseLocation("11_restaurant");
  for (int i = 0; i < 6100 && game->GetState() == stFreePlaySearch; ++i) {
    Tick();
  }
  EXPECT_EQ(stFreePlayMap, game->GetState());
  EXPECT_FALSE(game->GetFreePlay().GetUsedLocations().at("11_restaurant"));
}

TEST_F(SearchScreenTest, TheFirstEntryPlaysThePlacesStingAndItsFollowUpLaterEntriesARoomTrack)
{
  TMusicProbe music(mSandbox, Tracks());
  TTheGame* game = InMuseumSearch();
  const TMusicRequest sting = music.Last();
  EXPECT_EQ("audio/music/sting_museum.ogg", sting.mTrack);
  EXPECT_TRUE(sting.mCrossFade);
  EXPECT_FALSE(sting.mLoop);
  EXPECT_TRUE(IsRoomTrack(sting.mNext)) << sting.mNext;

  // The follow-up starts as the sting ends: at once, looping, with none of its own.
  ASSERT_TRUE(music.PlayOut(sting));
  const TMusicRequest follow = music.Last();
  EXPECT_EQ(sting.mNext, follow.mTrack);
  EXPECT_FALSE(follow.mCrossFade);
  EXPECT_TRUE(follow.mLoop);
  EXPECT_EQ("", follow.mNext);

  Click(700, 500);
  ASSERT_EQ(stMap, game->GetState());
  game->ChooseLocation("02_museum");
  game->PostEvent(evStartSearch);
  Settle();
  ASSERT_EQ(stSearch, game->GetState());
  const TMusicRequest later = music.Last();
  EXPECT_TRUE(IsRoomTrack(later.mTrack)) << later.mTrack;
  EXPECT_TRUE(later.mCrossFade);
  EXPECT_TRUE(later.mLoop);
  EXPECT_EQ("", later.mNext);
}

TEST_F(SearchScreenTest, AFreePlayRoomHasNoStingAndStartsWithARoomTrack)
{
  TMusicProbe music(mSandbox, Tracks());
  WriteScene("scenes/search/zoo.sxm", "zoo_room", "<object id='key' f='block' p='100,100'/>");
  WriteFile("configs/search/zoo.xml", "<search><objects><object id='key'/></objects></search>");
  TTheGame* game = StartedGame();
  game->PostEvent(evFreePlayChosen);
  game->ChooseLocation("34_zoo");
  Settle();
  const TMusicRequest first = music.Last();
  EXPECT_TRUE(IsRoomTrack(first.mTrack)) << first.mTrack;
  EXPECT_TRUE(first.mCrossFade);
  EXPECT_TRUE(first.mLoop);
  EXPECT_EQ("", first.mNext);
}

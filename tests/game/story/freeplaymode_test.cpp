// Tests of the free-play model: locations from its configuration, used marks, totals in the
// player's preferences, search screens made once, the saved record byte for byte for three
// locations, records that do not fit refused, and the venue tables.
#include "core/foundation/prefsdb.h"
#include "story/freeplaymode.h"
#include "story/gameround.h"
#include "story/venues.h"
#include "support/gametestutil.h"
#include "support/recordbytes.h"

namespace {

class FreePlayModeTest : public GameTest
{
protected:
  TFreePlayMode& FreePlay()
  {
    TFreePlayMode& freePlay = Game()->GetFreePlay();
    freePlay.Init();
    return freePlay;
  }
  int Pref(const char* key) { return TSettings::GetInstance()->mPrefs->GetInt(key, -7, 0); }
};

} // namespace

TEST_F(FreePlayModeTest, TheFirstEntryOfALocationWinsAndCountsOnce)
{
  mSandbox.WriteFile("assets/configs/freeplay_config.xml",
                     "<free_play><a id=\"34_zoo\" freeplayscene=\"zoo.sxm\" freeplayconfig=\"zoo.xml\"/>"
                     "<b id=\"34_zoo\" freeplayscene=\"other.sxm\" freeplayconfig=\"other.xml\"/></free_play>");
  TFile::ScanForResources();
  TFreePlayMode& freePlay = FreePlay();
  ASSERT_EQ(1u, freePlay.GetLocations().size());
  EXPECT_EQ("zoo.sxm", freePlay.GetLocations().at("34_zoo").mSceneFile);
  EXPECT_EQ("zoo.xml", freePlay.GetLocations().at("34_zoo").mSearchConfig);
  EXPECT_EQ(1u, freePlay.GetUsedLocations().size());
}

TEST_F(FreePlayModeTest, UsedMarksAndCompletion)
{
  TFreePlayMode& freePlay = FreePlay();
  EXPECT_FALSE(freePlay.isCompleted());
  EXPECT_TRUE(freePlay.ModifyUsedLocation("34_zoo", true));
  EXPECT_TRUE(freePlay.ModifyUsedLocation("02_museum", true));
  EXPECT_FALSE(freePlay.isCompleted());
  EXPECT_TRUE(freePlay.ModifyUsedLocation("11_restaurant", true));
  EXPECT_TRUE(freePlay.isCompleted());
  EXPECT_FALSE(freePlay.ModifyUsedLocation("99_new", false));
  EXPECT_EQ(4u, freePlay.GetUsedLocations().size());
  EXPECT_FALSE(freePlay.isCompleted());
}

TEST_F(FreePlayModeTest, TotalsLiveInThePlayersPreferencesAndUnInitClearsThem)
{
  TFreePlayMode& freePlay = FreePlay();
  EXPECT_TRUE(freePlay.ModifyTotalScoreFreePlay("Object_Found", 1200));
  freePlay.SetBonusPoints(35);
  EXPECT_EQ(1200, Pref("Object_Found"));
  EXPECT_EQ(0, Pref("Puzzles"));
  EXPECT_EQ(35, Pref("extra_bonus_points"));
  // A fresh model reads them back.
  TFreePlayMode other;
  other.Init();
  EXPECT_EQ(1200u, other.GetTotal("Object_Found"));
  EXPECT_EQ(35, other.GetBonusPoints());

  Game()->AddScore("Extra_Time", 50);
  freePlay.UnInit();
  for (const char* category : tableScore) {
    EXPECT_EQ(0, Pref(category)) << category;
    EXPECT_EQ(0u, freePlay.GetTotal(category));
  }
  EXPECT_EQ(0, Pref("extra_bonus_points"));
  EXPECT_EQ(0u, Game()->GetScore("Extra_Time"));
  freePlay.Init();
  EXPECT_EQ(0u, freePlay.GetTotal("Object_Found"));
  EXPECT_EQ(0, freePlay.GetBonusPoints());
}

TEST_F(FreePlayModeTest, ASearchScreenIsMadeOnceAndUnknownLocationsAreRefused)
{
  TFreePlayMode& freePlay = FreePlay();
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(freePlay.PlaySearch("34_zoo"));
  TSceneScreen* zoo = freePlay.GetSearchScreen("34_zoo");
  ASSERT_NE(nullptr, zoo);
  EXPECT_EQ("AddScene queued scenes/search/zoo.sxm", ScreenLog().at(0));
  EXPECT_EQ("configs/search/zoo.xml", freePlay.GetCurrentSearchConfig());
  EXPECT_EQ(zoo, Game()->GetCurrentScreen());
  ASSERT_TRUE(freePlay.PlaySearch("02_museum"));
  ASSERT_TRUE(freePlay.PlaySearch("34_zoo"));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(zoo, freePlay.GetSearchScreen("34_zoo"));
  // Going back to a room made earlier keeps the configuration of the room made last.
  EXPECT_EQ("configs/search/museum.xml", freePlay.GetCurrentSearchConfig());
  EXPECT_EQ("34_zoo", freePlay.GetCurrentLocation());

  const size_t screens = Game()->GetScreenCount();
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(freePlay.PlaySearch("99_nowhere"));
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("ERROR: Free play has no location"));
  EXPECT_EQ(screens, Game()->GetScreenCount());

  freePlay.RecreateSearchScreen("34_zoo");
  EXPECT_EQ(nullptr, freePlay.GetSearchScreen("34_zoo"));
  EXPECT_FALSE(Game()->OwnsScreen(zoo));
}

TEST_F(FreePlayModeTest, TheRecordOfThreeLocationsIsByteExactAndReadsBack)
{
  TFreePlayMode& freePlay = FreePlay();
  freePlay.ModifyUsedLocation("34_zoo", true);
  freePlay.PlaySearch("02_museum");
  freePlay.ModifyTotalScoreFreePlay("Object_Found", 900);
  freePlay.SetBonusPoints(-4);
  TBinaryBuffer saved;
  ASSERT_TRUE(freePlay.Save(&saved));
  TRecordBytes expected;
  // Used marks in key order, no count; then the configuration and the one screen.
  expected.Str("02_museum").Byte(0).Str("11_restaurant").Byte(0).Str("34_zoo").Byte(1);
  expected.Str("configs/search/museum.xml");
  expected.U32(1).Str("02_museum").Str("plain").U32(0);
  expected.U32(6);
  for (const char* category :
       {"Decal_found", "Extra_Time", "No_hints_used", "Object_Found", "Puzzles", "Total_round"}) {
    expected.Str(category).U32(std::string(category) == "Object_Found" ? 900 : 0);
  }
  expected.Str("-4");
  EXPECT_EQ(expected.Get(), BufferBytes(saved));

  TFreePlayMode& reloaded = Game()->GetFreePlay();
  reloaded.UnInit();
  reloaded.Init();
  TBinaryBuffer reading;
  FillBuffer(reading, BufferBytes(saved));
  ASSERT_TRUE(reloaded.Load(&reading));
  EXPECT_EQ(0u, reading.Remaining());
  EXPECT_TRUE(reloaded.GetUsedLocations().at("34_zoo"));
  EXPECT_FALSE(reloaded.GetUsedLocations().at("02_museum"));
  EXPECT_NE(nullptr, reloaded.GetSearchScreen("02_museum"));
  EXPECT_EQ("configs/search/museum.xml", reloaded.GetCurrentSearchConfig());
  EXPECT_EQ(900u, reloaded.GetTotal("Object_Found"));
  EXPECT_EQ(900, Pref("Object_Found"));
  EXPECT_EQ(-4, reloaded.GetBonusPoints());
}

TEST_F(FreePlayModeTest, ARecordOfAnotherConfigurationIsRefused)
{
  TFreePlayMode& freePlay = FreePlay();
  TBinaryBuffer saved;
  ASSERT_TRUE(freePlay.Save(&saved));
  std::string bytes = BufferBytes(saved);
  // A location the configuration does not hold.
  std::string renamed = bytes;
  renamed.replace(4, 9, "03_cinema");
  // A screen of a location that is not there, and an absurd screen count.
  TRecordBytes foreign;
  foreign.Str("02_museum").Byte(0).Str("11_restaurant").Byte(0).Str("34_zoo").Byte(0).Str("");
  std::string strangerScreen = TRecordBytes(foreign).U32(1).Str("03_cinema").Str("plain").U32(0).Get();
  std::string hugeCount = TRecordBytes(foreign).U32(0x7fffffff).Get();
  for (const std::string& bad : {renamed, strangerScreen, hugeCount, bytes.substr(0, bytes.size() - 3)}) {
    TBinaryBuffer reading;
    FillBuffer(reading, bad);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(freePlay.Load(&reading));
    EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("ERROR: "));
  }
  EXPECT_EQ(3u, freePlay.GetUsedLocations().size());
}

TEST_F(FreePlayModeTest, VenuesOfTheCurrentCase)
{
  EXPECT_EQ(0, getCurrentCaseVenue());
  TTheGame* game = StartedGame();
  game->PostEvent(evStoryChosen);
  TGameRound* round = game->GetCurrentRound();
  round->SetCurrentCase(1);
  ASSERT_EQ("15_library", round->getCurrentCase()->mLocationId);
  EXPECT_EQ(0, getCurrentCaseVenue());
  EXPECT_EQ(0, getCurrentCaseVenueType());
  round->SetCurrentCase(0);
  EXPECT_EQ(0, getCurrentCaseVenue());
  round->getCurrentCase()->mLocationId = "31_laondromat";
  EXPECT_EQ(9, getCurrentCaseVenue());
  round->getCurrentCase()->mLocationId = "14_supermarket";
  EXPECT_EQ(1, getCurrentCaseVenueType());
  EXPECT_EQ(2, getCurrentCaseVenue());
  round->getCurrentCase()->mLocationId = "17_ gym";
  EXPECT_EQ(4, getCurrentCaseVenue());
  round->getCurrentCase()->mLocationId = "17_gym";
  EXPECT_EQ(0, getCurrentCaseVenue());
  EXPECT_EQ(16u, gVenuesMap.size());
  EXPECT_EQ(21u, gVenuesTypesMap.size());
}

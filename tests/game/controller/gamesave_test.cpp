// Tests of saved games: the record's frame (header, length, checksum) around the game's state,
// scores and the round or free play, kept per player and mode in the preferences with a debug
// copy; damaged records refused with the round started again.
#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <iterator>

#include "core/foundation/prefsdb.h"
#include "story/gameround.h"
#include "shell/savenotices.h"
#include "support/otherprogram.h"
#include "support/gametestutil.h"
#include "support/recordbytes.h"

namespace {

class GameSaveTest : public GameTest
{
protected:
  // Story at round 1's map with the museum being searched.
  TTheGame* Searching()
  {
    TTheGame* game = StartedGame();
    game->PostEvent(evStoryChosen);
    game->FlashMovieStooped();
    game->ChooseLocation("02_museum");
    game->PostEvent(evStartSearch);
    return game;
  }
  std::string SavedBytes(const char* key)
  {
    TPrefsDB* prefs = TSettings::GetInstance()->mPrefs;
    const int size = prefs->GetBinary(key, nullptr, 0, 0);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0) {
      prefs->GetBinary(key, &bytes[0], unsigned(size), 0);
    }
    return bytes;
  }
  static size_t ErrorLineCount(const std::string& log)
  {
    size_t count = 0;
    for (size_t at = log.find("ERROR: "); at != std::string::npos; at = log.find("ERROR: ", at + 1))
      ++count;
    return count;
  }
  void Store(const char* key, const std::string& bytes)
  {
    TSettings::GetInstance()->mPrefs->SetBinary(key, bytes.data(), unsigned(bytes.size()), 0, true);
  }
};

} // namespace

TEST_F(GameSaveTest, TheRecordFramesTheStateScoresAndRound)
{
  TTheGame* game = Searching();
  game->AddScore("Object_Found", 300);
  ASSERT_TRUE(game->SaveGame());
  const std::string bytes = SavedBytes(TTheGame::kStorySaveKey);

  TBinaryBuffer round;
  ASSERT_TRUE(game->GetCurrentRound()->Save(&round));
  TRecordBytes payload;
  payload.I32(stSearch).U32(6);
  for (const char* category :
       {"Decal_found", "Extra_Time", "No_hints_used", "Object_Found", "Puzzles", "Total_round"}) {
    payload.Str(category).U32(std::string(category) == "Object_Found" ? 300 : 0);
  }
  // Last, the clock of timed play (the player's choice at registering), untouched by a search
  // that saw no tick.
  EXPECT_EQ(600000, game->GetRoundTimeLeft());
  const std::string body = payload.Get() + BufferBytes(round) + TRecordBytes().I32(600000).Get();
  ASSERT_EQ(20 + body.size(), bytes.size());
  EXPECT_EQ(std::string("QSB1", 4), bytes.substr(0, 4));
  EXPECT_EQ(TRecordBytes().U32(1).I32(0).U32(uint32_t(body.size())).Get(), bytes.substr(4, 12));
  EXPECT_EQ(body, bytes.substr(20));

  // The debug copy holds the same bytes.
  std::ifstream copy(mSandbox.Path("user/test_gamesave.dat"), std::ios::binary);
  ASSERT_TRUE(copy.good()) << "no debug copy";
  EXPECT_EQ(bytes, std::string(std::istreambuf_iterator<char>(copy), std::istreambuf_iterator<char>()));
}

TEST_F(GameSaveTest, ADamagedRecordIsRefusedAndTheRoundStartsAgain)
{
  TTheGame* game = Searching();
  ASSERT_TRUE(game->SaveGame());
  const std::string good = SavedBytes(TTheGame::kStorySaveKey);
  std::string flipped = good;
  flipped[good.size() - 2] ^= 0x40;
  std::string otherMode = good;
  otherMode[4] = 2;
  const std::string longer = good + "x";
  const std::string notASave = "hello, world, this is not a game";
  for (const std::string& bad : {flipped, otherMode, longer, notASave, good.substr(0, 10)}) {
    Store(TTheGame::kStorySaveKey, bad);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(game->LoadGame(kControllerStory));
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, log.find("ERROR: The saved game of player 0 is refused")) << log;
    // The round is there to play again, from its start.
    ASSERT_NE(nullptr, game->GetCurrentRound());
    EXPECT_EQ(0, game->GetCurrentRoundIndex());
    EXPECT_EQ(TCase::kNotOpened, game->GetCurrentRound()->getCase(0u)->GetState());
  }

  // The story menu goes on with a new round when the saved game is refused.
  Store(TTheGame::kStorySaveKey, flipped);
  game->PostEvent(evBackToMap);
  game->PostEvent(evBackToMainMenu);
  Store(TTheGame::kStorySaveKey, flipped);
  ::testing::internal::CaptureStderr();
  game->PostEvent(evStoryChosen);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(stCinema, game->GetState());

  Store(TTheGame::kStorySaveKey, good);
  EXPECT_TRUE(game->LoadGame(kControllerStory));
  EXPECT_EQ(TCase::kSearching, game->GetCurrentRound()->getCase(0u)->GetState());
}

// A refused record is not only in the log: it is kept aside under a numbered name before the
// round starts again (and saves), and the player is told once.
TEST_F(GameSaveTest, ARefusedRecordIsKeptAsideAndThePlayerToldOnce)
{
  TTheGame* game = Searching();
  ASSERT_TRUE(game->SaveGame());
  std::string flipped = SavedBytes(TTheGame::kStorySaveKey);
  flipped[flipped.size() - 2] ^= 0x40;
  Store(TTheGame::kStorySaveKey, flipped);
  TSaveNotices* notices = TSettings::GetInstance()->mNotices;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(game->LoadGame(kControllerStory));
  std::string log = ::testing::internal::GetCapturedStderr();
  // The record's line comes first (the round's own scenes follow it here).
  EXPECT_EQ(log.find("ERROR: "), log.find("ERROR: The saved game of player 0 is refused")) << log;
  EXPECT_NE(std::string::npos, log.find("story_savegame.dat.corrupt")) << log;
  EXPECT_EQ(flipped, mSandbox.ReadFile("user/story_savegame.dat.corrupt"));
  EXPECT_TRUE(notices->WasTold(TSaveNotices::kGameRefused));
  ASSERT_TRUE(game->SaveGame());
  EXPECT_EQ(flipped, mSandbox.ReadFile("user/story_savegame.dat.corrupt"));

  // Another refused record gets a copy of its own and no second notice.
  Store(TTheGame::kStorySaveKey, "not a saved game at all");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(game->LoadGame(kControllerStory));
  log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ("not a saved game at all", mSandbox.ReadFile("user/story_savegame.dat.corrupt2"));
  EXPECT_EQ(flipped, mSandbox.ReadFile("user/story_savegame.dat.corrupt"));
}

TEST_F(GameSaveTest, ADamagedRecordOfALaterRoundStartsThatRoundAgain)
{
  TTheGame* game = StartedGame();
  game->PostEvent(evStoryChosen);
  ASSERT_TRUE(game->StartRound(1));
  ASSERT_TRUE(game->SaveGame());
  std::string bytes = SavedBytes(TTheGame::kStorySaveKey);
  bytes[bytes.size() - 1] ^= 1;
  Store(TTheGame::kStorySaveKey, bytes);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(game->LoadGame(kControllerStory));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(1, game->GetCurrentRoundIndex());
}

TEST_F(GameSaveTest, NothingIsSavedWithoutAPlayerOrAGame)
{
  TTheGame* game = StartedGame();
  EXPECT_FALSE(game->SaveGame());
  game->PostEvent(evStoryChosen);
  TSettings::GetInstance()->mPrefs->SetInt(TSettings::kCurrentUser, -1, TSettings::kGlobalUser, true);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(game->SaveGame());
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("ERROR: No player"));
  EXPECT_FALSE(game->HasSavedGame(kControllerStory));
}

TEST_F(GameSaveTest, FreePlayGoesOnFromItsSavedGame)
{
  TTheGame* game = StartedGame();
  game->PostEvent(evFreePlayChosen);
  game->ChooseLocation("34_zoo");
  game->PostEvent(evSearchCompleted);
  game->ChooseLocation("11_restaurant");
  game->PostEvent(evBackToMainMenu);
  game->PostEvent(evBackToMap);
  game->PostEvent(evBackToMainMenu);
  EXPECT_TRUE(game->HasSavedGame(kControllerFreePlay));
  EXPECT_FALSE(game->HasSavedGame(kControllerStory));
  std::ifstream copy(mSandbox.Path("user/freeplay_test_gamesave.dat"), std::ios::binary);
  EXPECT_TRUE(copy.good());

  TTheGame::DestroyInstance();
  game = StartedGame();
  game->PostEvent(evFreePlayChosen);
  TFreePlayMode& freePlay = game->GetFreePlay();
  EXPECT_TRUE(freePlay.GetUsedLocations().at("34_zoo"));
  EXPECT_FALSE(freePlay.GetUsedLocations().at("11_restaurant"));
  // The restaurant's room was left half searched and is there again.
  EXPECT_NE(nullptr, freePlay.GetSearchScreen("11_restaurant"));
  EXPECT_EQ(nullptr, freePlay.GetSearchScreen("34_zoo"));
}

// A save of the record the preferences and the copy already hold (a round just resumed shows
// its map) leaves both files as they are; a changed record, or a copy gone, is written.
TEST_F(GameSaveTest, ASaveOfTheRecordAlreadyKeptLeavesTheFilesAlone)
{
  TTheGame* game = Searching();
  ASSERT_TRUE(game->SaveGame());
  const std::string copyPath = mSandbox.Path("user/test_gamesave.dat");
  const std::string prefsPath = mSandbox.Path("user/prefsdb.dat");
  struct stat copy = {}, prefs = {}, after = {};
  ASSERT_EQ(0, stat(copyPath.c_str(), &copy));
  ASSERT_EQ(0, stat(prefsPath.c_str(), &prefs));

  ASSERT_TRUE(game->SaveGame());
  ASSERT_EQ(0, stat(copyPath.c_str(), &after));
  EXPECT_EQ(copy.st_ino, after.st_ino) << "the copy was written again";
  ASSERT_EQ(0, stat(prefsPath.c_str(), &after));
  EXPECT_EQ(prefs.st_mtim.tv_nsec, after.st_mtim.tv_nsec) << "the preferences were written again";
  EXPECT_EQ(prefs.st_mtim.tv_sec, after.st_mtim.tv_sec);

  const std::string before = SavedBytes(TTheGame::kStorySaveKey);
  game->AddScore("Object_Found", 300);
  ASSERT_TRUE(game->SaveGame());
  EXPECT_NE(before, SavedBytes(TTheGame::kStorySaveKey));
  ASSERT_EQ(0, stat(copyPath.c_str(), &after));
  EXPECT_NE(copy.st_ino, after.st_ino);

  ASSERT_EQ(0, std::remove(copyPath.c_str()));
  ASSERT_TRUE(game->SaveGame());
  EXPECT_EQ(0, stat(copyPath.c_str(), &after)) << "a copy gone is written again";
}

// Another program holds the preferences file for writing: the save is not reported as done,
// the player is told why it waits, and it is written when the file is free again, without a
// further save point.
TEST_F(GameSaveTest, ASaveTheFileDoesNotTakeIsNotReportedAsDoneAndIsWrittenOnceTheFileIsFree)
{
  TTheGame* game = Searching();
  TSettings* settings = TSettings::GetInstance();
  TOtherProgram other(mSandbox.Path("user/prefsdb.dat"));
  ASSERT_TRUE(other.Run("BEGIN IMMEDIATE"));
  game->AddScore("Object_Found", 300);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(game->SaveGame());
  EXPECT_FALSE(game->SaveGame());
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(1u, ErrorLineCount(log)) << "one line while it lasts: " << log;
  EXPECT_TRUE(settings->mNotices->WasTold(TSaveNotices::kFileBusy));
  const std::string saved = SavedBytes(TTheGame::kStorySaveKey);

  RunTasks(TSettings::kSaveWatchInterval);
  EXPECT_TRUE(settings->mPrefs->HasUnsavedChanges()) << "still held";
  ASSERT_TRUE(other.Run("COMMIT"));
  RunTasks(TSettings::kSaveWatchInterval);
  EXPECT_FALSE(settings->mPrefs->HasUnsavedChanges());

  TTheGame::DestroyInstance();
  Restart();
  EXPECT_EQ(saved, SavedBytes(TTheGame::kStorySaveKey));
}

// A lock that shuts out even readers, taken in the middle of the story: the game still knows
// its player, and what it saves meanwhile reaches the file once the lock goes before the quit.
TEST_F(GameSaveTest, ALockTakenDuringPlayCostsNeitherThePlayerNorTheRun)
{
  TTheGame* game = Searching();
  TOtherProgram other(mSandbox.Path("user/prefsdb.dat"));
  ASSERT_TRUE(other.Run("BEGIN EXCLUSIVE"));
  game->AddScore("Object_Found", 300);
  ::testing::internal::CaptureStderr();
  game->SaveGame();
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::string::npos, log.find("No player")) << log;
  EXPECT_EQ(0, TSettings::GetInstance()->GetCurrentUser());
  EXPECT_TRUE(game->HasSavedGame(kControllerStory));
  const std::string saved = SavedBytes(TTheGame::kStorySaveKey);
  ASSERT_TRUE(other.Run("COMMIT"));

  TTheGame::DestroyInstance();
  Restart();
  EXPECT_EQ(saved, SavedBytes(TTheGame::kStorySaveKey));
}

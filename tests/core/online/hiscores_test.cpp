// hiscores tests: recording scores into the local tables (ranks, the row limit, one row per
// player, GUIDs), the queries, clearing a player and construction.
#include "support/hiscorefixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace hiscoretest;

namespace {

TEST_F(HiscoreTest, RecordScore_FirstScoreMakesATableOfOneRowRankedFirst)
{
  auto hiscores = Make();
  EXPECT_EQ(0, hiscores->GetScoreCount(true));
  hiscores->KeepScore(42, false, "d");
  EXPECT_EQ("1:42:alice", Rows(*hiscores));
  hiscores->SetProperty(TQvHiscores::kPropertyGameMode, str("freeplay"));
  EXPECT_EQ(0, hiscores->GetScoreCount(true));
}

TEST_F(HiscoreTest, RecordScore_EqualScoresShareTheRankOfTheFirst)
{
  auto hiscores = Make();
  hiscores->KeepScore(90, false, nullptr);
  hiscores->KeepScore(90, false, nullptr);
  hiscores->KeepScore(80, false, nullptr);
  EXPECT_EQ("1:90:alice 1:90:alice 3:80:alice", Rows(*hiscores));

  auto other = Make("bob", "free");
  other->KeepScore(100, false, nullptr);
  other->KeepScore(80, false, "old");
  other->KeepScore(80, false, "new");
  EXPECT_EQ("1:100:bob 2:80:bob 2:80:bob", Rows(*other));
  // A new score goes below the equal ones already there.
  char data[8];
  ASSERT_TRUE(other->GetScore(true, 2, nullptr, nullptr, 0, nullptr, nullptr, data, sizeof data));
  EXPECT_STREQ("new", data);
  other->KeepScore(90, false, nullptr);
  EXPECT_EQ("1:100:bob 2:90:bob 3:80:bob 3:80:bob", Rows(*other));
}

TEST_F(HiscoreTest, RecordScore_FullTableDropsAnEqualScoreAndTakesAHigherOne)
{
  auto hiscores = Make("p", "story", false);
  for (int i = 0; i < TQvHiscores::kMaxRows; ++i) {
    hiscores->KeepScore(509 - i, false, nullptr); // 509 down to 10
  }
  ASSERT_EQ(500, hiscores->GetScoreCount(true));
  EXPECT_EQ("500:10:p", Row(*hiscores, 499));

  hiscores->KeepScore(10, false, "dropped");
  EXPECT_EQ(500, hiscores->GetScoreCount(true));
  char data[16] = "";
  hiscores->GetScore(true, 499, nullptr, nullptr, 0, nullptr, nullptr, data, sizeof data);
  EXPECT_STREQ("", data);

  hiscores->KeepScore(11, false, "kept");
  EXPECT_EQ(500, hiscores->GetScoreCount(true));
  EXPECT_EQ("499:11:p", Row(*hiscores, 498));
  EXPECT_EQ("499:11:p", Row(*hiscores, 499)); // equal scores share the rank
  hiscores->GetScore(true, 499, nullptr, nullptr, 0, nullptr, nullptr, data, sizeof data);
  EXPECT_STREQ("kept", data);
}

TEST_F(HiscoreTest, RecordScore_OnePerPlayerKeepsOnlyTheBestRowAndItsGuid)
{
  auto hiscores = Make("alice");
  hiscores->KeepScore(50, true, "first");
  hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str("bob"));
  hiscores->KeepScore(60, true, nullptr);
  hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str("alice"));
  hiscores->KeepScore(40, true, "lower");
  hiscores->KeepScore(50, true, "equal");
  EXPECT_EQ("1:60:bob 2:50:alice", Rows(*hiscores));
  char data[16];
  hiscores->GetScore(true, 1, nullptr, nullptr, 0, nullptr, nullptr, data, sizeof data);
  EXPECT_STREQ("first", data);

  hiscores->KeepScore(70, true, "higher");
  EXPECT_EQ("1:70:alice 2:60:bob", Rows(*hiscores));
  hiscores->GetScore(true, 0, nullptr, nullptr, 0, nullptr, nullptr, data, sizeof data);
  EXPECT_STREQ("higher", data);
}

TEST_F(HiscoreTest, RecordScore_OnePerPlayerInAFullTableFillsEveryRow)
{
  auto hiscores = Make("other", "story", false);
  for (int i = 0; i < TQvHiscores::kMaxRows; ++i) {
    hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str(i == 250 ? "me" : "other"));
    hiscores->KeepScore(1000 - i, false, nullptr);
  }
  hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str("me"));
  hiscores->KeepScore(5000, true, nullptr);
  ASSERT_EQ(500, hiscores->GetScoreCount(true));
  EXPECT_EQ("1:5000:me", Row(*hiscores, 0));
  int mine = 0;
  for (int i = 0; i < 500; ++i) {
    std::string row = Row(*hiscores, i);
    ASSERT_NE("none", row);
    ASSERT_TRUE(row.find(":other") != std::string::npos || row.find(":me") != std::string::npos);
    if (row.find(":me") != std::string::npos) {
      ++mine;
    }
  }
  EXPECT_EQ(1, mine);
  // Nobody fell off: the 500th row is the old last one.
  EXPECT_EQ("500:501:other", Row(*hiscores, 499));
}

TEST_F(HiscoreTest, GetScore_RefusesIndicesOutsideAndCutsTextsToTheBuffer)
{
  auto hiscores = Make("a-very-long-player-name");
  EXPECT_FALSE(hiscores->GetScore(true, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0));
  hiscores->KeepScore(5, false, "0123456789");
  EXPECT_FALSE(hiscores->GetScore(true, -1, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0));
  EXPECT_FALSE(hiscores->GetScore(true, 1, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0));
  EXPECT_FALSE(hiscores->GetScore(false, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0));

  char name[8];
  std::memset(name, 'x', sizeof name);
  char data[4] = "zz";
  bool anonymous = false;
  int rank = 0;
  int score = 0;
  ASSERT_TRUE(hiscores->GetScore(true, 0, &rank, name, sizeof name, &anonymous, &score, data, 0));
  EXPECT_STREQ("a-very-", name);
  EXPECT_STREQ("zz", data); // length 0: untouched
  EXPECT_TRUE(anonymous);
  EXPECT_EQ(1, rank);
  EXPECT_EQ(5, score);
}

TEST_F(HiscoreTest, GetUserScore_FindsThePlayersBestRow)
{
  auto hiscores = Make("bob");
  int score = 0;
  EXPECT_FALSE(hiscores->GetUserBestScore(TQvHiscores::kBestLocalScore, &score, nullptr, nullptr, 0));
  hiscores->KeepScore(30, false, nullptr);
  hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str("alice"));
  hiscores->KeepScore(20, false, "best");
  hiscores->KeepScore(10, false, nullptr);
  int rank = 0;
  char data[8];
  ASSERT_TRUE(hiscores->GetUserBestScore(TQvHiscores::kBestUnsubmittedScore, &score, &rank, data, 8));
  EXPECT_EQ(20, score);
  EXPECT_EQ(2, rank);
  EXPECT_STREQ("best", data);
  EXPECT_FALSE(hiscores->GetUserBestScore(TQvHiscores::kGlobalScore, &score, &rank, data, 8));
  EXPECT_FALSE(hiscores->GetUserBestScore(static_cast<TQvHiscores::EUserScore>(7), &score, &rank, data, 8));
}

TEST_F(HiscoreTest, ClearPlayerData_RemovesRowsMedalsAndLoginAndRenumbers)
{
  mSandbox.WriteFile("hiscoreserver.txt", "http://127.0.0.1:1/go/hiscore\n");
  auto hiscores = Make("alice", "story");
  hiscores->KeepScore(90, false, nullptr);
  hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str("bob"));
  hiscores->KeepScore(80, false, nullptr);
  hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str("alice"));
  hiscores->KeepScore(70, false, nullptr);
  hiscores->SetProperty(TQvHiscores::kPropertyGameMode, str("free"));
  hiscores->KeepScore(5, false, nullptr);
  hiscores->KeepMedal("m1", TQvHiscores::kMedalPerGame, str());
  ASSERT_TRUE(hiscores->SubmitData(str("alice-online"), str("secret"), true, TQvHiscores::kSubmitScore));
  ASSERT_TRUE(hiscores->GetRememberedUserInfo(nullptr, nullptr));

  hiscores->ClearPlayerData(str("alice"));
  EXPECT_EQ(0, hiscores->GetScoreCount(true));
  EXPECT_EQ(0, hiscores->GetNumMedalsEarned());
  EXPECT_FALSE(hiscores->GetRememberedUserInfo(nullptr, nullptr));
  hiscores->SetProperty(TQvHiscores::kPropertyGameMode, str("story"));
  EXPECT_EQ("1:80:bob", Rows(*hiscores));

  // Nothing of it comes back from the file either.
  auto reloaded = Make("alice", "story");
  EXPECT_EQ("1:80:bob", Rows(*reloaded));
  EXPECT_FALSE(reloaded->GetRememberedUserInfo(nullptr, nullptr));
  EXPECT_EQ(0, reloaded->GetNumMedalsEarned());
}

TEST_F(HiscoreTest, Construction_WithoutKeyLogsOneLineAndStillWorks)
{
  TPlatform::SetConfig(str("encryptionkey"), str(""));
  ::testing::internal::CaptureStderr();
  auto hiscores = Make();
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("ERROR: No encryption key set before TQvHiscores construction!\n"));
  EXPECT_EQ(std::string::npos, log.find("construction!\n\n"));
  hiscores->KeepScore(1, false, nullptr);
  EXPECT_EQ(1, Make()->GetScoreCount(true));
}

TEST_F(HiscoreTest, Construction_WithoutAnyFilesIsEmptyAndQuiet)
{
  ::testing::internal::CaptureStderr();
  auto hiscores = Make();
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ("", log);
  EXPECT_EQ(0, hiscores->GetScoreCount(true));
  EXPECT_EQ(0, hiscores->GetScoreCount(false));
  EXPECT_EQ(0, hiscores->GetCategoryCount());
}

} // namespace

// medals tests: keeping medals once per game or once per mode, the counts and queries, the
// exact submission lines with their escaping, and saving only when a medal is new.
#include "core/online/medals.h"
#include "support/hiscorefixture.h"

#include <gtest/gtest.h>

#include <string>

using namespace hiscoretest;

namespace {

TEST(MedalsTable, GenerateServerString_WritesExactLinesWithoutSeparator)
{
  TQvMedalsTable table;
  EXPECT_STREQ("", table.GenerateServerString(true).c_str());
  TQvMedalEntry perGame;
  perGame.name = "gold";
  perGame.kind = "game";
  perGame.mode = "story";
  TQvMedalEntry perMode;
  perMode.name = "silver";
  perMode.kind = "type";
  perMode.mode = "free";
  table.mEntries = {perGame, perMode};
  EXPECT_STREQ("<medal name=\"gold\" per=\"game\"/><medal name=\"silver\" per=\"type\"/>",
               table.GenerateServerString(false).c_str());
  EXPECT_STREQ("<medal name=\"gold\" per=\"game\"/><medal name=\"silver\" per=\"type\" type=\"free\"/>",
               table.GenerateServerString(true).c_str());
}

TEST(MedalsTable, GenerateServerString_EscapesEveryValue)
{
  TQvMedalsTable table;
  TQvMedalEntry entry;
  entry.name = "a\"/><medal name=\"forged";
  entry.kind = "type";
  entry.mode = "m<&'>";
  table.mEntries = {entry};
  EXPECT_STREQ("<medal name=\"a&quot;/&gt;&lt;medal name=&quot;forged\" per=\"type\" "
               "type=\"m&lt;&amp;&apos;&gt;\"/>",
               table.GenerateServerString(true).c_str());
}

TEST(MedalsTable, MarkAsSubmitted_LeavesTheCountAndClearsTheRest)
{
  TQvMedalsTable table;
  table.mEntries.resize(3);
  EXPECT_EQ(3, table.GetCountToSubmit());
  table.MarkAsSubmitted();
  EXPECT_EQ(0, table.GetCountToSubmit());
  EXPECT_EQ(3, table.GetCount());
}

TEST_F(HiscoreTest, KeepMedal_PerGameOnceAndPerModeOncePerMode)
{
  auto hiscores = Make("alice", "story");
  EXPECT_EQ(0, hiscores->GetNumMedalsEarned());
  hiscores->KeepMedal("gold", TQvHiscores::kMedalPerGame, str("first"));
  hiscores->KeepMedal("gold", TQvHiscores::kMedalPerGame, str("second"));
  hiscores->KeepMedal("star", TQvHiscores::kMedalPerType, str());
  hiscores->KeepMedal("star", TQvHiscores::kMedalPerType, str());
  hiscores->SetProperty(TQvHiscores::kPropertyGameMode, str("free"));
  hiscores->KeepMedal("gold", TQvHiscores::kMedalPerGame, str());
  hiscores->KeepMedal("star", TQvHiscores::kMedalPerType, str());
  // Other type values are stored as per-mode medals, yet only once.
  hiscores->KeepMedal("odd", static_cast<TQvHiscores::EMedalType>(5), str());
  hiscores->SetProperty(TQvHiscores::kPropertyGameMode, str("story"));
  hiscores->KeepMedal("odd", static_cast<TQvHiscores::EMedalType>(5), str());
  ASSERT_EQ(4, hiscores->GetNumMedalsEarned());
  EXPECT_EQ(4, hiscores->GetNumMedalsToSubmit());

  str name;
  str mode;
  str data;
  TQvHiscores::EMedalType type = TQvHiscores::kMedalPerType;
  ASSERT_TRUE(hiscores->GetEarnedMedalInfo(0, &name, &type, &mode, &data));
  EXPECT_STREQ("gold", name.c_str());
  EXPECT_EQ(TQvHiscores::kMedalPerGame, type);
  EXPECT_STREQ("story", mode.c_str());
  EXPECT_STREQ("first", data.c_str());
  ASSERT_TRUE(hiscores->GetEarnedMedalInfo(2, &name, &type, &mode, nullptr));
  EXPECT_STREQ("star", name.c_str());
  EXPECT_EQ(TQvHiscores::kMedalPerType, type);
  EXPECT_STREQ("free", mode.c_str());
  ASSERT_TRUE(hiscores->GetEarnedMedalInfo(3, nullptr, &type, nullptr, nullptr));
  EXPECT_EQ(TQvHiscores::kMedalPerType, type);
  EXPECT_FALSE(hiscores->GetEarnedMedalInfo(4, &name, &type, &mode, &data));
  EXPECT_FALSE(hiscores->GetEarnedMedalInfo(-1, &name, &type, &mode, &data));

  hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str("bob"));
  EXPECT_EQ(0, hiscores->GetNumMedalsEarned());
  EXPECT_FALSE(hiscores->GetEarnedMedalInfo(0, &name, &type, &mode, &data));
}

TEST_F(HiscoreTest, KeepMedal_SavesOnlyANewMedal)
{
  auto hiscores = Make("alice", "story");
  hiscores->KeepMedal("gold", TQvHiscores::kMedalPerGame, str());
  ASSERT_TRUE(mSandbox.FileExists("user/hiscore.dat"));
  std::remove(mSandbox.Path("user/hiscore.dat").c_str());
  hiscores->KeepMedal("gold", TQvHiscores::kMedalPerGame, str());
  EXPECT_FALSE(mSandbox.FileExists("user/hiscore.dat"));
  hiscores->KeepMedal("silver", TQvHiscores::kMedalPerGame, str());
  EXPECT_TRUE(mSandbox.FileExists("user/hiscore.dat"));
  EXPECT_EQ(2, Make("alice", "story")->GetNumMedalsEarned());
}

} // namespace

// hiscorefile tests: the exact enciphered text and checksum of "user:hiscore.dat" checked with
// an independent cipher, damaged and hostile files, atomic saving and disabled saving.
#include "support/blowfishoracle.h"
#include "support/hiscorefixture.h"
#include "support/tmpfsmount.h"
#include "support/requirement.h"

#include "core/foundation/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace hiscoretest;

namespace {

size_t CountOf(std::string const& text, std::string const& what)
{
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

std::string ReadFileAt(std::string const& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class HiscoreFileTest : public HiscoreTest
{
protected:
  std::vector<uint8_t> ReadDat()
  {
    std::string bytes = mSandbox.ReadFile("user/hiscore.dat");
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  }
  void WriteDat(const std::vector<uint8_t>& bytes)
  {
    mSandbox.WriteFile("user/hiscore.dat", std::string(bytes.begin(), bytes.end()));
  }

  // The deciphered text of the file, checking the layout on the way.
  std::string PlainText()
  {
    std::vector<uint8_t> bytes = ReadDat();
    EXPECT_GE(bytes.size(), 16u);
    EXPECT_EQ(0u, (bytes.size() - 8) % 8);
    std::vector<uint8_t> payload(bytes.begin(), bytes.end() - 8);
    std::vector<uint8_t> plain;
    EXPECT_TRUE(mOracle.DecryptPadded(payload, &plain));
    EXPECT_FALSE(plain.empty());
    EXPECT_EQ(0, plain.back()); // the terminator is enciphered with the text
    return std::string(plain.begin(), plain.end() - (plain.empty() ? 0 : 1));
  }

  // A file as the engine writes it, from any text (terminator added unless told not to).
  std::vector<uint8_t> MakeDat(const std::string& text, bool terminate = true)
  {
    std::vector<uint8_t> plain(text.begin(), text.end());
    if (terminate) {
      plain.push_back(0);
    }
    uint8_t pad = static_cast<uint8_t>(8 - plain.size() % 8);
    plain.insert(plain.end(), pad, pad);
    std::vector<uint8_t> file = mOracle.EncryptBlocks(plain);
    uint8_t sum[8] = {0, 0, 0, 0, 4, 4, 4, 4};
    for (size_t i = 0; i < file.size(); ++i) {
      sum[i % 4] ^= file[i];
    }
    std::vector<uint8_t> block = mOracle.EncryptBlocks(std::vector<uint8_t>(sum, sum + 8));
    file.insert(file.end(), block.begin(), block.end());
    return file;
  }

  oracle::TBlowfishOracle mOracle{std::string(kKey)};
};

TEST(BlowfishOracle, MatchesThePublishedZeroVector)
{
  oracle::TBlowfishOracle zero(std::vector<uint8_t>(8, 0));
  std::vector<uint8_t> cipher = zero.EncryptBlocks(std::vector<uint8_t>(8, 0));
  std::vector<uint8_t> expected = {0x4E, 0xF9, 0x97, 0x45, 0x61, 0x98, 0xDD, 0x78};
  EXPECT_EQ(expected, cipher);
}

TEST_F(HiscoreFileTest, Save_WritesTheExactTextAndItsChecksum)
{
  mSandbox.WriteFile("hiscoreserver.txt", "http://127.0.0.1:1/go/hiscore\n");
  auto hiscores = Make("alice", "story");
  hiscores->KeepScore(90, false, "lvl=3&<x>");
  hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str("bob"));
  hiscores->KeepScore(80, false, nullptr);
  hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str("alice"));
  hiscores->KeepMedal("gold", TQvHiscores::kMedalPerGame, str("g"));
  hiscores->SetProperty(TQvHiscores::kPropertyGameMode, str("free"));
  hiscores->KeepMedal("silver", TQvHiscores::kMedalPerType, str());
  hiscores->SetProperty(TQvHiscores::kPropertyGameMode, str("story"));
  ASSERT_TRUE(hiscores->SubmitData(str("ali"), str("pw\""), true, TQvHiscores::kSubmitScore));
  hiscores->KeepScore(10, false, nullptr); // saves, with the login now remembered

  std::string expected = "<?xml version=\"1.0\"?>\n"
                         "<user\n    player=\"alice\"\n    name=\"ali\"\n    pass=\"pw&quot;\">\n</user>\n"
                         "<score\n    name=\"story\">\n"
                         "    <row\n        rank=\"1\"\n        score=\"90\"\n        submit=\"0\"\n"
                         "        guid=\"" +
                         Guid(1) +
                         "\"\n        name=\"alice\"\n"
                         "        gameData=\"lvl=3&amp;&lt;x&gt;\"\n        version=\"1.2\">\n    </row>\n"
                         "    <row\n        rank=\"2\"\n        score=\"80\"\n        submit=\"0\"\n"
                         "        guid=\"" +
                         Guid(2) +
                         "\"\n        name=\"bob\"\n        version=\"1.2\">\n    </row>\n"
                         "    <row\n        rank=\"3\"\n        score=\"10\"\n        submit=\"0\"\n"
                         "        guid=\"" +
                         Guid(3) +
                         "\"\n        name=\"alice\"\n        version=\"1.2\">\n    </row>\n"
                         "</score>\n"
                         "<medals\n    user=\"alice\">\n"
                         "    <medal\n        medalname=\"gold\"\n        type=\"game\"\n        mode=\"story\"\n"
                         "        gameData=\"g\"\n        submit=\"0\">\n    </medal>\n"
                         "    <medal\n        medalname=\"silver\"\n        type=\"type\"\n        mode=\"free\"\n"
                         "        gameData=\"\"\n        submit=\"0\">\n    </medal>\n"
                         "</medals>\n";
  EXPECT_EQ(expected, PlainText());

  std::vector<uint8_t> bytes = ReadDat();
  uint8_t sum[4] = {0, 0, 0, 0};
  for (size_t i = 0; i + 8 < bytes.size(); ++i) {
    sum[i % 4] ^= bytes[i];
  }
  std::vector<uint8_t> block;
  ASSERT_TRUE(mOracle.DecryptBlocks(std::vector<uint8_t>(bytes.end() - 8, bytes.end()), &block));
  std::vector<uint8_t> expectedBlock = {sum[0], sum[1], sum[2], sum[3], 4, 4, 4, 4};
  EXPECT_EQ(expectedBlock, block);
  EXPECT_FALSE(mSandbox.FileExists("user/hiscore.dat.tmp"));

  // Everything comes back.
  auto reloaded = Make("alice", "story");
  EXPECT_EQ("1:90:alice 2:80:bob 3:10:alice", Rows(*reloaded));
  EXPECT_EQ(2, reloaded->GetNumMedalsEarned());
  str name;
  str password;
  ASSERT_TRUE(reloaded->GetRememberedUserInfo(&name, &password));
  EXPECT_STREQ("ali", name.c_str());
  EXPECT_STREQ("pw\"", password.c_str());
  char data[32];
  ASSERT_TRUE(reloaded->GetScore(true, 0, nullptr, nullptr, 0, nullptr, nullptr, data, sizeof data));
  EXPECT_STREQ("lvl=3&<x>", data);
}

TEST_F(HiscoreFileTest, Save_OnePerPlayerTakeoverKeepsTheOldGuid)
{
  auto hiscores = Make("alice", "story");
  hiscores->KeepScore(50, true, nullptr); // GUID 1
  hiscores->KeepScore(70, true, nullptr); // draws GUID 2, keeps GUID 1
  std::string text = PlainText();
  EXPECT_NE(std::string::npos, text.find("guid=\"" + Guid(1) + "\""));
  EXPECT_EQ(std::string::npos, text.find(Guid(2)));
  EXPECT_EQ("1:70:alice", Rows(*hiscores));
}

// Each damaged file is reported in one error line and kept aside, so the next score, which
// rewrites the file, cannot take the old scores with it.
TEST_F(HiscoreFileTest, Load_AnyFlippedByteIsRejectedInOneErrorLineAndTheFileKeptAside)
{
  {
    auto hiscores = Make();
    hiscores->KeepScore(5, false, nullptr);
    hiscores->KeepMedal("m", TQvHiscores::kMedalPerGame, str());
  }
  const std::vector<uint8_t> good = ReadDat();
  ASSERT_EQ(1, Make()->GetScoreCount(true));
  const char* const copies[] = {".corrupt", ".corrupt2", ".corrupt3", ".corrupt4", ".corrupt5"};
  const size_t positions[] = {0, good.size() / 2, good.size() - 9, good.size() - 8, good.size() - 1};
  for (int i = 0; i < 5; ++i) {
    std::vector<uint8_t> bad = good;
    bad[positions[i]] ^= 0x20;
    WriteDat(bad);
    ::testing::internal::CaptureStderr();
    auto hiscores = Make();
    std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(1u, CountOf(log, "ERROR: HiScores: ")) << log;
    EXPECT_NE(std::string::npos, log.find("Checksum did not match!")) << log;
    EXPECT_EQ(0, hiscores->GetScoreCount(true)) << i;
    EXPECT_EQ(0, hiscores->GetNumMedalsEarned()) << i;
    str keptAs;
    EXPECT_EQ(eOpenedDamagedReplaced, hiscores->GetOpenProblem(&keptAs));
    EXPECT_EQ(mSandbox.Path(std::string("user/hiscore.dat") + copies[i]), keptAs.c_str());
    hiscores->KeepScore(1, false, nullptr);
  }
  for (int i = 0; i < 5; ++i) {
    std::vector<uint8_t> bad = good;
    bad[positions[i]] ^= 0x20;
    EXPECT_EQ(std::string(bad.begin(), bad.end()), mSandbox.ReadFile(std::string("user/hiscore.dat") + copies[i]));
  }
  // With every copy's name taken, the damaged file stays and is never written.
  WriteDat(std::vector<uint8_t>(good.begin(), good.end() - 1));
  ::testing::internal::CaptureStderr();
  auto hiscores = Make();
  hiscores->KeepScore(1, false, nullptr);
  EXPECT_EQ(1u, CountOf(::testing::internal::GetCapturedStderr(), "ERROR: "));
  EXPECT_EQ(eOpenedDamagedKept, hiscores->GetOpenProblem(nullptr));
  EXPECT_TRUE(hiscores->HasUnsavedChanges());
  EXPECT_EQ(good.size() - 1, ReadDat().size());
}

TEST_F(HiscoreFileTest, Load_ShortFilesAreReportedAndKeptAside)
{
  for (size_t size : {size_t(1), size_t(8)}) {
    WriteDat(std::vector<uint8_t>(size, 0x41));
    ::testing::internal::CaptureStderr();
    auto hiscores = Make();
    EXPECT_EQ(1u, CountOf(::testing::internal::GetCapturedStderr(), "ERROR: HiScores: ")) << size;
    EXPECT_EQ(0, hiscores->GetScoreCount(true));
    hiscores->KeepScore(3, false, nullptr);
  }
  EXPECT_EQ("A", mSandbox.ReadFile("user/hiscore.dat.corrupt"));
  EXPECT_EQ("AAAAAAAA", mSandbox.ReadFile("user/hiscore.dat.corrupt2"));
}

TEST_F(HiscoreFileTest, Load_PayloadNotWholeBlocksIsRejected)
{
  std::vector<uint8_t> file = MakeDat("<score name=\"story\"><row rank=\"1\" score=\"3\"/></score>");
  file.insert(file.begin(), 0x00); // 1 byte more: the checksum block no longer lines up
  WriteDat(file);
  ::testing::internal::CaptureStderr();
  auto hiscores = Make();
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("ERROR: HiScores: "));
  EXPECT_EQ(0, hiscores->GetScoreCount(true));
}

TEST_F(HiscoreFileTest, Load_ReadsRowsAsStoredAndCapsTablesAt500Rows)
{
  std::string text = "<?xml version=\"1.0\"?>\n<score name=\"story\">";
  for (int i = 0; i < 600; ++i) {
    text += "<row rank=\"7\" score=\"" + std::to_string(1000 - i) + "\" submit=\"" + (i == 0 ? "1" : "0") +
            "\" name=\"" + (i < 2 ? "alice" : "x") + "\"/>";
  }
  text += "</score><score name=\"empty\"></score><score name=\"odd\"><row score=\"9999999999\" "
          "rank=\"abc\"/></score>";
  // Written without its terminator: the reader must not run past the text.
  WriteDat(MakeDat(text, false));
  auto hiscores = Make("alice", "story");
  ASSERT_EQ(500, hiscores->GetScoreCount(true));
  EXPECT_EQ("7:1000:alice", Row(*hiscores, 0)); // stored ranks are kept
  int score = 0;
  ASSERT_TRUE(hiscores->GetUserBestScore(TQvHiscores::kBestUnsubmittedScore, &score, nullptr, nullptr, 0));
  EXPECT_EQ(999, score); // the first row is marked submitted
  ASSERT_TRUE(hiscores->GetUserBestScore(TQvHiscores::kBestLocalScore, &score, nullptr, nullptr, 0));
  EXPECT_EQ(1000, score);

  hiscores->KeepScore(2000, false, nullptr);
  EXPECT_EQ(500, hiscores->GetScoreCount(true));
  EXPECT_EQ("1:2000:alice", Row(*hiscores, 0));

  hiscores->SetProperty(TQvHiscores::kPropertyGameMode, str("empty"));
  EXPECT_EQ(0, hiscores->GetScoreCount(true));
  hiscores->SetProperty(TQvHiscores::kPropertyGameMode, str("odd"));
  EXPECT_EQ("0:2147483647:", Row(*hiscores, 0));
}

TEST_F(HiscoreFileTest, Load_DamagedXmlInsideIsReportedUnderTheFilesName)
{
  // Sound cipher and checksum around XML that is cut inside a tag.
  const std::vector<uint8_t> damaged =
      MakeDat("<?xml version=\"1.0\"?>\n<score name=\"story\"><row score=\"5\" name=\"alice\"/><row sc");
  WriteDat(damaged);
  testing::internal::CaptureStderr();
  auto hiscores = Make("alice", "story");
  const std::string log = testing::internal::GetCapturedStderr();
  // One line, as for the file's other damage: the file, what is wrong, where the copy went.
  EXPECT_EQ(1u, CountOf(log, "ERROR: ")) << log;
  EXPECT_NE(std::string::npos, log.find("hiscore.dat is damaged (its XML is damaged: XML input ends inside a tag)"))
      << log;
  EXPECT_EQ(std::string(damaged.begin(), damaged.end()), mSandbox.ReadFile("user/hiscore.dat.corrupt"));
  str keptAs;
  EXPECT_EQ(eOpenedDamagedRecovered, hiscores->GetOpenProblem(&keptAs));
  EXPECT_EQ(mSandbox.Path("user/hiscore.dat.corrupt"), std::string(keptAs.c_str()));
  // What came before the damage is kept, and in a new file at once.
  EXPECT_EQ("0:5:alice", Row(*hiscores, 0));
  EXPECT_NE(std::string::npos, PlainText().find("name=\"alice\"")) << PlainText();
  EXPECT_FALSE(hiscores->HasUnsavedChanges());
}

TEST_F(HiscoreFileTest, Save_ATableWithoutRowsIsWrittenEmptyAndNotReadBack)
{
  auto hiscores = Make("alice", "story");
  hiscores->KeepScore(5, false, nullptr);
  hiscores->ClearPlayerData(str("alice"));
  EXPECT_EQ("<?xml version=\"1.0\"?>\n<score\n    name=\"story\">\n</score>\n", PlainText());
  auto reloaded = Make("bob", "story");
  reloaded->KeepMedal("m", TQvHiscores::kMedalPerGame, str());
  EXPECT_EQ(std::string::npos, PlainText().find("<score"));
}

TEST_F(HiscoreFileTest, Save_DisabledNeverCreatesTheFile)
{
  auto hiscores = Make("alice", "story", false);
  hiscores->KeepScore(5, false, nullptr);
  hiscores->KeepMedal("m", TQvHiscores::kMedalPerGame, str());
  hiscores->ClearPlayerData(str("bob"));
  EXPECT_EQ(1, hiscores->GetScoreCount(true));
  EXPECT_FALSE(mSandbox.FileExists("user/hiscore.dat"));
}

// The user folder on a disk that is full by the time the next score is saved.
TEST_F(HiscoreFileTest, Save_OnAFullDiskKeepsThePreviousFileWithOneErrorLine)
{
  TTmpfsMount disk;
  std::string why;
  if (!disk.Mount(256 * 1024, &why))
    QV_SKIP_UNLESS_REQUIRED("no small disk to fill: " << why);
  TFile::mUserDir = disk.Path().c_str();
  auto hiscores = Make("alice", "story");
  for (int score = 1; score <= 5; ++score)
    hiscores->KeepScore(score * 10, false, nullptr);
  const std::string before = ReadFileAt(disk.Path() + "/hiscore.dat");
  ASSERT_GT(before.size(), 100u);
  ASSERT_TRUE(disk.Fill());

  ::testing::internal::CaptureStderr();
  hiscores->KeepScore(1000, false, nullptr);
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(1u, CountOf(log, "ERROR: ")) << log;
  EXPECT_NE(std::string::npos, log.find("No space left on device")) << log;
  EXPECT_EQ(before, ReadFileAt(disk.Path() + "/hiscore.dat"));
  EXPECT_EQ(eSaveDiskFull, hiscores->GetSaveStatus());
  EXPECT_TRUE(hiscores->HasUnsavedChanges());
  disk.Unfill();
  EXPECT_EQ(5, Make("alice", "story")->GetScoreCount(true));
  // The next save writes what waited.
  hiscores->SavePreferences();
  EXPECT_EQ(eSaveDone, hiscores->GetSaveStatus());
  EXPECT_FALSE(hiscores->HasUnsavedChanges());
  EXPECT_EQ(6, Make("alice", "story")->GetScoreCount(true));
  TFile::mUserDir = mSandbox.Path("user").c_str();
}

// A player may protect the file from being written; its scores are still read, and kept.
TEST_F(HiscoreFileTest, WriteProtectedFile_IsReadAndLeftAloneWithOneErrorLine)
{
  Make("alice", "story")->KeepScore(5, false, nullptr);
  const std::vector<uint8_t> before = ReadDat();
  std::filesystem::permissions(mSandbox.Path("user/hiscore.dat"), std::filesystem::perms::owner_read);
  TFile::ShutDownFileSystem(); // the folder listing has not seen the file

  auto hiscores = Make("alice", "story");
  EXPECT_EQ("1:5:alice", Rows(*hiscores));
  ::testing::internal::CaptureStderr();
  hiscores->KeepScore(6, false, nullptr);
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(1u, CountOf(log, "ERROR: ")) << log;
  EXPECT_NE(std::string::npos, log.find("write-protected")) << log;
  EXPECT_EQ(before, ReadDat());
  EXPECT_EQ(eSaveWriteProtected, hiscores->GetSaveStatus());
  EXPECT_TRUE(hiscores->HasUnsavedChanges());
}

// A file the process cannot write (here: on a read-only disk, which stops root too) is read.
TEST_F(HiscoreFileTest, UnwritableFileNotYetListed_IsRead)
{
  TTmpfsMount disk;
  std::string why;
  if (!disk.Mount(64 * 1024, &why))
    QV_SKIP_UNLESS_REQUIRED("no read-only disk: " << why);
  TFile::mUserDir = disk.Path().c_str();
  Make("alice", "story")->KeepScore(7, false, nullptr);
  ASSERT_TRUE(disk.SetReadOnly(true));
  TFile::ShutDownFileSystem();

  EXPECT_EQ("1:7:alice", Rows(*Make("alice", "story")));
  ASSERT_TRUE(disk.SetReadOnly(false));
  TFile::mUserDir = mSandbox.Path("user").c_str();
}

} // namespace

// flatfile_test: pack archives: precedence among archives and loose files, member reads
// in both modes, end-of-file rules, and damaged archives.
#include "core/foundation/flatfile.h"

#include "support/packwriter.h"
#include "support/vfssandbox.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace {

std::string ReadMember(char const* name, eFileMode mode = kFileRead)
{
  TFile file;
  if (!file.Open(name, mode))
    return "<unopened>";
  std::string text;
  char buffer[5];
  while (unsigned long got = file.Read(buffer, sizeof buffer))
    text.append(buffer, got);
  return text;
}

class FlatFileTest : public ::testing::Test
{
protected:
  void WritePack(std::string const& relative, std::vector<TPackMember> const& members)
  {
    ASSERT_TRUE(WriteBytes(sandbox.Path(relative), BuildPackArchive(members)));
  }

  std::string ScanAndCaptureLog()
  {
    testing::internal::CaptureStderr();
    TFile::ScanForResources();
    return testing::internal::GetCapturedStderr();
  }

  TVfsSandbox sandbox;
};

TEST_F(FlatFileTest, LaterArchiveWinsAndLooseFileWinsOverBoth)
{
  WritePack("assets/b.qvp", {{"Images/X.png", "from b"}, {"only_b.txt", "b"}});
  WritePack("assets/a.qvp", {{"images/x.png", "from a"}, {"only_a.txt", "a"}, {"loose.txt", "packed"}});
  sandbox.WriteFile("assets/loose.txt", "loose");
  TFile::ScanForResources();

  EXPECT_EQ(ReadMember("images/x.png"), "from b");
  EXPECT_EQ(ReadMember("only_a.txt"), "a");
  EXPECT_EQ(ReadMember("ONLY_B.TXT"), "b");
  EXPECT_EQ(ReadMember("loose.txt"), "loose");

  sandbox.WriteFile("assets/images/x.png", "loose x");
  TFile::ScanForResources();
  EXPECT_EQ(ReadMember("images/x.png"), "loose x");
}

TEST_F(FlatFileTest, ArchivesKeepTheirRealNamesAndRescansReuseTheirIndex)
{
  WritePack("assets/Data.qvp", {{"a.txt", "A"}});
  TFile::ScanForResources();
  ASSERT_EQ(ReadMember("a.txt"), "A");
  size_t archives = TFlatFile::mFlatFiles.size();
  str location = TFile::TranslateResource("a.txt", true);

  TFile::ScanForResources();
  EXPECT_EQ(TFlatFile::mFlatFiles.size(), archives);
  EXPECT_STREQ(TFile::TranslateResource("a.txt", true).c_str(), location.c_str());
}

TEST_F(FlatFileTest, ArchivesListedBelowTheTopAreReadFromTheTopOnly)
{
  sandbox.MakeFolder("assets/sub");
  WritePack("assets/sub/inner.qvp", {{"inner.txt", "i"}});
  TFile::ScanForResources();
  EXPECT_FALSE(TFile::Exists("inner.txt"));
  EXPECT_TRUE(TFile::Exists("sub/inner.qvp")); // still a loose file
}

TEST_F(FlatFileTest, TextModeDropsCarriageReturnsBinaryModeKeepsThem)
{
  WritePack("assets/p.qvp", {{"crlf.txt", std::string("A\r\nB")}, {"many.txt", "\r\r\rxy\r\rz\r"}});
  TFile::ScanForResources();
  EXPECT_EQ(ReadMember("crlf.txt", kFileReadText), "A\nB");
  EXPECT_EQ(ReadMember("crlf.txt", kFileRead), "A\r\nB");
  EXPECT_EQ(ReadMember("many.txt", kFileReadText), "xyz");

  TFile file;
  ASSERT_TRUE(file.Open("many.txt", kFileReadText));
  char buffer[2];
  EXPECT_EQ(file.Read(buffer, 2), 2u); // asks for two, skips the returns to get them
  EXPECT_EQ(std::string(buffer, 2), "xy");
}

TEST_F(FlatFileTest, EndFlagRisesOnlyWhenAReadAsksForMoreThanRemains)
{
  WritePack("assets/p.qvp", {{"before", "skip"}, {"ten.bin", "0123456789"}, {"after", "tail"}});
  TFile::ScanForResources();
  TFile file;
  ASSERT_TRUE(file.Open("ten.bin", kFileRead));
  EXPECT_EQ(file.Size(), 10u);
  char buffer[16];
  EXPECT_EQ(file.Read(buffer, 10), 10u);
  EXPECT_EQ(std::string(buffer, 10), "0123456789");
  EXPECT_FALSE(file.AtEOF());
  EXPECT_EQ(file.Read(buffer, 1), 0u); // never into the next member
  EXPECT_TRUE(file.AtEOF());

  file.Seek(-5, kSeekStart); // a negative position counts as beyond the end
  EXPECT_EQ(file.Tell(), 10);
  file.Seek(4, kSeekStart);
  EXPECT_FALSE(file.AtEOF());
  file.Seek(-1, kSeekEnd);
  EXPECT_EQ(file.Read(buffer, 1), 1u);
  EXPECT_EQ(buffer[0], '9');
  file.Seek(-3, kSeekCurrent);
  EXPECT_EQ(file.Tell(), 7);
}

TEST_F(FlatFileTest, ReadsOfAnySizeAfterSeeksDeliverTheMembersBytes)
{
  std::string bytes;
  for (int i = 0; i < 20000; ++i)
    bytes.push_back(static_cast<char>(i * 7 % 251));
  WritePack("assets/p.qvp", {{"pad", "0123"}, {"big", bytes}, {"tail", "zz"}});
  TFile::ScanForResources();
  TFile file;
  ASSERT_TRUE(file.Open("big", kFileRead));

  // Small reads come from the read-ahead, large ones straight from the archive; a
  // fixed walk of sizes and jumps crosses every boundary between the two.
  std::vector<char> buffer(9000);
  unsigned long sizes[] = {1, 3, 4095, 1, 4097, 8999, 2, 5000, 17};
  long jumps[] = {0, 5, 100, -50, 7, -8000, 3, -9000, 12000};
  unsigned long position = 0;
  for (size_t step = 0; step < 9; ++step) {
    file.Seek(jumps[step], kSeekCurrent);
    position = static_cast<unsigned long>(file.Tell());
    unsigned long got = file.Read(buffer.data(), sizes[step]);
    ASSERT_EQ(got, std::min(sizes[step], bytes.size() - position)) << "step " << step;
    ASSERT_EQ(std::string(buffer.data(), got), bytes.substr(position, got)) << "step " << step;
    if (got > 0) {
      file.Unget();
      char again = 0;
      ASSERT_EQ(file.Read(&again, 1), 1u);
      ASSERT_EQ(again, bytes[position + got - 1]) << "step " << step;
    }
  }
}

TEST_F(FlatFileTest, UngetStepsBackAfterSeeksAndStopsAtTheStart)
{
  WritePack("assets/p.qvp", {{"pad", "zzzz"}, {"abc", "abc"}});
  TFile::ScanForResources();
  TFile file;
  ASSERT_TRUE(file.Open("abc", kFileRead));
  file.Unget();
  EXPECT_EQ(file.Tell(), 0);
  char byte = 0;
  file.Seek(2, kSeekStart);
  file.Unget();
  file.Unget();
  EXPECT_EQ(file.Read(&byte, 1), 1u);
  EXPECT_EQ(byte, 'a');
  EXPECT_EQ(file.Write("x", 1), 0u);
}

TEST_F(FlatFileTest, MemberOpenedForWritingWritesNothing)
{
  WritePack("assets/p.qvp", {{"m", "data"}});
  TFile::ScanForResources();
  TFile file;
  // A member name only translates for writing when it exists; then it is still read-only.
  ASSERT_TRUE(file.Open("m", kFileWrite));
  EXPECT_EQ(file.Write("xx", 2), 0u);
  file.Close();
  EXPECT_EQ(ReadMember("m"), "data");
}

TEST_F(FlatFileTest, ArchiveShortenedAfterLoadingDeliversOnlyWhatItHas)
{
  std::vector<TPackMember> members = {{"m", std::string(100, 'q')}};
  std::string bytes = BuildPackArchive(members);
  ASSERT_TRUE(WriteBytes(sandbox.Path("assets/p.qvp"), bytes));
  TFile::ScanForResources();
  ASSERT_EQ(truncate(sandbox.Path("assets/p.qvp").c_str(), static_cast<off_t>(bytes.size() - 60)), 0);

  TFile file;
  ASSERT_TRUE(file.Open("m", kFileRead));
  char buffer[100];
  EXPECT_EQ(file.Read(buffer, 100), 40u);
  EXPECT_TRUE(file.AtEOF());
  EXPECT_EQ(file.Read(buffer, 100), 0u);
  EXPECT_EQ(ReadMember("m", kFileReadText), std::string(40, 'q'));
}

TEST_F(FlatFileTest, WrongMagicRegistersNothingAndTakesNoIndex)
{
  std::string bytes = BuildPackArchive({{"x.txt", "x"}});
  bytes[3] = 'X';
  ASSERT_TRUE(WriteBytes(sandbox.Path("assets/bad.qvp"), bytes));
  size_t archives = TFlatFile::mFlatFiles.size();
  std::string log = ScanAndCaptureLog();
  EXPECT_FALSE(TFile::Exists("x.txt"));
  EXPECT_EQ(TFlatFile::mFlatFiles.size(), archives);
  EXPECT_NE(log.find("ERROR: "), std::string::npos);
}

TEST_F(FlatFileTest, DamagedArchivesAreRefusedWithAnErrorLine)
{
  std::vector<TPackMember> members = {{"one.txt", "1"}, {"two.txt", "22"}};
  std::string good = BuildPackArchive(members);

  struct TCase
  {
    char const* what;
    std::string bytes;
  };
  std::string hugeCount = good;
  PutLE32(&hugeCount, 4, 0x7FFFFFFF);
  std::string negativeCount = good;
  PutLE32(&negativeCount, 4, 0xFFFFFFFF);
  std::string overCount = good;
  PutLE32(&overCount, 4, 3);
  std::vector<TCase> cases = {
      {"header only", good.substr(0, 6)},
      {"count beyond the file", hugeCount},
      {"negative count", negativeCount},
      {"table cut in a name", good.substr(0, 12)},
      {"table cut in the fields", good.substr(0, 8 + 1 + 7 + 5)},
      {"count one more than the table", overCount},
  };
  for (TCase const& damaged : cases) {
    SCOPED_TRACE(damaged.what);
    TFile::ShutDownFileSystem();
    ASSERT_TRUE(WriteBytes(sandbox.Path("assets/p.qvp"), damaged.bytes));
    std::string log = ScanAndCaptureLog();
    EXPECT_NE(log.find("ERROR: "), std::string::npos) << log;
    EXPECT_FALSE(TFile::Exists("one.txt"));
    EXPECT_TRUE(TFile::Exists("p.qvp")); // the scan goes on
  }
}

TEST_F(FlatFileTest, EntriesPointingBeyondTheFileAreSkippedOthersKept)
{
  std::vector<TPackMember> members = {{"good.txt", "g"}, {"far.txt", "f"}, {"wrap.txt", "w"}};
  std::string bytes = BuildPackArchive(members);
  PutLE32(&bytes, PackEntryOffsetField(members, 1), 0x10000);
  PutLE32(&bytes, PackEntryOffsetField(members, 2) + 4, 0xFFFFFFFF); // offset + size wraps 32 bits
  ASSERT_TRUE(WriteBytes(sandbox.Path("assets/p.qvp"), bytes));
  std::string log = ScanAndCaptureLog();
  EXPECT_EQ(ReadMember("good.txt"), "g");
  EXPECT_FALSE(TFile::Exists("far.txt"));
  EXPECT_FALSE(TFile::Exists("wrap.txt"));
  EXPECT_NE(log.find("ERROR: "), std::string::npos);
}

TEST_F(FlatFileTest, EmptyArchiveAndEmptyMembersAreValid)
{
  WritePack("assets/empty.qvp", {});
  WritePack("assets/p.qvp", {{"nothing", ""}});
  std::string log = ScanAndCaptureLog();
  EXPECT_EQ(log.find("ERROR: "), std::string::npos) << log;
  TFile file;
  ASSERT_TRUE(file.Open("nothing", kFileRead));
  EXPECT_EQ(file.Size(), 0u);
  char byte;
  EXPECT_EQ(file.Read(&byte, 1), 0u);
  EXPECT_TRUE(file.AtEOF());
}

TEST_F(FlatFileTest, MalformedLocationsDoNotOpen)
{
  WritePack("assets/p.qvp", {{"m", "data"}});
  TFile::ScanForResources();
  TFlatFile member;
  EXPECT_FALSE(member.Open("@", kFileRead));
  EXPECT_FALSE(member.Open("@-1:0,1", kFileRead));
  EXPECT_FALSE(member.Open("@99999:0,1", kFileRead));
  EXPECT_FALSE(member.Open("@0:x,1", kFileRead));
  EXPECT_FALSE(member.Open("@0:0", kFileRead));
  EXPECT_FALSE(member.Open("&0,1", kFileRead));
  char buffer[4];
  EXPECT_EQ(member.Read(buffer, 4), 0u);
}

} // namespace

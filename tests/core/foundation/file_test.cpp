// file_test: virtual names, the resource scan, user folders, disk files and the qv_
// functions, over a throw-away resources folder.
#include "core/foundation/file.h"

#include "support/packwriter.h"
#include "support/vfssandbox.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ReadAll(char const* name, eFileMode mode = kFileRead)
{
  TFile file;
  if (!file.Open(name, mode))
    return "<unopened>";
  std::string text;
  char buffer[7]; // small on purpose: reads span several calls
  while (unsigned long got = file.Read(buffer, sizeof buffer))
    text.append(buffer, got);
  return text;
}

bool InMap(char const* key)
{
  return TFile::mResourceMap.count(str(key)) > 0;
}

class FileTest : public ::testing::Test
{
protected:
  TVfsSandbox sandbox;
};

TEST_F(FileTest, Names_AnyCaseOpenTheFileUnderItsRealName)
{
  sandbox.WriteFile("assets/Images/Title.PNG", "title");
  TFile::ScanForResources();

  EXPECT_EQ(ReadAll("images/title.png"), "title");
  EXPECT_EQ(ReadAll("IMAGES/Title.png"), "title");
  EXPECT_EQ(ReadAll("assets/images/title.png"), "title");
  EXPECT_EQ(ReadAll("Assets\\Images/Title.PNG"), "title");
  EXPECT_STREQ(TFile::TranslateResource("images/TITLE.png", true).c_str(), "assets/Images/Title.PNG");
  EXPECT_FALSE(TFile::Exists("images/other.png"));
  EXPECT_FALSE(TFile::Exists("title.png"));
}

TEST_F(FileTest, RawPaths_AreCheckedOnDiskAsGivenAndNeverStored)
{
  sandbox.WriteFile("assets/Settings.xml", "<settings/>");
  size_t before = TFile::mResourceMap.size();

  EXPECT_TRUE(TFile::Exists("::assets/Settings.xml"));
  EXPECT_FALSE(TFile::Exists("::assets/settings.xml")); // the disk is case-sensitive
  EXPECT_FALSE(TFile::Exists("::assets/missing.xml"));
  EXPECT_FALSE(TFile::Exists("::"));
  EXPECT_EQ(ReadAll("::assets/Settings.xml"), "<settings/>");
  EXPECT_EQ(TFile::mResourceMap.size(), before);
}

TEST_F(FileTest, RawPaths_ThatLookLikeArchiveOrMemoryLocationsAreDiskFiles)
{
  sandbox.WriteFile("&1,4", "disk");
  sandbox.WriteFile("@0:0,4", "DISK");
  EXPECT_EQ(ReadAll("::&1,4"), "disk");
  EXPECT_EQ(ReadAll("::@0:0,4"), "DISK");
}

TEST_F(FileTest, Scan_EntersLooseFilesOfAssetsAndUserAndCommonFolders)
{
  sandbox.WriteFile("assets/a.txt", "a");
  sandbox.WriteFile("assets/Sub/Deep/b.txt", "b");
  sandbox.WriteFile("user/Save.dat", "s");
  sandbox.WriteFile("user/strings/x.xml", "x");
  sandbox.WriteFile("common/shared.dat", "c");
  sandbox.WriteFile("desktop/never.txt", "d");
  TFile::ScanForResources();

  EXPECT_TRUE(InMap("a.txt"));
  EXPECT_TRUE(InMap("sub/deep/b.txt"));
  EXPECT_TRUE(InMap("user:save.dat"));
  EXPECT_TRUE(InMap("user:strings/x.xml"));
  EXPECT_TRUE(InMap("common:shared.dat"));
  EXPECT_FALSE(InMap("desktop:never.txt")); // the desktop is not scanned
  EXPECT_EQ(ReadAll("user:SAVE.DAT"), "s");
  EXPECT_EQ(ReadAll("sub/deep/b.txt"), "b");
  EXPECT_EQ(ReadAll("desktop:never.txt"), "d"); // but translates on demand
}

int gDesktopLookups = 0;
std::string gDesktopFound;
str FindTestDesktop()
{
  ++gDesktopLookups;
  return str(gDesktopFound.c_str());
}

TEST_F(FileTest, DesktopFolder_IsLookedUpWhenADesktopNameIsFirstUsed)
{
  sandbox.WriteFile("desktop/note.txt", "n");
  gDesktopFound = TFile::mDesktopDir.c_str();
  TFile::mDesktopDir = str();
  gDesktopLookups = 0;
  TFile::SetDesktopResolver(&FindTestDesktop);
  TFile::ScanForResources();
  EXPECT_EQ(ReadAll("user:missing.txt"), "<unopened>");
  EXPECT_EQ(gDesktopLookups, 0);
  EXPECT_EQ(ReadAll("desktop:note.txt"), "n");
  EXPECT_EQ(ReadAll("desktop:note.txt"), "n");
  EXPECT_EQ(gDesktopLookups, 1);
}

TEST_F(FileTest, Scan_SkipsSvnFoldersAndFolderLinksSoLoopsEnd)
{
  sandbox.WriteFile("assets/.svn/entries", "x");
  sandbox.WriteFile("assets/real/file.txt", "f");
  ASSERT_EQ(symlink("..", sandbox.Path("assets/real/loop").c_str()), 0);
  ASSERT_EQ(symlink("file.txt", sandbox.Path("assets/real/alias.txt").c_str()), 0);
  TFile::ScanForResources();

  EXPECT_FALSE(InMap(".svn/entries"));
  EXPECT_TRUE(InMap("real/file.txt"));
  EXPECT_TRUE(InMap("real/alias.txt")); // a link to a file is an ordinary entry
  EXPECT_FALSE(InMap("real/loop/real/file.txt"));
}

TEST_F(FileTest, Scan_FinalListExcludesNamesAndResetsOnDashStar)
{
  sandbox.WriteFile("assets/images/a.png", "a");
  sandbox.WriteFile("assets/images/b.png", "b");
  sandbox.WriteFile("assets/debug/tool.lua", "t");
  sandbox.WriteFile("final.txt", "images/A.png\r\n-*\timages/b.png\ndebug\n");
  TFile::ScanForResources();

  EXPECT_TRUE(InMap("images/a.png")); // dropped again by "-*"
  EXPECT_FALSE(InMap("images/b.png"));
  EXPECT_FALSE(InMap("debug/tool.lua")); // an excluded folder is not entered
  EXPECT_FALSE(TFile::Exists("images/b.png"));
}

TEST_F(FileTest, Scan_OversizedFinalListIsIgnored)
{
  sandbox.WriteFile("assets/a.png", "a");
  sandbox.WriteFile("final.txt", "a.png" + std::string(100000, ' '));
  TFile::ScanForResources();
  EXPECT_TRUE(InMap("a.png"));
}

TEST_F(FileTest, InternalAddFileMask_AddsRemovesAndReportsDashStar)
{
  EXPECT_FALSE(TFile::InternalAddFileMask("One.png two.png", true));
  EXPECT_EQ(TFile::mIgnoredFiles.count(str("one.png")), 1u);
  EXPECT_FALSE(TFile::InternalAddFileMask("ONE.PNG", false));
  EXPECT_EQ(TFile::mIgnoredFiles.count(str("one.png")), 0u);
  EXPECT_TRUE(TFile::InternalAddFileMask("three.png -*", true));
  EXPECT_TRUE(TFile::mIgnoredFiles.empty());
}

TEST_F(FileTest, Scan_WithUserFoldersSkippedStillTranslatesUserNamesOnDemand)
{
  sandbox.WriteFile("user/save.dat", "s");
  TFile::SetSkipUserFolders(true);
  TFile::ScanForResources();
  EXPECT_FALSE(InMap("user:save.dat"));
  EXPECT_EQ(ReadAll("user:save.dat"), "s");
}

TEST_F(FileTest, Scan_CallsTheRegisterHookFirstSoAssetsCanReplaceItsFiles)
{
  static char const kBuiltIn[] = "builtin";
  TFile::SetRegisterFilesHook([] {
    if (!TFile::Exists("__systemcursor__.png")) {
      TFile::AddMemoryFile("__systemcursor__.png", const_cast<char*>(kBuiltIn), 7);
    }
  });
  TFile::ScanForResources();
  EXPECT_EQ(ReadAll("__systemcursor__.png"), "builtin");

  sandbox.WriteFile("assets/__SystemCursor__.png", "game's own");
  TFile::ScanForResources();
  EXPECT_EQ(ReadAll("__systemcursor__.png"), "game's own");
}

TEST_F(FileTest, Scan_GeneratedAssetsAreNamedLikeAssetsAndComeAfterThem)
{
  sandbox.WriteFile("assets/fonts/Title.mvec", "checked in");
  sandbox.WriteFile("assets/fonts/shared.mvec", "checked in");
  sandbox.WriteFile("generated/assets/fonts/Default.mvec", "generated");
  sandbox.WriteFile("generated/assets/fonts/shared.mvec", "generated");
  TFile::SetGeneratedAssetsFolder(sandbox.Path("generated/assets").c_str());
  TFile::ScanForResources();

  EXPECT_EQ(ReadAll("fonts/default.mvec"), "generated");
  EXPECT_EQ(ReadAll("assets/fonts/default.mvec"), "generated");
  EXPECT_EQ(ReadAll("fonts/title.mvec"), "checked in");
  EXPECT_EQ(ReadAll("fonts/shared.mvec"), "generated");
  EXPECT_FALSE(TFile::Exists("generated/assets/fonts/default.mvec"));
}

TEST_F(FileTest, Scan_MissingAssetsFolderReportsAnError)
{
  rmdir(sandbox.Path("assets").c_str());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(TFile::ScanFolderForResources("assets", ""));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("ERROR: "), std::string::npos) << log;
}

TEST_F(FileTest, UserNames_MissingFileIsNotStoredAndWritingCreatesFolders)
{
  EXPECT_FALSE(TFile::Exists("user:a/b/c.dat"));
  EXPECT_FALSE(InMap("user:a/b/c.dat"));

  TFile file;
  ASSERT_TRUE(file.Open("user:a/b/c.dat", kFileWrite));
  EXPECT_EQ(file.Write("abc", 3), 3u);
  file.Close();
  EXPECT_EQ(sandbox.ReadFile("user/a/b/c.dat"), "abc");
  EXPECT_TRUE(TFile::Exists("user:A/B/C.DAT"));

  ASSERT_TRUE(file.Open("common:deep/x.dat", kFileAppend));
  file.Write("1", 1);
  ASSERT_TRUE(file.Open("common:deep/x.dat", kFileAppendText));
  file.Write("2", 1);
  file.Close();
  EXPECT_EQ(sandbox.ReadFile("common/deep/x.dat"), "12");
}

TEST_F(FileTest, UserNames_FileDeletedBehindTheEnginesBackNoLongerExists)
{
  sandbox.WriteFile("user/save.dat", "s");
  TFile::ScanForResources();
  ASSERT_TRUE(TFile::Exists("user:save.dat"));
  unlink(sandbox.Path("user/save.dat").c_str());
  EXPECT_FALSE(TFile::Exists("user:save.dat"));
  EXPECT_EQ(ReadAll("user:save.dat"), "<unopened>");
}

TEST_F(FileTest, UserNames_FailedWriteLeavesNoEntry)
{
  sandbox.WriteFile("user/blocker", "a file where a folder is wanted");
  TFile file;
  EXPECT_FALSE(file.Open("user:blocker/x.dat", kFileWrite));
  EXPECT_FALSE(InMap("user:blocker/x.dat"));
}

TEST_F(FileTest, UserNames_WithoutAFolderNeverReachTheFileSystemRoot)
{
  TFile::mDesktopDir = str();
  TFile file;
  EXPECT_FALSE(file.Open("desktop:x.txt", kFileWrite));
  EXPECT_STREQ(TFile::TranslateResource("desktop:x.txt", false).c_str(), "");
  EXPECT_STREQ(TFile::TranslateResource("user:", false).c_str(), "");
}

TEST_F(FileTest, DeleteFile_OnlyUserAndCommonFilesWithoutDotDot)
{
  sandbox.WriteFile("assets/a.txt", "a");
  sandbox.WriteFile("user/Save.dat", "s");
  sandbox.WriteFile("user/sub/x.dat", "x");
  sandbox.WriteFile("common/c.dat", "c");
  sandbox.WriteFile("desktop/d.txt", "d");
  TFile::ScanForResources();

  EXPECT_FALSE(TFile::DeleteFile("a.txt"));
  EXPECT_FALSE(TFile::DeleteFile("desktop:d.txt"));
  EXPECT_FALSE(TFile::DeleteFile("user:sub/../sub/x.dat"));
  EXPECT_FALSE(TFile::DeleteFile("user:missing.dat"));
  EXPECT_TRUE(sandbox.FileExists("assets/a.txt"));
  EXPECT_TRUE(sandbox.FileExists("user/sub/x.dat"));

  EXPECT_TRUE(TFile::DeleteFile("User:SAVE.dat"));
  EXPECT_FALSE(sandbox.FileExists("user/Save.dat"));
  EXPECT_FALSE(InMap("user:save.dat"));
  EXPECT_TRUE(TFile::DeleteFile("common:c.dat"));
  EXPECT_FALSE(TFile::Exists("common:c.dat"));
}

TEST_F(FileTest, GetNextFile_WalksOneFolderOrTheWholeTree)
{
  for (char const* name : {"user:a.xml", "user:b/c.xml", "user:d.xml", "users.txt", "zz"}) {
    TFile::mResourceMap[str(name)] = str("somewhere");
  }
  str name;
  std::string seen;
  while (TFile::GetNextFile("USER:", &name, false))
    seen += std::string(name.c_str()) + " ";
  EXPECT_EQ(seen, "user:a.xml user:d.xml ");

  name = str();
  seen.clear();
  while (TFile::GetNextFile("user:", &name, true))
    seen += std::string(name.c_str()) + " ";
  EXPECT_EQ(seen, "user:a.xml user:b/c.xml user:d.xml ");

  name = str();
  EXPECT_FALSE(TFile::GetNextFile("common:", &name, true));
  EXPECT_FALSE(TFile::GetNextFile("user:", nullptr, true));
}

TEST_F(FileTest, DiskFile_SeekOriginsAreNotStdiosAndUngetStepsBackOnce)
{
  sandbox.WriteFile("assets/digits.txt", "0123456789");
  TFile::ScanForResources();
  TFile file;
  ASSERT_TRUE(file.Open("digits.txt", kFileRead));
  EXPECT_EQ(file.Size(), 10u);
  char buffer[4] = {};
  file.Read(buffer, 4);
  file.Seek(0, kSeekStart); // stdio's 0 would stay put
  EXPECT_EQ(file.Tell(), 0);
  file.Seek(-3, kSeekEnd);
  EXPECT_EQ(file.Tell(), 7);
  file.Seek(-2, kSeekCurrent);
  EXPECT_EQ(file.Tell(), 5);

  EXPECT_EQ(file.Read(buffer, 2), 2u); // "56"
  file.Unget();
  file.Unget(); // only one byte is remembered
  EXPECT_EQ(file.Tell(), 6);
  EXPECT_EQ(file.Read(buffer, 1), 1u);
  EXPECT_EQ(buffer[0], '6');

  file.Read(buffer, 1);
  file.Seek(0, kSeekStart);
  file.Unget(); // the remembered byte belongs to the old position
  EXPECT_EQ(file.Tell(), 0);
  EXPECT_EQ(file.Read(buffer, 1), 1u);
  EXPECT_EQ(buffer[0], '0');
}

TEST_F(FileTest, DiskFile_TextModeKeepsCarriageReturnsAndFoldersDoNotOpen)
{
  sandbox.WriteFile("assets/crlf.txt", "a\r\nb");
  sandbox.MakeFolder("assets/folder");
  TFile::ScanForResources();
  EXPECT_EQ(ReadAll("crlf.txt", kFileReadText), "a\r\nb");
  EXPECT_EQ(ReadAll("::assets/folder"), "<unopened>");
}

TEST_F(FileTest, ClosedFile_DoesNothingAndReportsNothingOpen)
{
  TFile file;
  char buffer[4];
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Read(buffer, 4), 0u);
  EXPECT_EQ(file.Write(buffer, 4), 0u);
  EXPECT_EQ(file.Size(), 0u);
  EXPECT_EQ(file.Tell(), -1);
  EXPECT_TRUE(file.AtEOF());
  file.Seek(3, kSeekStart);
  file.Unget();
  EXPECT_FALSE(file.Open("nothing.here", kFileRead));
  EXPECT_FALSE(file.IsOpen());
}

// The qv_ functions behave the same over the three kinds of file.
enum EKind
{
  kDisk,
  kPack,
  kMemory
};

class QvFunctionsTest : public ::testing::TestWithParam<EKind>
{
protected:
  // Makes "text.txt" with the given bytes in the kind under test.
  void Provide(std::string const& bytes)
  {
    mBytes = bytes;
    switch (GetParam()) {
    case kDisk:
      sandbox.WriteFile("assets/text.txt", bytes);
      break;
    case kPack:
      WriteBytes(sandbox.Path("assets/p.qvp"), BuildPackArchive({{"text.txt", bytes}}));
      break;
    case kMemory:
      break;
    }
    TFile::ScanForResources();
    if (GetParam() == kMemory)
      TFile::AddMemoryFile("text.txt", &mBytes[0], mBytes.size());
  }

  std::string Lines(int bufferSize)
  {
    TFile* file = qv_open("text.txt", 0);
    if (!file)
      return "<unopened>";
    std::string lines;
    char buffer[64];
    while (char* end = qv_gets(file, buffer, bufferSize)) {
      EXPECT_EQ(*end, 0);
      lines += "[" + std::string(buffer, end) + "]";
    }
    qv_close(file);
    return lines;
  }

  TVfsSandbox sandbox;
  std::string mBytes;
};

TEST_P(QvFunctionsTest, Gets_DeliversEveryLineIncludingAnUnterminatedLastOne)
{
  Provide("one\ntwo\rthree");
  EXPECT_EQ(Lines(64), "[one\n][two\r][three]");
}

TEST_P(QvFunctionsTest, Gets_EndsAfterATerminatedLastLineAndSplitsLongLines)
{
  Provide("abcdef\n");
  EXPECT_EQ(Lines(64), "[abcdef\n]");
  EXPECT_EQ(Lines(4), "[abc][def][\n]");
}

TEST_P(QvFunctionsTest, Gets_BufferWithoutRoomReadsNothing)
{
  Provide("abc");
  TFile* file = qv_open("text.txt", 0);
  ASSERT_NE(file, nullptr);
  char buffer[1] = {'x'};
  EXPECT_EQ(qv_gets(file, buffer, 1), nullptr);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(qv_gets(file, buffer, 0), nullptr);
  EXPECT_EQ(qv_tell(file), 0);
  qv_close(file);
}

TEST_P(QvFunctionsTest, ByteFunctions_ReadSeekTellUngetAndEnd)
{
  Provide("xyz");
  TFile* file = qv_open("TEXT.TXT", 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(qv_getc(file), 'x');
  qv_ungetc(file);
  EXPECT_EQ(qv_tell(file), 0);
  EXPECT_EQ(qv_getc(file), 'x');
  qv_seek(file, -1, 2);
  EXPECT_EQ(qv_getc(file), 'z');
  EXPECT_EQ(qv_getc(file), -1);
  EXPECT_TRUE(qv_eof(file));
  qv_seek(file, 1, 1);
  EXPECT_FALSE(qv_eof(file));
  char buffer[8];
  EXPECT_EQ(qv_read(file, buffer, sizeof buffer), 2u);
  EXPECT_FALSE(qv_error(file));
  qv_close(file);
}

TEST_P(QvFunctionsTest, Open_MissingNameGivesNull)
{
  Provide("x");
  EXPECT_EQ(qv_open("missing.txt", 0), nullptr);
  EXPECT_EQ(qv_open(nullptr, 0), nullptr);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, QvFunctionsTest, ::testing::Values(kDisk, kPack, kMemory),
                         [](::testing::TestParamInfo<EKind> const& info) {
                           return std::string(info.param == kDisk ? "Disk" : info.param == kPack ? "Pack" : "Memory");
                         });

TEST(QvFunctions, NullHandlesAreHarmless)
{
  char buffer[4];
  EXPECT_EQ(qv_read(nullptr, buffer, 4), 0u);
  EXPECT_EQ(qv_write(nullptr, buffer, 4), 0u);
  EXPECT_EQ(qv_tell(nullptr), -1);
  EXPECT_EQ(qv_getc(nullptr), -1);
  EXPECT_EQ(qv_gets(nullptr, buffer, 4), nullptr);
  EXPECT_TRUE(qv_eof(nullptr));
  EXPECT_TRUE(qv_error(nullptr));
  qv_seek(nullptr, 0, 1);
  qv_ungetc(nullptr);
  qv_close(nullptr);
}

TEST(QvFunctions, WriteThenReadBackThroughTheUserFolder)
{
  TVfsSandbox sandbox;
  TFile* out = qv_open("user:notes/log.txt", 2);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(qv_write(out, "line\n", 5), 5u);
  qv_close(out);
  TFile* in = qv_open("user:notes/log.txt", 1);
  ASSERT_NE(in, nullptr);
  char buffer[16];
  ASSERT_NE(qv_gets(in, buffer, sizeof buffer), nullptr);
  EXPECT_STREQ(buffer, "line\n");
  EXPECT_EQ(qv_gets(in, buffer, sizeof buffer), nullptr);
  qv_close(in);
}

} // namespace

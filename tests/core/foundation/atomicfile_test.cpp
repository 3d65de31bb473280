// atomicfile_test: a replaced file holds the old bytes or the new ones, never fewer: on a full
// disk, a disk with room for part of the file, a read-only disk and a write-protected file.
#include "core/foundation/atomicfile.h"

#include "support/tmpfsmount.h"
#include "support/vfssandbox.h"
#include "support/requirement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <chrono>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

size_t CountOf(std::string const& text, std::string const& what)
{
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

std::vector<std::string> FilesIn(std::string const& folder)
{
  std::vector<std::string> names;
  for (auto const& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool Save(std::string const& path, std::string const& bytes)
{
  return WriteFileAtomically(str(path.c_str()), bytes.data(), bytes.size());
}

// A disk of 64 KiB that already holds a good file.
class AtomicFileDiskTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    std::string why;
    if (!mDisk.Mount(64 * 1024, &why))
      QV_SKIP_UNLESS_REQUIRED("no small disk to fill: " << why);
    mPath = mDisk.Path() + "/save.dat";
    mOld = std::string(10000, 'o');
    ASSERT_TRUE(Save(mPath, mOld));
  }

  // Saves the new bytes where they cannot be saved, and checks that the old file survives.
  void ExpectFailedSaveKeepsTheOldFile(std::string const& expectedReason, ESaveStatus expectedStatus)
  {
    ::testing::internal::CaptureStderr();
    ESaveStatus status = eSaveDone;
    std::string const bytes(30000, 'n');
    EXPECT_FALSE(WriteFileAtomically(str(mPath.c_str()), bytes.data(), bytes.size(), &status));
    EXPECT_EQ(expectedStatus, status);
    std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(1u, CountOf(log, "ERROR: ")) << log;
    EXPECT_NE(std::string::npos, log.find(mPath)) << log;
    EXPECT_NE(std::string::npos, log.find(expectedReason)) << log;
    std::ifstream in(mPath, std::ios::binary);
    EXPECT_EQ(mOld, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  }

  TTmpfsMount mDisk;
  std::string mPath;
  std::string mOld;
};

TEST_F(AtomicFileDiskTest, FullDiskKeepsTheOldFileAndLeavesNoTemporaryFile)
{
  ASSERT_TRUE(mDisk.Fill());
  ExpectFailedSaveKeepsTheOldFile("No space left on device", eSaveDiskFull);
  mDisk.Unfill();
  EXPECT_EQ(std::vector<std::string>{"save.dat"}, FilesIn(mDisk.Path()));
}

TEST_F(AtomicFileDiskTest, RoomForPartOfTheFileKeepsTheOldFile)
{
  ASSERT_TRUE(mDisk.Fill(12000));
  ExpectFailedSaveKeepsTheOldFile("No space left on device", eSaveDiskFull);
  mDisk.Unfill();
  EXPECT_EQ(std::vector<std::string>{"save.dat"}, FilesIn(mDisk.Path()));
}

TEST_F(AtomicFileDiskTest, ReadOnlyDiskKeepsTheOldFile)
{
  ASSERT_TRUE(mDisk.SetReadOnly(true));
  ExpectFailedSaveKeepsTheOldFile("Read-only file system", eSaveWriteProtected);
  ASSERT_TRUE(mDisk.SetReadOnly(false));
}

TEST_F(AtomicFileDiskTest, SpaceFreedAgainSavesTheNewFile)
{
  ASSERT_TRUE(mDisk.Fill());
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(Save(mPath, "new"));
  ::testing::internal::GetCapturedStderr();
  mDisk.Unfill();
  EXPECT_TRUE(Save(mPath, "new"));
  std::ifstream in(mPath, std::ios::binary);
  EXPECT_EQ("new", std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

class AtomicFileTest : public ::testing::Test
{
protected:
  TVfsSandbox mSandbox;
};

TEST_F(AtomicFileTest, ReplacesTheWholeFileAndLeavesNothingElse)
{
  std::string path = mSandbox.Path("user/save.dat");
  ASSERT_TRUE(Save(path, std::string(5000, 'a')));
  ASSERT_TRUE(Save(path, "short"));
  EXPECT_EQ("short", mSandbox.ReadFile("user/save.dat"));
  EXPECT_EQ(std::vector<std::string>{"save.dat"}, FilesIn(mSandbox.Path("user")));
  ASSERT_TRUE(Save(path, ""));
  EXPECT_EQ("", mSandbox.ReadFile("user/save.dat"));
}

TEST_F(AtomicFileTest, WriteProtectedFileIsLeftAloneWithOneErrorLine)
{
  std::string path = mSandbox.Path("user/save.dat");
  ASSERT_TRUE(Save(path, "kept"));
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ::testing::internal::CaptureStderr();
  ESaveStatus status = eSaveDone;
  EXPECT_FALSE(WriteFileAtomically(str(path.c_str()), "replaced", 8, &status));
  EXPECT_EQ(eSaveWriteProtected, status);
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(1u, CountOf(log, "ERROR: ")) << log;
  EXPECT_NE(std::string::npos, log.find("write-protected")) << log;
  EXPECT_EQ("kept", mSandbox.ReadFile("user/save.dat"));
}

TEST_F(AtomicFileTest, FailedRenameRemovesTheTemporaryFile)
{
  // A folder in the file's place cannot be replaced by a file.
  mSandbox.WriteFile("user/save.dat/inside", "x");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(Save(mSandbox.Path("user/save.dat"), "new"));
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(1u, CountOf(log, "ERROR: ")) << log;
  EXPECT_NE(std::string::npos, log.find("rename")) << log;
  EXPECT_EQ(std::vector<std::string>{"save.dat"}, FilesIn(mSandbox.Path("user")));
}

TEST_F(AtomicFileTest, VirtualNamesMakeTheirFoldersAndRawPathsWork)
{
  ASSERT_TRUE(SaveFileAtomically("user:Saves/slot1.dat", "one", 3));
  EXPECT_EQ("one", mSandbox.ReadFile("user/Saves/slot1.dat"));
  std::string raw = "::" + mSandbox.Path("common/raw.dat");
  ASSERT_TRUE(SaveFileAtomically(str(raw.c_str()), "two", 3));
  EXPECT_EQ("two", mSandbox.ReadFile("common/raw.dat"));
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(SaveFileAtomically("images/title.png", "x", 1));
  EXPECT_EQ(1u, CountOf(::testing::internal::GetCapturedStderr(), "ERROR: "));
}

// A save cut short by a kill leaves its temporary file; the next start removes the ones of
// its own naming whose process is gone (or that are too old to be a save in progress).
TEST_F(AtomicFileTest, TemporaryFilesLeftByEndedSavesGoAtTheStartAndOthersStay)
{
  pid_t const ended = fork();
  if (ended == 0)
    _exit(0);
  ASSERT_GT(ended, 0);
  waitpid(ended, nullptr, 0);
  std::string const own = std::to_string(getpid());
  std::string const gone = std::to_string(ended);
  for (std::string const& name :
       std::vector<std::string>{"hiscore.dat.tmp" + gone + "-3", "save.dat.tmp" + own + "-0", "old.dat.tmp1-4",
                                "running.dat.tmp1-5", "notes.tmp", "a.tmp12x-3", "b.tmp" + gone, "c.tmp-1-2"}) {
    mSandbox.WriteFile("user/" + name, "x");
  }
  mSandbox.MakeFolder("user/folder.tmp" + gone + "-1");
  // Process 1 always runs; an hour-old file is not one of its saves in progress.
  fs::last_write_time(mSandbox.Path("user/old.dat.tmp1-4"), fs::file_time_type::clock::now() - std::chrono::hours(1));

  ::testing::internal::CaptureStderr();
  RemoveStaleTemporaryFiles(str(mSandbox.Path("user").c_str()));
  std::string const log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(0u, CountOf(log, "ERROR: ")) << log;
  EXPECT_EQ(3u, CountOf(log, "Removed ")) << log;
  EXPECT_EQ((std::vector<std::string>{"a.tmp12x-3", "b.tmp" + gone, "c.tmp-1-2", "folder.tmp" + gone + "-1",
                                      "notes.tmp", "running.dat.tmp1-5"}),
            FilesIn(mSandbox.Path("user")));
}

} // namespace

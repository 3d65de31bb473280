// prefsstore_test: the SQLite store of the preferences database: rows and players, commit
// and rollback, damaged and foreign files kept aside (the rest is covered through TPrefsDB).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/foundation/prefsstore.h"
#include "support/otherprogram.h"
#include "support/tmpfsmount.h"
#include "support/requirement.h"

namespace {

TPrefsBytes Bytes(char const* text)
{
  return TPrefsBytes(text, text + std::strlen(text));
}

std::string ReadWhole(std::string const& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWhole(std::string const& path, std::string const& bytes)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool Exists(std::string const& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

size_t CountOf(std::string const& text, std::string const& what)
{
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

class PrefsStoreTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    char const* home = std::getenv("QV_HOME");
    ASSERT_NE(home, nullptr);
    mFolder = std::string(home) + "/prefsstore-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    mPath = mFolder + "/sub/prefsdb.dat";
  }

  std::unique_ptr<TPrefsStore> Open(bool writable)
  {
    return std::unique_ptr<TPrefsStore>(OpenPrefsStore(mPath.c_str(), writable));
  }

  // Opens the store writable and returns its log.
  std::string OpenLogged(std::unique_ptr<TPrefsStore>* store)
  {
    ::testing::internal::CaptureStderr();
    *store = Open(true);
    return ::testing::internal::GetCapturedStderr();
  }

  // A file with one install, its "volume" global and two players, committed.
  void MakeGoodFile()
  {
    std::unique_ptr<TPrefsStore> store = Open(true);
    int64_t const install = store->AddInstall("i");
    ASSERT_TRUE(store->SetValue(install, -1, "volume", Bytes("loud")));
    for (int player = 0; player < 2; ++player) {
      ASSERT_TRUE(store->AddUser(install));
      ASSERT_TRUE(store->SetValue(install, player, "name", Bytes(player ? "bob" : "alice")));
    }
    ASSERT_TRUE(store->Commit());
  }

  std::string Volume(TPrefsStore& store)
  {
    TPrefsBytes value;
    if (!store.GetValue(store.FindInstall("i"), -1, "volume", &value))
      return "<absent>";
    return std::string(value.begin(), value.end());
  }

  std::string mFolder;
  std::string mPath;
};

} // namespace

TEST_F(PrefsStoreTest, CommittedRowsSurviveReopeningAndUncommittedOnesDoNot)
{
  {
    std::unique_ptr<TPrefsStore> store = Open(true);
    EXPECT_TRUE(Exists(mPath)) << "the folder and file are created";
    EXPECT_EQ(store->FindInstall("a"), -1);
    int64_t const install = store->AddInstall("a");
    ASSERT_GE(install, 0);
    EXPECT_EQ(store->FindInstall("a"), install);
    EXPECT_TRUE(store->SetMeta("lastkey", Bytes("a")));
    EXPECT_TRUE(store->SetValue(install, -1, "volume", Bytes("v1")));
    EXPECT_TRUE(store->AddUser(install));
    EXPECT_TRUE(store->SetValue(install, 0, "name", Bytes("n0")));
    EXPECT_TRUE(store->Commit());
    EXPECT_TRUE(store->SetValue(install, -1, "volume", Bytes("v2")));
    EXPECT_TRUE(store->SetValue(install, -1, "lost", Bytes("x")));
  }
  std::unique_ptr<TPrefsStore> store = Open(true);
  int64_t const install = store->FindInstall("a");
  ASSERT_GE(install, 0);
  TPrefsBytes value;
  ASSERT_TRUE(store->GetMeta("lastkey", &value));
  EXPECT_EQ(value, Bytes("a"));
  ASSERT_TRUE(store->GetValue(install, -1, "volume", &value));
  EXPECT_EQ(value, Bytes("v1"));
  EXPECT_FALSE(store->GetValue(install, -1, "lost", &value));
  EXPECT_EQ(store->GetNumUsers(install), 1u);
  ASSERT_TRUE(store->GetValue(install, 0, "name", &value));
  EXPECT_EQ(value, Bytes("n0"));
}

TEST_F(PrefsStoreTest, InstallsKeepTheirOwnGlobalsAndPlayers)
{
  std::unique_ptr<TPrefsStore> store = Open(true);
  int64_t const first = store->AddInstall("one");
  int64_t const second = store->AddInstall("two");
  ASSERT_NE(first, second);
  EXPECT_TRUE(store->SetValue(first, -1, "k", Bytes("first")));
  EXPECT_TRUE(store->AddUser(first));
  TPrefsBytes value;
  EXPECT_FALSE(store->GetValue(second, -1, "k", &value));
  EXPECT_EQ(store->GetNumUsers(second), 0u);
  EXPECT_FALSE(store->GetValue(first, 3, "k", &value)) << "no such player";
  EXPECT_FALSE(store->SetValue(first, 3, "k", Bytes("x")));
  // Empty values are values, not absences.
  EXPECT_TRUE(store->SetValue(first, 0, "empty", TPrefsBytes()));
  EXPECT_TRUE(store->GetValue(first, 0, "empty", &value));
  EXPECT_TRUE(value.empty());
}

// Each damaged file goes to the next free numbered name: an earlier copy, which may hold a
// player's only data, is never replaced; with every name taken the file stays where it is.
TEST_F(PrefsStoreTest, DamagedFilesAreKeptAsideUnderNumberedNamesAndNoneIsReplaced)
{
  mkdir(mFolder.c_str(), 0777);
  mkdir((mFolder + "/sub").c_str(), 0777);
  std::string const junk = "this is not a preferences file at all, just some bytes";
  WriteWhole(mPath, junk);
  WriteWhole(mPath + ".corrupt", "an earlier casualty");
  WriteWhole(mPath + ".corrupt-journal", "its journal");

  {
    // A read-only store leaves the damaged file where it is.
    std::unique_ptr<TPrefsStore> store = Open(false);
    EXPECT_EQ(store->FindInstall("i"), -1);
    EXPECT_EQ(ReadWhole(mPath), junk);
  }
  {
    std::unique_ptr<TPrefsStore> store;
    std::string const log = OpenLogged(&store);
    EXPECT_EQ(CountOf(log, "ERROR: "), 1u) << log;
    str keptAs;
    EXPECT_EQ(eOpenedDamagedReplaced, store->GetOpenProblem(&keptAs));
    EXPECT_EQ(mPath + ".corrupt2", keptAs.c_str());
    int64_t const install = store->AddInstall("i");
    ASSERT_GE(install, 0);
    EXPECT_TRUE(store->SetValue(install, -1, "k", Bytes("fresh")));
    EXPECT_TRUE(store->Commit());
  }
  EXPECT_EQ(ReadWhole(mPath + ".corrupt"), "an earlier casualty");
  EXPECT_EQ(ReadWhole(mPath + ".corrupt-journal"), "its journal");
  EXPECT_EQ(ReadWhole(mPath + ".corrupt2"), junk);
  {
    std::unique_ptr<TPrefsStore> store = Open(true);
    TPrefsBytes value;
    ASSERT_TRUE(store->GetValue(store->FindInstall("i"), -1, "k", &value));
    EXPECT_EQ(value, Bytes("fresh"));
  }

  for (int copy = 3; copy <= 5; ++copy)
    WriteWhole(mPath + ".corrupt" + std::to_string(copy), "older");
  WriteWhole(mPath, junk + " again");
  std::unique_ptr<TPrefsStore> store;
  std::string const log = OpenLogged(&store);
  EXPECT_EQ(CountOf(log, "ERROR: "), 1u) << log;
  EXPECT_EQ(eOpenedDamagedKept, store->GetOpenProblem(nullptr));
  EXPECT_TRUE(store->SetValue(store->AddInstall("i"), -1, "k", Bytes("lost")));
  EXPECT_FALSE(store->Commit()) << "a file that could not be kept aside is never written";
  store.reset();
  EXPECT_EQ(ReadWhole(mPath), junk + " again");
  EXPECT_EQ(ReadWhole(mPath + ".corrupt2"), junk);
  EXPECT_FALSE(Exists(mPath + ".corrupt6"));
}

// A flipped byte of the header that makes SQLite open the file for reading only: the file
// is not write-protected, so it is damaged; its values still read and move to a new file.
TEST_F(PrefsStoreTest, AFileSQLiteWillOnlyReadIsKeptAsideAndItsValuesGoToANewFile)
{
  MakeGoodFile();
  std::string bytes = ReadWhole(mPath);
  ASSERT_GT(bytes.size(), 100u);
  bytes[18] = char(0x7F); // the file format's write version
  WriteWhole(mPath, bytes);

  {
    std::unique_ptr<TPrefsStore> store;
    std::string const log = OpenLogged(&store);
    EXPECT_EQ(CountOf(log, "ERROR: "), 1u) << log;
    str keptAs;
    EXPECT_EQ(eOpenedDamagedRecovered, store->GetOpenProblem(&keptAs));
    EXPECT_EQ(ReadWhole(keptAs.c_str()), bytes);
    EXPECT_EQ(Volume(*store), "loud");
    EXPECT_TRUE(store->SetValue(store->FindInstall("i"), -1, "volume", Bytes("quiet")));
    EXPECT_TRUE(store->Commit());
    EXPECT_EQ(eSaveDone, store->GetStatus());
  }
  std::unique_ptr<TPrefsStore> store;
  std::string const log = OpenLogged(&store);
  EXPECT_EQ(CountOf(log, "ERROR: "), 0u) << log;
  EXPECT_EQ(Volume(*store), "quiet");
  TPrefsBytes name;
  ASSERT_TRUE(store->GetValue(store->FindInstall("i"), 1, "name", &name));
  EXPECT_EQ(name, Bytes("bob"));
}

TEST_F(PrefsStoreTest, ForeignDatabaseAtThePathIsKeptAside)
{
  mkdir(mFolder.c_str(), 0777);
  mkdir((mFolder + "/sub").c_str(), 0777);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(mPath.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(other, "CREATE TABLE users(name TEXT); INSERT INTO users VALUES('x');", nullptr, nullptr, nullptr),
      SQLITE_OK);
  sqlite3_close(other);

  ::testing::internal::CaptureStderr();
  std::unique_ptr<TPrefsStore> store = Open(true);
  ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(Exists(mPath + ".corrupt"));
  int64_t const install = store->AddInstall("i");
  EXPECT_TRUE(store->AddUser(install));
  EXPECT_EQ(store->GetNumUsers(install), 1u);
}

TEST_F(PrefsStoreTest, EmptyPathGivesAWorkingStoreInMemory)
{
  ::testing::internal::CaptureStderr();
  std::unique_ptr<TPrefsStore> store(OpenPrefsStore("", true));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("ERROR: "), std::string::npos);
  int64_t const install = store->AddInstall("i");
  EXPECT_TRUE(store->SetValue(install, -1, "k", Bytes("v")));
  EXPECT_FALSE(store->Commit()) << "nothing was written";
  TPrefsBytes value;
  EXPECT_TRUE(store->GetValue(install, -1, "k", &value));
}

// Another program holds the write lock: the file is read, and the changes wait in memory,
// commit after commit, until the lock goes; then they are written together.
TEST_F(PrefsStoreTest, FileLockedForWritingIsReadAndWrittenOnceTheLockGoes)
{
  MakeGoodFile();
  TOtherProgram other(mPath);
  ASSERT_TRUE(other.Run("BEGIN IMMEDIATE; INSERT INTO metaglobals VALUES('other', x'01');"));
  std::string const before = ReadWhole(mPath);

  std::unique_ptr<TPrefsStore> store;
  std::string log = OpenLogged(&store);
  EXPECT_EQ(CountOf(log, "ERROR: "), 0u) << log;
  EXPECT_EQ(eOpenedWell, store->GetOpenProblem(nullptr));
  EXPECT_EQ(Volume(*store), "loud");
  int64_t const install = store->FindInstall("i");
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(store->SetValue(install, -1, "volume", Bytes("quiet")));
  EXPECT_FALSE(store->Commit());
  EXPECT_TRUE(store->AddUser(install));
  EXPECT_TRUE(store->SetValue(install, 2, "name", Bytes("carol")));
  EXPECT_FALSE(store->Commit());
  log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(CountOf(log, "ERROR: "), 1u) << "one line while it lasts: " << log;
  EXPECT_EQ(eSaveBusy, store->GetStatus());
  EXPECT_TRUE(store->HasPending());
  EXPECT_EQ(Volume(*store), "quiet");
  EXPECT_FALSE(Exists(mPath + ".corrupt"));
  EXPECT_EQ(ReadWhole(mPath), before);

  ASSERT_TRUE(other.Run("COMMIT"));
  EXPECT_TRUE(store->Commit());
  EXPECT_EQ(eSaveDone, store->GetStatus());
  EXPECT_FALSE(store->HasPending());
  store = Open(true);
  EXPECT_EQ(Volume(*store), "quiet");
  TPrefsBytes value;
  EXPECT_TRUE(store->GetMeta("other", &value)) << "the other program's write stays";
  ASSERT_TRUE(store->GetValue(store->FindInstall("i"), 2, "name", &value));
  EXPECT_EQ(value, Bytes("carol"));
}

// Another program holds the file so that it cannot even be read: this run starts empty and
// writes nothing, even after the lock goes, so the players in the file are not overwritten.
TEST_F(PrefsStoreTest, FileThatCannotBeReadIsNeverWrittenByThatRun)
{
  MakeGoodFile();
  TOtherProgram other(mPath);
  ASSERT_TRUE(other.Run("BEGIN EXCLUSIVE"));

  std::unique_ptr<TPrefsStore> store;
  std::string const log = OpenLogged(&store);
  EXPECT_EQ(CountOf(log, "ERROR: "), 1u) << log;
  EXPECT_NE(log.find("another program"), std::string::npos) << log;
  EXPECT_EQ(eOpenedUnreadable, store->GetOpenProblem(nullptr));
  EXPECT_EQ(Volume(*store), "<absent>");
  int64_t const install = store->AddInstall("i");
  EXPECT_TRUE(store->AddUser(install));
  ASSERT_TRUE(other.Run("COMMIT"));
  EXPECT_FALSE(store->Commit());
  EXPECT_TRUE(store->HasPending());
  store.reset();
  EXPECT_FALSE(Exists(mPath + ".corrupt"));
  store = Open(true);
  EXPECT_EQ(Volume(*store), "loud");
  EXPECT_EQ(store->GetNumUsers(store->FindInstall("i")), 2u);
}

// A folder where the file should be is told as what it is, not as a file in use; nothing is
// written there, and what the folder holds stays.
TEST_F(PrefsStoreTest, AFolderInTheFilesPlaceIsToldAsAFolderAndLeftAlone)
{
  ASSERT_EQ(0, mkdir(mFolder.c_str(), 0777));
  ASSERT_EQ(0, mkdir((mFolder + "/sub").c_str(), 0777));
  ASSERT_EQ(0, mkdir(mPath.c_str(), 0777));
  WriteWhole(mPath + "/notes.txt", "mine");

  std::unique_ptr<TPrefsStore> store;
  std::string const log = OpenLogged(&store);
  EXPECT_EQ(CountOf(log, "ERROR: "), 1u) << log;
  EXPECT_NE(log.find("there is a folder"), std::string::npos) << log;
  EXPECT_EQ(log.find("another program"), std::string::npos) << log;
  EXPECT_EQ(eOpenedNotAFile, store->GetOpenProblem(nullptr));
  int64_t const install = store->AddInstall("i");
  EXPECT_TRUE(store->SetValue(install, -1, "volume", Bytes("soft")));
  EXPECT_EQ(Volume(*store), "soft");
  EXPECT_FALSE(store->Commit());
  EXPECT_EQ("", std::string(store->KeepCopy().c_str()));
  store.reset();
  EXPECT_EQ("mine", ReadWhole(mPath + "/notes.txt"));
  EXPECT_FALSE(Exists(mPath + ".corrupt"));
}

// Damage that only the full integrity check finds: the players' index no longer matches.
TEST_F(PrefsStoreTest, DamagedIndexIsFoundAndTheFileKeptAside)
{
  for (int damage = 0; damage < 2; ++damage) {
    MakeGoodFile();
    std::string bytes = ReadWhole(mPath);
    if (damage == 0)
      bytes.pop_back();
    else
      bytes.back() = char(bytes.back() ^ 0xFF);
    WriteWhole(mPath, bytes);

    std::unique_ptr<TPrefsStore> store;
    std::string const log = OpenLogged(&store);
    EXPECT_EQ(CountOf(log, "ERROR: "), 1u) << "damage " << damage << ": " << log;
    EXPECT_EQ(ReadWhole(mPath + (damage ? ".corrupt2" : ".corrupt")), bytes) << "damage " << damage;
    EXPECT_EQ(Volume(*store), "<absent>");
    store.reset();
    unlink(mPath.c_str());
  }
}

class PrefsStoreFullDiskTest : public PrefsStoreTest
{
protected:
  void SetUp() override
  {
    PrefsStoreTest::SetUp();
    std::string why;
    if (!mDisk.Mount(256 * 1024, &why))
      QV_SKIP_UNLESS_REQUIRED("no small disk to fill: " << why);
    mPath = mDisk.Path() + "/prefsdb.dat";
  }

  TTmpfsMount mDisk;
};

// A first start on a full disk: reported as a full disk, every time, and nothing left behind.
TEST_F(PrefsStoreFullDiskTest, FirstStartIsReportedAsAFullDiskAndLeavesNoFiles)
{
  ASSERT_TRUE(mDisk.Fill());
  for (int start = 0; start < 2; ++start) {
    std::unique_ptr<TPrefsStore> store;
    std::string const log = OpenLogged(&store);
    EXPECT_EQ(CountOf(log, "ERROR: "), 1u) << log;
    EXPECT_NE(log.find("disk is full"), std::string::npos) << log;
    int64_t const install = store->AddInstall("i");
    EXPECT_TRUE(store->SetValue(install, -1, "volume", Bytes("loud")));
    EXPECT_EQ(Volume(*store), "loud");
  }
  EXPECT_FALSE(Exists(mPath));
  EXPECT_FALSE(Exists(mPath + ".corrupt"));
}

// The disk fills up while the game runs: the commit fails as a full disk, the file keeps what
// was committed before and is still sound at the next start.
TEST_F(PrefsStoreFullDiskTest, CommitOnAFullDiskKeepsTheCommittedFile)
{
  MakeGoodFile();
  {
    std::unique_ptr<TPrefsStore> store = Open(true);
    ASSERT_TRUE(mDisk.Fill());
    int64_t const install = store->FindInstall("i");
    ::testing::internal::CaptureStderr();
    bool written = store->SetValue(install, -1, "volume", Bytes(std::string(20000, 'x').c_str()));
    for (int player = 0; written && player < 50; ++player)
      written = store->AddUser(install);
    written = written && store->Commit();
    std::string const log = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(written);
    EXPECT_NE(log.find("full"), std::string::npos) << log;
  }
  mDisk.Unfill();
  std::unique_ptr<TPrefsStore> store;
  std::string const log = OpenLogged(&store);
  EXPECT_EQ(CountOf(log, "ERROR: "), 0u) << log;
  EXPECT_EQ(Volume(*store), "loud");
  EXPECT_FALSE(Exists(mPath + ".corrupt"));
}

// Changes that did not fit wait in memory; with room again the next commit writes them all,
// so the player added meanwhile arrives whole.
TEST_F(PrefsStoreFullDiskTest, ChangesThatDidNotFitAreWrittenWholeOnceThereIsRoom)
{
  MakeGoodFile();
  std::unique_ptr<TPrefsStore> store = Open(true);
  ASSERT_TRUE(mDisk.Fill(16 * 1024));
  int64_t const install = store->FindInstall("i");
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(store->AddUser(install));
  EXPECT_TRUE(store->SetValue(install, 2, "name", Bytes(std::string(40000, 'w').c_str())));
  EXPECT_FALSE(store->Commit());
  EXPECT_TRUE(store->SetValue(install, 2, "level", Bytes("750")));
  EXPECT_FALSE(store->Commit());
  std::string const log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(CountOf(log, "ERROR: "), 1u) << log;
  EXPECT_EQ(eSaveDiskFull, store->GetStatus());
  {
    std::unique_ptr<TPrefsStore> meanwhile = Open(false);
    EXPECT_EQ(meanwhile->GetNumUsers(meanwhile->FindInstall("i")), 2u) << "no part of the player";
  }

  mDisk.Unfill();
  EXPECT_TRUE(store->Commit());
  store = Open(true);
  TPrefsBytes value;
  ASSERT_EQ(store->GetNumUsers(install), 3u);
  ASSERT_TRUE(store->GetValue(install, 2, "name", &value));
  EXPECT_EQ(value.size(), 40000u);
  ASSERT_TRUE(store->GetValue(install, 2, "level", &value));
  EXPECT_EQ(value, Bytes("750"));
}

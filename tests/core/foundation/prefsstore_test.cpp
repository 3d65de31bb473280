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

class PrefsStoreTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    char const* home = std::getenv("QV_HOME");
    ASSERT_NE(home, nullptr);
    mFolder = std::string(home) + "/prefsstore-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    mPath = mFolder + "/sub/prefsdb.dat";
  }

  std::unique_ptr<TPrefsStore> Open(bool writable)
  {
    return std::unique_ptr<TPrefsStore>(OpenPrefsStore(mPath.c_str(), writable));
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

TEST_F(PrefsStoreTest, DamagedFileIsKeptAsideAndAFreshStoreStarts)
{
  mkdir(mFolder.c_str(), 0777);
  mkdir((mFolder + "/sub").c_str(), 0777);
  std::string const junk = "this is not a preferences file at all, just some bytes";
  WriteWhole(mPath, junk);
  WriteWhole(mPath + ".corrupt", "an earlier casualty");

  {
    // A read-only store leaves the damaged file where it is.
    std::unique_ptr<TPrefsStore> store = Open(false);
    EXPECT_EQ(store->FindInstall("i"), -1);
    EXPECT_EQ(ReadWhole(mPath), junk);
  }
  {
    ::testing::internal::CaptureStderr();
    std::unique_ptr<TPrefsStore> store = Open(true);
    std::string const log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("ERROR: "), std::string::npos);
    int64_t const install = store->AddInstall("i");
    ASSERT_GE(install, 0);
    EXPECT_TRUE(store->SetValue(install, -1, "k", Bytes("fresh")));
    EXPECT_TRUE(store->Commit());
  }
  EXPECT_EQ(ReadWhole(mPath + ".corrupt"), "an earlier casualty");
  EXPECT_EQ(ReadWhole(mPath + ".corrupt1"), junk);
  std::unique_ptr<TPrefsStore> store = Open(true);
  TPrefsBytes value;
  ASSERT_TRUE(store->GetValue(store->FindInstall("i"), -1, "k", &value));
  EXPECT_EQ(value, Bytes("fresh"));
}

TEST_F(PrefsStoreTest, ForeignDatabaseAtThePathIsKeptAside)
{
  mkdir(mFolder.c_str(), 0777);
  mkdir((mFolder + "/sub").c_str(), 0777);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(mPath.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "CREATE TABLE users(name TEXT); INSERT INTO users VALUES('x');", nullptr,
                         nullptr, nullptr),
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
  EXPECT_TRUE(store->Commit());
  TPrefsBytes value;
  EXPECT_TRUE(store->GetValue(install, -1, "k", &value));
}

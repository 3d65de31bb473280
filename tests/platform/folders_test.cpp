// folders_test: the user, common and desktop folders from QV_HOME or the XDG variables.
#include "platform/folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Points HOME and the XDG variables into a temporary folder and restores them after.
class FoldersTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    for (char const* name : kVariables) {
      char const* value = std::getenv(name);
      mSaved.push_back(value ? std::make_pair(true, std::string(value)) : std::make_pair(false, std::string()));
    }
    char pattern[] = "/tmp/qvfolders-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    mRoot = pattern;
    fs::create_directories(mRoot + "/home");
    unsetenv("QV_HOME");
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", (mRoot + "/home").c_str(), 1);
  }

  void TearDown() override
  {
    for (size_t i = 0; i < kVariables.size(); ++i) {
      if (mSaved[i].first)
        setenv(kVariables[i], mSaved[i].second.c_str(), 1);
      else
        unsetenv(kVariables[i]);
    }
    std::error_code ignored;
    fs::remove_all(mRoot, ignored);
  }

  static bool IsFolder(std::string const& path) { return fs::is_directory(path); }

  const std::vector<char const*> kVariables = {"QV_HOME", "HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"};
  std::vector<std::pair<bool, std::string>> mSaved;
  std::string mRoot;
};

TEST_F(FoldersTest, QvHomeRedirectsAllThreeFolders)
{
  setenv("QV_HOME", (mRoot + "/qv").c_str(), 1);
  EXPECT_STREQ(GetUserFolder("game").c_str(), (mRoot + "/qv/user").c_str());
  EXPECT_STREQ(GetCommonFolder("game", "Quorvant").c_str(), (mRoot + "/qv/common").c_str());
  EXPECT_STREQ(GetDesktopFolder().c_str(), (mRoot + "/qv/desktop").c_str());
  EXPECT_TRUE(IsFolder(mRoot + "/qv/user"));
  EXPECT_TRUE(IsFolder(mRoot + "/qv/common"));
  EXPECT_TRUE(IsFolder(mRoot + "/qv/desktop"));
}

TEST_F(FoldersTest, DataFoldersDefaultBelowTheHomeAndAreCreated)
{
  std::string data = mRoot + "/home/.local/share";
  EXPECT_STREQ(GetUserFolder("my-game").c_str(), (data + "/my-game").c_str());
  EXPECT_STREQ(GetCommonFolder("my-game", "Quorvant").c_str(), (data + "/Quorvant/my-game").c_str());
  EXPECT_TRUE(IsFolder(data + "/my-game"));
  EXPECT_TRUE(IsFolder(data + "/Quorvant/my-game"));
  struct stat info;
  ASSERT_EQ(stat((data + "/my-game").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0022, 0u); // private to the player, whatever the umask
}

TEST_F(FoldersTest, XdgDataHomeWinsWhenAbsolute)
{
  setenv("XDG_DATA_HOME", (mRoot + "/data").c_str(), 1);
  EXPECT_STREQ(GetUserFolder("g").c_str(), (mRoot + "/data/g").c_str());
  setenv("XDG_DATA_HOME", "relative/path", 1);
  EXPECT_STREQ(GetUserFolder("g").c_str(), (mRoot + "/home/.local/share/g").c_str());
}

TEST_F(FoldersTest, DesktopComesFromUserDirsElseTheHomeDesktop)
{
  fs::create_directories(mRoot + "/home/Schreibtisch");
  fs::create_directories(mRoot + "/home/Desktop");
  EXPECT_STREQ(GetDesktopFolder().c_str(), (mRoot + "/home/Desktop").c_str());

  fs::create_directories(mRoot + "/home/.config");
  std::ofstream(mRoot + "/home/.config/user-dirs.dirs")
      << "# written by a test\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch/\"\n";
  EXPECT_STREQ(GetDesktopFolder().c_str(), (mRoot + "/home/Schreibtisch").c_str());
}

TEST_F(FoldersTest, MissingFoldersAndBadNamesGiveEmptyWithAnError)
{
  testing::internal::CaptureStderr();
  EXPECT_STREQ(GetDesktopFolder().c_str(), ""); // no Desktop under the home
  EXPECT_STREQ(GetUserFolder("../escape").c_str(), "");
  EXPECT_STREQ(GetCommonFolder("g", "").c_str(), "");
  unsetenv("HOME");
  EXPECT_STREQ(GetUserFolder("g").c_str(), "");
  std::string log = testing::internal::GetCapturedStderr();
  size_t errors = 0;
  for (size_t at = log.find("ERROR: "); at != std::string::npos; at = log.find("ERROR: ", at + 1))
    ++errors;
  EXPECT_EQ(errors, 4u) << log;
}

TEST_F(FoldersTest, UncreatableFolderGivesEmptyWithAnError)
{
  std::ofstream(mRoot + "/blocker") << "a file";
  setenv("XDG_DATA_HOME", (mRoot + "/blocker").c_str(), 1);
  testing::internal::CaptureStderr();
  EXPECT_STREQ(GetUserFolder("g").c_str(), "");
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("ERROR: "), std::string::npos);
}

} // namespace

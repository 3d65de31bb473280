// prefsdb_test: the preferences database over its real file in a private user folder:
// values that survive reopening, players made on demand and removed, install keys, a
// file that holds no plain value, read-only use and a damaged file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <sys/stat.h>

#include "platform/platform.h"
#include "core/foundation/file.h"
#include "core/foundation/prefsdb.h"
#include "core/foundation/prefsstore.h"
#include "support/otherprogram.h"
#include "support/requirement.h"
#include "support/tmpfsmount.h"

namespace {

size_t CountOf(std::string const& text, std::string const& what)
{
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

std::string ReadWhole(std::string const& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(std::string const& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

class PrefsDBTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    char const* home = std::getenv("QV_HOME");
    ASSERT_NE(home, nullptr);
    mUserDir = std::string(home) + "/prefsdb-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    mkdir(mUserDir.c_str(), 0777);
    mSavedUserDir = TFile::mUserDir;
    TFile::mUserDir = mUserDir.c_str();
    TFile::mResourceMap.erase("user:prefsdb.dat");
    TPlatform::SetConfig(TPlatform::kEncryptionKey, "QuorvantKey1");
    TPlatform::SetConfig(TPlatform::kInstallKey, "");
    SetInstallText(nullptr);
  }

  void TearDown() override
  {
    SetInstallText(nullptr);
    TFile::mResourceMap.erase("user:prefsdb.dat");
    TFile::mUserDir = mSavedUserDir;
  }

  // Puts an "install.txt" into the virtual file system, or (null) takes it away.
  void SetInstallText(char const* text)
  {
    mInstallText = text ? text : "";
    TFile::AddMemoryFile("install.txt", text ? &mInstallText[0] : nullptr, (unsigned)mInstallText.size());
  }

  std::string Path() const { return mUserDir + "/prefsdb.dat"; }

  std::string mUserDir;
  str mSavedUserDir;
  std::string mInstallText;
};

} // namespace

TEST_F(PrefsDBTest, ValuesSurviveReopening)
{
  unsigned char const blob[5] = {0, 1, 2, 255, 0};
  {
    TPrefsDB prefs(true);
    prefs.SetStr("fullscreen", "1", -1, false);
    prefs.SetStr("name", "Inspector Vale", 1, true);
    prefs.SetInt("score", 1234, 0, false);
    prefs.SetBinary("save", blob, sizeof(blob), 1, false);
  }
  ASSERT_TRUE(Exists(Path()));
  TPrefsDB prefs(true);
  EXPECT_EQ(prefs.GetNumUsers(), 2u);
  EXPECT_EQ(prefs.GetStr("fullscreen", "0", -1), str("1"));
  EXPECT_EQ(prefs.GetStr("name", "", 1), str("Inspector Vale"));
  EXPECT_EQ(prefs.GetStr("name", "none", 0), str("none"));
  EXPECT_EQ(prefs.GetInt("score", 0, 0), 1234);
  unsigned char back[5] = {9, 9, 9, 9, 9};
  EXPECT_EQ(prefs.GetBinary("save", back, sizeof(back), 1), 0);
  EXPECT_EQ(std::memcmp(back, blob, sizeof(blob)), 0);
  // Replacing a value keeps one row for the key.
  prefs.SetStr("fullscreen", "0", -1, true);
  EXPECT_EQ(prefs.GetStr("fullscreen", "1", -1), str("0"));
}

TEST_F(PrefsDBTest, PlayersAreMadeOnDemandAndBadIndexesAreRefused)
{
  TPrefsDB prefs(true);
  EXPECT_EQ(prefs.GetNumUsers(), 0u);
  EXPECT_EQ(prefs.GetStr("name", "default", 3), str("default"));
  EXPECT_EQ(prefs.GetNumUsers(), 4u);

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(prefs.GetStr("name", "d", -2), str("d"));
  prefs.SetStr("name", "x", 50000, true);
  EXPECT_EQ(prefs.GetInt("n", 7, 1 << 30), 7);
  std::string const log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("ERROR: "), std::string::npos);
  EXPECT_EQ(prefs.GetNumUsers(), 4u);
}

TEST_F(PrefsDBTest, IntegersAndBinarySizes)
{
  TPrefsDB prefs(true);
  prefs.SetInt("lives", -5, -1, true);
  EXPECT_EQ(prefs.GetStr("lives", "", -1), str("-5"));
  EXPECT_EQ(prefs.GetInt("lives", 0, -1), -5);
  EXPECT_EQ(prefs.GetInt("absent", 42, -1), 42);

  char const data[] = "0123456789";
  prefs.SetBinary("blob", data, 10, 0, false);
  EXPECT_EQ(prefs.GetBinary("absent", nullptr, 0, 0), -1);
  EXPECT_EQ(prefs.GetBinary("blob", nullptr, 0, 0), 10);
  char small[9];
  std::memset(small, '#', sizeof(small));
  EXPECT_EQ(prefs.GetBinary("blob", small, sizeof(small), 0), 10);
  EXPECT_EQ(std::string(small, 9), std::string(9, '#'));
  char exact[10];
  EXPECT_EQ(prefs.GetBinary("blob", exact, sizeof(exact), 0), 0);
  EXPECT_EQ(std::string(exact, 10), "0123456789");

  prefs.SetBinary("none", nullptr, 0, 0, false);
  EXPECT_EQ(prefs.GetBinary("none", nullptr, 0, 0), 0);
  prefs.SetStr("emptytext", "", 0, false);
  EXPECT_EQ(prefs.GetStr("emptytext", "default", 0), str(""));
}

TEST_F(PrefsDBTest, DeletedPlayersShiftTheLaterOnesDown)
{
  {
    TPrefsDB prefs(true);
    prefs.SetStr("name", "Ada", 0, false);
    prefs.SetStr("name", "Ben", 1, false);
    prefs.SetStr("name", "Cy", 2, false);
    prefs.SetInt("level", 7, 2, true);
    prefs.DeleteUser(0);
    EXPECT_EQ(prefs.GetNumUsers(), 2u);
    EXPECT_EQ(prefs.GetStr("name", "", 0), str("Ben"));
    prefs.DeleteUser(5);
    EXPECT_EQ(prefs.GetNumUsers(), 2u);
  }
  TPrefsDB prefs(true);
  ASSERT_EQ(prefs.GetNumUsers(), 2u);
  EXPECT_EQ(prefs.GetStr("name", "", 0), str("Ben"));
  EXPECT_EQ(prefs.GetStr("name", "", 1), str("Cy"));
  EXPECT_EQ(prefs.GetInt("level", 0, 1), 7);
  prefs.DeleteUser(1);
  prefs.DeleteUser(0);
  EXPECT_EQ(prefs.GetNumUsers(), 0u);
  EXPECT_EQ(prefs.GetStr("name", "gone", 0), str("gone")) << "a new player starts empty";
}

TEST_F(PrefsDBTest, FileHoldsNoPlainValue)
{
  SetInstallText("SecretInstallCode");
  {
    TPrefsDB prefs(true);
    prefs.SetStr("playername", "ZebulonQuartermain", 0, false);
    prefs.SetStr("globalnote", "UnmistakablePlainText", -1, false);
    prefs.SetInt("bigcounter", 918273645, 0, false);
    prefs.SetBinary("savegame", "BinaryPayloadMarker", 19, 0, true);
  }
  std::string const file = ReadWhole(Path());
  ASSERT_FALSE(file.empty());
  for (char const* plain : {"ZebulonQuartermain", "UnmistakablePlainText", "918273645", "BinaryPayloadMarker",
                            "secretinstallcode", "SecretInstallCode"})
    EXPECT_EQ(file.find(plain), std::string::npos) << plain;
  // Keys stay plain so that the file can be inspected.
  EXPECT_NE(file.find("playername"), std::string::npos);
}

TEST_F(PrefsDBTest, InstallKeysKeepInstallationsApart)
{
  TPlatform::SetConfig(TPlatform::kInstallKey, "Alpha");
  {
    TPrefsDB prefs(true);
    prefs.SetStr("k", "alpha value", -1, false);
    prefs.SetStr("name", "alpha player", 0, true);
  }
  TPlatform::SetConfig(TPlatform::kInstallKey, "beta");
  {
    TPrefsDB prefs(true);
    EXPECT_EQ(prefs.GetStr("k", "none", -1), str("none"));
    EXPECT_EQ(prefs.GetNumUsers(), 0u);
    prefs.SetStr("k", "beta value", -1, true);
  }
  // install.txt wins over the configuration, and its text is lower-cased.
  SetInstallText("ALPHA");
  {
    TPrefsDB prefs(true);
    EXPECT_EQ(prefs.GetStr("k", "none", -1), str("alpha value"));
    EXPECT_EQ(prefs.GetNumUsers(), 1u);
  }
  // The text is used as it is, line end included.
  SetInstallText("alpha\n");
  {
    TPrefsDB prefs(true);
    EXPECT_EQ(prefs.GetStr("k", "none", -1), str("none"));
  }
  // An empty install.txt carries on with the install of the last run.
  SetInstallText("");
  {
    TPrefsDB prefs(true);
    EXPECT_EQ(prefs.GetStr("k", "none", -1), str("none")) << "the last run was alpha\\n";
  }
  SetInstallText("alpha");
  {
    TPrefsDB prefs(true);
  }
  SetInstallText("");
  TPrefsDB prefs(true);
  EXPECT_EQ(prefs.GetStr("k", "none", -1), str("alpha value"));
}

TEST_F(PrefsDBTest, EmptyInstallTextOnAFreshFileMeetsTheUnknownInstall)
{
  {
    TPrefsDB prefs(true);
    prefs.SetStr("k", "unknown install", -1, true);
  }
  ASSERT_EQ(std::remove(Path().c_str()), 0);
  {
    TPrefsDB prefs(true);
    prefs.SetStr("k", "unknown install", -1, true);
  }
  // With no "lastkey" to reuse the empty file names the same install as no key at all.
  SetInstallText("");
  {
    TPrefsDB writer(true);
  }
  TPrefsDB prefs(true);
  EXPECT_EQ(prefs.GetStr("k", "none", -1), str("unknown install"));
}

TEST_F(PrefsDBTest, ReadOnlyDatabaseNeverWritesItsFile)
{
  {
    TPrefsDB prefs(false);
    prefs.SetStr("k", "v", -1, true);
    EXPECT_EQ(prefs.GetStr("k", "", -1), str("v"));
    prefs.SavePrefs();
  }
  EXPECT_FALSE(Exists(Path()));

  {
    TPrefsDB prefs(true);
    prefs.SetStr("k", "stored", -1, true);
  }
  std::string const before = ReadWhole(Path());
  {
    TPrefsDB prefs(false);
    EXPECT_EQ(prefs.GetStr("k", "", -1), str("stored"));
    prefs.SetStr("k", "changed", -1, false);
    EXPECT_EQ(prefs.GetStr("k", "", -1), str("changed"));
    prefs.SetStr("name", "p", 2, true);
    prefs.DeleteUser(0);
  }
  EXPECT_EQ(ReadWhole(Path()), before);
  TPrefsDB prefs(true);
  EXPECT_EQ(prefs.GetStr("k", "", -1), str("stored"));
  EXPECT_EQ(prefs.GetNumUsers(), 0u);
}

TEST_F(PrefsDBTest, DamagedFileIsRenamedAsideAndTheGameStartsEmpty)
{
  std::string const junk(3000, '\x5a');
  {
    std::ofstream out(Path(), std::ios::binary);
    out << junk;
  }
  ::testing::internal::CaptureStderr();
  {
    TPrefsDB prefs(true);
    EXPECT_EQ(prefs.GetNumUsers(), 0u);
    EXPECT_EQ(prefs.GetStr("fullscreen", "0", -1), str("0"));
    prefs.SetStr("fullscreen", "1", -1, true);
  }
  std::string const log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("ERROR: "), std::string::npos);
  EXPECT_EQ(ReadWhole(Path() + ".corrupt"), junk);
  TPrefsDB prefs(true);
  EXPECT_EQ(prefs.GetStr("fullscreen", "0", -1), str("1"));
}

TEST_F(PrefsDBTest, MissingEncryptionKeyIsReportedAndValuesStayEncrypted)
{
  TPlatform::SetConfig(TPlatform::kEncryptionKey, "");
  ::testing::internal::CaptureStderr();
  {
    TPrefsDB prefs(true);
    std::string const log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("ERROR: No encryption key set before TPrefsDB construction!"), std::string::npos);
    prefs.SetStr("k", "EmptyKeyStillEncrypts", -1, true);
    EXPECT_EQ(prefs.GetStr("k", "", -1), str("EmptyKeyStillEncrypts"));
  }
  EXPECT_EQ(ReadWhole(Path()).find("EmptyKeyStillEncrypts"), std::string::npos);
  // Under another key the install key encrypts differently: a separate, empty install.
  TPlatform::SetConfig(TPlatform::kEncryptionKey, "QuorvantKey1");
  TPrefsDB prefs(true);
  EXPECT_EQ(prefs.GetStr("k", "none", -1), str("none"));
}

// A player added on a nearly full disk, one write at a time as the settings do: the write
// that does not fit must not leave a nameless player in the file, and the later ones must
// not be reported as written; with room again, everything arrives at once.
TEST_F(PrefsDBTest, APlayerAddedOnANearlyFullDiskIsKeptWholeOrNotAtAll)
{
  TTmpfsMount disk;
  std::string why;
  if (!disk.Mount(256 * 1024, &why))
    QV_SKIP_UNLESS_REQUIRED("no small disk to fill: " << why);
  TFile::mUserDir = disk.Path().c_str();
  TFile::mResourceMap.erase("user:prefsdb.dat");
  std::string const path = disk.Path() + "/prefsdb.dat";
  {
    TPrefsDB prefs(true);
    prefs.SetStr("name", "Holmes", 0, true);
  }
  ASSERT_TRUE(disk.Fill(16 * 1024));
  std::string const longName(30000, 'W');
  ::testing::internal::CaptureStderr();
  {
    TPrefsDB prefs(true);
    prefs.SetStr("name", longName.c_str(), 1, true);
    prefs.SetInt("soundlevel", 750, 1, true);
    prefs.SetInt("curuser", 1, -1, true);
    EXPECT_EQ(eSaveDiskFull, prefs.GetSaveStatus());
    EXPECT_TRUE(prefs.HasUnsavedChanges());
    // Meanwhile the player is there to play with.
    EXPECT_EQ(prefs.GetNumUsers(), 2u);
    EXPECT_EQ(prefs.GetStr("name", "", 1), str(longName.c_str()));
    {
      TPrefsDB file(false);
      EXPECT_EQ(file.GetNumUsers(), 1u) << "no part of the new player reached the file";
      EXPECT_EQ(file.GetInt("curuser", -1, -1), -1);
    }
    disk.Unfill();
    EXPECT_TRUE(prefs.RetrySave(0));
    EXPECT_EQ(eSaveDone, prefs.GetSaveStatus());
    EXPECT_FALSE(prefs.HasUnsavedChanges());
  }
  std::string const log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("ERROR: "), std::string::npos);
  TPrefsDB prefs(true);
  ASSERT_EQ(prefs.GetNumUsers(), 2u);
  EXPECT_EQ(prefs.GetStr("name", "", 1), str(longName.c_str()));
  EXPECT_EQ(prefs.GetInt("soundlevel", 0, 1), 750);
  EXPECT_EQ(prefs.GetInt("curuser", -1, -1), 1);
  EXPECT_FALSE(Exists(path + ".corrupt"));
}

// A stored value cut by a byte, the file itself sound: reading it fails with one line naming
// the file and the key, a copy of the file is kept, and what is written over it (also over a
// damaged value never read) waits in memory until the player has been told.
TEST_F(PrefsDBTest, AValueThatCannotBeDecipheredIsDamageKeptAsideAndWrittenOverOnlyOnceTold)
{
  {
    TPrefsDB prefs(true);
    prefs.SetStr("name", "Holmes", 0, false);
    prefs.SetInt("soundlevel", 500, 0, false);
    prefs.SetBinary("story_savegame", "0123456789abcdef", 16, 0, true);
  }
  {
    TOtherProgram other(Path());
    ASSERT_TRUE(other.Run("UPDATE uservalues SET value = substr(value, 1, length(value) - 1) "
                          "WHERE key IN ('story_savegame', 'soundlevel')"));
  }
  std::string const damaged = ReadWhole(Path());
  // What a later run finds in the file for the record.
  auto inFile = [this]() {
    TPrefsDB look(OpenPrefsStore(Path().c_str(), false), false);
    return look.GetBinary("story_savegame", nullptr, 0, 0);
  };

  ::testing::internal::CaptureStderr();
  TPrefsDB prefs(true);
  EXPECT_EQ(-1, prefs.GetBinary("story_savegame", nullptr, 0, 0));
  EXPECT_EQ(-1, prefs.GetBinary("story_savegame", nullptr, 0, 0));
  EXPECT_EQ(str("Holmes"), prefs.GetStr("name", "", 0));
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(1u, CountOf(log, "ERROR: ")) << log;
  EXPECT_NE(std::string::npos, log.find(Path())) << log;
  EXPECT_NE(std::string::npos, log.find("\"story_savegame\" of player 0")) << log;
  str keptAs;
  EXPECT_TRUE(prefs.HasDamagedValues(&keptAs));
  EXPECT_EQ(Path() + ".corrupt", std::string(keptAs.c_str()));
  EXPECT_EQ(damaged, ReadWhole(keptAs.c_str()));

  ::testing::internal::CaptureStderr();
  prefs.SetBinary("story_savegame", "new", 3, 0, true);
  prefs.SetInt("soundlevel", 300, 0, true);
  prefs.SetStr("name", "Watson", 0, true);
  EXPECT_EQ(3, prefs.GetBinary("story_savegame", nullptr, 0, 0));
  EXPECT_EQ(300, prefs.GetInt("soundlevel", -1, 0));
  EXPECT_TRUE(prefs.HasUnsavedChanges());
  EXPECT_EQ(-1, inFile());
  log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("\"soundlevel\" of player 0")) << "found as it is written over: " << log;
  EXPECT_EQ(1u, CountOf(log, ".corrupt")) << "one copy for the run: " << log;

  prefs.DamageTold();
  EXPECT_FALSE(prefs.HasUnsavedChanges());
  EXPECT_EQ(3, inFile());
  TPrefsDB reopened(true);
  EXPECT_EQ(300, reopened.GetInt("soundlevel", -1, 0));
  EXPECT_EQ(str("Watson"), reopened.GetStr("name", "", 0));
  EXPECT_FALSE(reopened.HasDamagedValues(nullptr));
}

// Tests of the application's start-up and teardown: command line, settings file, string
// tables, data folders, close requests and the order in which services go away.
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include <SDL.h>

#include "buildpaths.h"
#include "core/window/event.h"
#include "core/foundation/asset.h"
#include "core/foundation/file.h"
#include "core/foundation/stringtable.h"
#include "core/window/windowmanager.h"
#include "platform/platformdata.h"
#include "support/apptestutil.h"

namespace {

std::vector<char*> Argv(std::vector<std::string>& arguments)
{
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(&argument[0]);
  argv.push_back(nullptr);
  return argv;
}

// The first event that is not idle, or idle when none comes in many tries.
TEvent NextEvent(TPlatform* platform)
{
  TEvent event;
  for (int attempt = 0; attempt < 200; ++attempt) {
    platform->GetEvent(&event);
    if (event.type != TEvent::kIdle)
      break;
  }
  return event;
}

class TRecordingTask : public TTask
{
public:
  explicit TRecordingTask(bool* managerSeen) : mManagerSeen(managerSeen) {}
  ~TRecordingTask() override { *mManagerSeen = TWindowManager::GetInstance() != nullptr; }
  bool Ready(ETaskContext) override { return false; }
  bool DoTask() override { return true; }

private:
  bool* mManagerSeen;
};

} // namespace

TEST(CommandLine, ArgumentsAreJoinedEachWithATrailingBlank)
{
  std::vector<std::string> two = {"quillmoor", "a", "b"};
  EXPECT_EQ(str("a b "), BuildCommandLine(3, Argv(two).data()));
  std::vector<std::string> none = {"quillmoor"};
  EXPECT_EQ(str(""), BuildCommandLine(1, Argv(none).data()));
}

TEST(CommandLine, CheatOptionWithoutACodeLeavesTheCodeUnset)
{
  for (const char* argument : {"--cheat", "--cheat=", "x--cheat:"}) {
    TAppSandbox sandbox;
    sandbox.Start({argument});
    EXPECT_EQ(str("unset"), TPlatform::GetConfig(kCheatCode, "unset")) << argument;
  }
  TAppSandbox sandbox;
  sandbox.Start({"--cheat=ABCD"});
  EXPECT_EQ(str("ABCD"), TPlatform::GetConfig(kCheatCode, "unset"));
}

TEST(CommandLine, UrlOptionHidesALaterStringTestOption)
{
  {
    TAppSandbox sandbox;
    sandbox.Start({"-url=abc", "--stringtest"});
    EXPECT_EQ(str("abc"), TPlatform::GetConfig(TPlatform::kDownloadURL, ""));
    EXPECT_EQ(str("unset"), TPlatform::GetConfig("stringtest", "unset"));
  }
  TAppSandbox sandbox;
  sandbox.Start({"--stringtest"});
  EXPECT_EQ(str("1"), TPlatform::GetConfig("stringtest", "unset"));
  EXPECT_EQ(str("unset"), TPlatform::GetConfig(TPlatform::kDownloadURL, "unset"));
}

// The build writes what it generates into its own folder, never into the checkout; a program
// run from the checkout's data reads it from there.
TEST(StartUp, GeneratedDataIsReadFromTheBuildFolderOnlyWithTheSourceData)
{
  EXPECT_STREQ(GeneratedAssetsFolder(QV_SOURCE_DATA_DIR).c_str(),
               (std::string(QV_GENERATED_DATA_DIR) + "/assets").c_str());
  EXPECT_TRUE(std::filesystem::exists(std::string(QV_GENERATED_DATA_DIR) + "/assets/fonts/default.mvec"));
  EXPECT_STREQ(GeneratedAssetsFolder("/some/installed/share").c_str(), "");
}

TEST(StartUp, SettingsFileSetsKeysLaterDuplicatesWinAndTheProductNameReplacesTheGame)
{
  TAppSandbox sandbox;
  sandbox.WriteFile("assets/settings.xml", "<settings><verbosedebug>1</verbosedebug><gamename>other</gamename>"
                                           "<colour>red</colour><colour>blue</colour></settings>");
  TPlatform::SetConfig(TPlatform::kGameName, "from-the-game");
  ::testing::internal::CaptureStderr();
  TPlatform* platform = sandbox.Start();
  std::string log = ::testing::internal::GetCapturedStderr();
  const str product = platform->GetData()->GetProductName();
  const str version = platform->GetData()->GetVersion();
  EXPECT_EQ(str("1"), TPlatform::GetConfig(TPlatform::kVerboseDebug, ""));
  EXPECT_EQ(str("blue"), TPlatform::GetConfig("colour", ""));
  EXPECT_EQ(product, TPlatform::GetConfig(TPlatform::kGameName, ""));
  EXPECT_EQ(version, TPlatform::GetConfig(TPlatform::kGameVersion, ""));
  EXPECT_FALSE(version.empty());
  EXPECT_NE(std::string::npos, log.find(std::string(product.c_str()) + ", version " + version.c_str() + "."));
  EXPECT_EQ(str("100000000"), TPlatform::GetConfig("memorymax", ""));
  EXPECT_EQ(16u, TPlatform::GetConfig(TPlatform::kComputerId, "").length());
}

TEST(StartUp, DamagedOrMissingFilesAreLoggedAndTheApplicationStillStarts)
{
  {
    TAppSandbox sandbox;
    sandbox.WriteFile("assets/settings.xml", "<settings><colour>red</colour><broken");
    ::testing::internal::CaptureStderr();
    TPlatform* platform = sandbox.Start();
    std::string log = ::testing::internal::GetCapturedStderr();
    ASSERT_NE(nullptr, platform);
    EXPECT_EQ(str("unset"), TPlatform::GetConfig("colour", "unset"));
    EXPECT_NE(std::string::npos, log.find("ERROR: Settings file"));
    EXPECT_NE(std::string::npos, log.find("strings.xml"));
    EXPECT_NE(nullptr, TWindowManager::GetInstance());
  }
  TAppSandbox sandbox;
  ::testing::internal::CaptureStderr();
  sandbox.Start();
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("settings.xml"));
  EXPECT_NE(nullptr, TPlatform::GetInstance());
}

TEST(StartUp, StringFilesOfTheUserThenTheCommonFolderOverrideTheTable)
{
  TAppSandbox sandbox;
  sandbox.WriteFile("assets/strings.xml",
                    StringTableXml({{"windowtitle", "Base title"}, {"a", "base"}, {"b", "base"}}));
  sandbox.WriteDataFile("user", "strings_extra.xml", StringTableXml({{"a", "user"}, {"b", "user"}}));
  sandbox.WriteDataFile("common", "string2.xml", StringTableXml({{"a", "common"}}));
  sandbox.WriteDataFile("user", "mystrings.xml", StringTableXml({{"b", "not a string file"}}));
  TPlatform* platform = sandbox.Start();
  TStringTable* table = platform->GetStringTable();
  ASSERT_NE(nullptr, table);
  EXPECT_EQ(str("Base title"), table->GetString("windowtitle", "", "", "", "", ""));
  EXPECT_EQ(str("common"), table->GetString("a", "", "", "", "", ""));
  EXPECT_EQ(str("user"), table->GetString("b", "", "", "", "", ""));
}

TEST(StartUp, DataFoldersAreMadeForThisUserOnlyWritable)
{
  TAppSandbox sandbox;
  // Even a process started with an open umask keeps the folders to itself.
  mode_t previous = umask(0);
  TPlatform* platform = sandbox.Start();
  umask(previous);
  for (const str& folder : {platform->GetData()->mUserPath, platform->GetData()->mCommonPath}) {
    struct stat info;
    ASSERT_EQ(0, stat(folder.c_str(), &info)) << folder.c_str();
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(0u, info.st_mode & 022) << folder.c_str();
  }
  EXPECT_EQ(TFile::mUserDir, platform->GetData()->mUserPath);
}

TEST(StartUp, TheBuiltInCursorIsRegisteredUnlessTheGameHasOne)
{
  {
    TAppSandbox sandbox;
    sandbox.Start();
    EXPECT_TRUE(TFile::Exists("__systemcursor__.png"));
    // A memory file, not a file on disk.
    EXPECT_EQ('&', TFile::TranslateResource("__systemcursor__.png", true)[0]);
  }
  TAppSandbox sandbox;
  sandbox.WriteFile("assets/__systemcursor__.png", "the game's own");
  sandbox.Start();
  EXPECT_NE(str::npos, TFile::TranslateResource("__systemcursor__.png", true).find("assets/"));
}

TEST(Events, TheCloseBoxAndSigtermRequestCloseNeverQuit)
{
  TAppSandbox sandbox;
  TPlatform* platform = sandbox.Start();
  SDL_Event close;
  SDL_zero(close);
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  ASSERT_EQ(1, SDL_PushEvent(&close));
  EXPECT_EQ(TEvent::kClose, NextEvent(platform).type);

  std::raise(SIGTERM);
  EXPECT_EQ(TEvent::kClose, NextEvent(platform).type);

  platform->Exit(0);
  EXPECT_EQ(TEvent::kQuit, NextEvent(platform).type);
  // The quit is under way: the hard limit that SIGTERM set would cut its saves short.
  EXPECT_EQ(0u, alarm(0));
  // The quit event comes once.
  EXPECT_NE(TEvent::kQuit, NextEvent(platform).type);
}

TEST(Teardown, ServicesGoInOrderAndNothingReachesTheWindowManagerAfterItIsGone)
{
  TAppSandbox sandbox;
  TPlatform* platform = sandbox.Start();
  bool managerSeen = true;
  platform->AdoptTask(new TRecordingTask(&managerSeen));
  EXPECT_NE(nullptr, TAssetManager::GetInstance());
  sandbox.Stop();
  EXPECT_FALSE(managerSeen);
  EXPECT_EQ(nullptr, TPlatform::GetInstance());
  EXPECT_EQ(nullptr, TWindowManager::GetInstance());
  EXPECT_EQ(nullptr, TAssetManager::GetInstance());
  EXPECT_EQ(str("gone"), TPlatform::GetConfig(TPlatform::kGameName, "gone"));
  EXPECT_TRUE(TFile::mResourceMap.empty());
}

TEST(Teardown, QuorvantExecRunsTheGameOnceAndReturnsWhenItReturns)
{
  TAppSandbox sandbox;
  static int calls;
  static std::string commandLine;
  calls = 0;
  std::vector<std::string> arguments = {"quillmoor", "x"};
  int result = QuorvantExec(
      2, Argv(arguments).data(),
      [](TPlatform* platform, char const* line) {
        ++calls;
        commandLine = line;
        EXPECT_EQ(platform, TPlatform::GetInstance());
      },
      false);
  EXPECT_EQ(0, result);
  EXPECT_EQ(1, calls);
  EXPECT_EQ("x ", commandLine);
  EXPECT_EQ(nullptr, TPlatform::GetInstance());
}

TEST(Teardown, AnEscapingExceptionIsReportedAndEverythingIsStillTornDown)
{
  TAppSandbox sandbox;
  std::vector<std::string> arguments = {"quillmoor"};
  ::testing::internal::CaptureStderr();
  int result = QuorvantExec(
      1, Argv(arguments).data(), [](TPlatform*, char const*) { throw 42; }, false);
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(0, result);
  EXPECT_NE(std::string::npos, log.find("Unhandled exception\n"));
  EXPECT_EQ(nullptr, TPlatform::GetInstance());
  EXPECT_EQ(nullptr, TWindowManager::GetInstance());
}

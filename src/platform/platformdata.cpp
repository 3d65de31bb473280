// platformdata: start-up and shutdown of the Linux platform object and the engine's entry
// point; talks to the file system, the data folders, the configuration and the facade.
#include "platform/platformdata.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "core/foundation/asset.h"
#include "core/foundation/file.h"
#include "core/foundation/stringtable.h"
#include "core/graphics/renderer.h"
#include "core/window/windowmanager.h"
#include "core/foundation/debug.h"
#include "platform/platformdisplay.h"
#include "platform/folders.h"
#include "platform/display/signals.h"

#ifndef QV_PRODUCT_NAME
#define QV_PRODUCT_NAME "quillmoor-sleuth-bureau"
#endif
#ifndef QV_PRODUCT_VERSION
#define QV_PRODUCT_VERSION "0.1.0"
#endif

namespace {

const char kDefaultPublisher[] = "Quorvant";

bool HasAssetsFolder(const std::string& folder)
{
  struct stat info;
  std::string assets = folder + "/assets";
  return stat(assets.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ExecutableFolder()
{
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) {
    return std::string();
  }
  path[length] = 0;
  char* slash = std::strrchr(path, '/');
  if (!slash) {
    return std::string();
  }
  *slash = 0;
  return path;
}

// The shared folder lives in the player's own home: nobody else may write into it, whatever
// the umask was when it was made.
void KeepFolderPrivate(const str& folder)
{
  struct stat info;
  if (folder.length() != 0 && stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & 022) != 0 &&
      chmod(folder.c_str(), info.st_mode & 0755) != 0) {
    WriteDbg("ERROR: Cannot restrict the folder %s", folder.c_str());
  }
}

} // namespace

str BuildCommandLine(int argc, char** argv)
{
  str commandLine;
  for (int index = 1; index < argc; ++index) {
    if (!argv[index]) {
      continue;
    }
    commandLine += argv[index];
    commandLine += " ";
  }
  return commandLine;
}

void ApplyCheatArguments(int argc, char** argv)
{
  static const char kCheatOption[] = "--cheat";
  const size_t skip = sizeof(kCheatOption) - 1 + 1; // the option and one separator
  for (int index = 1; index < argc; ++index) {
    char const* found = argv[index] ? std::strstr(argv[index], kCheatOption) : nullptr;
    // An argument that stops before the code would be read past its end.
    if (!found || std::strlen(found) <= skip) {
      continue;
    }
    TPlatform::SetConfig(kCheatCode, found + skip);
  }
}

str FindResourcesFolder(str productName)
{
  char const* override = std::getenv("QV_RESOURCES");
  if (override && override[0]) {
    return override;
  }
  std::string executable = ExecutableFolder();
  if (!executable.empty()) {
    std::string installed = executable + "/../share/" + productName.c_str();
    if (HasAssetsFolder(installed)) {
      return installed.c_str();
    }
  }
#ifdef QV_SOURCE_DATA_DIR
  if (HasAssetsFolder(QV_SOURCE_DATA_DIR)) {
    return QV_SOURCE_DATA_DIR;
  }
#endif
  return str();
}

str GeneratedAssetsFolder(str resourcesFolder)
{
#if defined(QV_SOURCE_DATA_DIR) && defined(QV_GENERATED_DATA_DIR)
  if (resourcesFolder == str(QV_SOURCE_DATA_DIR) && HasAssetsFolder(QV_GENERATED_DATA_DIR)) {
    return QV_GENERATED_DATA_DIR "/assets";
  }
#endif
  return str();
}

TPlatformData::TPlatformData(int argc, char** argv, bool flag)
{
  (void)argc;
  (void)argv;
  (void)flag;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  RegisterDisplayBackend();

  mResourcesPath = FindResourcesFolder(GetProductName());
  if (mResourcesPath.length() == 0) {
    WriteDbg("ERROR: No resources folder found; staying in the working directory");
  } else if (chdir(mResourcesPath.c_str()) != 0) {
    WriteDbg("ERROR: Cannot enter the resources folder %s", mResourcesPath.c_str());
  }

  TFile::SetGeneratedAssetsFolder(GeneratedAssetsFolder(mResourcesPath));
  // The first scan sees the assets only; the folders follow once the settings are read.
  TFile::mUserDir = str();
  TFile::mCommonDir = str();
  TFile::mDesktopDir = str();
  TFile::SetRegisterFilesHook(&TPlatform::RegisterFiles);
  TFile::ScanForResources();

  mVersion = "";
  mWindowManager = new TWindowManager;
  mAssetManager = new TAssetManager;
  mStringTable = new TStringTable;

  // The game may pin its folder names; otherwise they follow the product.
  const bool fixedFolders = TPlatform::GetConfig("mac_fix_common_and_user_dirs", "").length() != 0;
  str gameFolder = TPlatform::GetConfig(TPlatform::kGameName, "");
  if (gameFolder.length() == 0 || !fixedFolders) {
    gameFolder = GetProductName();
  }
  str publisher = TPlatform::GetConfig(TPlatform::kPublisherName, "");
  if (publisher.length() == 0 || !fixedFolders) {
    publisher = kDefaultPublisher;
  }
  mCommonPath = GetCommonFolder(gameFolder, publisher);
  if (mCommonPath.length() != 0) {
    KeepFolderPrivate(mCommonPath);
    const unsigned slash = mCommonPath.find('/', 4);
    if (slash != str::npos && slash > 0) {
      KeepFolderPrivate(mCommonPath.substr(0, int(slash)));
    }
  }
  mUserPath = GetUserFolder(gameFolder);
  mVersion = QV_PRODUCT_VERSION;
  ResetDbg(mUserPath.c_str());
  mWindowTitle = gameFolder;
  // Video starts now, so that a close request or SIGTERM is caught from here on.
  InstallQuitSignals();
  mDisplay = NewDisplayState(this);
}

TPlatformData::~TPlatformData()
{
  DestroyDisplay();
  // Normally the facade deleted these already, in its order.
  delete mWindowManager;
  mWindowManager = nullptr;
  if (TPlatform* platform = TPlatform::GetInstance()) {
    if (TTaskList* tasks = platform->GetTaskList()) {
      tasks->DestroyAll();
    }
    platform->ShutDownSound();
  }
  delete mStringTable;
  mStringTable = nullptr;
  delete mAssetManager;
  mAssetManager = nullptr;
}

str TPlatformData::GetProductName() const
{
  str name(QV_PRODUCT_NAME);
  name.downcase();
  return name;
}

uint32_t TPlatformData::Timer() const
{
  return TPlatform::Timer();
}

int QuorvantExec(int argc, char** argv, TGameMain gameMain, bool flag)
{
  TPlatform* platform = nullptr;
  int result = 0;
  try {
    TPlatformData* data = new TPlatformData(argc, argv, flag);
    const str problem = GetDisplayProblem(data->mDisplay);
    if (problem.length() != 0) {
      // One line, before anything else is made: there is nothing to show the game on.
      WriteDbg("ERROR: The game cannot show its window: %s", problem.c_str());
      delete data;
      return 1;
    }
    // The facade reads "-url=" and "--stringtest" from the command line, so it is
    // handed over before the facade is built.
    data->mCommandLine = BuildCommandLine(argc, argv);
    platform = new TPlatform(data);
    TRenderer::GetInstance();
    data->mGameMain = gameMain;
    // The cheat code is checked against "computerid", which the facade has set now.
    ApplyCheatArguments(argc, argv);
    platform->CreateApplicationWindow();
    platform->InitSound();
    if (data->mGameMain) {
      data->mGameMain(platform, data->mCommandLine.c_str());
    }
  } catch (...) {
    std::fprintf(stderr, "Unhandled exception\n");
    result = 1;
  }
  // The teardown runs after a failure too, so no service outlives the run.
  try {
    delete platform;
  } catch (...) {
    std::fprintf(stderr, "Unhandled exception\n");
    result = 1;
  }
  return result;
}

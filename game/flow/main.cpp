// main: the program's entry point for now: mounts the resources folder through the
// virtual file system and reports what it found; talks to TFile and the data folders.
#include "core/file.h"
#include "core/flatfile.h"
#include "platform/debug.h"
#include "platform/folders.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

const char kGameName[] = "quillmoor-sleuth-bureau";
const char kPublisherName[] = "Quorvant";
const int kNamesShown = 5;

// QV_RESOURCES points a run at another resources folder; the default is the source tree's.
char const* ResourcesFolder()
{
  char const* folder = std::getenv("QV_RESOURCES");
  return folder && folder[0] ? folder : QV_SOURCE_DATA_DIR;
}

} // namespace

int main()
{
  char const* resources = ResourcesFolder();
  if (chdir(resources) != 0) {
    WriteDbg("ERROR: Cannot enter the resources folder %s", resources);
    return 1;
  }
  TFile::mUserDir = GetUserFolder(kGameName);
  TFile::mCommonDir = GetCommonFolder(kGameName, kPublisherName);
  TFile::mDesktopDir = GetDesktopFolder();
  TFile::ScanForResources();

  unsigned long assets = 0;
  unsigned long userFiles = 0;
  unsigned long commonFiles = 0;
  for (TResourceMap::const_iterator entry = TFile::mResourceMap.begin();
       entry != TFile::mResourceMap.end(); ++entry) {
    char const* name = entry->first.c_str();
    if (std::strncmp(name, "user:", 5) == 0) ++userFiles;
    else if (std::strncmp(name, "common:", 7) == 0) ++commonFiles;
    else ++assets;
  }

  std::printf("Resources: %s\n", resources);
  std::printf("User folder: %s (%lu files)\n", TFile::mUserDir.c_str(), userFiles);
  std::printf("Common folder: %s (%lu files)\n", TFile::mCommonDir.c_str(), commonFiles);
  std::printf("%lu resources, %lu pack archives\n", assets,
              static_cast<unsigned long>(TFlatFile::mFlatFiles.size()));
  int shown = 0;
  for (TResourceMap::const_iterator entry = TFile::mResourceMap.begin();
       entry != TFile::mResourceMap.end() && shown < kNamesShown; ++entry) {
    if (std::strchr(entry->first.c_str(), ':')) continue;
    std::printf("  %s\n", entry->first.c_str());
    ++shown;
  }
  TFile::ShutDownFileSystem();
  if (assets == 0) {
    WriteDbg("ERROR: No resources found in %s/assets", resources);
    return 1;
  }
  return 0;
}

// vfssandbox: a throw-away resources folder for one test; talks to TFile's static state
// and the disk (std::filesystem).
#include "support/vfssandbox.h"

#include "core/foundation/file.h"
#include "support/testfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

TVfsSandbox::TVfsSandbox()
{
  mRoot = MakeTestFolder("vfs");
  for (char const* folder : {"assets", "user", "common", "desktop"})
    MakeFolder(folder);

  char current[4096];
  mPreviousDir = getcwd(current, sizeof current) ? current : "/";
  EXPECT_EQ(chdir(mRoot.c_str()), 0);

  TFile::ShutDownFileSystem();
  TFile::InternalAddFileMask("-*", true);
  TFile::SetRegisterFilesHook(nullptr);
  TFile::SetSkipUserFolders(false);
  TFile::SetGeneratedAssetsFolder(str());
  TFile::mUserDir = Path("user").c_str();
  TFile::mCommonDir = Path("common").c_str();
  TFile::mDesktopDir = Path("desktop").c_str();
}

TVfsSandbox::~TVfsSandbox()
{
  TFile::ShutDownFileSystem();
  TFile::InternalAddFileMask("-*", true);
  TFile::mUserDir = str();
  TFile::mCommonDir = str();
  TFile::mDesktopDir = str();
  if (chdir(mPreviousDir.c_str()) != 0)
    ADD_FAILURE() << "cannot return to " << mPreviousDir;
  std::error_code ignored;
  fs::permissions(mRoot, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(mRoot, ignored);
}

void TVfsSandbox::WriteFile(std::string const& relative, std::string const& bytes) const
{
  fs::path path = Path(relative);
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

std::string TVfsSandbox::ReadFile(std::string const& relative) const
{
  std::ifstream in(Path(relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TVfsSandbox::FileExists(std::string const& relative) const
{
  return fs::exists(fs::symlink_status(Path(relative)));
}

void TVfsSandbox::MakeFolder(std::string const& relative) const
{
  fs::create_directories(Path(relative));
}

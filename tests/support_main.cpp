// support_main: the shared main of every test program; each program runs headless (offscreen
// video, null sound output) with its own temporary user, common and desktop folders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "gl/gldisplayhandler.h"
#include "platform/platformservices.h"

namespace {

// Tests may leave folders they made unreadable or unwritable; the whole tree still goes.
void RemoveTree(std::string const& root)
{
  namespace fs = std::filesystem;
  std::error_code ignored;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (auto entry = fs::recursive_directory_iterator(root, ignored); entry != fs::recursive_directory_iterator();
       entry.increment(ignored)) {
    if (entry->is_directory(ignored) && !entry->is_symlink(ignored))
      fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(root, ignored);
}

} // namespace

int main(int argc, char** argv)
{
  ::testing::InitGoogleTest(&argc, argv);
  // The renderer draws through OpenGL as in the program; a test that wants no GL hands
  // it the null back end itself.
  TGLDisplayHandler::Register();
  // The engine reaches the machine (clipboard, HTTP, sound, identity) through the services
  // the platform hands in, as in the program.
  HandInPlatformServices();
  // Set here rather than by CTest so a test program run by hand behaves the same; a value
  // already in the environment wins, so a developer can still pick a real display or device.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("ALSOFT_DRIVERS", "null", 0);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  std::string ownFolder;
  if (!std::getenv("QV_HOME")) {
    char const* temporary = std::getenv("TMPDIR");
    std::string folderTemplate = std::string(temporary && temporary[0] ? temporary : "/tmp") + "/qvtest-XXXXXX";
    if (char* folder = mkdtemp(folderTemplate.data())) {
      setenv("QV_HOME", folder, 1);
      ownFolder = folder;
    }
  }
  int const result = RUN_ALL_TESTS();
  // A folder given from outside belongs to whoever gave it.
  if (!ownFolder.empty())
    RemoveTree(ownFolder);
  return result;
}

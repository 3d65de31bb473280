// support_main: the shared main of every test program; each test runs with its own
// temporary user, common and desktop folders so nothing touches the real home folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
  ::testing::InitGoogleTest(&argc, argv);
  if (!std::getenv("QV_HOME")) {
    std::string folderTemplate = "/tmp/qvtest-XXXXXX";
    if (char* folder = mkdtemp(folderTemplate.data())) {
      setenv("QV_HOME", folder, 1);
    }
  }
  return RUN_ALL_TESTS();
}

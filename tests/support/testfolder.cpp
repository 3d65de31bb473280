// testfolder: mkdtemp below QV_HOME, or below /tmp for a program run without the shared main.
#include "support/testfolder.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

std::string MakeTestFolder(char const* stem)
{
  char const* base = std::getenv("QV_HOME");
  std::string pattern = std::string(base && base[0] ? base : "/tmp") + "/" + stem + "-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back(0);
  return mkdtemp(buffer.data()) ? std::string(buffer.data()) : std::string();
}

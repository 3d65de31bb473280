// testfolder: mkdtemp below QV_HOME, or below /tmp for a program run without the shared main.
#include "support/testfolder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::string MakeTestFolder(char const* stem)
{
  char const* home = std::getenv("QV_HOME");
  std::string base = home && home[0] ? home : "/tmp";
  mkdir(base.c_str(), 0700);
  std::string pattern = base + "/" + stem + "-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back(0);
  if (!mkdtemp(buffer.data())) {
    std::fprintf(stderr, "FATAL: cannot make the test folder %s: %s\n", pattern.c_str(), std::strerror(errno));
    std::abort();
  }
  return buffer.data();
}

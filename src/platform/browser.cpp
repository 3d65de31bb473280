// browser: starts the desktop's URL opener through posix_spawnp, never through a shell;
// talks to the process interface and the debug log.
#include "platform/browser.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

#include "core/foundation/debug.h"

extern char** environ;

namespace {

// Children started earlier; reaped without waiting so none stays a zombie for long.
std::vector<pid_t>& Children()
{
  static std::vector<pid_t> children;
  return children;
}

// The last browser opener and how it ended; its status is kept when it is reaped.
pid_t gLastBrowser = -1;
EBrowserStatus gLastBrowserStatus = kBrowserOpened;

void ReapFinishedChildren()
{
  std::vector<pid_t>& children = Children();
  for (size_t index = 0; index < children.size();) {
    int status = 0;
    pid_t result = waitpid(children[index], &status, WNOHANG);
    if (result == children[index] || (result < 0 && errno == ECHILD)) {
      if (children[index] == gLastBrowser) {
        // A child reaped elsewhere left no status: nothing says it failed.
        const bool failed = result == gLastBrowser && !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        gLastBrowserStatus = failed ? kBrowserFailed : kBrowserOpened;
        gLastBrowser = -1;
        if (failed) {
          WriteDbg("ERROR: xdg-open could not open the address (exit status %d)",
                   WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        }
      }
      children.erase(children.begin() + long(index));
    } else {
      ++index;
    }
  }
}

} // namespace

pid_t LaunchProgram(char const* program, char const* argument)
{
  ReapFinishedChildren();
  if (!program || !argument) {
    WriteDbg("ERROR: LaunchProgram: nothing to start");
    return -1;
  }
  // The argument is handed over as it is: no shell ever parses it.
  char* arguments[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};
  pid_t child = -1;
  int result = posix_spawnp(&child, program, nullptr, nullptr, arguments, environ);
  if (result != 0) {
    WriteDbg("ERROR: Cannot start %s: %s", program, std::strerror(result));
    return -1;
  }
  Children().push_back(child);
  return child;
}

bool LaunchBrowser(char const* url)
{
  gLastBrowser = -1;
  gLastBrowserStatus = kBrowserFailed;
  if (!url || !url[0]) {
    WriteDbg("ERROR: OpenBrowser: no address");
    return false;
  }
  const pid_t child = LaunchProgram("xdg-open", url);
  if (child <= 0) {
    return false;
  }
  gLastBrowser = child;
  gLastBrowserStatus = kBrowserOpening;
  return true;
}

EBrowserStatus LastBrowserStatus()
{
  ReapFinishedChildren();
  return gLastBrowserStatus;
}

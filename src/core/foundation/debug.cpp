// debug: WriteDbg formats into a buffer of the needed size, writes it to file descriptor 2
// with a single writev and shows it to the observer; talks to the C library and POSIX only.
#include "core/foundation/debug.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sys/uio.h>
#include <unistd.h>

namespace {

std::mutex gObserverMutex;
TDbgObserver gObserver = nullptr;
void* gObserverContext = nullptr;

} // namespace

void SetDbgObserver(TDbgObserver observer, void* context)
{
  std::lock_guard<std::mutex> lock(gObserverMutex);
  gObserver = observer;
  gObserverContext = context;
}

void WriteDbg(char const* format, ...)
{
  if (!format)
    return;
  char* text = nullptr;
  va_list args;
  va_start(args, format);
  int n = vasprintf(&text, format, args);
  va_end(args);
  if (n < 0)
    return;
  // Anything still buffered in the stdio stream goes first, to keep the order of lines.
  fflush(stderr);
  char newline = '\n';
  iovec parts[2] = {{text, (size_t)n}, {&newline, 1}};
  int partIndex = 0;
  while (partIndex < 2) {
    ssize_t written = writev(STDERR_FILENO, parts + partIndex, 2 - partIndex);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      break;
    }
    // A short write (a full pipe) continues where it stopped.
    size_t left = (size_t)written;
    while (partIndex < 2 && left >= parts[partIndex].iov_len) {
      left -= parts[partIndex].iov_len;
      ++partIndex;
    }
    if (partIndex < 2) {
      parts[partIndex].iov_base = static_cast<char*>(parts[partIndex].iov_base) + left;
      parts[partIndex].iov_len -= left;
    }
  }
  {
    std::lock_guard<std::mutex> lock(gObserverMutex);
    if (gObserver)
      gObserver(text, gObserverContext);
  }
  free(text);
}

void ResetDbg(char const*) {}

unsigned long qvGetTotalAllocated()
{
  return 0;
}

unsigned long qvGetMaxAllocated()
{
  return 0;
}

void TFailure::Failure(char const* message, int line, char const* file)
{
  WriteDbg("%s(%d): %s", file ? file : "", line, message ? message : "");
}

void TFailure::Status(char const* message)
{
  WriteDbg("%s", message ? message : "");
}

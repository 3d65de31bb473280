// atomicfile: writes a temporary file beside the target, syncs it and renames it over the
// target; POSIX file calls, and the virtual file system for the names of saves.
#include "core/foundation/atomicfile.h"

#include "core/foundation/file.h"
#include "core/foundation/debug.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Two saves of one process, or of two copies of the game, must not share a temporary file.
str TemporaryPathFor(str const& path)
{
  static std::atomic<unsigned> counter(0);
  return path + str::getFormatted(".tmp%ld-%u", (long)getpid(), counter++);
}

str FolderOf(str const& path)
{
  unsigned slash = path.find('/', str::kBackward);
  if (slash == str::npos)
    return str(".");
  if (slash == 0)
    return str("/");
  return path.substr(0, (int)slash);
}

// A write that stops short (a full disk) or fails outright sets errno.
bool WriteAll(int descriptor, unsigned char const* bytes, unsigned long size)
{
  while (size > 0) {
    ssize_t written = write(descriptor, bytes, size);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    if (written == 0) {
      errno = ENOSPC;
      return false;
    }
    bytes += written;
    size -= (unsigned long)written;
  }
  return true;
}

// Without this the rename itself may be lost in a power cut, bringing back the old file.
bool SyncFolder(str const& folder)
{
  int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0)
    return false;
  bool synced = fsync(descriptor) == 0 || errno == EINVAL;
  int saved = errno;
  close(descriptor);
  errno = saved;
  return synced;
}

bool IsWriteProtected(str const& path)
{
  struct stat info;
  if (stat(path.c_str(), &info) != 0)
    return false;
  // The mode bits are checked as well as access(): to root every file is writable. A
  // read-only disk is not the file's protection; the write itself reports that.
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    return true;
  return access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EPERM);
}

} // namespace

bool WriteFileAtomically(str const& path, void const* data, unsigned long size, ESaveStatus* status)
{
  ESaveStatus ignored;
  if (!status)
    status = &ignored;
  *status = eSaveFailed;
  if (path.length() == 0 || (size > 0 && !data)) {
    WriteDbg("ERROR: Cannot save a file without a name or content");
    return false;
  }
  if (IsWriteProtected(path)) {
    WriteDbg("ERROR: Cannot save %s: the file is write-protected; it is left as it is", path.c_str());
    *status = eSaveWriteProtected;
    return false;
  }

  str const temporary = TemporaryPathFor(path);
  char const* step = "create";
  int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  bool ok = descriptor >= 0;
  if (ok) {
    step = "write";
    ok = WriteAll(descriptor, static_cast<unsigned char const*>(data), size);
    if (ok) {
      step = "sync";
      ok = fsync(descriptor) == 0;
    }
    int saved = errno;
    // Some file systems report a full disk only when the file is closed.
    if (close(descriptor) != 0 && ok) {
      step = "close";
      ok = false;
      saved = errno;
    }
    errno = saved;
  }
  if (ok) {
    step = "rename";
    ok = rename(temporary.c_str(), path.c_str()) == 0;
  }
  if (!ok) {
    int const reason = errno;
    unlink(temporary.c_str());
    WriteDbg("ERROR: Cannot save %s (%s failed: %s); the previous file is kept", path.c_str(), step,
             std::strerror(reason));
    *status = SaveStatusOfErrno(reason);
    return false;
  }
  if (!SyncFolder(FolderOf(path))) {
    WriteDbg("ERROR: Saved %s, but its folder could not be synced: %s", path.c_str(), std::strerror(errno));
  }
  *status = eSaveDone;
  return true;
}

bool SaveFileAtomically(str const& name, void const* data, unsigned long size, ESaveStatus* status)
{
  str const path = TFile::TranslateForWriting(name);
  if (path.length() == 0) {
    WriteDbg("ERROR: Cannot save %s: it names no file on disk", name.c_str());
    if (status)
      *status = eSaveFailed;
    return false;
  }
  return WriteFileAtomically(path, data, size, status);
}

namespace {

// Moves the file `from` to the first free name of path + ".corrupt", ".corrupt2" ...
// ".corrupt5"; an existing name is never replaced.
str MoveToFreeDamagedName(str const& from, str const& path)
{
  for (int number = 1; number <= kMaxDamagedCopies; ++number) {
    str const aside = number == 1 ? path + ".corrupt" : path + str::getFormatted(".corrupt%d", number);
    // An earlier copy may be all that is left of a player's data: never replaced.
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0)
      return aside;
    if (errno == EEXIST)
      continue;
    if (errno == EINVAL || errno == ENOSYS) {
      // A file system that cannot refuse to replace: look first.
      struct stat info;
      if (stat(aside.c_str(), &info) == 0)
        continue;
      if (rename(from.c_str(), aside.c_str()) == 0)
        return aside;
    }
    return str();
  }
  errno = EEXIST;
  return str();
}

} // namespace

str KeepDamagedCopy(str const& path)
{
  return MoveToFreeDamagedName(path, path);
}

str KeepDamagedBytes(str const& path, void const* data, unsigned long size)
{
  // Written whole under a name of its own first, so that a numbered name never holds half a copy.
  str const temporary = TemporaryPathFor(path);
  if (!WriteFileAtomically(temporary, data, size))
    return str();
  str const aside = MoveToFreeDamagedName(temporary, path);
  if (aside.length() == 0) {
    int const reason = errno;
    unlink(temporary.c_str());
    errno = reason;
  }
  return aside;
}

namespace {

// The pid in a name of TemporaryPathFor's making ("....tmp<pid>-<n>"), or -1.
long PidOfTemporaryName(char const* name)
{
  char const* tmp = std::strstr(name, ".tmp");
  if (!tmp)
    return -1;
  for (char const* next = std::strstr(tmp + 1, ".tmp"); next; next = std::strstr(next + 1, ".tmp"))
    tmp = next;
  long pid = 0;
  unsigned long counter = 0;
  int used = 0;
  if (tmp == name || std::sscanf(tmp, ".tmp%ld-%lu%n", &pid, &counter, &used) != 2 || tmp[used] != 0 ||
      !std::isdigit((unsigned char)tmp[4]) || pid <= 0)
    return -1;
  return pid;
}

// No save of this program takes this long: an older temporary file is left over whatever
// process now has its pid.
const time_t kStaleAfterSeconds = 600;

} // namespace

void RemoveStaleTemporaryFiles(str const& folder)
{
  DIR* listing = opendir(folder.c_str());
  if (!listing)
    return;
  time_t const now = time(nullptr);
  while (dirent* entry = readdir(listing)) {
    long const pid = PidOfTemporaryName(entry->d_name);
    if (pid < 0)
      continue;
    str const path = folder + "/" + entry->d_name;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
      continue;
    bool const running = pid != (long)getpid() && (kill((pid_t)pid, 0) == 0 || errno != ESRCH);
    if (running && now - info.st_mtime < kStaleAfterSeconds)
      continue;
    if (unlink(path.c_str()) == 0)
      WriteDbg("Removed %s, left by a save that was cut short; the saved file itself is whole", path.c_str());
  }
  closedir(listing);
}

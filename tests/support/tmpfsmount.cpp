// tmpfsmount: mounts a tmpfs with mount(2) after unshare(2) gives the calling thread its own
// mount namespace; the mount vanishes with the namespace whatever the test does.
#include "support/tmpfsmount.h"

#include "support/testfolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char kFiller[] = "/.filler";

// Once per thread: later mounts of the same test program go into the same private namespace.
bool EnterPrivateNamespace(std::string* why)
{
  static thread_local int state = 0; // 0 not tried, 1 entered, -1 refused
  static thread_local std::string refusal;
  if (state == 0) {
    if (unshare(CLONE_NEWNS) != 0) {
      refusal = std::string("cannot make a mount namespace: ") + std::strerror(errno);
      state = -1;
    } else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      // Without this a mount could propagate to the machine's own namespace.
      refusal = std::string("cannot make the mounts private: ") + std::strerror(errno);
      state = -1;
    } else {
      state = 1;
    }
  }
  if (state < 0 && why)
    *why = refusal;
  return state > 0;
}

} // namespace

bool TTmpfsMount::Mount(unsigned long bytes, std::string* why)
{
  if (!EnterPrivateNamespace(why))
    return false;
  mPath = MakeTestFolder("tmpfs");
  std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
  if (mount("qvtest", mPath.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
    if (why)
      *why = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    rmdir(mPath.c_str());
    mPath.clear();
    return false;
  }
  mBytes = bytes;
  mMounted = true;
  return true;
}

TTmpfsMount::~TTmpfsMount()
{
  if (mMounted)
    umount2(mPath.c_str(), MNT_DETACH);
  if (!mPath.empty())
    rmdir(mPath.c_str());
}

bool TTmpfsMount::Fill(unsigned long spare)
{
  std::string filler = mPath + kFiller;
  int descriptor = open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
  if (descriptor < 0)
    return false;
  std::vector<char> page(4096, 'x');
  while (write(descriptor, page.data(), page.size()) > 0) {
  }
  bool full = errno == ENOSPC;
  if (full && spare > 0) {
    struct stat info;
    fstat(descriptor, &info);
    unsigned long pages = (spare + page.size() - 1) / page.size();
    unsigned long size = (unsigned long)info.st_size;
    full = ftruncate(descriptor, size > pages * page.size() ? size - pages * page.size() : 0) == 0;
  }
  close(descriptor);
  return full;
}

void TTmpfsMount::Unfill()
{
  unlink((mPath + kFiller).c_str());
}

bool TTmpfsMount::SetReadOnly(bool readOnly)
{
  std::string options = "size=" + std::to_string(mBytes);
  unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
  return mount("qvtest", mPath.c_str(), "tmpfs", flags, options.c_str()) == 0;
}

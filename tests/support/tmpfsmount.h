// tmpfsmount: a small memory file system mounted for one test, in a mount namespace of the
// test's own thread, so a full disk or a read-only disk can be made on demand.
#pragma once

#include <string>

class TTmpfsMount
{
public:
  // Mounts `bytes` of tmpfs on a new folder below QV_HOME. Fails, with the reason in *why,
  // when this process may not mount (not root, or no mount namespaces): callers skip then.
  bool Mount(unsigned long bytes, std::string* why);
  // Unmounts and removes the folder; nothing is left mounted even if a test fails.
  ~TTmpfsMount();

  std::string const& Path() const { return mPath; }

  // Takes up every free byte with a filler file, or all but `spare` bytes (whole pages).
  bool Fill(unsigned long spare = 0);
  // Frees the space the filler took.
  void Unfill();
  // Remounts read-only (true) or read-write (false).
  bool SetReadOnly(bool readOnly);

private:
  std::string mPath;
  unsigned long mBytes = 0;
  bool mMounted = false;
};

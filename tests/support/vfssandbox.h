// vfssandbox: a throw-away resources folder (assets/, user/, common/, desktop/) that the
// virtual file system is pointed at for one test, and emptied again afterwards.
#pragma once

#include <string>

class TVfsSandbox
{
public:
  // Makes the folders, changes into the root and resets the file system's state.
  TVfsSandbox();
  // Changes back, forgets the resource map and removes the folders.
  ~TVfsSandbox();

  std::string const& Root() const { return mRoot; }
  std::string Path(std::string const& relative) const { return mRoot + "/" + relative; }

  // Writes a file below the root, creating the folders on the way.
  void WriteFile(std::string const& relative, std::string const& bytes) const;
  std::string ReadFile(std::string const& relative) const;
  bool FileExists(std::string const& relative) const;
  void MakeFolder(std::string const& relative) const;

private:
  TVfsSandbox(TVfsSandbox const&) = delete;
  TVfsSandbox& operator=(TVfsSandbox const&) = delete;

  std::string mRoot;
  std::string mPreviousDir;
};

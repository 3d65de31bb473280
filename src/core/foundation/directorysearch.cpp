// directorysearch: lists the entries of one folder on disk, one at a time;
// talks to the POSIX directory stream.
#include "core/foundation/directorysearch.h"

#include <dirent.h>
#include <string>
#include <sys/stat.h>

struct TDirectorySearch::TRecord
{
  DIR* stream;
  std::string path;
};

TDirectorySearch::TDirectorySearch(char const* path) : mRecord(nullptr)
{
  if (!path)
    return;
  DIR* stream = opendir(path[0] ? path : ".");
  if (!stream)
    return;
  mRecord = new TRecord{stream, path};
}

TDirectorySearch::~TDirectorySearch()
{
  if (mRecord) {
    closedir(mRecord->stream);
    delete mRecord;
  }
}

bool TDirectorySearch::GetNextFile(str* name, bool* isFolder, bool* isLink)
{
  while (mRecord) {
    struct dirent* entry = readdir(mRecord->stream);
    if (!entry) {
      closedir(mRecord->stream);
      delete mRecord;
      mRecord = nullptr;
      return false;
    }
    char const* entryName = entry->d_name;
    if (entryName[0] == '.' && (entryName[1] == 0 || (entryName[1] == '.' && entryName[2] == 0))) {
      continue;
    }
    bool folder = entry->d_type == DT_DIR;
    bool link = entry->d_type == DT_LNK;
    if (entry->d_type == DT_UNKNOWN || link) {
      // Some file systems leave the type out, and a link's type is that of its target.
      std::string full = mRecord->path + "/" + entryName;
      struct stat info;
      if (entry->d_type == DT_UNKNOWN && lstat(full.c_str(), &info) == 0) {
        link = S_ISLNK(info.st_mode);
        folder = S_ISDIR(info.st_mode);
      }
      if (link)
        folder = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    if (folder && !isFolder)
      continue;
    if (isFolder)
      *isFolder = folder;
    if (isLink)
      *isLink = link;
    if (name)
      *name = entryName;
    return true;
  }
  return false;
}

// directorysearch: lists the entries of one folder on disk, one at a time;
// used by the resource scan and the pack-archive loader.
#pragma once

#include "core/foundation/str.h"

class TDirectorySearch
{
public:
  // A folder that cannot be opened gives an exhausted search.
  explicit TDirectorySearch(char const* path);
  ~TDirectorySearch();

  bool IsOpen() const { return mRecord != nullptr; }

  // The next entry other than "." and "..". With `isFolder` null folders are
  // skipped; otherwise it tells whether the entry is a folder (a link to a folder
  // counts as one; `isLink` tells links apart). False at the end, and after it.
  bool GetNextFile(str* name, bool* isFolder, bool* isLink = nullptr);

private:
  TDirectorySearch(TDirectorySearch const&) = delete;
  TDirectorySearch& operator=(TDirectorySearch const&) = delete;

  struct TRecord;
  TRecord* mRecord;
};

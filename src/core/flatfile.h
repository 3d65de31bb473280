// flatfile: pack archives (".qvp"): loads their member tables into the resource map and
// reads one member in place; opened by TFile for locations "@index:offset,size".
#pragma once

#include "core/file.h"

#include <vector>

class TFlatFile : public TFileData {
public:
  TFlatFile();
  ~TFlatFile() override;

  // Loads the archives named in `folder` (their file names contain ".qvp"), in sorted
  // order, from the top level of the assets folder.
  static void InitFlatFiles(str folder, TResourceMap& resourceMap);
  // Loads one archive by virtual name. False (after an "ERROR: " line for a damaged
  // archive) when nothing was registered.
  static bool ReadFlatFile(TResourceMap& resourceMap, str archive);

  // Virtual names of the loaded archives; an archive's index is its position here.
  static std::vector<str> mFlatFiles;

  bool Open(str location, eFileMode mode) override;
  void Close() override;
  void Unget() override;
  void Seek(long offset, eFileSeek origin) override;
  unsigned long Size() override;
  long Tell() override;
  unsigned long Read(void* buffer, unsigned long count) override;
  unsigned long Write(void const* buffer, unsigned long count) override;
  bool AtEOF() override;

private:
  TFile mArchive;
  eFileMode mMode;
  unsigned long mOffset;
  unsigned long mSize;
  unsigned long mPosition;
  bool mAtEnd;  // raised by a read that asks for more than remains
};

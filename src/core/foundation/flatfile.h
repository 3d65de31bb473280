// flatfile: pack archives (".qvp"): loads their member tables into the resource map and
// reads one member in place; opened by TFile for locations "@index:offset,size".
#pragma once

#include "core/foundation/file.h"

#include <vector>

class TFlatFile : public TFileData
{
public:
  TFlatFile();
  ~TFlatFile() override;
  TFlatFile(TFlatFile const&) = delete;
  TFlatFile& operator=(TFlatFile const&) = delete;

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
  // Reads raw member bytes at the position, through the read-ahead buffer.
  unsigned long ReadRaw(unsigned char* target, unsigned long count);

  TFile mArchive;
  eFileMode mMode;
  unsigned long mOffset;
  unsigned long mSize;
  unsigned long mPosition;
  bool mAtEnd; // raised by a read that asks for more than remains

  // Small reads (bytes, lines) are served from here instead of the archive's stream.
  enum
  {
    kReadAhead = 4096
  };
  unsigned char* mBuffer;
  unsigned long mBufferStart; // member position of mBuffer[0]
  unsigned long mBufferLength;
  unsigned long mStreamPosition; // where the archive stream stands, from its start
};

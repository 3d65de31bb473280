// memoryfile: read-only files over blocks of memory registered under virtual names;
// opened by TFile for locations "&address,size".
#pragma once

#include "core/foundation/file.h"

class TMemoryFile : public TFileData
{
public:
  TMemoryFile();

  // Non-null data enters the name (lower-cased) with the block's location; null data
  // removes the name. The block is not copied.
  static void AddFile(TResourceMap& resourceMap, str name, void* data, unsigned size);

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
  unsigned char const* mData;
  unsigned long mPosition;
  unsigned long mSize;
  eFileMode mMode;
};

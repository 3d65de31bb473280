// memoryfile: read-only files over blocks of memory registered under virtual names;
// talks to the resource map of TFile.
#include "core/foundation/memoryfile.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

TMemoryFile::TMemoryFile() : mData(nullptr), mPosition(0), mSize(0), mMode(kFileRead) {}

void TMemoryFile::AddFile(TResourceMap& resourceMap, str name, void* data, unsigned size)
{
  // Keys are lower case, so removal must lower-case too or the entry would survive.
  name.downcase();
  if (!data) {
    resourceMap.erase(name);
    return;
  }
  resourceMap[name] = str::getFormatted("&%lu,%lu", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(data)),
                                        static_cast<unsigned long>(size));
}

bool TMemoryFile::Open(str location, eFileMode mode)
{
  Close();
  mMode = mode;
  if (mode > kFileReadText)
    return false;
  char const* text = location.c_str();
  if (text[0] != '&')
    return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long address = std::strtoull(text + 1, &end, 10);
  if (errno != 0 || address == 0 || address > UINTPTR_MAX || end == text + 1 || *end != ',') {
    return false;
  }
  char const* sizeText = end + 1;
  unsigned long long size = std::strtoull(sizeText, &end, 10);
  if (errno != 0 || end == sizeText || *end != 0 || size > 0xFFFFFFFFull)
    return false;
  mData = reinterpret_cast<unsigned char const*>(static_cast<uintptr_t>(address));
  mSize = static_cast<unsigned long>(size);
  mPosition = 0;
  return true;
}

void TMemoryFile::Close()
{
  mData = nullptr;
  mPosition = 0;
  mSize = 0;
}

void TMemoryFile::Unget()
{
  // Stepping back from the start would count as beyond the end and jump there.
  if (mPosition > 0)
    --mPosition;
}

void TMemoryFile::Seek(long offset, eFileSeek origin)
{
  long long target;
  switch (origin) {
  case kSeekStart:
    target = offset;
    break;
  case kSeekEnd:
    target = static_cast<long long>(mSize) + offset;
    break;
  case kSeekCurrent:
    target = static_cast<long long>(mPosition) + offset;
    break;
  default:
    return;
  }
  if (target < 0 || target > static_cast<long long>(mSize))
    target = static_cast<long long>(mSize);
  mPosition = static_cast<unsigned long>(target);
}

unsigned long TMemoryFile::Size()
{
  return mSize;
}

long TMemoryFile::Tell()
{
  return static_cast<long>(mPosition);
}

unsigned long TMemoryFile::Read(void* buffer, unsigned long count)
{
  if (!mData || !buffer)
    return 0;
  unsigned long remaining = mSize - mPosition;
  if (count > remaining)
    count = remaining;
  unsigned char const* source = mData + mPosition;
  if (mMode != kFileReadText) {
    std::memcpy(buffer, source, count);
    mPosition += count;
    return count;
  }
  unsigned char* target = static_cast<unsigned char*>(buffer);
  unsigned long stored = 0;
  unsigned long consumed = 0;
  while (stored < count && consumed < remaining) {
    unsigned char byte = source[consumed++];
    if (byte != 13)
      target[stored++] = byte;
  }
  mPosition += consumed;
  return stored;
}

unsigned long TMemoryFile::Write(void const*, unsigned long)
{
  return 0;
}

bool TMemoryFile::AtEOF()
{
  return mPosition == mSize;
}

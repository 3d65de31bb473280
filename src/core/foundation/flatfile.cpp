// flatfile: pack archives (".qvp"): loads their member tables into the resource map and
// reads one member in place; talks to TFile (the archive itself) and TDirectorySearch.
#include "core/foundation/flatfile.h"

#include "core/foundation/directorysearch.h"
#include "core/foundation/debug.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

std::vector<str> TFlatFile::mFlatFiles;

namespace {

uint32_t LittleEndian32(unsigned char const* bytes)
{
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

struct TPackEntry
{
  str name;
  uint32_t offset;
  uint32_t size;
};

// The smallest entry: a length byte, an empty name, offset and size.
const unsigned long kMinEntryBytes = 1 + 4 + 4;
const unsigned long kHeaderBytes = 8;

} // namespace

TFlatFile::TFlatFile()
    : mMode(kFileRead), mOffset(0), mSize(0), mPosition(0), mAtEnd(false), mBuffer(nullptr), mBufferStart(0),
      mBufferLength(0), mStreamPosition(0)
{}

TFlatFile::~TFlatFile()
{
  mArchive.Close();
  delete[] mBuffer;
}

void TFlatFile::InitFlatFiles(str folder, TResourceMap& resourceMap)
{
  std::vector<str> archives;
  TDirectorySearch search(folder.c_str());
  str name;
  while (search.GetNextFile(&name, nullptr)) {
    if (std::strstr(name.c_str(), ".qvp"))
      archives.push_back(name);
  }
  std::sort(archives.begin(), archives.end());
  for (size_t i = 0; i < archives.size(); ++i) {
    // Archives take effect from the top of the assets folder whatever folder listed them.
    ReadFlatFile(resourceMap, str("::assets/") + archives[i]);
  }
}

bool TFlatFile::ReadFlatFile(TResourceMap& resourceMap, str archive)
{
  TFile file;
  if (!file.Open(archive, kFileRead))
    return false;
  unsigned long fileSize = file.Size();
  unsigned char header[kHeaderBytes];
  if (file.Read(header, kHeaderBytes) != kHeaderBytes || std::memcmp(header, "QVPK", 4) != 0) {
    WriteDbg("ERROR: %s is not a pack archive", archive.c_str());
    return false;
  }
  int32_t count = static_cast<int32_t>(LittleEndian32(header + 4));
  // Every entry takes at least kMinEntryBytes, so a count the file cannot hold is
  // damage, not a reason to loop billions of times.
  if (count < 0 || static_cast<unsigned long>(count) > (fileSize - kHeaderBytes) / kMinEntryBytes) {
    WriteDbg("ERROR: Pack archive %s is damaged: %ld entries do not fit in %lu bytes", archive.c_str(),
             static_cast<long>(count), fileSize);
    return false;
  }

  std::vector<TPackEntry> entries;
  entries.reserve(static_cast<size_t>(count));
  unsigned long outOfRange = 0;
  for (int32_t i = 0; i < count; ++i) {
    unsigned char length = 0;
    char nameBytes[256];
    unsigned char fields[8];
    if (file.Read(&length, 1) != 1 || file.Read(nameBytes, length) != length || file.Read(fields, 8) != 8) {
      WriteDbg("ERROR: Pack archive %s is truncated in entry %ld of %ld", archive.c_str(), static_cast<long>(i),
               static_cast<long>(count));
      return false;
    }
    TPackEntry entry;
    entry.name = str(nameBytes, length);
    entry.offset = LittleEndian32(fields);
    entry.size = LittleEndian32(fields + 4);
    // A member whose data lies beyond the file, or whose name holds a zero byte, cannot
    // be served as written.
    if (length == 0 || std::memchr(nameBytes, 0, length) != nullptr ||
        static_cast<uint64_t>(entry.offset) + entry.size > fileSize) {
      ++outOfRange;
      continue;
    }
    entries.push_back(entry);
  }
  file.Close();
  if (outOfRange > 0) {
    WriteDbg("ERROR: Pack archive %s: %lu damaged entries skipped", archive.c_str(), outOfRange);
  }

  // A rescan reuses the archive's index, so indices stay valid and the list stays short.
  size_t index = std::find(mFlatFiles.begin(), mFlatFiles.end(), archive) - mFlatFiles.begin();
  if (index == mFlatFiles.size())
    mFlatFiles.push_back(archive);
  for (size_t i = 0; i < entries.size(); ++i) {
    str key = entries[i].name;
    key.downcase();
    resourceMap[key] = str::getFormatted("@%d:%ld,%ld", static_cast<int>(index), static_cast<long>(entries[i].offset),
                                         static_cast<long>(entries[i].size));
  }
  return true;
}

bool TFlatFile::Open(str location, eFileMode mode)
{
  Close();
  char const* text = location.c_str();
  if (text[0] != '@')
    return false;
  errno = 0;
  char* end = nullptr;
  long index = std::strtol(text + 1, &end, 10);
  if (errno != 0 || end == text + 1 || *end != ':' || index < 0 ||
      static_cast<unsigned long>(index) >= mFlatFiles.size()) {
    return false;
  }
  char const* offsetText = end + 1;
  long offset = std::strtol(offsetText, &end, 10);
  if (errno != 0 || end == offsetText || *end != ',' || offset < 0)
    return false;
  char const* sizeText = end + 1;
  long size = std::strtol(sizeText, &end, 10);
  if (errno != 0 || end == sizeText || *end != 0 || size < 0)
    return false;
  if (!mArchive.Open(mFlatFiles[static_cast<size_t>(index)], kFileRead))
    return false;
  mOffset = static_cast<unsigned long>(offset);
  mSize = static_cast<unsigned long>(size);
  mMode = mode;
  mAtEnd = false;
  mPosition = 0;
  mBufferLength = 0;
  mArchive.Seek(static_cast<long>(mOffset), kSeekStart);
  mStreamPosition = mOffset;
  return true;
}

void TFlatFile::Close()
{
  mSize = 0;
  mPosition = 0;
  mBufferLength = 0;
  mArchive.Close();
  mAtEnd = true;
}

void TFlatFile::Unget()
{
  // Only the position moves, so a seek in between cannot make the step back stale.
  if (mPosition == 0)
    return;
  --mPosition;
  mAtEnd = false;
}

void TFlatFile::Seek(long offset, eFileSeek origin)
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
    target = static_cast<long long>(mPosition);
    break;
  }
  if (target < 0 || target > static_cast<long long>(mSize)) {
    mPosition = mSize;
  } else {
    mPosition = static_cast<unsigned long>(target);
    mAtEnd = false;
  }
}

unsigned long TFlatFile::Size()
{
  return mSize;
}

long TFlatFile::Tell()
{
  return static_cast<long>(mPosition);
}

unsigned long TFlatFile::ReadRaw(unsigned char* target, unsigned long count)
{
  unsigned long delivered = 0;
  if (mPosition >= mBufferStart && mPosition < mBufferStart + mBufferLength) {
    delivered = std::min(count, mBufferStart + mBufferLength - mPosition);
    std::memcpy(target, mBuffer + (mPosition - mBufferStart), delivered);
    mPosition += delivered;
    if (delivered == count)
      return delivered;
  }
  unsigned long wanted = count - delivered;
  unsigned long streamTarget = mOffset + mPosition;
  if (mStreamPosition != streamTarget) {
    mArchive.Seek(static_cast<long>(streamTarget), kSeekStart);
    mStreamPosition = streamTarget;
  }
  unsigned long got;
  if (wanted >= kReadAhead) {
    got = mArchive.Read(target + delivered, wanted);
  } else {
    if (!mBuffer)
      mBuffer = new unsigned char[kReadAhead];
    unsigned long fill = std::min<unsigned long>(kReadAhead, mSize - mPosition);
    mBufferStart = mPosition;
    mBufferLength = mArchive.Read(mBuffer, fill);
    mStreamPosition += mBufferLength;
    got = std::min(wanted, mBufferLength);
    std::memcpy(target + delivered, mBuffer, got);
    mPosition += got;
    return delivered + got;
  }
  mStreamPosition += got;
  mPosition += got;
  return delivered + got;
}

unsigned long TFlatFile::Read(void* buffer, unsigned long count)
{
  if (!mArchive.IsOpen() || !buffer)
    return 0;
  unsigned long remaining = mSize - mPosition;
  if (count > remaining) {
    count = remaining;
    mAtEnd = true;
  }
  unsigned char* target = static_cast<unsigned char*>(buffer);
  if (mMode != kFileReadText) {
    unsigned long delivered = ReadRaw(target, count);
    // An archive cut short after loading must not hand out bytes it does not have.
    if (delivered < count)
      mAtEnd = true;
    return delivered;
  }
  // Text: read in chunks and squeeze out the carriage returns, until count bytes are
  // stored or the member ends.
  unsigned long stored = 0;
  while (stored < count && mPosition < mSize) {
    unsigned long want = std::min(count - stored, mSize - mPosition);
    unsigned long delivered = ReadRaw(target + stored, want);
    unsigned char* chunk = target + stored;
    unsigned long kept = 0;
    for (unsigned long i = 0; i < delivered; ++i) {
      if (chunk[i] != 13)
        chunk[kept++] = chunk[i];
    }
    stored += kept;
    if (delivered < want) {
      mAtEnd = true;
      break;
    }
  }
  return stored;
}

unsigned long TFlatFile::Write(void const*, unsigned long)
{
  return 0;
}

bool TFlatFile::AtEOF()
{
  return mAtEnd;
}

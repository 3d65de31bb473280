// sounddatasource: the decoded in-memory source and the extension factory; the factory asks
// the virtual file system which completed names exist.
#include "core/sound/sounddatasource.h"

#include <cstring>
#include <new>

#include "core/foundation/file.h"
#include "core/foundation/debug.h"

TMutex TLockSoundMutex::mMutex;
std::map<str, TSoundDataSourceBuilder*> TSoundDataSourceFactory::mBuilderMap;

TMemDataSource::TMemDataSource(boost::shared_ptr<TSoundDataSource> source)
{
  if (!source) {
    return;
  }
  mChannels = source->GetChannels();
  mRate = source->GetBitRate();
  mSeconds = source->GetSeconds();
  int64_t rawLength = source->GetRawLength();
  if (rawLength <= 0) {
    return;
  }
  uint32_t wanted = static_cast<uint32_t>(rawLength);
  mData = new (std::nothrow) uint8_t[wanted];
  if (!mData) {
    WriteDbg("ERROR: no memory for %u bytes of decoded sound", wanted);
    return;
  }
  uint32_t got = source->Read(mData, 0, wanted);
  if (got > wanted) {
    got = wanted;
  }
  // A damaged file decodes short; playing the unfilled tail would be noise, so the copy
  // ends where the decoded data ends (on a whole frame).
  int frameBytes = mChannels > 0 ? 2 * mChannels : 2;
  mSize = got - got % frameBytes;
  if (mSize < wanted) {
    if (mRate > 0 && mChannels > 0) {
      mSeconds = static_cast<double>(mSize) / (static_cast<double>(mRate) * frameBytes);
    }
  }
}

TMemDataSource::~TMemDataSource()
{
  delete[] mData;
}

unsigned int TMemDataSource::Read(void* buffer, unsigned int offset, unsigned int count)
{
  TSoundScopedLock lock(TLockSoundMutex::mMutex);
  if (!mData || offset >= mSize || count == 0) {
    return 0;
  }
  uint32_t available = mSize - offset;
  uint32_t copied = count < available ? count : available;
  std::memcpy(buffer, mData + offset, copied);
  return copied;
}

void TSoundDataSourceFactory::Register(str extension, TSoundDataSourceBuilder* builder)
{
  mBuilderMap[extension] = builder;
}

boost::shared_ptr<TSoundDataSource> TSoundDataSourceFactory::Create(str name, bool fromFile)
{
  unsigned dot = name.find('.', str::kBackward, 0);
  if (dot != str::npos) {
    str extension = name.substr(dot + 1, -1);
    auto found = mBuilderMap.find(extension);
    if (found != mBuilderMap.end() && found->second) {
      return found->second->Create(name, fromFile);
    }
  }
  // No or an unknown extension: the first registered kind whose completed name exists.
  for (auto& entry : mBuilderMap) {
    if (!entry.second) {
      continue;
    }
    if (TFile::Exists(name + "." + entry.first)) {
      return entry.second->Create(name, fromFile);
    }
  }
  return boost::shared_ptr<TSoundDataSource>();
}

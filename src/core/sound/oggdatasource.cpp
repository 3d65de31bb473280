// oggdatasource: decodes Ogg Vorbis through vorbisfile, reading the compressed bytes through
// the virtual file system (qv_ functions) or from a memory image; reads under TLockSoundMutex.
#define OV_EXCLUDE_STATIC_CALLBACKS
#include "core/sound/oggdatasource.h"

#include <cstdio>
#include <cstring>
#include <new>

#include <vorbis/vorbisfile.h>

#include "core/foundation/config.h"
#include "core/foundation/file.h"
#include "core/foundation/debug.h"

namespace {

// vorbisfile can hand back OV_HOLE several times over a damaged stretch; past this many in a
// row the rest of the data is treated as missing.
const int kMaxHolesInARow = 64;
// Memory mode copies the whole compressed file; anything larger is not a game sound.
const long kMaxOggFileBytes = 256L * 1024 * 1024;
const int kMaxSampleRate = 384000;

TOggDataSourceBuilder gOggBuilder;

} // namespace

size_t qv_read_func(void* ptr, size_t size, size_t nmemb, void* file)
{
  if (size == 0 || nmemb == 0) {
    return 0;
  }
  TFile* handle = static_cast<TFile*>(file);
  unsigned long got = qv_read(handle, ptr, size * nmemb);
  size_t whole = got / size;
  size_t partial = got % size;
  if (partial != 0) {
    // The partial element is read again by the next call.
    qv_seek(handle, -static_cast<long>(partial), 0);
  }
  return whole;
}

int qv_seek_func(void* file, int64_t offset, int whence)
{
  int origin = 1;
  if (whence == SEEK_CUR) {
    origin = 0;
  } else if (whence == SEEK_END) {
    origin = 2;
  }
  qv_seek(static_cast<TFile*>(file), static_cast<long>(offset), origin);
  return 0;
}

long qv_tell_func(void* file)
{
  return qv_tell(static_cast<TFile*>(file));
}

int qv_close_func(void* file)
{
  qv_close(static_cast<TFile*>(file));
  return 0;
}

size_t TOggMem::ogg_mem_read(void* ptr, size_t size, size_t nmemb, void* mem)
{
  TOggMem* image = static_cast<TOggMem*>(mem);
  int64_t wanted = static_cast<int64_t>(size) * static_cast<int64_t>(nmemb);
  int64_t left = static_cast<int64_t>(image->mSize) - image->mPosition;
  if (wanted > left) {
    wanted = left;
  }
  if (wanted <= 0) {
    return 0;
  }
  std::memcpy(ptr, image->mData + image->mPosition, static_cast<size_t>(wanted));
  image->mPosition += static_cast<int32_t>(wanted);
  return static_cast<size_t>(wanted);
}

int TOggMem::ogg_mem_seek(void* mem, int64_t offset, int whence)
{
  TOggMem* image = static_cast<TOggMem*>(mem);
  int64_t target;
  switch (whence) {
  case 0:
    target = offset;
    break;
  case 1:
    target = image->mPosition + offset;
    break;
  case 2:
    target = image->mSize + offset;
    break;
  default:
    return -1;
  }
  if (target < 0) {
    target = 0;
  }
  if (target > image->mSize) {
    target = image->mSize;
  }
  image->mPosition = static_cast<int32_t>(target);
  return 0;
}

long TOggMem::ogg_mem_tell(void* mem)
{
  return static_cast<TOggMem*>(mem)->mPosition;
}

int TOggMem::ogg_mem_close(void* mem)
{
  TOggMem* image = static_cast<TOggMem*>(mem);
  delete[] image->mData;
  delete image;
  return 0;
}

TOggDataSource::~TOggDataSource()
{
  if (mState) {
    ov_clear(mState);
    delete mState;
  }
}

bool TOggDataSource::InitFromFile(str name, bool fromFile)
{
  if (mState) {
    ov_clear(mState);
    delete mState;
  }
  mState = new OggVorbis_File;
  std::memset(mState, 0, sizeof(OggVorbis_File));

  TFile* file = qv_open(name.c_str(), 0);
  if (!file) {
    file = qv_open((name + ".ogg").c_str(), 0);
  }
  if (!file) {
    delete mState;
    mState = nullptr;
    return false;
  }

  // On failure vorbisfile leaves the data source to us, so each branch frees its own.
  if (fromFile) {
    ov_callbacks callbacks = {qv_read_func, qv_seek_func, qv_close_func, qv_tell_func};
    if (ov_open_callbacks(file, mState, nullptr, 0, callbacks) < 0) {
      WriteDbg("ERROR: OGG file could not be opened: %s", name.c_str());
      delete mState;
      mState = nullptr;
      qv_close(file);
      return false;
    }
  } else {
    qv_seek(file, 0, 2);
    long size = qv_tell(file);
    qv_seek(file, 0, 1);
    uint8_t* data = nullptr;
    if (size > 0 && size <= kMaxOggFileBytes) {
      data = new (std::nothrow) uint8_t[size];
    }
    bool complete = data && qv_read(file, data, static_cast<unsigned long>(size)) == static_cast<unsigned long>(size);
    qv_close(file);
    TOggMem* image = complete ? new TOggMem : nullptr;
    if (image) {
      image->mData = data;
      image->mSize = static_cast<int32_t>(size);
    }
    ov_callbacks callbacks = {TOggMem::ogg_mem_read, TOggMem::ogg_mem_seek, TOggMem::ogg_mem_close,
                              TOggMem::ogg_mem_tell};
    if (!image || ov_open_callbacks(image, mState, nullptr, 0, callbacks) < 0) {
      WriteDbg("ERROR: OGG file could not be opened: %s", name.c_str());
      delete mState;
      mState = nullptr;
      delete[] data;
      delete image;
      return false;
    }
  }

  vorbis_info* info = ov_info(mState, -1);
  ogg_int64_t frames = ov_pcm_total(mState, -1);
  bool usable = info && info->channels >= 1 && info->channels <= 2 && info->rate > 0 && info->rate <= kMaxSampleRate &&
                frames >= 0;
  // Chained files: every link must decode to the same format, or byte offsets and the
  // voice's buffer format would not match what ov_read delivers.
  long links = ov_streams(mState);
  for (long link = 0; usable && link < links; ++link) {
    vorbis_info* linkInfo = ov_info(mState, static_cast<int>(link));
    usable = linkInfo && linkInfo->channels == info->channels && linkInfo->rate == info->rate;
  }
  if (!usable) {
    WriteDbg("ERROR: OGG file not supported (needs one or two channels, one format): %s", name.c_str());
    ov_clear(mState);
    delete mState;
    mState = nullptr;
    return false;
  }
  mName = name;
  mDamageReported = false;
  mRate = static_cast<int>(info->rate);
  mChannels = info->channels;
  mSeconds = ov_time_total(mState, -1);
  mRawLength = static_cast<int64_t>(frames) * mChannels * 2;
  ov_pcm_seek(mState, 0);
  mPosition = 0;
  return true;
}

bool TOggDataSource::SeekTo(unsigned int offset)
{
  mPosition = offset;
  mCarryStart = mCarryLength = 0;
  if (static_cast<int64_t>(offset) >= mRawLength) {
    return false;
  }
  unsigned frameBytes = 2u * static_cast<unsigned>(mChannels);
  if (ov_pcm_seek(mState, offset / frameBytes) != 0) {
    return false;
  }
  // The decoder lands on the frame that holds the offset; its leading bytes are skipped.
  unsigned remainder = offset % frameBytes;
  if (remainder > 0 && DecodeFrameIntoCarry()) {
    mCarryStart = remainder < mCarryLength ? remainder : mCarryLength;
  }
  return true;
}

bool TOggDataSource::DecodeFrameIntoCarry()
{
  int frameBytes = 2 * mChannels;
  int bitstream = 0;
  int holes = 0;
  mCarryStart = mCarryLength = 0;
  for (;;) {
    long result = ov_read(mState, mCarry, frameBytes, 0, 2, 1, &bitstream);
    if (result == OV_HOLE && ++holes <= kMaxHolesInARow) {
      continue;
    }
    if (result <= 0) {
      return false;
    }
    mCarryLength = static_cast<unsigned>(result);
    return true;
  }
}

unsigned int TOggDataSource::Read(void* buffer, unsigned int offset, unsigned int count)
{
  TSoundScopedLock lock(TLockSoundMutex::mMutex);
  if (!mState) {
    return 0;
  }
  if (offset != mPosition) {
    SeekTo(offset);
  }
  if (count == 0 || static_cast<int64_t>(mPosition) >= mRawLength) {
    return 0;
  }
  // A damaged stream can decode more than its stated length; the length is what callers
  // size their buffers and loops by.
  if (static_cast<int64_t>(mPosition) + count > mRawLength) {
    count = static_cast<unsigned int>(mRawLength - mPosition);
  }
  char* out = static_cast<char*>(buffer);
  unsigned int frameBytes = 2u * static_cast<unsigned>(mChannels);
  unsigned int got = 0;
  int holes = 0;
  int bitstream = 0;
  while (got < count) {
    if (mCarryStart < mCarryLength) {
      unsigned int take = mCarryLength - mCarryStart;
      if (take > count - got) {
        take = count - got;
      }
      std::memcpy(out + got, mCarry + mCarryStart, take);
      mCarryStart += take;
      got += take;
      continue;
    }
    unsigned int wanted = count - got;
    if (wanted < frameBytes) {
      if (!DecodeFrameIntoCarry()) {
        break;
      }
      continue;
    }
    if (wanted > (1u << 20)) {
      wanted = 1u << 20;
    }
    wanted -= wanted % frameBytes;
    long result = ov_read(mState, out + got, static_cast<int>(wanted), 0, 2, 1, &bitstream);
    if (result == OV_HOLE) {
      // A lost page: the decoder resumes after it.
      ReportDamage(mPosition + got);
      if (++holes > kMaxHolesInARow) {
        break;
      }
      continue;
    }
    if (result <= 0) {
      // The stated length is not reached: the rest of the file is damaged or missing.
      ReportDamage(mPosition + got);
      break;
    }
    holes = 0;
    got += static_cast<unsigned int>(result);
  }
  mPosition += got;
  return got;
}

void TOggDataSource::ReportDamage(unsigned int offset)
{
  if (mDamageReported) {
    return;
  }
  mDamageReported = true;
  WriteDbg("ERROR: OGG file %s is damaged: its sound breaks off or skips at byte %u of %lld", mName.c_str(), offset,
           static_cast<long long>(mRawLength));
}

void TOggDataSource::Register()
{
  TSoundDataSourceFactory::Register("ogg", &gOggBuilder);
}

boost::shared_ptr<TSoundDataSource> TOggDataSourceBuilder::Create(str name, bool fromFile)
{
  boost::shared_ptr<TOggDataSource> ogg(new TOggDataSource);
  if (!ogg->InitFromFile(name, fromFile)) {
    return boost::shared_ptr<TSoundDataSource>();
  }
  if (fromFile) {
    return ogg;
  }
  bool convert = ogg->GetSeconds() < 2.0;
  if (!convert) {
    convert = TConfig::Get(TConfig::kKeepOGGUncompressed, "").to_int() != 0;
  }
  if (convert) {
    return boost::shared_ptr<TSoundDataSource>(new TMemDataSource(ogg));
  }
  return ogg;
}

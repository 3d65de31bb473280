// oggdatasource: Ogg Vorbis sound data decoded with vorbisfile, either from an open file of
// the virtual file system or from a memory image of the whole file; its factory builder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/sound/sounddatasource.h"

struct OggVorbis_File;
class TFile;

class TOggDataSource : public TSoundDataSource
{
public:
  TOggDataSource() {}
  ~TOggDataSource() override;

  unsigned int Read(void* buffer, unsigned int offset, unsigned int count) override;
  int64_t GetRawLength() override { return mRawLength; }
  int GetBitRate() override { return mRate; }
  int GetChannels() override { return mChannels; }
  double GetSeconds() override { return mSeconds; }

  // True when the name (or the name with ".ogg") opened and holds usable Vorbis data.
  virtual bool InitFromFile(str name, bool fromFile);

  // Enters "ogg" in the data-source factory; once, at platform start-up.
  static void Register();

private:
  TOggDataSource(const TOggDataSource&) = delete;
  TOggDataSource& operator=(const TOggDataSource&) = delete;

  bool SeekTo(unsigned int offset);
  // Decodes one frame into the carry (ov_read delivers whole frames only).
  bool DecodeFrameIntoCarry();
  // Says once, naming the file, that its data is damaged from the given byte on.
  void ReportDamage(unsigned int offset);

  int mRate = 0;
  int mChannels = 0;
  double mSeconds = 0.0;
  int64_t mRawLength = 0;
  OggVorbis_File* mState = nullptr;
  uint32_t mPosition = 0;
  // Bytes of a decoded frame not yet delivered (a read that ended inside a frame).
  char mCarry[4] = {};
  unsigned mCarryStart = 0;
  unsigned mCarryLength = 0;
  str mName;
  bool mDamageReported = false;
};

// The whole compressed file in memory, read by the decoder through the callbacks below.
class TOggMem
{
public:
  uint8_t* mData = nullptr;
  int32_t mSize = 0;
  int32_t mPosition = 0;

  static size_t ogg_mem_read(void* ptr, size_t size, size_t nmemb, void* mem);
  static int ogg_mem_seek(void* mem, int64_t offset, int whence);
  static long ogg_mem_tell(void* mem);
  static int ogg_mem_close(void* mem);
};

class TOggDataSourceBuilder : public TSoundDataSourceBuilder
{
public:
  boost::shared_ptr<TSoundDataSource> Create(str name, bool fromFile) override;
};

// Decoder callbacks over an open TFile (file mode).
size_t qv_read_func(void* ptr, size_t size, size_t nmemb, void* file);
int qv_seek_func(void* file, int64_t offset, int whence);
int qv_close_func(void* file);
long qv_tell_func(void* file);

// sounddatasource: where a sound's 16-bit PCM comes from (decoded file, decoded memory copy),
// and the factory that picks a source kind by file extension; read by the stream spoolers.
#pragma once

#include <cstdint>
#include <map>

#include <boost/shared_ptr.hpp>

#include "core/foundation/str.h"
#include "core/foundation/thread.h"

// Serialises every read of sound data: the sound thread refills while the main thread
// starts streams and builds memory copies.
class TLockSoundMutex
{
public:
  static TMutex mMutex;
};

// Holds a TMutex for the lifetime of a scope (the mutexes are recursive).
class TSoundScopedLock
{
public:
  explicit TSoundScopedLock(TMutex& mutex) : mMutex(mutex) { mMutex.Lock(0); }
  ~TSoundScopedLock() { mMutex.Unlock(); }

private:
  TSoundScopedLock(const TSoundScopedLock&) = delete;
  TSoundScopedLock& operator=(const TSoundScopedLock&) = delete;
  TMutex& mMutex;
};

// Signed 16-bit little-endian PCM, channels interleaved; offsets and lengths in bytes.
class TSoundDataSource
{
public:
  virtual ~TSoundDataSource() {}
  // Copies up to count bytes from byte offset into buffer; the number copied (0 at the end).
  virtual unsigned int Read(void* buffer, unsigned int offset, unsigned int count) = 0;
  virtual int64_t GetRawLength() = 0;
  // The sample rate in Hz.
  virtual int GetBitRate() = 0;
  virtual int GetChannels() = 0;
  virtual double GetSeconds() = 0;
};

// A complete decoded copy of another source, read by plain copies.
class TMemDataSource : public TSoundDataSource
{
public:
  explicit TMemDataSource(boost::shared_ptr<TSoundDataSource> source);
  ~TMemDataSource() override;

  unsigned int Read(void* buffer, unsigned int offset, unsigned int count) override;
  int64_t GetRawLength() override { return mSize; }
  int GetBitRate() override { return mRate; }
  int GetChannels() override { return mChannels; }
  double GetSeconds() override { return mSeconds; }

private:
  TMemDataSource(const TMemDataSource&) = delete;
  TMemDataSource& operator=(const TMemDataSource&) = delete;

  uint8_t* mData = nullptr;
  uint32_t mSize = 0;
  int mChannels = 0;
  int mRate = 0;
  double mSeconds = 0.0;
};

class TSoundDataSourceBuilder
{
public:
  virtual ~TSoundDataSourceBuilder() {}
  // fromFile: decode from the file while playing; false keeps the sound in memory.
  virtual boost::shared_ptr<TSoundDataSource> Create(str name, bool fromFile) = 0;
};

class TSoundDataSourceFactory
{
public:
  // Maps a case-sensitive extension (no dot) to a builder, replacing an earlier one.
  static void Register(str extension, TSoundDataSourceBuilder* builder);
  // By the name's extension, else by probing name + "." + each registered extension;
  // empty when nothing matches.
  static boost::shared_ptr<TSoundDataSource> Create(str name, bool fromFile);

  // Builders are not owned; filled at start-up, read without a lock.
  static std::map<str, TSoundDataSourceBuilder*> mBuilderMap;
};

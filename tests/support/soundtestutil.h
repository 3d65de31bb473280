// soundtestutil: fixtures, fakes and waits shared by the sound tests: the generated Ogg
// files, a byte-pattern data source, a sandboxed asset folder and a notification pump.
#pragma once

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "buildpaths.h"
#include "core/foundation/file.h"
#include "core/sound/sounddatasource.h"
#include "platform/sound/soundinstance.h"
#include "platform/sound/sound.h"
#include "platform/sound/soundmanager.h"
#include "support/vfssandbox.h"

#include <cstdlib>

// OpenAL's null output unless the environment chose a driver (read at the first device
// open, so a test that wants another output sets it before opening one).
inline const bool gSoundTestsUseNullDriver = (setenv("ALSOFT_DRIVERS", "null", 0), true);

// Counts the sounds reported complete.
class TCountingCallBack : public TSoundCallBack
{
public:
  void OnComplete(boost::shared_ptr<TSoundInstance>, boost::shared_ptr<TSound>) override { ++mCalls; }
  int mCalls = 0;
};

inline std::string SoundFixture(const std::string& name)
{
  return std::string(QV_SOUND_FIXTURE_DIR) + "/" + name;
}

inline std::string ReadBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Byte i of the source is (i % 251): reads can be checked byte by byte.
class TPatternSource : public TSoundDataSource
{
public:
  explicit TPatternSource(uint32_t size, int channels = 1, int rate = 44100)
      : mSize(size), mChannels(channels), mRate(rate)
  {}
  unsigned int Read(void* buffer, unsigned int offset, unsigned int count) override
  {
    ++mReads;
    if (offset >= mSize) {
      return 0;
    }
    unsigned int copied = count < mSize - offset ? count : mSize - offset;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    for (unsigned int i = 0; i < copied; ++i) {
      out[i] = static_cast<uint8_t>((offset + i) % 251);
    }
    return copied;
  }
  int64_t GetRawLength() override { return mSize; }
  int GetBitRate() override { return mRate; }
  int GetChannels() override { return mChannels; }
  double GetSeconds() override { return mSize / (2.0 * mChannels * mRate); }

  uint32_t mSize;
  int mChannels;
  int mRate;
  int mReads = 0;
};

// A resources folder whose assets/audio/ holds copies of the named fixtures.
class TSoundAssets
{
public:
  explicit TSoundAssets(const std::vector<std::string>& fixtures)
  {
    for (const std::string& name : fixtures) {
      mSandbox.WriteFile("assets/audio/" + name, ReadBytes(SoundFixture(name)));
    }
    TFile::ScanForResources();
  }
  void Add(const std::string& relative, const std::string& bytes)
  {
    mSandbox.WriteFile("assets/" + relative, bytes);
    TFile::ScanForResources();
  }

  TVfsSandbox mSandbox;
};

// Polls the condition every 2 ms until it holds or the time is up; true when it held.
inline bool WaitUntil(const std::function<bool()>& done, double seconds)
{
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// Delivers notifications on this (the main) thread until the condition holds or the time
// is up; true when it held.
inline bool PumpUntil(TSoundManager& manager, const std::function<bool()>& done, double seconds)
{
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) {
      return false;
    }
    manager.HandleNotifications();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// True once the instance no longer has a stream; read under the sound lock, because the sound
// thread moves a chained sound onto the stream while the main thread asks.
inline bool HasPlayedOut(const boost::shared_ptr<TSoundInstance>& instance)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  return !instance->mStream;
}

// soundstream: plays one sound by spooling its data source into an OpenAL voice;
// loops, pauses, chains a next sound and reports its end to the sound manager.
#pragma once

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "core/sound/sounddatasource.h"

class TPlatform;
class TSoundInstance;
class TSoundStream;
class TSoundStreamData;

// Told when a stream stops playing a sound (implemented by the sound asset's data).
class TStreamNotify
{
public:
  virtual ~TStreamNotify() {}
  virtual void StreamFinished(TSoundStream* stream) = 0;
};

// A byte cursor over one data source.
class TStreamSpooler
{
public:
  explicit TStreamSpooler(boost::shared_ptr<TSoundDataSource> source) : mSource(source) {}
  virtual ~TStreamSpooler() {}

  // Fills size bytes (zeros past the data); written gets the bytes that came from the
  // source. False when the data ended and loop is false.
  virtual bool StreamToBuffer(int size, void* buffer, unsigned int* written, bool loop);
  // Only 0 is used; other times map to the frame at that time.
  virtual void SetPosition(float seconds);
  virtual float GetLength();
  virtual void Destroy() { delete this; }
  virtual void Reset() { SetPosition(0.0f); }

  boost::shared_ptr<TSoundDataSource> GetSource() const { return mSource; }
  uint32_t GetPosition() const { return mPosition; }

private:
  boost::shared_ptr<TSoundDataSource> mSource;
  uint32_t mPosition = 0;
};

class TSoundStream : public boost::enable_shared_from_this<TSoundStream>
{
public:
  // The stream keeps no use for the platform: callers pass null.
  TSoundStream(TPlatform* platform, TStreamSpooler* spooler, bool loop, int type,
               boost::shared_ptr<TStreamNotify> notify);
  virtual ~TSoundStream();

  // Readies the voice and registers with the sound manager; false while the manager is not
  // running or OpenAL has no buffers or sources left.
  bool Init(int rate, int channels, int bits, float seconds);
  void Play(bool flag);
  void Pause(bool pause);
  void SystemPause(bool pause);
  void SetVolume(float volume);
  // Stops and hands the stream to the manager: removed at once, or released by the main
  // thread's next notification pass when delayed.
  void Kill(bool delayed);
  bool SetNextStreamInfo(boost::shared_ptr<TStreamNotify> notify, TStreamSpooler* spooler);
  // One refill step (switching to a queued sound at the end of data); true while sounding.
  bool Stream(bool unused);
  void AdvanceStream();
  bool StreamComplete();

  bool GetLoop() const { return mLoop; }
  int GetType() const { return mType; }
  bool IsPaused() const { return mPaused; }
  bool IsSystemPaused() const { return mSystemPaused; }
  TSoundStreamData* GetVoice() const { return mVoice; }

  // Targets, read and cleared by the manager and the sound data under the manager's mutex.
  boost::weak_ptr<TStreamNotify> mNotify;
  boost::weak_ptr<TStreamNotify> mNextNotify;
  boost::weak_ptr<TStreamNotify> mPreviousNotify;
  boost::weak_ptr<TSoundInstance> mInstance;

private:
  TSoundStream(const TSoundStream&) = delete;
  TSoundStream& operator=(const TSoundStream&) = delete;

  static float ClampVolume(float volume);

  TPlatform* mPlatform;
  TStreamSpooler* mSpooler;
  TStreamSpooler* mNextSpooler = nullptr;
  TSoundStreamData* mVoice = nullptr;
  bool mPlayFlag = false;
  int mType;
  bool mLoop;
  bool mPaused = false;
  bool mSystemPaused = false;
};

// soundstreamdata: the OpenAL side of sound: opening the output device, and the voice of one
// stream (a source fed by two queued buffers refilled from the stream's spooler).
#pragma once

#include <cstdint>

class TStreamSpooler;

// The process's output device and its one current context.
class TSoundDevice
{
public:
  // Opens the default device unless a context is current already; false (after one log
  // line) when there is none. openedHere tells whether the caller must Close it.
  static bool Open(bool* openedHere);
  // Closes the device of the current context, if any.
  static void Close();
  static bool IsOpen();
};

class TSoundStreamData
{
public:
  // OpenAL names absent.
  static constexpr unsigned kNoName = 0xFFFFFFFFu;
  // Size of one queued block (the transfer buffer).
  static constexpr int kBlockBytes = 65536;

  TSoundStreamData() {}
  ~TSoundStreamData();

  // Makes the two buffers and the source; rate, channels, bits and seconds are not used
  // (each refill reads the format from the spooler's source).
  bool Init(int rate, int channels, int bits, float seconds, TStreamSpooler* spooler, bool loop);
  // A new source at the listener; kNoName when OpenAL has none left.
  unsigned GetAudioSource();
  // Switches to the next sound's spooler; the blocks still queued play on.
  void SetStreamSpooler(TStreamSpooler* spooler);
  // Rewinds the spooler, fills both buffers and starts the source.
  void Play(bool flag);
  // One refill step unless stopped or paused; true while still sounding.
  bool Stream();
  bool StreamHelper();
  void Pause();
  void Resume();
  void SetVolume(float gain);
  // Frees the source and buffers; a second call does nothing.
  void Destroy();

  bool IsPlaying() const { return mPlaying; }
  bool IsPaused() const { return mPaused; }
  bool IsFinished() const { return mFinished; }
  bool IsEndOfData() const { return mEndOfData; }
  bool HasSource() const { return mSource != kNoName; }
  // The last gain given to SetVolume.
  float GetGain() const { return mGain; }
  // Bytes and blocks queued since Init, for diagnostics.
  uint64_t GetQueuedBytes() const { return mQueuedBytes; }
  unsigned GetQueuedBlocks() const { return mQueuedBlocks; }
  // Times a stopped source (an underrun) was started again.
  unsigned GetRestarts() const { return mRestarts; }
  // True when the source has played everything queued and stopped while the voice still
  // plays: an underrun, until the next refill starts it again.
  bool HasRunDry() const;

private:
  TSoundStreamData(const TSoundStreamData&) = delete;
  TSoundStreamData& operator=(const TSoundStreamData&) = delete;

  bool mLoop = false;
  bool mPlaying = false;
  bool mFinished = false;
  bool mEndOfData = false;
  bool mPaused = false;
  TStreamSpooler* mSpooler = nullptr;
  int mBufferFree[2] = {1, 1};
  unsigned mBuffers[2] = {kNoName, kNoName};
  unsigned mSource = kNoName;
  float mGain = 1.0f;
  uint64_t mQueuedBytes = 0;
  unsigned mQueuedBlocks = 0;
  unsigned mRestarts = 0;
};

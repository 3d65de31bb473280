// soundstreamdata: every OpenAL call of the engine: the device and context, and the voices
// that the sound streams refill on the sound thread; errors go to stderr and stop nothing.
#include "platform/sound/soundstreamdata.h"

#include <cstdio>

#include <AL/al.h>
#include <AL/alc.h>

#include "core/sound/sounddatasource.h"
#include "core/foundation/debug.h"
#include "platform/sound/soundmanager.h"
#include "platform/sound/soundstream.h"

namespace {

// One transfer buffer for all voices: refills run one at a time under the manager's mutex,
// and alBufferData copies the bytes out.
uint8_t sOpenALBuffer[TSoundStreamData::kBlockBytes];

uint8_t* GetStreamBuffer()
{
  return sOpenALBuffer;
}

int GetStreamBufferSize()
{
  return TSoundStreamData::kBlockBytes;
}

// True when an error was pending (and reported).
bool CheckError()
{
  ALenum error = alGetError();
  if (error == AL_NO_ERROR) {
    return false;
  }
  fprintf(stderr, "An OpenAL error was raised : 0x%08x\n", static_cast<unsigned>(error));
  return true;
}

} // namespace

bool TSoundDevice::Open(bool* openedHere)
{
  *openedHere = false;
  if (alcGetCurrentContext()) {
    return true;
  }
  ALCdevice* device = alcOpenDevice(nullptr);
  ALCcontext* context = device ? alcCreateContext(device, nullptr) : nullptr;
  if (context && alcMakeContextCurrent(context)) {
    alGetError();
    *openedHere = true;
    return true;
  }
  if (context) {
    alcDestroyContext(context);
  }
  if (device) {
    alcCloseDevice(device);
  }
  WriteDbg("No sound output device could be opened; the game runs without sound.");
  return false;
}

void TSoundDevice::Close()
{
  ALCcontext* context = alcGetCurrentContext();
  if (!context) {
    return;
  }
  ALCdevice* device = alcGetContextsDevice(context);
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(context);
  if (device) {
    alcCloseDevice(device);
  }
}

bool TSoundDevice::IsOpen()
{
  return alcGetCurrentContext() != nullptr;
}

TSoundStreamData::~TSoundStreamData()
{
  Destroy();
}

bool TSoundStreamData::Init(int rate, int channels, int bits, float seconds, TStreamSpooler* spooler, bool loop)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  mLoop = loop;
  mSpooler = spooler;
  // Without a device every call would fail; the game stays silent instead of noisy.
  if (!TSoundDevice::IsOpen()) {
    return false;
  }
  if (mBuffers[0] != kNoName || mSource != kNoName) {
    Destroy();
  }
  alGetError();
  ALuint names[2] = {0, 0};
  alGenBuffers(2, names);
  if (CheckError()) {
    mBuffers[0] = mBuffers[1] = kNoName;
    return false;
  }
  mBuffers[0] = names[0];
  mBuffers[1] = names[1];
  mSource = GetAudioSource();
  if (mSource == kNoName) {
    // OpenAL has a fixed number of sources; the stream stays silent and unregistered.
    alDeleteBuffers(2, names);
    CheckError();
    mBuffers[0] = mBuffers[1] = kNoName;
    return false;
  }
  mBufferFree[0] = mBufferFree[1] = 1;
  return true;
}

unsigned TSoundStreamData::GetAudioSource()
{
  alGetError();
  ALuint source = 0;
  alGenSources(1, &source);
  if (CheckError()) {
    return kNoName;
  }
  alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
  alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
  alSource3f(source, AL_DIRECTION, 0.0f, 0.0f, 0.0f);
  alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
  alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
  return source;
}

void TSoundStreamData::SetStreamSpooler(TStreamSpooler* spooler)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  mFinished = false;
  mEndOfData = false;
  mSpooler = spooler;
  if (mSpooler) {
    mSpooler->Reset();
  }
}

void TSoundStreamData::Play(bool flag)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  mFinished = false;
  mEndOfData = false;
  if (mSpooler) {
    mSpooler->Reset();
  }
  StreamHelper();
  if (mSource != kNoName) {
    alSourcePlay(mSource);
    CheckError();
  }
  mPlaying = true;
  mPaused = false;
}

bool TSoundStreamData::Stream()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (!mPlaying || mPaused) {
    return true;
  }
  return StreamHelper();
}

bool TSoundStreamData::StreamHelper()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (mSource != kNoName) {
    ALint processed = 0;
    alGetSourcei(mSource, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0; --processed) {
      ALuint name = 0;
      alSourceUnqueueBuffers(mSource, 1, &name);
      if (CheckError()) {
        break;
      }
      mBufferFree[name == mBuffers[0] ? 0 : 1] = 1;
    }
  }

  bool queued = false;
  for (int slot = 0; slot < 2 && !mEndOfData; ++slot) {
    if (!mBufferFree[slot]) {
      continue;
    }
    boost::shared_ptr<TSoundDataSource> source = mSpooler ? mSpooler->GetSource() : nullptr;
    int channels = source ? source->GetChannels() : 0;
    unsigned written = 0;
    if (source && (channels == 1 || channels == 2)) {
      mSpooler->StreamToBuffer(GetStreamBufferSize(), GetStreamBuffer(), &written, mLoop);
    }
    if (written == 0 || mSource == kNoName) {
      mEndOfData = true;
      break;
    }
    ALenum format = channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    ALuint buffer = mBuffers[slot];
    alBufferData(buffer, format, GetStreamBuffer(), static_cast<ALsizei>(written), source->GetBitRate());
    alSourceQueueBuffers(mSource, 1, &buffer);
    CheckError();
    mBufferFree[slot] = 0;
    mQueuedBytes += written;
    ++mQueuedBlocks;
    queued = true;
  }

  // A source that ran dry before this refill has stopped; without a restart the new blocks
  // would count as processed at once and the sound would end early.
  if (queued && mPlaying && !mPaused && mSource != kNoName) {
    ALint state = AL_STOPPED;
    alGetSourcei(mSource, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED) {
      alSourcePlay(mSource);
      CheckError();
      ++mRestarts;
    }
  }

  mFinished = mBufferFree[0] && mBufferFree[1];
  return !mFinished;
}

bool TSoundStreamData::HasRunDry() const
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (!mPlaying || mPaused || mSource == kNoName) {
    return false;
  }
  ALint state = AL_PLAYING;
  alGetSourcei(mSource, AL_SOURCE_STATE, &state);
  return state == AL_STOPPED;
}

void TSoundStreamData::Pause()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (mPaused) {
    return;
  }
  if (mSource != kNoName) {
    alSourcePause(mSource);
    CheckError();
  }
  mPaused = true;
}

void TSoundStreamData::Resume()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (!mPaused) {
    return;
  }
  if (mSource != kNoName) {
    alSourcePlay(mSource);
    CheckError();
  }
  mPaused = false;
}

void TSoundStreamData::SetVolume(float gain)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  mGain = gain;
  if (mSource != kNoName) {
    alSourcef(mSource, AL_GAIN, gain);
    CheckError();
  }
}

void TSoundStreamData::Destroy()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (mSource != kNoName) {
    mBufferFree[0] = mBufferFree[1] = 1;
    alSourceStop(mSource);
    CheckError();
    ALuint source = mSource;
    alDeleteSources(1, &source);
    CheckError();
    mSource = kNoName;
  }
  if (mBuffers[0] != kNoName) {
    ALuint buffers[2] = {mBuffers[0], mBuffers[1]};
    alDeleteBuffers(2, buffers);
    CheckError();
    mBuffers[0] = mBuffers[1] = kNoName;
  }
  mPlaying = false;
  mPaused = false;
}

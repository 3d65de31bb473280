// soundstream: the stream of one playing sound over its voice; talks to the sound manager
// (registration, volumes, removal), the sound instance and the notify targets of its sounds.
#include "platform/sound/soundstream.h"

#include <cmath>
#include <cstring>

#include "platform/sound/soundinstance.h"
#include "platform/sound/soundmanager.h"
#include "platform/sound/soundstreamdata.h"

bool TStreamSpooler::StreamToBuffer(int size, void* buffer, unsigned int* written, bool loop)
{
  if (size > 0) {
    std::memset(buffer, 0, static_cast<size_t>(size));
  }
  *written = 0;
  if (!mSource || size <= 0) {
    return true;
  }
  uint8_t* out = static_cast<uint8_t*>(buffer);
  unsigned int wanted = static_cast<unsigned int>(size);
  while (wanted > 0) {
    int64_t rawLength = mSource->GetRawLength();
    unsigned int ask = wanted;
    bool end = false;
    if (rawLength >= 0 && rawLength <= 0xFFFFFFFFll && static_cast<int64_t>(mPosition) + wanted > rawLength) {
      ask = rawLength > mPosition ? static_cast<unsigned int>(rawLength - mPosition) : 0;
      end = true;
    }
    unsigned int got = ask > 0 ? mSource->Read(out + *written, mPosition, ask) : 0;
    if (got > ask) {
      got = ask;
    }
    if (got < ask) {
      end = true;
    }
    // A source with nothing at its start would make a looping fill spin for ever.
    bool emptyFromStart = got == 0 && mPosition == 0;
    mPosition += got;
    *written += got;
    wanted -= got;
    if (end) {
      if (!loop || emptyFromStart) {
        return false;
      }
      mPosition = 0;
    }
  }
  return true;
}

void TStreamSpooler::SetPosition(float seconds)
{
  if (!mSource) {
    return;
  }
  if (!(seconds > 0.0f)) {
    mPosition = 0;
    return;
  }
  int channels = mSource->GetChannels();
  double frames = std::floor(static_cast<double>(seconds) * mSource->GetBitRate());
  double bytes = frames * 2.0 * (channels > 0 ? channels : 1);
  double rawLength = static_cast<double>(mSource->GetRawLength());
  if (bytes > rawLength) {
    bytes = rawLength;
  }
  if (bytes > 4294967295.0) {
    bytes = 4294967295.0;
  }
  mPosition = bytes > 0.0 ? static_cast<uint32_t>(bytes) : 0;
}

float TStreamSpooler::GetLength()
{
  return mSource ? static_cast<float>(mSource->GetSeconds()) : 0.0f;
}

TSoundStream::TSoundStream(TPlatform* platform, TStreamSpooler* spooler, bool loop, int type,
                           boost::shared_ptr<TStreamNotify> notify)
    : mNotify(notify), mPlatform(platform), mSpooler(spooler), mType(type), mLoop(loop)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  mVoice = new TSoundStreamData;
}

TSoundStream::~TSoundStream()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  delete mSpooler;
  mSpooler = nullptr;
  delete mNextSpooler;
  mNextSpooler = nullptr;
  // Each target may already be gone; a target that forgets the stream clears its entry.
  if (boost::shared_ptr<TStreamNotify> previous = mPreviousNotify.lock()) {
    previous->StreamFinished(this);
  }
  if (boost::shared_ptr<TStreamNotify> current = mNotify.lock()) {
    current->StreamFinished(this);
  }
  if (boost::shared_ptr<TStreamNotify> next = mNextNotify.lock()) {
    next->StreamFinished(this);
  }
  if (boost::shared_ptr<TSoundInstance> instance = mInstance.lock()) {
    if (instance->mStream == this) {
      instance->mStream = nullptr;
    }
  }
  delete mVoice;
  mVoice = nullptr;
}

float TSoundStream::ClampVolume(float volume)
{
  if (!(volume > 0.0f)) {
    return 0.0f;
  }
  return volume > 1.0f ? 1.0f : volume;
}

bool TSoundStream::Init(int rate, int channels, int bits, float seconds)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  TSoundManager* manager = TSoundManager::GetCurrent();
  if (!manager || !manager->IsRunning()) {
    return false;
  }
  if (weak_from_this().expired()) {
    return false;
  }
  if (!mVoice->Init(rate, channels, bits, seconds, mSpooler, mLoop)) {
    return false;
  }
  manager->RegisterStream(this);
  return true;
}

void TSoundStream::Play(bool flag)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  mPlayFlag = flag;
  TSoundManager* manager = TSoundManager::GetCurrent();
  mVoice->SetVolume(ClampVolume(manager ? manager->GetVolume(mType) : 1.0f));
  mVoice->Play(flag);
  if (manager && !manager->IsAppActive() && !mSystemPaused) {
    mSystemPaused = true;
    mVoice->Pause();
  }
  boost::shared_ptr<TSoundInstance> instance = mInstance.lock();
  if (instance && instance->mNextSound.lock()) {
    TSoundStream* before = instance->mStream;
    instance->mStream = this;
    if (before && before != this) {
      instance->mSound = instance->mNextSound;
      instance->mNextSound.reset();
    }
  }
}

void TSoundStream::Pause(bool pause)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (pause == mPaused) {
    return;
  }
  mPaused = pause;
  if (pause) {
    mVoice->Pause();
  } else if (!mSystemPaused) {
    mVoice->Resume();
  }
}

void TSoundStream::SystemPause(bool pause)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (pause == mSystemPaused) {
    return;
  }
  mSystemPaused = pause;
  if (pause) {
    mVoice->Pause();
  } else if (!mPaused) {
    mVoice->Resume();
  }
}

void TSoundStream::SetVolume(float volume)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  mVoice->SetVolume(ClampVolume(volume));
}

void TSoundStream::Kill(bool delayed)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  mVoice->Pause();
  delete mNextSpooler;
  mNextSpooler = nullptr;
  mNextNotify.reset();
  boost::shared_ptr<TSoundStream> self = weak_from_this().lock();
  TSoundManager* manager = TSoundManager::GetCurrent();
  if (self && manager) {
    if (delayed) {
      manager->StopStreamDelayed(self);
    } else {
      manager->StopStream(self);
    }
  }
}

bool TSoundStream::SetNextStreamInfo(boost::shared_ptr<TStreamNotify> notify, TStreamSpooler* spooler)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  mNextNotify = notify;
  if (mNextSpooler != spooler) {
    delete mNextSpooler;
  }
  mNextSpooler = spooler;
  return true;
}

bool TSoundStream::Stream(bool unused)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  bool sounding = mVoice->Stream();
  if (mVoice->IsEndOfData() && mNextSpooler) {
    // The buffer that just came free is filled from the next sound in this same step.
    AdvanceStream();
    sounding = mVoice->Stream();
  }
  return sounding;
}

void TSoundStream::AdvanceStream()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  delete mSpooler;
  mSpooler = mNextSpooler;
  mNextSpooler = nullptr;
  mVoice->SetStreamSpooler(mSpooler);
  mPreviousNotify = mNotify;
  if (boost::shared_ptr<TSoundInstance> instance = mInstance.lock()) {
    instance->mSound = instance->mNextSound;
    instance->mNextSound.reset();
    instance->mStream = this;
  }
  mNotify = mNextNotify;
  mNextNotify.reset();
}

bool TSoundStream::StreamComplete()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  return mVoice->IsFinished();
}

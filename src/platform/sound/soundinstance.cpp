// soundinstance: forwards to the playing stream and to the sound asset that owns the
// instance, always under the sound manager's mutex (the stream may end meanwhile).
#include "platform/sound/soundinstance.h"

#include "platform/sound/sound.h"
#include "platform/sound/soundmanager.h"
#include "platform/sound/soundstream.h"

void TSoundInstance::SetVolume(float volume)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (mStream) {
    mStream->SetVolume(volume);
  }
}

void TSoundInstance::SetCompleteAction(TSoundCallBack* callback, boost::shared_ptr<TSound> next)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (boost::shared_ptr<TSound> sound = mSound.lock()) {
    sound->SetCompleteAction(shared_from_this(), callback, next);
  } else if (!callback) {
    mCallback = nullptr;
    mNextSound.reset();
  }
}

void TSoundInstance::Kill()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (boost::shared_ptr<TSound> sound = mSound.lock()) {
    sound->KillInstance(shared_from_this());
  }
}

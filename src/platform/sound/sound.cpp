// sound: sound assets and their completion reports; talks to the asset registry, the
// data-source factory, the sound manager (through the streams) and the callbacks.
#include "platform/sound/sound.h"

#include <cstdlib>
#include <vector>

#include "platform/sound/soundinstance.h"
#include "core/foundation/debug.h"
#include "platform/sound/soundmanager.h"

namespace {

// Detaches a dying callback from the instances it was attached to here.
class TCallBackRegistry : public ISoundCallBackRegistry
{
public:
  void Detach(TSoundCallBack* callback) override
  {
    TSoundScopedLock lock(SoundManagerMutex::mMutex);
    std::vector<boost::weak_ptr<TSoundInstance>> attached(callback->mInstances->begin(), callback->mInstances->end());
    for (auto& weak : attached) {
      boost::shared_ptr<TSoundInstance> instance = weak.lock();
      // An instance that moved on to another callback keeps that one.
      if (instance && instance->mCallback == callback) {
        instance->SetCompleteAction(nullptr, boost::shared_ptr<TSound>());
      }
    }
  }
};

// Records an instance in the callback's list, and this registry as the one to tell when the
// callback dies.
void Attach(TSoundCallBack* callback, const boost::shared_ptr<TSoundInstance>& instance)
{
  static TCallBackRegistry registry;
  callback->mRegistry = &registry;
  callback->mInstances->insert(instance);
}

} // namespace

void TSoundData::StreamFinished(TSoundStream* stream)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  stream->mPreviousNotify.reset();
  // A callback that drops the last outside reference must not destroy the sound midway.
  boost::shared_ptr<TSound> keep = mSound ? mSound->GetRef() : boost::shared_ptr<TSound>();
  TSoundManager* manager = TSoundManager::GetCurrent();
  bool shuttingDown = manager && manager->IsShuttingDown();
  boost::shared_ptr<TSoundInstance> instance = stream->mInstance.lock();
  if (!instance) {
    return;
  }
  boost::shared_ptr<TSound> next = instance->mNextSound.lock();
  instance->mNextSound.reset();
  if (TSoundCallBack* callback = instance->mCallback) {
    callback->mInstances->erase(instance);
    if (!shuttingDown) {
      callback->OnComplete(instance, next);
    }
  }
  if (!next) {
    mInstances.erase(instance);
  }
}

intptr_t TSound::ClassId()
{
  return reinterpret_cast<intptr_t>(&TSound::ClassId);
}

TSound::TSound() : mData(new TSoundData)
{
  mData->mSound = this;
}

TSound::~TSound()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  // The sound's own end reports nothing.
  for (const boost::shared_ptr<TSoundInstance>& instance : mData->mInstances) {
    instance->mCallback = nullptr;
  }
  mData->mSound = nullptr;
  Kill();
  mData.reset();
}

boost::shared_ptr<TSound> TSound::Get(str name, bool inMemory, int group)
{
  if (name.empty()) {
    return boost::shared_ptr<TSound>();
  }
  unsigned question = name.find('?', 0, 0);
  if (question != str::npos) {
    unsigned option = name.find(str("group="), 0, question);
    if (option != str::npos) {
      group = std::atoi(name.c_str() + option + 6);
    }
    name = name.substr(0, static_cast<int>(question));
  }
  str handle = str::getFormatted("%s;%d;%d", name.c_str(), inMemory ? 1 : 0, group);
  boost::shared_ptr<TSound> sound = InternalGet(handle);
  if (sound) {
    return sound;
  }
  sound = InternalNew(handle);
  sound->mData->mName = name;
  sound->mData->mGroup = group;
  sound->mData->mSource = TSoundDataSourceFactory::Create(name, !inMemory);
  if (!sound->mData->mSource) {
    WriteDbg("ERROR: TSound::Get: No valid sound file found: %s", name.c_str());
  }
  return sound;
}

boost::shared_ptr<TSound> TSound::InternalGet(str handle)
{
  TAssetManager* registry = TAssetManager::GetInstance();
  if (!registry) {
    return boost::shared_ptr<TSound>();
  }
  boost::shared_ptr<TAsset> asset = registry->GetAsset(handle);
  if (!asset || !asset->IsKindOf(TSound::ClassId())) {
    return boost::shared_ptr<TSound>();
  }
  return boost::static_pointer_cast<TSound>(asset);
}

boost::shared_ptr<TSound> TSound::InternalNew(str handle)
{
  boost::shared_ptr<TSound> sound(new TSound);
  if (TAssetManager* registry = TAssetManager::GetInstance()) {
    registry->AddAsset(handle, sound);
  }
  return sound;
}

boost::shared_ptr<TSoundInstance> TSound::Play(bool loop)
{
  if (!mData) {
    WriteDbg("ERROR: Play of uninitialized sound");
    return boost::shared_ptr<TSoundInstance>();
  }
  boost::shared_ptr<TSoundDataSource> source = mData->mSource;
  if (!source) {
    return boost::shared_ptr<TSoundInstance>();
  }
  if (!TSoundManager::GetCurrent()) {
    WriteDbg("ERROR: No Sound Manager");
    return boost::shared_ptr<TSoundInstance>();
  }
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  boost::shared_ptr<TSoundStream> stream(
      new TSoundStream(nullptr, new TStreamSpooler(source), loop, mData->mGroup, mData));
  boost::shared_ptr<TSoundInstance> instance(new TSoundInstance(stream.get()));
  instance->mSound = GetRef();
  mData->mInstances.insert(instance);
  // A stream that cannot start is released below, and its report takes the instance out
  // of the set again.
  stream->Init(source->GetBitRate(), source->GetChannels(), 16, 2.0f);
  stream->Play(true);
  stream->mInstance = instance;
  return instance;
}

bool TSound::Pause(bool pause)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (mData->mInstances.empty()) {
    return false;
  }
  std::vector<boost::shared_ptr<TSoundInstance>> instances(mData->mInstances.begin(), mData->mInstances.end());
  for (auto& instance : instances) {
    if (!instance->mStream) {
      continue;
    }
    if (boost::shared_ptr<TSoundStream> stream = instance->mStream->weak_from_this().lock()) {
      stream->Pause(pause);
    }
  }
  return true;
}

bool TSound::KillInstance(boost::shared_ptr<TSoundInstance> instance)
{
  if (!instance) {
    return false;
  }
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  mData->mInstances.erase(instance);
  // A kill is not a completion: the stream's end report must find nothing to call.
  if (instance->mCallback) {
    instance->mCallback->mInstances->erase(instance);
    instance->mCallback = nullptr;
  }
  instance->mNextSound.reset();
  if (instance->mStream) {
    boost::shared_ptr<TStreamNotify> target = instance->mStream->mNotify.lock();
    if (target && target.get() == mData.get()) {
      if (boost::shared_ptr<TSoundStream> stream = instance->mStream->weak_from_this().lock()) {
        stream->Kill(false);
      }
    }
  }
  return true;
}

bool TSound::Kill()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  std::vector<boost::shared_ptr<TSoundInstance>> instances(mData->mInstances.begin(), mData->mInstances.end());
  bool stopped = false;
  for (auto& instance : instances) {
    stopped = KillInstance(instance) || stopped;
  }
  return stopped;
}

void TSound::SetCompleteAction(boost::shared_ptr<TSoundInstance> instance, TSoundCallBack* callback,
                               boost::shared_ptr<TSound> next)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (next) {
    if (!instance || !instance->mStream) {
      return;
    }
    instance->mStream->SetNextStreamInfo(next->mData, new TStreamSpooler(next->mData->mSource));
    instance->mNextSound = next;
    if (callback) {
      Attach(callback, instance);
    }
    instance->mCallback = callback;
    return;
  }
  if (!callback) {
    if (instance) {
      instance->mCallback = nullptr;
      instance->mNextSound.reset();
    }
    return;
  }
  // An instance that has ended will never report again; attaching to it would only hold
  // a callback that is never called.
  if (!instance || !instance->mStream) {
    return;
  }
  Attach(callback, instance);
  instance->mSound = GetRef();
  instance->mCallback = callback;
  instance->mNextSound.reset();
}

float TSound::GetSoundLength()
{
  return mData && mData->mSource ? static_cast<float>(mData->mSource->GetSeconds()) : 0.0f;
}

str TSound::GetName()
{
  return mData ? mData->mName : str();
}

boost::shared_ptr<TSound> TSound::GetRef()
{
  return boost::static_pointer_cast<TSound>(weak_from_this().lock());
}

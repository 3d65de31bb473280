// soundmanager: the manager's lists and volumes, and the sound thread that refills the
// voices; completions found by the thread are delivered later on the main thread.
#include "platform/sound/soundmanager.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <vector>

#include "core/sound/sounddatasource.h"
#include "platform/sound/soundstream.h"
#include "platform/sound/soundstreamdata.h"

TMutex SoundManagerMutex::mMutex;
TSoundManager* TSoundManager::sCurrent = nullptr;

typedef std::vector<boost::shared_ptr<TSoundStream>> TStreamList;

// Runs the streaming pass every few milliseconds until stopped.
class SoundThread : public TThread
{
public:
  explicit SoundThread(TSoundManager* manager) : mManager(manager) {}
  ~SoundThread() override
  {
    {
      std::lock_guard<std::mutex> guard(mWakeMutex);
      mQuit = true;
    }
    mWake.notify_all();
    // Task uses this object's members, so it must end before they go.
    Stop();
  }

protected:
  void Task(std::atomic<bool>* stop) override
  {
    while (!*stop) {
      mManager->InternalHandleNotifications(true);
      std::unique_lock<std::mutex> guard(mWakeMutex);
      mWake.wait_for(guard, std::chrono::microseconds(TSoundManager::kPassIntervalMicroseconds),
                     [this] { return mQuit; });
      if (mQuit) {
        break;
      }
    }
  }

private:
  TSoundManager* mManager;
  std::mutex mWakeMutex;
  std::condition_variable mWake;
  bool mQuit = false;
};

class TSoundManagerData
{
public:
  TSoundManagerData() { mHasDevice = TSoundDevice::Open(&mOwnsDevice); }
  ~TSoundManagerData()
  {
    TSoundScopedLock lock(SoundManagerMutex::mMutex);
    // Streams free their OpenAL sources and buffers while the context is still current.
    TStreamList delayed;
    delayed.swap(mDelayedStreams);
    delayed.clear();
    TStreamList finished;
    finished.swap(mFinishedStreams);
    finished.clear();
    TStreamList live;
    live.swap(mLiveStreams);
    live.clear();
    if (mOwnsDevice) {
      TSoundDevice::Close();
    }
  }

  TStreamList mLiveStreams;
  float mMasterVolume = 1.0f;
  std::map<int, float> mTypeVolumes;
  TStreamList mDelayedStreams;
  // Played out on the sound thread, waiting for the main thread to report them.
  TStreamList mFinishedStreams;
  SoundThread* mSoundThread = nullptr;
  bool mHasDevice = false;
  bool mOwnsDevice = false;
};

namespace {

bool RemoveFirst(TStreamList& list, const boost::shared_ptr<TSoundStream>& stream)
{
  auto found = std::find(list.begin(), list.end(), stream);
  if (found == list.end()) {
    return false;
  }
  list.erase(found);
  return true;
}

} // namespace

TSoundManager::TSoundManager() : mData(new TSoundManagerData)
{
  sCurrent = this;
}

TSoundManager::~TSoundManager()
{
  // The thread finishes its pass and stops before anything else goes.
  delete mData->mSoundThread;
  mData->mSoundThread = nullptr;
  mShuttingDown = true;
  delete mData;
  mData = nullptr;
  if (sCurrent == this) {
    sCurrent = nullptr;
  }
}

bool TSoundManager::Init(bool startThread)
{
  if (mRunning) {
    return true;
  }
  if (startThread) {
    mData->mSoundThread = new SoundThread(this);
    mData->mSoundThread->StartTask();
  }
  mClock.Reset();
  mClock.Start();
  mRunning = true;
  return true;
}

bool TSoundManager::HasDevice() const
{
  return mData && mData->mHasDevice;
}

float TSoundManager::GetVolume(int type)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  auto found = mData->mTypeVolumes.find(type);
  if (found != mData->mTypeVolumes.end()) {
    return mData->mMasterVolume * found->second;
  }
  return mData->mMasterVolume;
}

void TSoundManager::SetVolume(float volume)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  mData->mMasterVolume = volume;
  UpdateAllVolumes();
}

void TSoundManager::SetTypeVolume(int type, float volume)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  mData->mTypeVolumes[type] = volume;
  UpdateAllVolumes();
}

void TSoundManager::UpdateAllVolumes()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  for (size_t i = 0; i < mData->mLiveStreams.size(); ++i) {
    SetStreamVolume(mData->mLiveStreams[i]);
  }
}

void TSoundManager::SetStreamVolume(boost::shared_ptr<TSoundStream> stream)
{
  if (!stream) {
    return;
  }
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  float volume = GetVolume(stream->GetType());
  // Two changes, the second the true one: some mixers skip a gain equal to the last one.
  stream->SetVolume(volume < 0.5f ? volume + 0.05f : volume - 0.05f);
  stream->SetVolume(volume);
}

void TSoundManager::RegisterStream(TSoundStream* stream)
{
  if (!stream) {
    return;
  }
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  boost::shared_ptr<TSoundStream> shared = stream->weak_from_this().lock();
  if (shared) {
    mData->mLiveStreams.push_back(shared);
  }
}

void TSoundManager::StopStream(boost::shared_ptr<TSoundStream> stream)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  RemoveFirst(mData->mLiveStreams, stream);
  RemoveFirst(mData->mDelayedStreams, stream);
  // A stream that played out but was not reported yet is stopped all the same.
  RemoveFirst(mData->mFinishedStreams, stream);
}

void TSoundManager::StopStreamDelayed(boost::shared_ptr<TSoundStream> stream)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (RemoveFirst(mData->mLiveStreams, stream)) {
    mData->mDelayedStreams.push_back(stream);
  }
}

void TSoundManager::InternalHandleNotifications(bool unused)
{
  if (!mRunning) {
    return;
  }
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  TStreamList& live = mData->mLiveStreams;
  size_t position = 0;
  while (position < live.size()) {
    boost::shared_ptr<TSoundStream> stream = live[position];
    stream->Stream(false);
    if (stream->StreamComplete() && !stream->GetLoop()) {
      // Reported and released by the main thread: callbacks use the asset registry and
      // engine strings, which only the main thread may touch.
      live.erase(live.begin() + static_cast<long>(position));
      mData->mFinishedStreams.push_back(stream);
    } else {
      ++position;
    }
  }
}

void TSoundManager::ReportPrevious(const boost::shared_ptr<TSoundStream>& stream)
{
  if (boost::shared_ptr<TStreamNotify> previous = stream->mPreviousNotify.lock()) {
    previous->StreamFinished(stream.get());
  }
}

void TSoundManager::HandleNotifications()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (!mData) {
    return;
  }
  // Swapped out first: the destructors' reports may stop streams on these very lists.
  {
    TStreamList delayed;
    delayed.swap(mData->mDelayedStreams);
    delayed.clear();
  }
  for (size_t position = 0; position < mData->mLiveStreams.size(); ++position) {
    boost::shared_ptr<TSoundStream> stream = mData->mLiveStreams[position];
    ReportPrevious(stream);
  }
  TStreamList finished;
  finished.swap(mData->mFinishedStreams);
  for (auto& stream : finished) {
    ReportPrevious(stream);
    if (boost::shared_ptr<TStreamNotify> target = stream->mNotify.lock()) {
      target->StreamFinished(stream.get());
      stream->mNotify.reset();
    }
  }
  finished.clear();
}

void TSoundManager::AppActivate(bool active)
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  if (active == mAppActive) {
    return;
  }
  mAppActive = active;
  for (size_t position = 0; position < mData->mLiveStreams.size(); ++position) {
    boost::shared_ptr<TSoundStream> stream = mData->mLiveStreams[position];
    stream->SystemPause(!active);
    if (active) {
      UpdateAllVolumes();
    }
  }
}

size_t TSoundManager::GetLiveStreamCount()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  return mData ? mData->mLiveStreams.size() : 0;
}

size_t TSoundManager::GetFinishedStreamCount()
{
  TSoundScopedLock lock(SoundManagerMutex::mMutex);
  return mData ? mData->mFinishedStreams.size() : 0;
}

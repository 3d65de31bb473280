// soundmanager_test: master and per-type volumes, activation, the two passes and their
// lists, many sounds at once and a teardown with sounds playing, on the null output.
#include <gtest/gtest.h>

#include <thread>

#include "core/foundation/asset.h"
#include "core/sound/oggdatasource.h"
#include "platform/sound/soundinstance.h"
#include "platform/sound/sound.h"
#include "platform/sound/soundstream.h"
#include "platform/sound/soundstreamdata.h"
#include "support/soundtestutil.h"

namespace {

class TCountingNotify : public TStreamNotify
{
public:
  void StreamFinished(TSoundStream*) override
  {
    ++mReports;
    mThread = std::this_thread::get_id();
  }
  int mReports = 0;
  std::thread::id mThread;
};

class SoundManagerTest : public ::testing::Test
{
protected:
  SoundManagerTest() { mManager.Init(false); }

  boost::shared_ptr<TSoundStream> Start(uint32_t bytes, int type, bool loop = false)
  {
    boost::shared_ptr<TSoundDataSource> source(new TPatternSource(bytes, 1, 200000));
    boost::shared_ptr<TSoundStream> stream(new TSoundStream(nullptr, new TStreamSpooler(source), loop, type, mNotify));
    EXPECT_TRUE(stream->Init(200000, 1, 16, 2.0f));
    stream->Play(true);
    return stream;
  }
  float Gain(const boost::shared_ptr<TSoundStream>& stream) { return stream->GetVoice()->GetGain(); }
  bool RunPassesUntil(const std::function<bool()>& done, double seconds)
  {
    return PumpUntil(
        mManager,
        [&] {
          mManager.InternalHandleNotifications(true);
          return done();
        },
        seconds);
  }

  TSoundManager mManager;
  boost::shared_ptr<TCountingNotify> mNotify{new TCountingNotify};
};

TEST_F(SoundManagerTest, VolumeIsMasterTimesTheTypeWhenSet)
{
  EXPECT_FLOAT_EQ(mManager.GetVolume(-1), 1.0f);
  mManager.SetVolume(0.8f);
  EXPECT_FLOAT_EQ(mManager.GetVolume(1000), 0.8f);
  mManager.SetTypeVolume(1000, 0.5f);
  EXPECT_FLOAT_EQ(mManager.GetVolume(1000), 0.4f);
  EXPECT_FLOAT_EQ(mManager.GetVolume(-1), 0.8f);
  EXPECT_FLOAT_EQ(mManager.GetVolume(1001), 0.8f);
}

TEST_F(SoundManagerTest, VolumeChangesReachEveryLiveStream)
{
  boost::shared_ptr<TSoundStream> effects = Start(400000, 1000, true);
  boost::shared_ptr<TSoundStream> music = Start(400000, 1001, true);
  mManager.SetTypeVolume(1001, 0.5f);
  EXPECT_FLOAT_EQ(Gain(effects), 1.0f);
  EXPECT_FLOAT_EQ(Gain(music), 0.5f);
  mManager.SetVolume(0.0f);
  EXPECT_FLOAT_EQ(Gain(effects), 0.0f);
  EXPECT_FLOAT_EQ(Gain(music), 0.0f);
  mManager.SetVolume(2.0f);
  EXPECT_FLOAT_EQ(Gain(effects), 1.0f);
  EXPECT_FLOAT_EQ(Gain(music), 1.0f);
  // Set before the stream starts: it starts at master times type.
  mManager.SetVolume(0.5f);
  mManager.SetTypeVolume(7, 0.5f);
  boost::shared_ptr<TSoundStream> later = Start(400000, 7, true);
  EXPECT_FLOAT_EQ(Gain(later), 0.25f);
  for (auto& stream : {effects, music, later}) {
    stream->Kill(false);
  }
}

TEST_F(SoundManagerTest, ActivationPausesAndResumesOnlyOnChange)
{
  boost::shared_ptr<TSoundStream> playing = Start(400000, 0, true);
  boost::shared_ptr<TSoundStream> userPaused = Start(400000, 0, true);
  userPaused->Pause(true);
  mManager.AppActivate(false);
  mManager.AppActivate(false);
  EXPECT_FALSE(mManager.IsAppActive());
  EXPECT_TRUE(playing->GetVoice()->IsPaused());
  playing->SetVolume(0.3f);
  mManager.AppActivate(true);
  EXPECT_FALSE(playing->GetVoice()->IsPaused());
  EXPECT_TRUE(userPaused->GetVoice()->IsPaused());
  EXPECT_FLOAT_EQ(Gain(playing), 1.0f);
  playing->SetVolume(0.3f);
  mManager.AppActivate(true);
  EXPECT_FLOAT_EQ(Gain(playing), 0.3f);
  playing->Kill(false);
  userPaused->Kill(false);
}

TEST_F(SoundManagerTest, PlayedOutStreamsAreReportedByTheMainPassOnly)
{
  boost::shared_ptr<TSoundStream> looping = Start(2000, 0, true);
  boost::weak_ptr<TSoundStream> first = Start(2000, 0);
  boost::weak_ptr<TSoundStream> second = Start(2000, 0);
  // Both neighbours finish in the same pass; the reports wait for the main thread.
  ASSERT_TRUE(PumpUntil(
      mManager,
      [&] {
        mManager.InternalHandleNotifications(true);
        return mManager.GetFinishedStreamCount() == 2;
      },
      2.0));
  EXPECT_EQ(mNotify->mReports, 0);
  EXPECT_EQ(mManager.GetLiveStreamCount(), 1u);
  std::thread pass([&] { mManager.HandleNotifications(); });
  pass.join();
  EXPECT_EQ(mNotify->mReports, 2);
  EXPECT_TRUE(first.expired() && second.expired());
  // A looping stream never leaves by itself.
  EXPECT_FALSE(RunPassesUntil([&] { return mManager.GetLiveStreamCount() == 0; }, 0.2));
  looping->Kill(false);
  looping.reset();
  EXPECT_EQ(mNotify->mReports, 3);
}

TEST_F(SoundManagerTest, StoppingTwiceOrAfterRemovalChangesNothing)
{
  TSoundManager::GetCurrent()->InternalHandleNotifications(true);
  boost::shared_ptr<TSoundStream> stream = Start(2000, 0);
  mManager.StopStream(stream);
  mManager.StopStream(stream);
  {
    TSoundScopedLock lock(SoundManagerMutex::mMutex);
    mManager.StopStreamDelayed(stream);
  }
  mManager.HandleNotifications();
  EXPECT_EQ(mManager.GetLiveStreamCount(), 0u);
  EXPECT_EQ(mManager.Init(), true);
  EXPECT_EQ(mManager.Init(), true);
  EXPECT_FALSE(mManager.GetClock()->IsPaused());
}

// The sound thread runs the refills; every report still arrives on the main thread.
TEST(SoundManagerThread, ThreeHundredSoundsAtOnce)
{
  TAssetManager registry;
  TSoundAssets assets({"tone010.ogg"});
  TOggDataSource::Register();
  TSoundManager manager;
  ASSERT_TRUE(manager.Init());
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone010", true, 1000);
  TCountingCallBack callback;
  std::vector<boost::shared_ptr<TSoundInstance>> instances;
  ::testing::internal::CaptureStderr();
  for (int i = 0; i < 300; ++i) {
    boost::shared_ptr<TSoundInstance> instance = sound->Play(false);
    ASSERT_TRUE(instance);
    instance->SetCompleteAction(&callback, boost::shared_ptr<TSound>());
    instances.push_back(instance);
  }
  ::testing::internal::GetCapturedStderr();
  size_t started = 0;
  for (auto& instance : instances) {
    started += instance->mStream ? 1 : 0;
  }
  EXPECT_GT(started, 16u);
  EXPECT_TRUE(PumpUntil(
      manager, [&] { return manager.GetLiveStreamCount() == 0 && manager.GetFinishedStreamCount() == 0; }, 5.0));
  EXPECT_EQ(callback.mCalls, static_cast<int>(started));
  EXPECT_TRUE(sound->GetData()->mInstances.empty());
}

TEST(SoundManagerThread, TeardownWithSoundsPlayingCallsNoCallback)
{
  TAssetManager registry;
  TSoundAssets assets({"tone030.ogg"});
  TOggDataSource::Register();
  TCountingCallBack callback;
  boost::shared_ptr<TSound> sound;
  boost::shared_ptr<TSoundInstance> instance;
  {
    TSoundManager manager;
    manager.Init();
    sound = TSound::Get("audio/tone030", true, 0);
    instance = sound->Play(true);
    instance->SetCompleteAction(&callback, boost::shared_ptr<TSound>());
    sound->Play(false)->SetCompleteAction(&callback, boost::shared_ptr<TSound>());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(TSoundManager::GetCurrent(), nullptr);
  EXPECT_EQ(callback.mCalls, 0);
  EXPECT_EQ(instance->mStream, nullptr);
  // Without a manager every call stays safe.
  EXPECT_FALSE(sound->Play(false));
  instance->Kill();
  instance->SetVolume(1.0f);
  EXPECT_FALSE(sound->Kill());
}

} // namespace

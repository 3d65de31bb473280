// sound_test: sound assets and instances over generated Ogg files on the null output:
// names and handles, playing, pausing, killing, chaining and completion callbacks.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "core/foundation/asset.h"
#include "core/sound/oggdatasource.h"
#include "platform/sound/soundinstance.h"
#include "platform/sound/sound.h"
#include "platform/sound/soundstreamdata.h"
#include "support/soundtestutil.h"

namespace {

class TRecordingCallBack : public TSoundCallBack
{
public:
  void OnComplete(boost::shared_ptr<TSoundInstance> instance, boost::shared_ptr<TSound> next) override
  {
    ++mCalls;
    mThread = std::this_thread::get_id();
    mInstance = instance;
    mNext = next;
    if (mThen) {
      mThen();
    }
  }
  int mCalls = 0;
  std::thread::id mThread;
  boost::shared_ptr<TSoundInstance> mInstance;
  boost::shared_ptr<TSound> mNext;
  std::function<void()> mThen;
};

class SoundTest : public ::testing::Test
{
protected:
  SoundTest() : mAssets({"tone010.ogg", "tone030.ogg", "stereo020.ogg"})
  {
    TOggDataSource::Register();
    mManager.Init();
  }

  // Delivers notifications for a while, whatever happens.
  void PumpFor(double seconds)
  {
    PumpUntil(
        mManager, [] { return false; }, seconds);
  }

  TAssetManager mRegistry;
  TSoundAssets mAssets;
  TSoundManager mManager;
};

TEST_F(SoundTest, Get_GroupSuffixSetsTheGroupAndIsCutFromTheName)
{
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone010.ogg?group=1000", false, 0);
  ASSERT_TRUE(sound);
  EXPECT_STREQ(sound->GetName().c_str(), "audio/tone010.ogg");
  EXPECT_EQ(sound->GetData()->mGroup, 1000);
  EXPECT_EQ(mRegistry.GetAsset("audio/tone010.ogg;0;1000"), sound);
  EXPECT_EQ(TSound::Get("audio/tone010.ogg", false, 1000), sound);

  boost::shared_ptr<TSound> other = TSound::Get("audio/tone010.ogg?loud=1", true, 7);
  EXPECT_STREQ(other->GetName().c_str(), "audio/tone010.ogg");
  EXPECT_EQ(other->GetData()->mGroup, 7);
  EXPECT_EQ(TSound::Get("audio/tone010.ogg?group=", true, 7)->GetData()->mGroup, 0);
  EXPECT_FALSE(TSound::Get("", true, 0));
  EXPECT_TRUE(sound->IsKindOf(TSound::ClassId()));
  EXPECT_TRUE(sound->IsKindOf(TAsset::ClassId()));
}

TEST_F(SoundTest, Get_EachInMemoryFlagIsItsOwnSound)
{
  boost::shared_ptr<TSound> inMemory = TSound::Get("audio/tone010", true, 0);
  boost::shared_ptr<TSound> fromFile = TSound::Get("audio/tone010", false, 0);
  ASSERT_TRUE(inMemory && fromFile);
  EXPECT_NE(inMemory, fromFile);
  EXPECT_NE(inMemory->GetData()->mSource, fromFile->GetData()->mSource);
  EXPECT_NEAR(inMemory->GetSoundLength(), 0.1f, 1e-3f);
}

TEST_F(SoundTest, Get_MissingFileLogsOnceAndStaysSilent)
{
  ::testing::internal::CaptureStderr();
  boost::shared_ptr<TSound> missing = TSound::Get("audio/nothing.ogg", true, 0);
  boost::shared_ptr<TSound> again = TSound::Get("audio/nothing.ogg", true, 0);
  EXPECT_FALSE(missing->Play(false));
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(missing, again);
  const std::string line = "TSound::Get: No valid sound file found: audio/nothing.ogg";
  size_t first = log.find(line);
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(log.find("No valid sound file", first + line.size()), std::string::npos);
  EXPECT_EQ(missing->GetSoundLength(), 0.0f);
  EXPECT_FALSE(missing->Kill());
}

TEST_F(SoundTest, KillStopsEveryInstanceOnce)
{
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone030", true, 0);
  EXPECT_FALSE(sound->Pause(true));
  boost::shared_ptr<TSoundInstance> first = sound->Play(false);
  boost::shared_ptr<TSoundInstance> second = sound->Play(false);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  EXPECT_EQ(mManager.GetLiveStreamCount(), 2u);
  EXPECT_TRUE(sound->Kill());
  EXPECT_EQ(mManager.GetLiveStreamCount(), 0u);
  EXPECT_EQ(first->mStream, nullptr);
  EXPECT_FALSE(sound->Kill());
  first->Kill();
  first->SetVolume(2.0f);
}

TEST_F(SoundTest, PauseReachesEveryInstance)
{
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone030", true, 0);
  boost::shared_ptr<TSoundInstance> instance = sound->Play(true);
  ASSERT_TRUE(instance && instance->mStream);
  EXPECT_TRUE(sound->Pause(true));
  EXPECT_TRUE(instance->mStream->GetVoice()->IsPaused());
  // Paused far past its length, a sound has not ended.
  PumpFor(0.4);
  ASSERT_NE(instance->mStream, nullptr);
  EXPECT_TRUE(sound->Pause(false));
  EXPECT_FALSE(instance->mStream->GetVoice()->IsPaused());
  instance->Kill();
}

TEST_F(SoundTest, CompletionIsReportedOnceOnTheMainThread)
{
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone010", true, 0);
  boost::shared_ptr<TSoundInstance> instance = sound->Play(false);
  TRecordingCallBack callback;
  instance->SetCompleteAction(&callback, boost::shared_ptr<TSound>());
  ASSERT_TRUE(PumpUntil(
      mManager, [&] { return callback.mCalls > 0; }, 2.0));
  PumpFor(0.1);
  EXPECT_EQ(callback.mCalls, 1);
  EXPECT_EQ(callback.mThread, std::this_thread::get_id());
  EXPECT_EQ(callback.mInstance, instance);
  EXPECT_FALSE(callback.mNext);
  EXPECT_EQ(instance->mStream, nullptr);
  EXPECT_TRUE(sound->GetData()->mInstances.empty());
  EXPECT_EQ(mManager.GetLiveStreamCount(), 0u);
  // Attaching to an instance that has ended builds nothing and is never called.
  TRecordingCallBack late;
  ::testing::internal::CaptureStderr();
  instance->SetCompleteAction(&late, boost::shared_ptr<TSound>());
  PumpFor(0.05);
  EXPECT_EQ(::testing::internal::GetCapturedStderr().find("OpenAL error"), std::string::npos);
  EXPECT_EQ(late.mCalls, 0);
}

TEST_F(SoundTest, KillingIsNoCompletion)
{
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone030", true, 0);
  TRecordingCallBack callback;
  boost::shared_ptr<TSoundInstance> byInstance = sound->Play(false);
  boost::shared_ptr<TSoundInstance> bySound = sound->Play(false);
  boost::shared_ptr<TSoundInstance> byKillAll = sound->Play(false);
  for (auto& instance : {byInstance, bySound, byKillAll}) {
    instance->SetCompleteAction(&callback, boost::shared_ptr<TSound>());
  }
  byInstance->Kill();
  byInstance->Kill();
  EXPECT_TRUE(sound->KillInstance(bySound));
  EXPECT_FALSE(sound->KillInstance(boost::shared_ptr<TSoundInstance>()));
  EXPECT_TRUE(sound->Kill());
  PumpFor(0.5);
  EXPECT_EQ(callback.mCalls, 0);
  EXPECT_EQ(mManager.GetLiveStreamCount(), 0u);
}

TEST_F(SoundTest, DetachedOrDestroyedCallbackIsNotCalled)
{
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone010", true, 0);
  TRecordingCallBack detached;
  boost::shared_ptr<TSoundInstance> first = sound->Play(false);
  first->SetCompleteAction(&detached, boost::shared_ptr<TSound>());
  first->SetCompleteAction(nullptr, boost::shared_ptr<TSound>());

  static int destroyedCalls = 0;
  class TCountingCallBack : public TSoundCallBack
  {
  public:
    void OnComplete(boost::shared_ptr<TSoundInstance>, boost::shared_ptr<TSound>) override { ++destroyedCalls; }
  };
  boost::shared_ptr<TSoundInstance> second = sound->Play(false);
  TCountingCallBack* destroyed = new TCountingCallBack;
  second->SetCompleteAction(destroyed, boost::shared_ptr<TSound>());
  delete destroyed;

  ASSERT_TRUE(PumpUntil(
      mManager, [&] { return HasPlayedOut(first) && HasPlayedOut(second); }, 2.0));
  EXPECT_EQ(detached.mCalls, 0);
  EXPECT_EQ(destroyedCalls, 0);
}

TEST_F(SoundTest, DroppedHandlePlaysToItsEnd_ReleasedSoundStops)
{
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone010", true, 0);
  boost::weak_ptr<TSoundInstance> dropped = sound->Play(false);
  EXPECT_FALSE(dropped.expired());
  ASSERT_TRUE(PumpUntil(
      mManager, [&] { return dropped.expired(); }, 2.0));

  boost::shared_ptr<TSound> released = TSound::Get("audio/tone030", false, 3);
  boost::shared_ptr<TSoundInstance> instance = released->Play(true);
  TRecordingCallBack callback;
  instance->SetCompleteAction(&callback, boost::shared_ptr<TSound>());
  EXPECT_EQ(mManager.GetLiveStreamCount(), 1u);
  released.reset();
  EXPECT_EQ(mManager.GetLiveStreamCount(), 0u);
  EXPECT_EQ(instance->mStream, nullptr);
  PumpFor(0.05);
  EXPECT_EQ(callback.mCalls, 0);
  instance->Kill();
  instance->SetVolume(0.5f);
}

TEST_F(SoundTest, InstanceVolumeHoldsUntilVolumesAreReapplied)
{
  mManager.SetVolume(0.8f);
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone030?group=1000", true, 0);
  boost::shared_ptr<TSoundInstance> instance = sound->Play(true);
  ASSERT_TRUE(instance && instance->mStream);
  TSoundStreamData* voice = instance->mStream->GetVoice();
  EXPECT_FLOAT_EQ(voice->GetGain(), 0.8f);
  instance->SetVolume(2.0f);
  EXPECT_FLOAT_EQ(voice->GetGain(), 1.0f);
  instance->SetVolume(0.3f);
  EXPECT_FLOAT_EQ(voice->GetGain(), 0.3f);
  mManager.SetTypeVolume(1000, 0.5f);
  EXPECT_FLOAT_EQ(voice->GetGain(), 0.4f);
  instance->SetVolume(0.3f);
  mManager.SetTypeVolume(42, 1.0f);
  EXPECT_FLOAT_EQ(voice->GetGain(), 0.4f);
  instance->Kill();
}

// A callback with a next sound: the next one follows on the same stream, the switch is
// reported on the main thread, and the next sound's own end too.
TEST_F(SoundTest, ChainedSoundFollowsOnTheSameStream)
{
  boost::shared_ptr<TSound> first = TSound::Get("audio/tone010", true, 0);
  boost::shared_ptr<TSound> next = TSound::Get("audio/tone030", true, 0);
  boost::shared_ptr<TSoundInstance> instance = first->Play(false);
  TSoundStream* stream = instance->mStream;
  TSoundStreamData* voice = stream->GetVoice();
  TRecordingCallBack callback;
  instance->SetCompleteAction(&callback, next);
  ASSERT_TRUE(PumpUntil(
      mManager, [&] { return callback.mCalls == 1; }, 2.0));
  EXPECT_EQ(callback.mThread, std::this_thread::get_id());
  EXPECT_FALSE(callback.mNext);
  EXPECT_EQ(instance->mStream, stream);
  EXPECT_EQ(instance->mSound.lock(), next);
  EXPECT_TRUE(first->GetData()->mInstances.empty());
  uint64_t both =
      static_cast<uint64_t>(first->GetData()->mSource->GetRawLength() + next->GetData()->mSource->GetRawLength());
  ASSERT_TRUE(PumpUntil(
      mManager, [&] { return voice->GetQueuedBytes() == both; }, 2.0));
  EXPECT_EQ(voice->GetRestarts(), 0u);
  ASSERT_TRUE(PumpUntil(
      mManager, [&] { return callback.mCalls == 2; }, 2.0));
  PumpFor(0.05);
  EXPECT_EQ(callback.mCalls, 2);
  EXPECT_EQ(instance->mStream, nullptr);
}

TEST_F(SoundTest, AfterTheSwitchOnlyTheNextSoundStopsTheStream)
{
  boost::shared_ptr<TSound> first = TSound::Get("audio/tone010", true, 0);
  boost::shared_ptr<TSound> next = TSound::Get("audio/tone030", true, 0);
  boost::shared_ptr<TSoundInstance> instance = first->Play(false);
  TRecordingCallBack callback;
  instance->SetCompleteAction(&callback, next);
  ASSERT_TRUE(PumpUntil(
      mManager, [&] { return callback.mCalls == 1; }, 2.0));
  EXPECT_TRUE(first->KillInstance(instance));
  EXPECT_EQ(mManager.GetLiveStreamCount(), 1u);
  instance->Kill();
  EXPECT_EQ(mManager.GetLiveStreamCount(), 0u);
  PumpFor(0.05);
  EXPECT_EQ(callback.mCalls, 1);
}

// The music manager starts its follow-up track from the callback.
TEST_F(SoundTest, CallbackMayPlayAndKillSounds)
{
  boost::shared_ptr<TSound> sting = TSound::Get("audio/tone010", true, 1002);
  boost::shared_ptr<TSoundInstance> followUp;
  TRecordingCallBack callback;
  callback.mThen = [&] {
    sting->Kill();
    followUp = TSound::Get("audio/stereo020", false, 1003)->Play(false);
  };
  sting->Play(false)->SetCompleteAction(&callback, boost::shared_ptr<TSound>());
  ASSERT_TRUE(PumpUntil(
      mManager, [&] { return followUp && HasPlayedOut(followUp); }, 2.0));
  EXPECT_EQ(callback.mCalls, 1);
}

TEST(SoundWithoutManager, PlayLogsAndGivesNothing)
{
  TAssetManager registry;
  TSoundAssets assets({"tone010.ogg"});
  TOggDataSource::Register();
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone010", true, 0);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(sound->Play(false));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("No Sound Manager"), std::string::npos);
  EXPECT_FALSE(sound->Pause(true));
  EXPECT_FALSE(sound->Kill());
}

} // namespace

// Tests of particle sounds: slots registered by index, sounds played once, timed loops kept
// alive by repeated calls and stopped after their time, and sounds that outlive no system.
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "core/foundation/asset.h"
#include "scene/particlesound.h"
#include "support/faketimer.h"
#include "support/soundtestutil.h"

namespace {

class ParticleSoundTest : public ::testing::Test
{
protected:
  ParticleSoundTest() : mAssets({"tone10s.ogg", "tone010.ogg"}) { EXPECT_TRUE(mPlatform.InitSound()); }
  // The platform's idle tasks, where the sounds' timers run.
  void Idle() { mPlatform.GetTaskList()->DoAll(TTask::eEventLoop); }
  // Frames of 20 ms, each calling the sound function with the slot and duration.
  void CallEachFrame(GParticleSound& sound, int frames, int slot, int ms)
  {
    for (int i = 0; i < frames; ++i) {
      sound.PlaySoundA(slot, ms);
      mTimer.Advance(20);
      Idle();
    }
  }

  TFakeTimer mTimer{1000};
  TAssetManager mRegistry;
  TSoundAssets mAssets;
  TPlatform mPlatform;
};

} // namespace

TEST_F(ParticleSoundTest, SlotsOutsideTheRangeAreRefused)
{
  GParticleSound sound;
  testing::internal::CaptureStderr();
  sound.RegisterSound(-1, "audio/tone010.ogg");
  sound.RegisterSound(2000000000, "audio/tone010.ogg");
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(sound.mSounds.empty());
  EXPECT_NE(std::string::npos, log.find("ERROR: Particle sound slot -1")) << log;
  sound.RegisterSound(2, "audio/tone010.ogg");
  EXPECT_EQ(3u, sound.mSounds.size());
  sound.PlaySoundA(0, 100);
  sound.PlaySoundA(7, 100);
  sound.PlaySoundA(-3, 100);
  EXPECT_FALSE(sound.mPlayers[0]);
}

TEST_F(ParticleSoundTest, RepeatedCallsKeepOneLoopThatEndsAfterTheLastCall)
{
  GParticleSound sound;
  sound.RegisterSound(3, "audio/tone10s.ogg");
  CallEachFrame(sound, 10, 3, 500);
  ASSERT_TRUE(sound.mPlayers[3]);
  boost::shared_ptr<TSoundInstance> instance = sound.mPlayers[3]->mInstance;
  ASSERT_TRUE(instance);
  EXPECT_FALSE(sound.mPlayers[3]->mFinished);
  CallEachFrame(sound, 10, 3, 500);
  EXPECT_EQ(instance, sound.mPlayers[3]->mInstance) << "one instance for all the calls";
  // The calls stop; the sound ends 500 ms after the last one.
  mTimer.Advance(460);
  Idle();
  EXPECT_FALSE(sound.mPlayers[3]->mFinished);
  mTimer.Advance(40);
  Idle();
  EXPECT_TRUE(sound.mPlayers[3]->mFinished);
  EXPECT_FALSE(sound.mPlayers[3]->mInstance);
  EXPECT_TRUE(HasPlayedOut(instance));
  EXPECT_EQ(nullptr, sound.mPlayers[3]->mTimer);
  // Asked again, it plays anew.
  sound.PlaySoundA(3, 100);
  EXPECT_FALSE(sound.mPlayers[3]->mFinished);
  EXPECT_NE(instance, sound.mPlayers[3]->mInstance);
}

TEST_F(ParticleSoundTest, ZeroDurationPlaysOnceUntracked)
{
  GParticleSound sound;
  sound.RegisterSound(0, "audio/tone010.ogg");
  sound.PlaySoundA(0, 0);
  EXPECT_FALSE(sound.mPlayers[0]);
  EXPECT_TRUE(sound.mSounds[0]->Kill()) << "it was playing";
}

TEST_F(ParticleSoundTest, NegativeDurationStopsAtOnce)
{
  GParticleSound sound;
  sound.RegisterSound(1, "audio/tone10s.ogg");
  sound.PlaySoundA(1, -5);
  ASSERT_TRUE(sound.mPlayers[1]);
  EXPECT_TRUE(sound.mPlayers[1]->mFinished);
  EXPECT_FALSE(sound.mPlayers[1]->mInstance);
}

TEST_F(ParticleSoundTest, GoingWithItsSystemStopsTheLoopAndDetachesTheTimer)
{
  boost::shared_ptr<TSoundInstance> instance;
  {
    GParticleSound sound;
    sound.RegisterSound(0, "audio/tone10s.ogg");
    sound.PlaySoundA(0, 10000);
    instance = sound.mPlayers[0]->mInstance;
    ASSERT_TRUE(instance);
    ASSERT_NE(nullptr, sound.mPlayers[0]->mTimer);
  }
  EXPECT_TRUE(HasPlayedOut(instance));
  // The detached timer ends at its next run instead of calling into the freed slot.
  mTimer.Advance(20000);
  Idle();
  EXPECT_TRUE(mPlatform.GetTaskList()->IsEmpty());
}

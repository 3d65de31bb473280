// Tests of the music manager: cross-fade steps against recorded volumes, the refused
// repeat, stops, level changes mid-fade, the fade timer on a fake clock and follow-ups.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "core/foundation/asset.h"
#include "core/sound/oggdatasource.h"
#include "platform/sound/soundinstance.h"
#include "media/musicmanager.h"
#include "support/faketimer.h"
#include "support/recordinglevels.h"
#include "support/soundtestutil.h"

namespace {

const str kA = "audio/music/a.ogg";
const str kB = "audio/music/b.ogg";

// Tracks without files: the assets exist and nothing is heard, which is all the fade needs.
class MusicFadeTest : public ::testing::Test
{
protected:
  void SetUp() override { mLevels.mTypes[kSoundTypeMusic] = 1.0f; }

  void Steps(int count)
  {
    for (int i = 0; i < count; ++i)
      mMusic.OnTimer();
  }
  float Channel(int channel) { return mLevels.Type(channel == 0 ? kSoundTypeMusicChannel0 : kSoundTypeMusicChannel1); }

  TAssetManager mRegistry;
  TRecordingLevels mLevels;
  GMusicManager mMusic;
};

} // namespace

TEST_F(MusicFadeTest, CrossFadeMovesBothChannelsByOneTwentiethPerStep)
{
  ASSERT_TRUE(mMusic.PlayMusic(kA, false, true, ""));
  EXPECT_FLOAT_EQ(1.0f, Channel(0));
  ASSERT_TRUE(mMusic.PlayMusic(kB, true, true, ""));
  EXPECT_EQ(0.0f, Channel(1));
  EXPECT_TRUE(mMusic.IsCrossFading());

  Steps(10);
  EXPECT_FLOAT_EQ(0.5f, Channel(0));
  EXPECT_FLOAT_EQ(0.5f, Channel(1));
  Steps(9);
  EXPECT_EQ(kA, mMusic.GetChannel(0).mName);
  Steps(1);
  // Step 20: A is silenced and killed, B has reached the level but the fade goes on.
  EXPECT_EQ(0.0f, Channel(0));
  EXPECT_EQ(str(), mMusic.GetChannel(0).mName);
  EXPECT_FLOAT_EQ(1.0f, Channel(1));
  EXPECT_TRUE(mMusic.IsCrossFading());
  Steps(1);
  EXPECT_FLOAT_EQ(1.0f, Channel(1));
  EXPECT_FALSE(mMusic.IsCrossFading());
  mLevels.Take();
  Steps(5);
  EXPECT_TRUE(mLevels.Take().empty());
}

TEST_F(MusicFadeTest, ACrossFadeToTheTrackStartedLastIsRefusedOnceBothChannelsHavePlayed)
{
  // The first two calls for one track both play it: the second channel never held a sound.
  ASSERT_TRUE(mMusic.PlayMusic(kA, true, true, ""));
  ASSERT_TRUE(mMusic.PlayMusic(kA, true, true, ""));
  EXPECT_EQ(kA, mMusic.GetChannel(0).mName);
  EXPECT_EQ(kA, mMusic.GetChannel(1).mName);

  ASSERT_TRUE(mMusic.PlayMusic(kB, true, true, ""));
  Steps(4);
  mLevels.Take();
  // Mid fade-in, a repeat of B changes nothing.
  EXPECT_FALSE(mMusic.PlayMusic(kB, true, true, ""));
  EXPECT_TRUE(mLevels.Take().empty());
  EXPECT_EQ(kB, mMusic.GetChannel(0).mName);
  EXPECT_EQ(kA, mMusic.GetChannel(1).mName);
  EXPECT_EQ(1, mMusic.GetNextChannel());
  // Without a cross-fade the same track is started again.
  EXPECT_TRUE(mMusic.PlayMusic(kB, false, true, ""));
  EXPECT_FALSE(mMusic.PlayMusic(str(), false, true, ""));
}

TEST_F(MusicFadeTest, TheLevelChangedMidFadeIsTakenUpByTheNextStepsWithoutAJump)
{
  mMusic.PlayMusic(kA, false, true, "");
  mMusic.PlayMusic(kB, true, true, "");
  Steps(4);
  mLevels.Take();
  mLevels.mTypes[kSoundTypeMusic] = 0.5f;
  mMusic.UpdateMaxVolume();
  EXPECT_TRUE(mLevels.Take().empty());
  Steps(1);
  EXPECT_FLOAT_EQ(0.25f, Channel(0));
  EXPECT_FLOAT_EQ(0.25f, Channel(1));
  Steps(6);
  EXPECT_FALSE(mMusic.IsCrossFading());
  EXPECT_FLOAT_EQ(0.5f, Channel(1));
  // After the fade a new level reaches both channels at once.
  mLevels.mTypes[kSoundTypeMusic] = 0.8f;
  mMusic.UpdateMaxVolume();
  EXPECT_FLOAT_EQ(0.8f, Channel(0));
  EXPECT_FLOAT_EQ(0.8f, Channel(1));
}

TEST_F(MusicFadeTest, AfterStopMusicANewTrackFadesInFromSilence)
{
  mMusic.PlayMusic(kA, false, true, "");
  mMusic.PlayMusic(kB, false, true, "audio/music/next.ogg");
  mMusic.StopMusic();
  EXPECT_EQ(str(), mMusic.GetChannel(0).mName);
  EXPECT_EQ(str(), mMusic.GetChannel(1).mName);
  EXPECT_EQ(str(), mMusic.GetFollowUp());

  ASSERT_TRUE(mMusic.PlayMusic(kA, true, true, ""));
  EXPECT_EQ(0.0f, Channel(0));
  Steps(10);
  EXPECT_FLOAT_EQ(0.5f, Channel(0));
  Steps(11);
  EXPECT_FALSE(mMusic.IsCrossFading());
  EXPECT_FLOAT_EQ(1.0f, Channel(0));
}

TEST_F(MusicFadeTest, AtLevelZeroTheFadeEndsAtTheFirstStep)
{
  mLevels.mTypes[kSoundTypeMusic] = 0.0f;
  mMusic.PlayMusic(kA, false, true, "");
  mMusic.PlayMusic(kB, true, true, "");
  Steps(1);
  EXPECT_EQ(str(), mMusic.GetChannel(0).mName);
  EXPECT_FALSE(mMusic.IsCrossFading());
  EXPECT_EQ(0.0f, Channel(1));
}

TEST_F(MusicFadeTest, TheFadeTimerStepsEveryHundredMillisecondsOfTheIdleTasks)
{
  TFakeTimer timer(5000);
  TPlatform platform;
  GMusicManager music;
  music.PlayMusic(kA, true, true, "");
  auto idle = [&] { platform.GetTaskList()->DoAll(TTask::eEventLoop); };
  timer.Advance(99);
  idle();
  EXPECT_EQ(0.0f, Channel(0));
  timer.Advance(1);
  idle();
  EXPECT_FLOAT_EQ(0.05f, Channel(0));
  // A late timer runs once, without catching up.
  timer.Advance(450);
  idle();
  EXPECT_FLOAT_EQ(0.1f, Channel(0));
  timer.Advance(100);
  idle();
  EXPECT_FLOAT_EQ(0.15f, Channel(0));
}

TEST(MusicTimer, EndsOnceItsManagerIsGoneAndThePlatformCanDeleteItFirst)
{
  TFakeTimer timer(0);
  {
    TPlatform platform;
    GMusicManager music;
    EXPECT_FALSE(platform.GetTaskList()->IsEmpty());
  }
  TPlatform platform;
  std::unique_ptr<GMusicManager> music(new GMusicManager);
  music.reset();
  timer.Advance(100);
  platform.GetTaskList()->DoAll(TTask::eEventLoop);
  EXPECT_TRUE(platform.GetTaskList()->IsEmpty());
}

namespace {

// Real tracks on the null output, for completions.
class MusicFollowUpTest : public ::testing::Test
{
protected:
  MusicFollowUpTest() : mAssets({"tone010.ogg", "tone10s.ogg"})
  {
    TOggDataSource::Register();
    mManager.Init();
  }
  bool PlayedOut(const boost::shared_ptr<TSoundInstance>& instance)
  {
    return PumpUntil(
        mManager, [&] { return !instance->mStream; }, 3.0);
  }

  TAssetManager mRegistry;
  TSoundAssets mAssets;
  TSoundManager mManager;
  GMusicManager mMusic;
};

const str kSting = "audio/tone010.ogg";
const str kLong = "audio/tone10s.ogg";

} // namespace

TEST_F(MusicFollowUpTest, WhenAStingEndsTheFollowUpStartsAtOnceAtTheLevelAndLoops)
{
  ASSERT_TRUE(mMusic.PlayMusic(kSting, true, false, kLong));
  boost::shared_ptr<TSoundInstance> sting = mMusic.GetChannel(0).mInstance;
  ASSERT_TRUE(sting);
  ASSERT_TRUE(PlayedOut(sting));
  EXPECT_EQ(kLong, mMusic.GetChannel(1).mName);
  EXPECT_FALSE(mMusic.IsCrossFading());
  EXPECT_EQ(str(), mMusic.GetFollowUp());
  boost::shared_ptr<TSoundInstance> follow = mMusic.GetChannel(1).mInstance;
  ASSERT_TRUE(follow);
  EXPECT_TRUE(follow->mStream);
  mMusic.ReleaseSounds();
}

TEST_F(MusicFollowUpTest, ALaterCallReplacesTheFollowUpAndStopMusicForgetsIt)
{
  ASSERT_TRUE(mMusic.PlayMusic(kSting, false, false, kLong));
  ASSERT_TRUE(mMusic.PlayMusic(kLong, false, true, str()));
  EXPECT_EQ(str(), mMusic.GetFollowUp());
  ASSERT_TRUE(PlayedOut(mMusic.GetChannel(0).mInstance));
  EXPECT_EQ(kSting, mMusic.GetChannel(0).mName);

  ASSERT_TRUE(mMusic.PlayMusic(kSting, false, false, kLong));
  boost::shared_ptr<TSoundInstance> sting = mMusic.GetChannel(0).mInstance;
  mMusic.StopMusic();
  PumpUntil(
      mManager, [] { return false; }, 0.3);
  EXPECT_EQ(str(), mMusic.GetChannel(0).mName);
  EXPECT_EQ(str(), mMusic.GetChannel(1).mName);
  mMusic.ReleaseSounds();
}

TEST_F(MusicFollowUpTest, TheEndOfATrackNoChannelHoldsAnyMoreStartsNothing)
{
  ASSERT_TRUE(mMusic.PlayMusic(kSting, false, false, kLong));
  boost::shared_ptr<TSoundInstance> sting = mMusic.GetChannel(0).mInstance;
  // Held here, so the sting plays to its end after its channel lets it go.
  boost::shared_ptr<TSound> stingSound = mMusic.GetChannel(0).mSound;
  // Without cross-fades the sting keeps playing while both channels move on.
  ASSERT_TRUE(mMusic.PlayMusic(kLong, false, true, kLong));
  ASSERT_TRUE(mMusic.PlayMusic(kLong, false, true, kLong));
  ASSERT_NE(sting, mMusic.GetChannel(0).mInstance);
  boost::shared_ptr<TSoundInstance> first = mMusic.GetChannel(0).mInstance;
  boost::shared_ptr<TSoundInstance> second = mMusic.GetChannel(1).mInstance;
  ASSERT_TRUE(PlayedOut(sting));
  EXPECT_EQ(first, mMusic.GetChannel(0).mInstance);
  EXPECT_EQ(second, mMusic.GetChannel(1).mInstance);
  EXPECT_EQ(kLong, mMusic.GetFollowUp());
  mMusic.ReleaseSounds();
}

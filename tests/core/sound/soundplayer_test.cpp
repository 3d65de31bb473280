// soundplayer tests: portable code's sound calls without a playback handed in (nothing plays,
// volumes read 1) and over the platform's playback (volumes per type, completions, kills).
#include <gtest/gtest.h>

#include "core/foundation/asset.h"
#include "core/foundation/services.h"
#include "core/sound/oggdatasource.h"
#include "core/sound/soundplayer.h"
#include "support/soundtestutil.h"

namespace {

class SoundPlayerTest : public ::testing::Test
{
protected:
  SoundPlayerTest() : mAssets({"tone010.ogg"}) { TOggDataSource::Register(); }

  TAssetManager mRegistry;
  TSoundAssets mAssets;
};

} // namespace

TEST_F(SoundPlayerTest, WithoutAPlaybackNothingPlaysAndEveryVolumeReadsOne)
{
  TSoundManager manager;
  manager.Init();
  const TServices handedIn = TServices::Get();
  TServices::HandIn(TServices());
  EXPECT_FALSE(TSoundPlayer::Get("audio/tone010", false, 1000));
  EXPECT_FALSE(TSoundPlayer::Play(boost::shared_ptr<TSound>(), false));
  TSoundPlayer::SetTypeVolume(1000, 0.5f);
  TSoundPlayer::SetMasterVolume(0.5f);
  TSoundPlayer::KillInstance(boost::shared_ptr<TSoundInstance>());
  EXPECT_EQ(1.0f, TSoundPlayer::GetVolume(1000));
  TServices::HandIn(handedIn);
  // Nothing reached the manager meanwhile.
  EXPECT_EQ(1.0f, TSoundPlayer::GetVolume(1000));
}

TEST_F(SoundPlayerTest, ThePlatformsPlaybackPlaysReportsAndKills)
{
  TSoundManager manager;
  manager.Init();
  EXPECT_EQ(1.0f, TSoundPlayer::GetVolume(1000));
  TSoundPlayer::SetMasterVolume(0.8f);
  TSoundPlayer::SetTypeVolume(1000, 0.5f);
  EXPECT_FLOAT_EQ(0.4f, TSoundPlayer::GetVolume(1000));
  EXPECT_FLOAT_EQ(0.8f, TSoundPlayer::GetVolume(7));

  boost::shared_ptr<TSound> sound = TSoundPlayer::Get("audio/tone010", true, 1000);
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound, TSoundPlayer::Get("audio/tone010", true, 1000));
  TCountingCallBack ended;
  TCountingCallBack killed;
  boost::shared_ptr<TSoundInstance> played = TSoundPlayer::Play(sound, false);
  boost::shared_ptr<TSoundInstance> stopped = TSoundPlayer::Play(sound, false);
  ASSERT_TRUE(played && stopped);
  TSoundPlayer::SetCompleteAction(played, &ended);
  TSoundPlayer::SetCompleteAction(stopped, &killed);
  TSoundPlayer::KillInstance(stopped);
  ASSERT_TRUE(PumpUntil(
      manager, [&] { return HasPlayedOut(played) && HasPlayedOut(stopped); }, 2.0));
  manager.HandleNotifications();
  EXPECT_EQ(1, ended.mCalls);
  EXPECT_EQ(0, killed.mCalls);
}

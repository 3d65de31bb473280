// platform_sound_test: the platform's sound hooks: the Ogg source is registered when the
// platform is made, InitSound starts one manager, and the platform's end deletes it.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/sound/soundinstance.h"
#include "platform/sound/sound.h"
#include "support/soundtestutil.h"

TEST(PlatformSound, InitSoundStartsOneManagerThatThePlatformDeletes)
{
  TSoundDataSourceFactory::mBuilderMap.clear();
  {
    TPlatform platform;
    EXPECT_EQ(TSoundDataSourceFactory::mBuilderMap.count("ogg"), 1u);
    EXPECT_EQ(platform.GetSoundManager(), nullptr);
    EXPECT_TRUE(platform.InitSound());
    TSoundManager* manager = platform.GetSoundManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(manager->IsRunning());
    EXPECT_TRUE(platform.InitSound());
    EXPECT_EQ(platform.GetSoundManager(), manager);
    EXPECT_EQ(TSoundManager::GetCurrent(), manager);
  }
  EXPECT_EQ(TSoundManager::GetCurrent(), nullptr);
}

TEST(PlatformSound, SoundPlaysThroughThePlatformsManager)
{
  TAssetManager registry;
  TSoundAssets assets({"tone010.ogg"});
  TPlatform platform;
  ASSERT_TRUE(platform.InitSound());
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone010", true, 0);
  boost::shared_ptr<TSoundInstance> instance = sound->Play(false);
  ASSERT_TRUE(instance);
  EXPECT_TRUE(PumpUntil(
      *platform.GetSoundManager(), [&] { return HasPlayedOut(instance); }, 2.0));
  platform.ShutDownSound();
  EXPECT_EQ(platform.GetSoundManager(), nullptr);
  EXPECT_FALSE(sound->Play(false));
}

// soundnodevice_test: without any sound output the manager says so once, the game's sound
// calls all stay safe and quiet, and nothing is ever reported as played.
#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

#include "platform/platform.h"
#include "core/foundation/asset.h"
#include "core/sound/oggdatasource.h"
#include "platform/sound/soundinstance.h"
#include "platform/sound/sound.h"
#include "support/soundtestutil.h"
#include "support/testfolder.h"

namespace {

class SoundNoDeviceTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    // The wave output without a file offers no device at all.
    std::string folder = MakeTestFolder("nodevice");
    ASSERT_FALSE(folder.empty());
    std::string conf = folder + "/alsoft.conf";
    std::ofstream(conf) << "[general]\ndrivers = wave\n";
    setenv("ALSOFT_DRIVERS", "wave", 1);
    setenv("ALSOFT_CONF", conf.c_str(), 1);
  }
  SoundNoDeviceTest() : mAssets({"tone010.ogg", "tone030.ogg"}) {}

  TAssetManager mRegistry;
  TSoundAssets mAssets;
};

TEST_F(SoundNoDeviceTest, EveryCallIsSafeAndSilent)
{
  ::testing::internal::CaptureStderr();
  {
    TPlatform platform;
    EXPECT_TRUE(platform.InitSound());
    TSoundManager* manager = platform.GetSoundManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_FALSE(manager->HasDevice());

    boost::shared_ptr<TSound> sound = TSound::Get("audio/tone030?group=1000", true, 0);
    boost::shared_ptr<TSound> next = TSound::Get("audio/tone010", false, 1001);
    TCountingCallBack callback;
    boost::shared_ptr<TSoundInstance> instance = sound->Play(false);
    boost::shared_ptr<TSoundInstance> looping = sound->Play(true);
    ASSERT_TRUE(instance);
    EXPECT_EQ(instance->mStream, nullptr);
    instance->SetCompleteAction(&callback, next);
    instance->SetCompleteAction(&callback, boost::shared_ptr<TSound>());
    instance->SetVolume(0.5f);
    instance->Kill();
    EXPECT_FALSE(sound->Pause(true));
    EXPECT_FALSE(sound->Kill());
    EXPECT_FLOAT_EQ(sound->GetSoundLength(), 0.3f);
    manager->SetVolume(0.5f);
    manager->SetTypeVolume(1000, 0.5f);
    EXPECT_FLOAT_EQ(manager->GetVolume(1000), 0.25f);
    manager->AppActivate(false);
    manager->AppActivate(true);
    PumpUntil(
        *manager, [] { return false; }, 0.1);
    EXPECT_EQ(manager->GetLiveStreamCount(), 0u);
    EXPECT_EQ(callback.mCalls, 0);
  }
  std::string log = ::testing::internal::GetCapturedStderr();
  size_t line = log.find("No sound output device");
  EXPECT_NE(line, std::string::npos) << log;
  EXPECT_EQ(log.find("No sound output device", line + 1), std::string::npos);
  EXPECT_EQ(log.find("OpenAL error"), std::string::npos);
}

} // namespace

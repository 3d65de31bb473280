// soundstall_test: a sound whose sound thread is held up until its voice has run dry still
// plays to its end: the voice is refilled and started again, and reports late, not early.
#include <gtest/gtest.h>

#include <chrono>

#include "core/foundation/asset.h"
#include "core/sound/oggdatasource.h"
#include "platform/sound/soundinstance.h"
#include "platform/sound/sound.h"
#include "platform/sound/soundstreamdata.h"
#include "support/soundtestutil.h"

namespace {

class TTimingCallBack : public TSoundCallBack
{
public:
  void OnComplete(boost::shared_ptr<TSoundInstance>, boost::shared_ptr<TSound>) override
  {
    ++mCalls;
    mWhen = std::chrono::steady_clock::now();
  }
  int mCalls = 0;
  std::chrono::steady_clock::time_point mWhen;
};

TEST(SoundStall, StalledThreadDoesNotCutTheSoundShort)
{
  TAssetManager registry;
  // 0.6 s at 192 kHz: a queued block lasts 0.17 s, so the sound spans four blocks.
  TSoundAssets assets({"tone06s192k.ogg"});
  TOggDataSource::Register();
  TSoundManager manager;
  ASSERT_TRUE(manager.Init());
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone06s192k", false, 0);
  ASSERT_NEAR(sound->GetSoundLength(), 0.6f, 0.01f);
  TTimingCallBack callback;
  auto start = std::chrono::steady_clock::now();
  boost::shared_ptr<TSoundInstance> instance = sound->Play(false);
  ASSERT_TRUE(instance && instance->mStream);
  TSoundStreamData* voice = instance->mStream->GetVoice();
  instance->SetCompleteAction(&callback, boost::shared_ptr<TSound>());
  {
    // The sound thread waits for this lock: no refills until both queued blocks have played.
    TSoundScopedLock stall(SoundManagerMutex::mMutex);
    ASSERT_TRUE(WaitUntil([&] { return voice->HasRunDry(); }, 1.0));
  }
  unsigned restarts = 0;
  ASSERT_TRUE(PumpUntil(
      manager,
      [&] {
        TSoundScopedLock lock(SoundManagerMutex::mMutex);
        if (instance->mStream) {
          restarts = voice->GetRestarts();
        }
        return callback.mCalls > 0;
      },
      5.0));
  // Nothing was skipped: the device plays in real time, so the end cannot come early.
  double seconds = std::chrono::duration<double>(callback.mWhen - start).count();
  EXPECT_GE(seconds, 0.6);
  EXPECT_GE(restarts, 1u);
  EXPECT_EQ(callback.mCalls, 1);
}

} // namespace

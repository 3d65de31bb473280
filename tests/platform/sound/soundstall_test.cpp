// soundstall_test: a 10-second sound whose sound thread is held up for 2 seconds still plays
// to its end: the voice runs dry, is refilled and started again, and reports late, not early.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/foundation/asset.h"
#include "core/sound/oggdatasource.h"
#include "core/sound/soundinstance.h"
#include "platform/sound/sound.h"
#include "platform/sound/soundstreamdata.h"
#include "support/soundtestutil.h"

namespace {

class TTimingCallBack : public TSoundCallBack {
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
  TSoundAssets assets({"tone10s.ogg"});
  TOggDataSource::Register();
  TSoundManager manager;
  ASSERT_TRUE(manager.Init());
  boost::shared_ptr<TSound> sound = TSound::Get("audio/tone10s", false, 0);
  ASSERT_NEAR(sound->GetSoundLength(), 10.0f, 0.01f);
  TTimingCallBack callback;
  auto start = std::chrono::steady_clock::now();
  boost::shared_ptr<TSoundInstance> instance = sound->Play(false);
  ASSERT_TRUE(instance && instance->mStream);
  TSoundStreamData* voice = instance->mStream->GetVoice();
  instance->SetCompleteAction(&callback, boost::shared_ptr<TSound>());
  PumpUntil(manager, [] { return false; }, 1.0);
  unsigned restarts = 0;
  {
    // The sound thread waits for this lock: no refills for 2 s, longer than two blocks last.
    TSoundScopedLock stall(SoundManagerMutex::mMutex);
    std::this_thread::sleep_for(std::chrono::seconds(2));
  }
  ASSERT_TRUE(PumpUntil(manager, [&] {
    TSoundScopedLock lock(SoundManagerMutex::mMutex);
    if (instance->mStream) {
      restarts = voice->GetRestarts();
    }
    return callback.mCalls > 0;
  }, 15.0));
  double seconds = std::chrono::duration<double>(callback.mWhen - start).count();
  EXPECT_GE(seconds, 10.0);
  EXPECT_LT(seconds, 12.5);
  EXPECT_GE(restarts, 1u);
  EXPECT_EQ(callback.mCalls, 1);
}

} // namespace

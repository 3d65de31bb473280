// soundstream_test: the spooler byte for byte over a pattern source, and the stream's
// pauses, gains, chaining, kills and reports, on OpenAL's null output.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/sound/soundstream.h"
#include "platform/sound/soundstreamdata.h"
#include "support/soundtestutil.h"

namespace {

class TRecordingNotify : public TStreamNotify
{
public:
  void StreamFinished(TSoundStream* stream) override { ++mReports; }
  int mReports = 0;
};

TEST(StreamSpooler, LoopingFillWrapsAtTheEnd)
{
  boost::shared_ptr<TSoundDataSource> source(new TPatternSource(10));
  TStreamSpooler spooler(source);
  uint8_t buffer[25];
  unsigned written = 0;
  EXPECT_TRUE(spooler.StreamToBuffer(25, buffer, &written, true));
  EXPECT_EQ(written, 25u);
  for (int i = 0; i < 25; ++i) {
    EXPECT_EQ(buffer[i], i % 10) << "byte " << i;
  }
  EXPECT_EQ(spooler.GetPosition(), 5u);
}

TEST(StreamSpooler, UnloopedFillEndsAndZeroesTheRest)
{
  boost::shared_ptr<TSoundDataSource> source(new TPatternSource(10));
  TStreamSpooler spooler(source);
  uint8_t buffer[16];
  unsigned written = 0;
  EXPECT_TRUE(spooler.StreamToBuffer(6, buffer, &written, false));
  EXPECT_EQ(written, 6u);
  std::memset(buffer, 0xee, sizeof buffer);
  EXPECT_FALSE(spooler.StreamToBuffer(16, buffer, &written, false));
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(buffer[0], 6);
  EXPECT_EQ(buffer[3], 9);
  for (int i = 4; i < 16; ++i) {
    EXPECT_EQ(buffer[i], 0) << "byte " << i;
  }
  EXPECT_FALSE(spooler.StreamToBuffer(16, buffer, &written, false));
  EXPECT_EQ(written, 0u);
  spooler.Reset();
  EXPECT_EQ(spooler.GetPosition(), 0u);
}

TEST(StreamSpooler, LoopingAnEmptySourceEndsTheFill)
{
  TPatternSource* empty = new TPatternSource(0);
  boost::shared_ptr<TSoundDataSource> source(empty);
  TStreamSpooler spooler(source);
  uint8_t buffer[64];
  unsigned written = 99;
  EXPECT_FALSE(spooler.StreamToBuffer(64, buffer, &written, true));
  EXPECT_EQ(written, 0u);
  // A source whose length says more than it delivers ends the same way.
  class TLyingSource : public TPatternSource
  {
  public:
    TLyingSource() : TPatternSource(0) {}
    int64_t GetRawLength() override { return 1000; }
  };
  TStreamSpooler lying(boost::shared_ptr<TSoundDataSource>(new TLyingSource));
  EXPECT_FALSE(lying.StreamToBuffer(64, buffer, &written, true));
  EXPECT_EQ(written, 0u);
}

TEST(StreamSpooler, WithoutASourceDeliversSilence)
{
  TStreamSpooler spooler((boost::shared_ptr<TSoundDataSource>()));
  uint8_t buffer[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  unsigned written = 5;
  EXPECT_TRUE(spooler.StreamToBuffer(8, buffer, &written, false));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(buffer[7], 0);
  EXPECT_EQ(spooler.GetLength(), 0.0f);
}

class SoundStreamTest : public ::testing::Test
{
protected:
  void SetUp() override { mManager.Init(false); }

  // 0.05 s of mono at 200 kHz per 20000 bytes.
  boost::shared_ptr<TSoundStream> MakeStream(uint32_t bytes, bool loop = false, int type = 0)
  {
    mSources.emplace_back(new TPatternSource(bytes, 1, 200000));
    boost::shared_ptr<TSoundStream> stream(
        new TSoundStream(nullptr, new TStreamSpooler(mSources.back()), loop, type, mNotify));
    return stream;
  }

  TSoundManager mManager;
  boost::shared_ptr<TRecordingNotify> mNotify{new TRecordingNotify};
  std::vector<boost::shared_ptr<TSoundDataSource>> mSources;
};

TEST(SoundStreamInit, NeedsARunningManager)
{
  boost::shared_ptr<TSoundDataSource> source(new TPatternSource(1000));
  boost::shared_ptr<TSoundStream> stream(
      new TSoundStream(nullptr, new TStreamSpooler(source), false, 0, boost::shared_ptr<TStreamNotify>()));
  EXPECT_FALSE(stream->Init(44100, 1, 16, 2.0f));
  TSoundManager idle;
  EXPECT_FALSE(stream->Init(44100, 1, 16, 2.0f));
  idle.InternalHandleNotifications(true);
  EXPECT_EQ(idle.GetLiveStreamCount(), 0u);
  idle.Init(false);
  EXPECT_TRUE(stream->Init(44100, 1, 16, 2.0f));
  EXPECT_EQ(idle.GetLiveStreamCount(), 1u);
}

TEST_F(SoundStreamTest, EitherPauseKeepsTheVoiceSilent)
{
  boost::shared_ptr<TSoundStream> stream = MakeStream(400000);
  ASSERT_TRUE(stream->Init(200000, 1, 16, 2.0f));
  stream->Play(true);
  TSoundStreamData* voice = stream->GetVoice();
  EXPECT_FALSE(voice->IsPaused());
  stream->Pause(true);
  stream->SystemPause(true);
  stream->Pause(false);
  EXPECT_TRUE(voice->IsPaused());
  stream->SystemPause(false);
  EXPECT_FALSE(voice->IsPaused());
  stream->SystemPause(true);
  stream->Pause(true);
  stream->SystemPause(false);
  EXPECT_TRUE(voice->IsPaused());
  // A paused voice is not refilled and never completes.
  int reads = static_cast<TPatternSource*>(mSources.back().get())->mReads;
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(stream->Stream(false));
  }
  EXPECT_EQ(static_cast<TPatternSource*>(mSources.back().get())->mReads, reads);
  EXPECT_FALSE(stream->StreamComplete());
  stream->Kill(false);
}

TEST_F(SoundStreamTest, PlayWhileInactiveStartsSystemPaused)
{
  mManager.AppActivate(false);
  boost::shared_ptr<TSoundStream> stream = MakeStream(400000);
  ASSERT_TRUE(stream->Init(200000, 1, 16, 2.0f));
  stream->Play(true);
  EXPECT_TRUE(stream->IsSystemPaused());
  EXPECT_TRUE(stream->GetVoice()->IsPaused());
  mManager.AppActivate(true);
  EXPECT_FALSE(stream->IsSystemPaused());
  EXPECT_FALSE(stream->GetVoice()->IsPaused());
  stream->Kill(false);
}

TEST_F(SoundStreamTest, GainIsClampedToTheUnitRange)
{
  boost::shared_ptr<TSoundStream> stream = MakeStream(40000);
  ASSERT_TRUE(stream->Init(200000, 1, 16, 2.0f));
  stream->SetVolume(1.5f);
  EXPECT_EQ(stream->GetVoice()->GetGain(), 1.0f);
  stream->SetVolume(-0.2f);
  EXPECT_EQ(stream->GetVoice()->GetGain(), 0.0f);
  stream->SetVolume(std::nanf(""));
  EXPECT_EQ(stream->GetVoice()->GetGain(), 0.0f);
  stream->SetVolume(0.25f);
  EXPECT_EQ(stream->GetVoice()->GetGain(), 0.25f);
  stream->Kill(false);
}

TEST_F(SoundStreamTest, KillNowDestroysAtOnce_KillDelayedOnTheNextMainPass)
{
  {
    boost::shared_ptr<TSoundStream> stream = MakeStream(400000);
    ASSERT_TRUE(stream->Init(200000, 1, 16, 2.0f));
    stream->Play(true);
    boost::weak_ptr<TSoundStream> watch = stream;
    stream->Kill(false);
    stream.reset();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(mNotify->mReports, 1);
    EXPECT_EQ(mManager.GetLiveStreamCount(), 0u);
  }
  boost::shared_ptr<TSoundStream> stream = MakeStream(400000);
  ASSERT_TRUE(stream->Init(200000, 1, 16, 2.0f));
  stream->Play(true);
  boost::weak_ptr<TSoundStream> watch = stream;
  {
    TSoundScopedLock lock(SoundManagerMutex::mMutex);
    stream->Kill(true);
  }
  stream.reset();
  EXPECT_EQ(mManager.GetLiveStreamCount(), 0u);
  EXPECT_FALSE(watch.expired());
  EXPECT_EQ(mNotify->mReports, 1);
  mManager.HandleNotifications();
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(mNotify->mReports, 2);
}

TEST_F(SoundStreamTest, QueuingASecondNextSoundDropsTheFirst)
{
  boost::shared_ptr<TSoundStream> stream = MakeStream(40000);
  boost::shared_ptr<TSoundDataSource> first(new TPatternSource(100));
  boost::shared_ptr<TSoundDataSource> second(new TPatternSource(100));
  EXPECT_TRUE(stream->SetNextStreamInfo(mNotify, new TStreamSpooler(first)));
  EXPECT_EQ(first.use_count(), 2);
  EXPECT_TRUE(stream->SetNextStreamInfo(mNotify, new TStreamSpooler(second)));
  EXPECT_EQ(first.use_count(), 1);
  EXPECT_EQ(second.use_count(), 2);
}

// The next sound takes over in the refill step that found the end: every byte of both
// sounds is queued, the first target becomes the previous one and hears of it on the main
// thread's pass, once.
TEST_F(SoundStreamTest, ChainedSoundFollowsInTheSameStep)
{
  boost::shared_ptr<TRecordingNotify> firstTarget(new TRecordingNotify);
  boost::shared_ptr<TRecordingNotify> secondTarget(new TRecordingNotify);
  boost::shared_ptr<TSoundDataSource> first(new TPatternSource(30000, 1, 200000));
  boost::shared_ptr<TSoundDataSource> second(new TPatternSource(20000, 1, 200000));
  boost::shared_ptr<TSoundStream> stream(new TSoundStream(nullptr, new TStreamSpooler(first), false, 0, firstTarget));
  ASSERT_TRUE(stream->Init(200000, 1, 16, 2.0f));
  stream->SetNextStreamInfo(secondTarget, new TStreamSpooler(second));
  stream->Play(true);
  TSoundStreamData* voice = stream->GetVoice();
  EXPECT_EQ(voice->GetQueuedBytes(), 30000u);
  ASSERT_TRUE(PumpUntil(
      mManager,
      [&] {
        mManager.InternalHandleNotifications(true);
        return voice->GetQueuedBytes() == 50000u;
      },
      2.0));
  EXPECT_EQ(stream->mPreviousNotify.lock(), firstTarget);
  EXPECT_EQ(stream->mNotify.lock(), secondTarget);
  EXPECT_EQ(voice->GetRestarts(), 0u);
  EXPECT_EQ(firstTarget->mReports, 0);
  mManager.HandleNotifications();
  EXPECT_EQ(firstTarget->mReports, 1);
  // The report is the target's to clear; this one does not, so it hears every pass.
  stream->mPreviousNotify.reset();
  mManager.HandleNotifications();
  EXPECT_EQ(firstTarget->mReports, 1);
  stream.reset();
  ASSERT_TRUE(PumpUntil(
      mManager,
      [&] {
        mManager.InternalHandleNotifications(true);
        return secondTarget->mReports == 1;
      },
      2.0));
  EXPECT_EQ(mManager.GetLiveStreamCount(), 0u);
}

} // namespace

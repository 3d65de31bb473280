// soundvoice_test: the OpenAL voice on the null output: block sizes, end of data, finishing,
// restarting after an underrun, repeated teardown and running out of OpenAL sources.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/sound/soundstream.h"
#include "platform/sound/soundstreamdata.h"
#include "support/soundtestutil.h"

namespace {

class SoundVoiceTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mManager.reset(new TSoundManager);
    mManager->Init(false);
  }

  boost::shared_ptr<TSoundStream> MakeStream(uint32_t bytes, int rate)
  {
    boost::shared_ptr<TSoundDataSource> source(new TPatternSource(bytes, 1, rate));
    return boost::shared_ptr<TSoundStream>(
        new TSoundStream(nullptr, new TStreamSpooler(source), false, 0, boost::shared_ptr<TStreamNotify>()));
  }

  // Runs refill steps of the one stream until the voice reports finished.
  static bool StreamUntilFinished(TSoundStream& stream, double seconds)
  {
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (stream.Stream(false)) {
      if (std::chrono::steady_clock::now() > until) {
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  std::unique_ptr<TSoundManager> mManager;
};

TEST_F(SoundVoiceTest, QueuesTwoBlocksThenEndsAfterBothPlayed)
{
  ASSERT_TRUE(mManager->HasDevice());
  // 100,000 bytes of mono at 400 kHz: 0.125 s.
  boost::shared_ptr<TSoundStream> stream = MakeStream(100000, 400000);
  ASSERT_TRUE(stream->Init(400000, 1, 16, 2.0f));
  stream->Play(true);
  TSoundStreamData* voice = stream->GetVoice();
  EXPECT_EQ(voice->GetQueuedBlocks(), 2u);
  EXPECT_EQ(voice->GetQueuedBytes(), 100000u);
  EXPECT_FALSE(voice->IsEndOfData());
  EXPECT_TRUE(StreamUntilFinished(*stream, 2.0));
  EXPECT_TRUE(voice->IsEndOfData());
  EXPECT_TRUE(voice->IsFinished());
  EXPECT_TRUE(stream->StreamComplete());
  EXPECT_EQ(voice->GetQueuedBytes(), 100000u);
  EXPECT_EQ(voice->GetRestarts(), 0u);
}

TEST_F(SoundVoiceTest, NewSpoolerRevivesAFinishedVoice)
{
  boost::shared_ptr<TSoundStream> stream = MakeStream(20000, 400000);
  ASSERT_TRUE(stream->Init(400000, 1, 16, 2.0f));
  stream->Play(true);
  TSoundStreamData* voice = stream->GetVoice();
  ASSERT_TRUE(StreamUntilFinished(*stream, 2.0));
  boost::shared_ptr<TSoundDataSource> next(new TPatternSource(150000, 1, 400000));
  TStreamSpooler spooler(next);
  voice->SetStreamSpooler(&spooler);
  EXPECT_FALSE(voice->IsFinished());
  EXPECT_FALSE(voice->IsEndOfData());
  EXPECT_TRUE(voice->Stream());
  EXPECT_EQ(voice->GetQueuedBytes(), 20000u + 2 * 65536u);
  ASSERT_TRUE(StreamUntilFinished(*stream, 2.0));
  EXPECT_EQ(voice->GetQueuedBytes(), 170000u);
  voice->Destroy();
}

// The refill stalls until both queued blocks have played: the source runs dry and stops.
// The next refill must start it again, so the rest still plays instead of being skipped.
TEST_F(SoundVoiceTest, UnderrunRestartsTheSourceAndPlaysTheRest)
{
  // Four blocks of 0.082 s each at 400 kHz.
  boost::shared_ptr<TSoundStream> stream = MakeStream(4 * 65536, 400000);
  ASSERT_TRUE(stream->Init(400000, 1, 16, 2.0f));
  stream->Play(true);
  TSoundStreamData* voice = stream->GetVoice();
  // No refill meanwhile: the wait ends when the device has played both blocks, however
  // long a loaded machine takes for that, and not on a guess of the time.
  ASSERT_TRUE(WaitUntil([&] { return voice->HasRunDry(); }, 1.0));
  EXPECT_EQ(voice->GetRestarts(), 0u);
  auto resumed = std::chrono::steady_clock::now();
  EXPECT_TRUE(stream->Stream(false));
  EXPECT_EQ(voice->GetRestarts(), 1u);
  EXPECT_FALSE(voice->HasRunDry());
  ASSERT_TRUE(StreamUntilFinished(*stream, 1.0));
  // Blocks three and four take 0.164 s to play; a device can be late but never early.
  double played = std::chrono::duration<double>(std::chrono::steady_clock::now() - resumed).count();
  EXPECT_GT(played, 0.15);
  EXPECT_EQ(voice->GetQueuedBytes(), 4u * 65536u);
}

TEST_F(SoundVoiceTest, PausedVoiceIsNotRefilled)
{
  boost::shared_ptr<TSoundStream> stream = MakeStream(400000, 200000);
  ASSERT_TRUE(stream->Init(200000, 1, 16, 2.0f));
  stream->Play(true);
  TSoundStreamData* voice = stream->GetVoice();
  voice->Pause();
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_TRUE(voice->Stream());
  EXPECT_EQ(voice->GetQueuedBlocks(), 2u);
  voice->Resume();
  EXPECT_FALSE(voice->IsPaused());
  voice->Destroy();
}

TEST_F(SoundVoiceTest, DestroyTwiceMakesNoSecondCall)
{
  boost::shared_ptr<TSoundStream> stream = MakeStream(40000, 200000);
  ASSERT_TRUE(stream->Init(200000, 1, 16, 2.0f));
  stream->Play(true);
  TSoundStreamData* voice = stream->GetVoice();
  ::testing::internal::CaptureStderr();
  voice->Destroy();
  voice->Destroy();
  voice->SetVolume(0.5f);
  voice->Pause();
  voice->Resume();
  EXPECT_TRUE(voice->Stream());
  EXPECT_EQ(::testing::internal::GetCapturedStderr().find("OpenAL error"), std::string::npos);
  EXPECT_FALSE(voice->HasSource());
  EXPECT_FALSE(voice->IsPlaying());
}

// OpenAL has a fixed number of sources; voices past it fail to start, quietly, and every
// voice that did start still works.
TEST_F(SoundVoiceTest, RunningOutOfSourcesFailsInit)
{
  std::vector<boost::shared_ptr<TSoundStream>> streams;
  int started = 0;
  ::testing::internal::CaptureStderr();
  for (int i = 0; i < 300; ++i) {
    streams.push_back(MakeStream(2000, 200000));
    if (streams.back()->Init(200000, 1, 16, 2.0f)) {
      ++started;
      streams.back()->Play(true);
    }
  }
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_GT(started, 16);
  EXPECT_LT(started, 300);
  EXPECT_EQ(mManager->GetLiveStreamCount(), static_cast<size_t>(started));
  for (auto& stream : streams) {
    stream->Kill(false);
  }
  streams.clear();
  EXPECT_EQ(mManager->GetLiveStreamCount(), 0u);
  // Sources are free again.
  boost::shared_ptr<TSoundStream> again = MakeStream(2000, 200000);
  EXPECT_TRUE(again->Init(200000, 1, 16, 2.0f));
}

} // namespace

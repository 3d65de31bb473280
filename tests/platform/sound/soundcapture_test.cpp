// soundcapture_test: what is heard, captured by OpenAL Soft's wave output into a WAV file:
// gain changes the level, pauses and a zero master volume are silent, loops and chained
// sounds play without gaps. Asserts levels, silences and durations, never samples.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <unistd.h>

#include "core/foundation/asset.h"
#include "core/sound/oggdatasource.h"
#include "platform/sound/soundinstance.h"
#include "platform/sound/sound.h"
#include "support/soundtestutil.h"
#include "support/testfolder.h"

namespace {

// Stretches of 10 ms with their level (RMS of the left channel, full scale 1.0).
struct TCapture
{
  int mRate = 0;
  std::vector<double> mLevels;

  static constexpr double kWindow = 0.01;
  static constexpr double kLoud = 0.02;

  // Runs of loud windows as (first window, window count).
  std::vector<std::pair<size_t, size_t>> LoudRuns() const
  {
    std::vector<std::pair<size_t, size_t>> runs;
    for (size_t i = 0; i < mLevels.size(); ++i) {
      if (mLevels[i] < kLoud) {
        continue;
      }
      if (!runs.empty() && runs.back().first + runs.back().second == i) {
        ++runs.back().second;
      } else {
        runs.push_back({i, 1});
      }
    }
    return runs;
  }
  // The median level of a run, away from its edges.
  double Level(std::pair<size_t, size_t> run) const
  {
    std::vector<double> inner(mLevels.begin() + static_cast<long>(run.first + 2),
                              mLevels.begin() + static_cast<long>(run.first + run.second - 2));
    if (inner.empty()) {
      return 0.0;
    }
    std::sort(inner.begin(), inner.end());
    return inner[inner.size() / 2];
  }
};

TCapture ReadCapture(const std::string& path)
{
  TCapture capture;
  std::string bytes = ReadBytes(path);
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0) {
    return capture;
  }
  int channels = 0;
  int bits = 0;
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    std::string id = bytes.substr(at, 4);
    uint32_t size = 0;
    std::memcpy(&size, bytes.data() + at + 4, 4);
    if (id == "fmt " && at + 24 <= bytes.size()) {
      uint16_t value16 = 0;
      std::memcpy(&value16, bytes.data() + at + 10, 2);
      channels = value16;
      std::memcpy(&capture.mRate, bytes.data() + at + 12, 4);
      std::memcpy(&value16, bytes.data() + at + 22, 2);
      bits = value16;
    }
    if (id == "data") {
      // The size field may not be final; the data runs to the end of the file.
      at += 8;
      break;
    }
    at += 8 + size + (size & 1);
  }
  if (channels < 1 || bits != 16 || capture.mRate <= 0) {
    return capture;
  }
  size_t frameBytes = 2u * static_cast<size_t>(channels);
  size_t frames = (bytes.size() - at) / frameBytes;
  size_t window = static_cast<size_t>(capture.mRate * TCapture::kWindow);
  for (size_t start = 0; start + window <= frames; start += window) {
    double sum = 0.0;
    for (size_t frame = start; frame < start + window; ++frame) {
      int16_t sample = 0;
      std::memcpy(&sample, bytes.data() + at + frame * frameBytes, 2);
      sum += (sample / 32768.0) * (sample / 32768.0);
    }
    capture.mLevels.push_back(std::sqrt(sum / static_cast<double>(window)));
  }
  return capture;
}

class SoundCaptureTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    // OpenAL reads its configuration once, at the first device it opens.
    sFolder = MakeTestFolder("capture");
    ASSERT_FALSE(sFolder.empty());
    std::string conf = "[general]\ndrivers = wave\nsample-type = int16\nfrequency = 44100\n"
                       "channels = stereo\n[wave]\nfile = " +
                       sFolder + "/cap.wav\n";
    std::ofstream(sFolder + "/alsoft.conf") << conf;
    unsetenv("ALSOFT_DRIVERS");
    setenv("ALSOFT_CONF", (sFolder + "/alsoft.conf").c_str(), 1);
  }

  SoundCaptureTest() : mAssets({"tone010.ogg", "tone030.ogg"}) { TOggDataSource::Register(); }

  // Plays through a manager of its own and returns what the device wrote.
  TCapture Capture(const std::function<void(TSoundManager&)>& play)
  {
    {
      TSoundManager manager;
      EXPECT_TRUE(manager.HasDevice());
      manager.Init();
      Wait(manager, 0.05);
      play(manager);
      Wait(manager, 0.1);
    }
    return ReadCapture(sFolder + "/cap.wav");
  }

  static void Wait(TSoundManager& manager, double seconds)
  {
    PumpUntil(
        manager, [] { return false; }, seconds);
  }
  static bool PlayOut(TSoundManager& manager, const boost::shared_ptr<TSoundInstance>& instance)
  {
    return PumpUntil(
        manager, [&] { return HasPlayedOut(instance); }, 3.0);
  }

  static std::string sFolder;
  TAssetManager mRegistry;
  TSoundAssets mAssets;
};

std::string SoundCaptureTest::sFolder;

TEST_F(SoundCaptureTest, GainScalesTheLevel)
{
  boost::shared_ptr<TSound> tone = TSound::Get("audio/tone030", true, 1000);
  TCapture capture = Capture([&](TSoundManager& manager) {
    ASSERT_TRUE(PlayOut(manager, tone->Play(false)));
    Wait(manager, 0.15);
    manager.SetTypeVolume(1000, 0.5f);
    ASSERT_TRUE(PlayOut(manager, tone->Play(false)));
  });
  auto runs = capture.LoudRuns();
  ASSERT_EQ(runs.size(), 2u);
  double full = capture.Level(runs[0]);
  double half = capture.Level(runs[1]);
  EXPECT_GT(full, 0.1);
  EXPECT_NEAR(half / full, 0.5, 0.05);
  for (auto& run : runs) {
    EXPECT_NEAR(run.second * TCapture::kWindow, 0.3, 0.03);
  }
}

TEST_F(SoundCaptureTest, PauseAndZeroMasterAreSilent_LoopPlaysOnWithoutGaps)
{
  boost::shared_ptr<TSound> tone = TSound::Get("audio/tone010", true, 0);
  // The device renders on its own thread, which a loaded machine (sanitizers, parallel
  // tests) can hold back and let catch up in a burst: where a change lands in the output
  // may then drift by a good part of a second from when it was made. So the stretches are
  // held to what the changes must give, not to their lengths in time: three loud runs,
  // each several loops long with no silent window inside, with silence between them.
  TCapture capture = Capture([&](TSoundManager& manager) {
    boost::shared_ptr<TSoundInstance> loop = tone->Play(true);
    Wait(manager, 0.35);
    tone->Pause(true);
    Wait(manager, 0.5);
    tone->Pause(false);
    Wait(manager, 0.35);
    manager.SetVolume(0.0f);
    Wait(manager, 0.5);
    manager.SetVolume(1.0f);
    Wait(manager, 0.35);
    loop->Kill();
  });
  auto runs = capture.LoudRuns();
  ASSERT_EQ(runs.size(), 3u);
  for (size_t i = 0; i < runs.size(); ++i) {
    EXPECT_GE(runs[i].second * TCapture::kWindow, 0.15) << "run " << i;
    if (i > 0) {
      size_t silent = runs[i].first - (runs[i - 1].first + runs[i - 1].second);
      EXPECT_GE(silent * TCapture::kWindow, 0.03) << "gap before run " << i;
    }
  }
}

TEST_F(SoundCaptureTest, ChainedSoundFollowsWithoutAGap)
{
  boost::shared_ptr<TSound> first = TSound::Get("audio/tone010", true, 0);
  boost::shared_ptr<TSound> next = TSound::Get("audio/tone030", true, 0);
  TCapture capture = Capture([&](TSoundManager& manager) {
    boost::shared_ptr<TSoundInstance> instance = first->Play(false);
    instance->SetCompleteAction(nullptr, next);
    ASSERT_TRUE(PlayOut(manager, instance));
  });
  auto runs = capture.LoudRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NEAR(runs[0].second * TCapture::kWindow, 0.4, 0.03);
}

} // namespace

// clock_test: the pausable clock on a fake platform timer: start, pause, resume, reset.
#include <gtest/gtest.h>

#include "core/foundation/clock.h"
#include "support/faketimer.h"

TEST(Clock, StartsPausedAtZero)
{
  TFakeTimer timer(7000);
  TClock clock;
  EXPECT_TRUE(clock.IsPaused());
  timer.Advance(500);
  EXPECT_EQ(clock.GetTime(), 0u);
  clock.Start();
  timer.Advance(25);
  EXPECT_EQ(clock.GetTime(), 25u);
}

TEST(Clock, ResumesWhereItWasPausedAndResetsToZero)
{
  TFakeTimer timer(1000);
  TClock clock;
  clock.Start();
  timer.Set(1500);
  EXPECT_FALSE(clock.Pause());
  EXPECT_EQ(clock.GetTime(), 500u);
  timer.Set(1800);
  EXPECT_TRUE(clock.Pause()); // already paused: nothing changes
  EXPECT_EQ(clock.GetTime(), 500u);
  timer.Set(2000);
  clock.Start();
  timer.Set(2100);
  EXPECT_EQ(clock.GetTime(), 600u);

  clock.Reset();
  EXPECT_TRUE(clock.IsPaused());
  EXPECT_EQ(clock.GetTime(), 0u);
  timer.Set(3000);
  clock.Start();
  timer.Set(3050);
  EXPECT_EQ(clock.GetTime(), 50u);
}

TEST(Clock, StartWhileRunningChangesNothing)
{
  TFakeTimer timer(0);
  TClock clock;
  clock.Start();
  timer.Set(300);
  clock.Start();
  EXPECT_EQ(clock.GetTime(), 300u);
}

TEST(Clock, RunsOnAcrossTheTimerWrap)
{
  TFakeTimer timer(0xFFFFFFF0u);
  TClock clock;
  clock.Start();
  timer.Set(0x20u);
  EXPECT_EQ(clock.GetTime(), 0x30u);
}

// faketimer: a hand-driven stand-in for the platform timer; while one lives, everything
// that reads TPlatform::Timer (tasks, clocks, frame pacing) sees its time.
#pragma once

#include <cstdint>

#include "platform/platform.h"

class TFakeTimer : public TTimeSource
{
public:
  explicit TFakeTimer(uint32_t start = 0) : mNow(start) { mPrevious = TPlatform::SetTimeSource(this); }
  ~TFakeTimer() override { TPlatform::SetTimeSource(mPrevious); }

  uint32_t Now() override { return mNow; }
  // A wait is the time moving on.
  void Wait(uint32_t ms) override { mNow += ms; }
  void Set(uint32_t now) { mNow = now; }
  void Advance(uint32_t ms) { mNow += ms; }

private:
  TFakeTimer(const TFakeTimer&) = delete;
  TFakeTimer& operator=(const TFakeTimer&) = delete;

  uint32_t mNow;
  TTimeSource* mPrevious;
};

// clock: a pausable millisecond clock over the engine timer; animation tasks and
// modal windows run on one so that pausing it stops their animations.
#include "core/foundation/clock.h"

#include "core/foundation/timesource.h"

uint32_t TClock::GetTime() const
{
  if (mPaused) {
    return mFrozenTime;
  }
  return TTimeSource::Timer() - mBase - mPausedTotal;
}

void TClock::Start()
{
  if (!mPaused) {
    return;
  }
  const uint32_t timer = TTimeSource::Timer();
  if (!mStarted) {
    mStarted = true;
    mBase = timer;
    mFrozenTime = 0;
    mPausedTotal = 0;
  } else {
    mPausedTotal += timer - mBase - mPausedTotal - mFrozenTime;
  }
  mPaused = false;
}

bool TClock::Pause()
{
  if (mPaused) {
    return true;
  }
  mFrozenTime = GetTime();
  mPaused = true;
  return false;
}

void TClock::Reset()
{
  mBase = TTimeSource::Timer();
  mFrozenTime = 0;
  mPausedTotal = 0;
  mPaused = true;
}

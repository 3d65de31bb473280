// clock: a pausable millisecond clock over the engine timer; animation tasks and
// modal windows run on one so that pausing it stops their animations.
#pragma once

#include <cstdint>

class TClock
{
public:
  TClock() {}
  virtual ~TClock() {}

  // Milliseconds of running time since the first start or the last reset; wraps like
  // the platform timer.
  uint32_t GetTime() const;
  // Resumes at the time it was paused at; the first start ever begins at 0.
  void Start();
  // Returns true when it was already paused (then nothing changes).
  bool Pause();
  // Back to 0 and paused; the next Start resumes from 0.
  void Reset();
  bool IsPaused() const { return mPaused; }

private:
  bool mPaused = true;
  bool mStarted = false;
  uint32_t mBase = 0;
  uint32_t mFrozenTime = 0;
  uint32_t mPausedTotal = 0;
};

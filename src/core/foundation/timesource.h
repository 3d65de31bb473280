// timesource: the engine's millisecond timer (the monotonic clock since start-up) and the
// replaceable source behind it, so tests drive tasks, clocks and frame pacing with a fake.
#pragma once

#include <cstdint>

class TTimeSource
{
public:
  virtual ~TTimeSource() {}
  // Milliseconds; unsigned 32-bit with wrap-around, like Timer().
  virtual uint32_t Now() = 0;
  // Lets ms pass: a fake moves its time on, or leaves it standing (the default), which tells
  // a waiting loop that no time will pass.
  virtual void Wait(uint32_t ms) {}

  // The installed source's reading, else milliseconds since start-up on the monotonic
  // clock, wrapping after 2^32 ms; compare two readings by their signed 32-bit difference.
  // TPlatform::Timer is its public face.
  static uint32_t Timer();
  // Microseconds for measuring short work: the installed source's milliseconds times 1000,
  // else the monotonic clock's microseconds since start-up.
  static uint64_t Microseconds();
  // Waits ms on the installed source, else sleeps the thread that long.
  static void Sleep(uint32_t ms);
  // Installs a source (null restores the monotonic clock); returns the old one.
  static TTimeSource* Install(TTimeSource* source);
};

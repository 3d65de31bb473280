// timesource: the engine's millisecond timer (the monotonic clock since start-up) and the
// replaceable source behind it, so tests drive tasks, clocks and frame pacing with a fake.
#include "core/foundation/timesource.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <time.h>

namespace {

uint64_t MonotonicMilliseconds()
{
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
}

uint64_t StartMilliseconds()
{
  static const uint64_t start = MonotonicMilliseconds();
  return start;
}

// Fix the timer's zero at process start-up rather than at its first reading.
const uint64_t gTimerZero = StartMilliseconds();

std::atomic<TTimeSource*> gTimeSource{nullptr};

} // namespace

uint32_t TTimeSource::Timer()
{
  if (TTimeSource* source = gTimeSource.load(std::memory_order_acquire)) {
    return source->Now();
  }
  (void)gTimerZero;
  // Truncation to 32 bits is the wrap-around that every reader expects.
  return uint32_t(MonotonicMilliseconds() - StartMilliseconds());
}

uint64_t TTimeSource::Microseconds()
{
  if (TTimeSource* source = gTimeSource.load(std::memory_order_acquire)) {
    return uint64_t(source->Now()) * 1000u;
  }
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000000u + uint64_t(now.tv_nsec) / 1000u - StartMilliseconds() * 1000u;
}

void TTimeSource::Sleep(uint32_t ms)
{
  if (TTimeSource* source = gTimeSource.load(std::memory_order_acquire)) {
    source->Wait(ms);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TTimeSource* TTimeSource::Install(TTimeSource* source)
{
  return gTimeSource.exchange(source, std::memory_order_acq_rel);
}

// screenveil: a black veil over the whole of every presented frame, its opacity going in a
// straight line from one value to another over a span of the timer's milliseconds.
#include "core/graphics/screenveil.h"

#include <algorithm>

namespace {

float Clamped(float opacity)
{
  return std::min(1.0f, std::max(0.0f, opacity));
}

} // namespace

TScreenVeil::TScreenVeil(uint32_t start, uint32_t duration, float from, float to)
    : mStart(start), mDuration(duration), mFrom(Clamped(from)), mTo(Clamped(to))
{}

float TScreenVeil::OpacityAt(uint32_t now) const
{
  const int32_t elapsed = int32_t(now - mStart);
  if (elapsed < 0) {
    return mFrom;
  }
  if (EndedAt(now)) {
    return mTo;
  }
  return mFrom + (mTo - mFrom) * float(elapsed) / float(mDuration);
}

bool TScreenVeil::EndedAt(uint32_t now) const
{
  const int32_t elapsed = int32_t(now - mStart);
  return elapsed >= 0 && uint32_t(elapsed) >= mDuration;
}

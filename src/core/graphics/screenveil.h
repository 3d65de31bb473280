// screenveil: a black veil over the whole of every presented frame, its opacity going in a
// straight line from one value to another over a span of the timer's milliseconds.
#pragma once

#include <cstdint>

class TScreenVeil
{
public:
  // No veil.
  TScreenVeil() {}
  // From opacity from at start to opacity to duration ms later (0 to 1 each), then held.
  TScreenVeil(uint32_t start, uint32_t duration, float from, float to);

  // The opacity at the timer's reading now: from before the start, to after the end. Times
  // compare by signed 32-bit differences, so the veil keeps working when the timer wraps.
  float OpacityAt(uint32_t now) const;
  // Whether it has reached its end opacity at now.
  bool EndedAt(uint32_t now) const;

private:
  uint32_t mStart = 0;
  uint32_t mDuration = 0;
  float mFrom = 0.0f;
  float mTo = 0.0f;
};

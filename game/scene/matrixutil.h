// matrixutil: the small geometry of the scene's hit tests (inverse transforms, row vectors
// times matrices, overlap of moved rectangles) and float-to-integer conversions.
#pragma once

#include <climits>
#include <cmath>

#include "core/foundation/mat.h"
#include "core/foundation/rect.h"
#include "core/foundation/vec.h"

// Replaces m by its inverse; false (m unchanged) when m is singular, as a zero scale makes it.
bool invertMatrix(TMat3* m);
// The row vector v times m (a point (x, y, 1) is moved by the translation row).
TVec3 vectorMulMatrix(const TVec3* v, const TMat3* m);
// True when the axis-aligned bounds of the two rectangles, each moved by its matrix,
// overlap; bounds that only touch count as overlapping.
bool RectItersectTest(const TRect& a, const TMat3& ma, const TRect& b, const TMat3& mb);

// Float to integer conversions that are defined for every input: truncated (or floored)
// towards the nearest representable value, NaN giving 0, negatives giving 0 where unsigned.
inline int TruncateToInt(float value)
{
  if (!(value == value))
    return 0;
  if (value >= 2147483647.0f)
    return INT_MAX;
  if (value <= -2147483648.0f)
    return INT_MIN;
  return static_cast<int>(value);
}
inline int FloorToInt(float value)
{
  return TruncateToInt(std::floor(value));
}
inline unsigned TruncateToUnsigned(float value)
{
  if (!(value > 0))
    return 0;
  if (value >= 4294967295.0f)
    return UINT_MAX;
  return static_cast<unsigned>(value);
}

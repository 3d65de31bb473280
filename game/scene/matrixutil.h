// matrixutil: the small geometry of the scene's hit tests: inverting a 2-D transform,
// moving a row vector by a matrix, and the overlap test of two transformed rectangles.
#pragma once

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

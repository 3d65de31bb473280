// matrixutil: the small geometry of the scene's hit tests (inverse transforms, row vectors
// times matrices, overlap of moved rectangles) and float-to-integer conversions.
#include "scene/matrixutil.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "scene/texturewrapper.h"

bool invertMatrix(TMat3* matrix)
{
  const float* m = matrix->Data();
  const float det =
      m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) + m[2] * (m[3] * m[7] - m[4] * m[6]);
  if (det == 0 || det != det)
    return false;
  TMat3 inverse((m[4] * m[8] - m[5] * m[7]) / det, (m[2] * m[7] - m[1] * m[8]) / det, (m[1] * m[5] - m[2] * m[4]) / det,
                (m[5] * m[6] - m[3] * m[8]) / det, (m[0] * m[8] - m[2] * m[6]) / det, (m[2] * m[3] - m[0] * m[5]) / det,
                (m[3] * m[7] - m[4] * m[6]) / det, (m[1] * m[6] - m[0] * m[7]) / det,
                (m[0] * m[4] - m[1] * m[3]) / det);
  *matrix = inverse;
  return true;
}

TVec3 vectorMulMatrix(const TVec3* v, const TMat3* matrix)
{
  const float* m = matrix->Data();
  TVec3 out;
  for (int j = 0; j < 3; ++j)
    out[j] = (*v)[0] * m[j] + (*v)[1] * m[3 + j] + (*v)[2] * m[6 + j];
  return out;
}

namespace {

struct TBounds
{
  float mMinX, mMinY, mMaxX, mMaxY;
};

TBounds Bounds(const TRect& rect, const TMat3& matrix)
{
  const float infinity = std::numeric_limits<float>::infinity();
  TBounds bounds = {infinity, infinity, -infinity, -infinity};
  const TVec3 corners[4] = {TVec3(float(rect.left), float(rect.top), 1), TVec3(float(rect.left), float(rect.bottom), 1),
                            TVec3(float(rect.right), float(rect.top), 1),
                            TVec3(float(rect.right), float(rect.bottom), 1)};
  for (const TVec3& corner : corners) {
    TVec3 moved = vectorMulMatrix(&corner, &matrix);
    bounds.mMinX = std::min(bounds.mMinX, moved.x);
    bounds.mMinY = std::min(bounds.mMinY, moved.y);
    bounds.mMaxX = std::max(bounds.mMaxX, moved.x);
    bounds.mMaxY = std::max(bounds.mMaxY, moved.y);
  }
  return bounds;
}

// The texture wrapper's order where two values lie a unit or more apart, the exact one
// nearer than that: boxes whose edges almost meet then get one answer, whatever order qsort
// leaves equal values in.
int CompareExactly(const void* a, const void* b)
{
  const int coarse = TTextureWrapper::compare(a, b);
  if (coarse != 0)
    return coarse;
  const float first = *static_cast<const float*>(a);
  const float second = *static_cast<const float*>(b);
  return (first > second) - (first < second);
}

// An axis overlaps when its two lowest edges are the two boxes' lower edges; bounds that
// only touch count.
bool AxisOverlaps(float minA, float maxA, float minB, float maxB)
{
  float edges[4] = {maxA, minA, maxB, minB};
  std::qsort(edges, 4, sizeof edges[0], &CompareExactly);
  return (edges[0] == minA && edges[1] == minB) || (edges[0] == minB && edges[1] == minA);
}

} // namespace

bool RectItersectTest(const TRect& a, const TMat3& ma, const TRect& b, const TMat3& mb)
{
  TBounds first = Bounds(a, ma);
  TBounds second = Bounds(b, mb);
  return AxisOverlaps(first.mMinX, first.mMaxX, second.mMinX, second.mMaxX) &&
         AxisOverlaps(first.mMinY, first.mMaxY, second.mMinY, second.mMaxY);
}

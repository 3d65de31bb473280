// mat: 3x3 and 4x4 float matrices for 2-D and 3-D transforms of row vectors (v' = v x M,
// translation in the last row); used by the renderer, the draw specs and the scene graph.
#pragma once

#include "core/foundation/vec.h"

struct TMat3
{
  TVec3 mRow[3];

  // The identity.
  TMat3();
  // Nine values, row by row.
  TMat3(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21, float m22);

  TVec3& operator[](int r) { return mRow[r]; }
  TVec3 const& operator[](int r) const { return mRow[r]; }
  // The nine values row by row, contiguous.
  float* Data() { return &mRow[0].x; }
  float const* Data() const { return &mRow[0].x; }

  // Scales and rotates the 2x2 part; the translation row stays as it is.
  TMat3& Scale(float s);
  TMat3& Rotate(float angle);
};

TMat3 operator*(TMat3 const& a, TMat3 const& b);
TVec2 operator*(TVec2 const& v, TMat3 const& m);
// Product of the upper-left 2x2 blocks; the result keeps a's translation row.
TMat3 Multiply2x2(TMat3 const& a, TMat3 const& b);

struct TMat4
{
  TVec4 mRow[4];

  // The identity.
  TMat4();
  // Sixteen values, row by row.
  TMat4(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13, float m20, float m21,
        float m22, float m23, float m30, float m31, float m32, float m33);

  TVec4& operator[](int r) { return mRow[r]; }
  TVec4 const& operator[](int r) const { return mRow[r]; }
  // The sixteen values row by row, contiguous (element 8 is row 2, column 0).
  float* Data() { return &mRow[0].x; }
  float const* Data() const { return &mRow[0].x; }

  TMat4& Scale(float sx, float sy, float sz);
  TMat4& RotateAxis(TVec3 const& axis, float angle);
  TMat4& RotateY(float angle);
  // Left-handed perspective projection (depth 0 at near, 1 at far) whose centre is shifted by
  // offset; fov in radians.
  TMat4& OffsetPerspective(float nearPlane, float farPlane, float fov, float aspect, TVec2 const& offset);
};

TMat4 operator*(TMat4 const& a, TMat4 const& b);
TVec4 operator*(TVec4 const& v, TMat4 const& m);
// A point: w is taken as 1, and no division by w follows.
TVec3 operator*(TVec3 const& v, TMat4 const& m);

static_assert(sizeof(TMat3) == 9 * sizeof(float), "TMat3 is nine packed floats");
static_assert(sizeof(TMat4) == 16 * sizeof(float), "TMat4 is sixteen packed floats");

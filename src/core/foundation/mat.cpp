// mat: matrix products, 2-D and 3-D scaling and rotation, and the perspective projection
// used by the renderer; plain arithmetic on the value types of vec.h.
#include "core/foundation/mat.h"

#include <cmath>

TMat3::TMat3()
{
  mRow[0] = TVec3(1, 0, 0);
  mRow[1] = TVec3(0, 1, 0);
  mRow[2] = TVec3(0, 0, 1);
}

TMat3::TMat3(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21, float m22)
{
  mRow[0] = TVec3(m00, m01, m02);
  mRow[1] = TVec3(m10, m11, m12);
  mRow[2] = TVec3(m20, m21, m22);
}

TMat3 operator*(TMat3 const& a, TMat3 const& b)
{
  TMat3 result;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      result.mRow[i][j] = a.mRow[i][0] * b.mRow[0][j] + a.mRow[i][1] * b.mRow[1][j] + a.mRow[i][2] * b.mRow[2][j];
  return result;
}

TVec2 operator*(TVec2 const& v, TMat3 const& m)
{
  return TVec2(v.x * m.mRow[0].x + v.y * m.mRow[1].x + m.mRow[2].x,
               v.x * m.mRow[0].y + v.y * m.mRow[1].y + m.mRow[2].y);
}

TMat3 Multiply2x2(TMat3 const& a, TMat3 const& b)
{
  TMat3 result;
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j)
      result.mRow[i][j] = a.mRow[i][0] * b.mRow[0][j] + a.mRow[i][1] * b.mRow[1][j];
    result.mRow[i][2] = 0;
  }
  result.mRow[2] = a.mRow[2];
  return result;
}

TMat3& TMat3::Scale(float s)
{
  *this = Multiply2x2(*this, TMat3(s, 0, 0, 0, s, 0, 0, 0, 1));
  return *this;
}

TMat3& TMat3::Rotate(float angle)
{
  float c = std::cos(angle);
  float s = std::sin(angle);
  *this = Multiply2x2(*this, TMat3(c, s, 0, -s, c, 0, 0, 0, 1));
  return *this;
}

TMat4::TMat4()
{
  mRow[0] = TVec4(1, 0, 0, 0);
  mRow[1] = TVec4(0, 1, 0, 0);
  mRow[2] = TVec4(0, 0, 1, 0);
  mRow[3] = TVec4(0, 0, 0, 1);
}

TMat4::TMat4(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13, float m20,
             float m21, float m22, float m23, float m30, float m31, float m32, float m33)
{
  mRow[0] = TVec4(m00, m01, m02, m03);
  mRow[1] = TVec4(m10, m11, m12, m13);
  mRow[2] = TVec4(m20, m21, m22, m23);
  mRow[3] = TVec4(m30, m31, m32, m33);
}

TMat4 operator*(TMat4 const& a, TMat4 const& b)
{
  TMat4 result;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      result.mRow[i][j] = a.mRow[i][0] * b.mRow[0][j] + a.mRow[i][1] * b.mRow[1][j] + a.mRow[i][2] * b.mRow[2][j] +
                          a.mRow[i][3] * b.mRow[3][j];
  return result;
}

TVec4 operator*(TVec4 const& v, TMat4 const& m)
{
  TVec4 result;
  for (int j = 0; j < 4; ++j)
    result[j] = v.x * m.mRow[0][j] + v.y * m.mRow[1][j] + v.z * m.mRow[2][j] + v.w * m.mRow[3][j];
  return result;
}

TVec3 operator*(TVec3 const& v, TMat4 const& m)
{
  TVec3 result;
  for (int j = 0; j < 3; ++j)
    result[j] = v.x * m.mRow[0][j] + v.y * m.mRow[1][j] + v.z * m.mRow[2][j] + m.mRow[3][j];
  return result;
}

TMat4& TMat4::Scale(float sx, float sy, float sz)
{
  *this = *this * TMat4(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
  return *this;
}

TMat4& TMat4::RotateAxis(TVec3 const& axis, float angle)
{
  float c = std::cos(angle);
  float s = std::sin(angle);
  float t = 1 - c;
  float x = axis.x, y = axis.y, z = axis.z;
  TMat4 rotation(t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0, t * x * y - s * z, t * y * y + c,
                 t * y * z + s * x, 0, t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0, 0, 0, 0, 1);
  *this = *this * rotation;
  return *this;
}

TMat4& TMat4::RotateY(float angle)
{
  return RotateAxis(TVec3(0, 1, 0), angle);
}

namespace {
// Maps an offset in (-1, 1) onto the whole real line; the edges themselves have no image.
float StretchOffset(float value)
{
  float magnitude = std::fabs(value);
  if (magnitude == 1.0f)
    return -10000.0f;
  return value / (1 - magnitude);
}
} // namespace

TMat4& TMat4::OffsetPerspective(float nearPlane, float farPlane, float fov, float aspect, TVec2 const& offset)
{
  float cot = std::cos(fov / 2) / std::sin(fov / 2);
  float depth = farPlane / (farPlane - nearPlane);
  mRow[0] = TVec4(cot / aspect, 0, 0, 0);
  mRow[1] = TVec4(0, cot, 0, 0);
  mRow[2] = TVec4(StretchOffset(offset.x), StretchOffset(offset.y), depth, 1);
  mRow[3] = TVec4(0, 0, -nearPlane * depth, 0);
  return *this;
}

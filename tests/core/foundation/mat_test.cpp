// mat_test: matrix products in the row-vector convention, 2-D and 3-D rotation and
// scaling, and the off-centre perspective projection.
#include "core/foundation/mat.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
const float kPi = 3.14159265358979f;

void ExpectNear(TVec2 const& v, float x, float y)
{
  EXPECT_NEAR(v.x, x, 1e-5f);
  EXPECT_NEAR(v.y, y, 1e-5f);
}

void ExpectNear(TVec3 const& v, float x, float y, float z)
{
  EXPECT_NEAR(v.x, x, 1e-5f);
  EXPECT_NEAR(v.y, y, 1e-5f);
  EXPECT_NEAR(v.z, z, 1e-5f);
}

TMat3 Translation(float x, float y)
{
  return TMat3(1, 0, 0, 0, 1, 0, x, y, 1);
}
} // namespace

TEST(Mat, DefaultsAreIdentityAndValuesGoRowByRow)
{
  TMat3 m3;
  TMat4 m4;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(m4[r][c], r == c ? 1.0f : 0.0f);
      if (r < 3 && c < 3) {
        EXPECT_EQ(m3[r][c], r == c ? 1.0f : 0.0f);
      }
    }
  TMat3 rows(1, 2, 3, 4, 5, 6, 7, 8, 9);
  EXPECT_EQ(rows[0][2], 3.0f);
  EXPECT_EQ(rows[2][0], 7.0f);
  TMat4 rows4(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  EXPECT_EQ(rows4.Data()[8], 8.0f);
  EXPECT_EQ(rows4[2][0], 8.0f);
}

TEST(Mat, Mat3ProductAppliesLeftFirst)
{
  TMat3 scale;
  scale.Scale(2);
  TMat3 moveThenScale = Translation(10, 0) * scale;
  ExpectNear(TVec2(1, 1) * moveThenScale, 22, 2);
  TMat3 scaleThenMove = scale * Translation(10, 0);
  ExpectNear(TVec2(1, 1) * scaleThenMove, 12, 2);

  TMat3 a(1, 2, 3, 4, 5, 6, 7, 8, 9);
  TMat3 product = a * a;
  EXPECT_EQ(product[0][0], 30.0f);
  EXPECT_EQ(product[1][2], 96.0f);
  EXPECT_EQ(product[2][1], 126.0f);
}

TEST(Mat, RotateTurnsTheLinearPartAndKeepsTranslation)
{
  TMat3 m;
  m.Rotate(kPi / 2);
  ExpectNear(TVec2(1, 0) * m, 0, 1);
  ExpectNear(TVec2(0, 1) * m, -1, 0);

  TMat3 placed = Translation(5, 7);
  placed.Rotate(kPi / 2).Scale(3);
  EXPECT_EQ(placed[2][0], 5.0f);
  EXPECT_EQ(placed[2][1], 7.0f);
  ExpectNear(TVec2(1, 0) * placed, 5, 10);
}

TEST(Mat, Multiply2x2IgnoresTranslationOfBoth)
{
  TMat3 a(1, 2, 9, 3, 4, 9, 5, 6, 1);
  TMat3 b(2, 0, 9, 0, 2, 9, 100, 100, 1);
  TMat3 r = Multiply2x2(a, b);
  EXPECT_EQ(r[0][0], 2.0f);
  EXPECT_EQ(r[0][1], 4.0f);
  EXPECT_EQ(r[1][0], 6.0f);
  EXPECT_EQ(r[1][1], 8.0f);
  EXPECT_EQ(r[0][2], 0.0f);
  EXPECT_EQ(r[1][2], 0.0f);
  EXPECT_EQ(r[2][0], 5.0f);
  EXPECT_EQ(r[2][1], 6.0f);
  EXPECT_EQ(r[2][2], 1.0f);
}

TEST(Mat, Mat4TransformsPointsAndVectors)
{
  TMat4 m(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 10, 20, 30, 1);
  ExpectNear(TVec3(1, 1, 1) * m, 12, 23, 34);
  TVec4 direction = TVec4(1, 1, 1, 0) * m;
  EXPECT_EQ(direction.x, 2.0f);
  EXPECT_EQ(direction.w, 0.0f);
  TVec4 point = TVec4(1, 1, 1, 1) * m;
  EXPECT_EQ(point.z, 34.0f);
  EXPECT_EQ(point.w, 1.0f);

  TMat4 twice = m * m;
  ExpectNear(TVec3(1, 1, 1) * twice, 34, 89, 166);
}

TEST(Mat, Mat4ScaleAndRotations)
{
  TMat4 m;
  m.Scale(1, 1, -1);
  ExpectNear(TVec3(1, 2, 3) * m, 1, 2, -3);

  TMat4 aroundZ;
  aroundZ.RotateAxis(TVec3(0, 0, 1), kPi / 2);
  ExpectNear(TVec3(1, 0, 0) * aroundZ, 0, 1, 0);

  TMat4 y1, y2;
  y1.RotateY(0.7f);
  y2.RotateAxis(TVec3(0, 1, 0), 0.7f);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(y1[r][c], y2[r][c]);
  ExpectNear(TVec3(0, 5, 0) * y1, 0, 5, 0);

  // Rotation and scale change the matrix in place, after what it already did.
  TMat4 moved(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1);
  moved.RotateY(kPi);
  ExpectNear(TVec3(0, 0, 0) * moved, -1, 0, 0);
}

TEST(Mat, OffsetPerspectiveMapsDepthAndShiftsCentre)
{
  TMat4 p;
  p.OffsetPerspective(1, 100, kPi / 2, 2, TVec2(0, 0));
  EXPECT_NEAR(p[0][0], 0.5f, 1e-6f);
  EXPECT_NEAR(p[1][1], 1.0f, 1e-6f);
  EXPECT_EQ(p[2][3], 1.0f);
  EXPECT_EQ(p[3][3], 0.0f);
  TVec4 nearPoint = TVec4(0, 0, 1, 1) * p;
  TVec4 farPoint = TVec4(0, 0, 100, 1) * p;
  EXPECT_NEAR(nearPoint.z / nearPoint.w, 0.0f, 1e-6f);
  EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, 1e-5f);

  TMat4 shifted;
  shifted.OffsetPerspective(1, 100, kPi / 2, 1, TVec2(0.5f, -0.5f));
  EXPECT_FLOAT_EQ(shifted[2][0], 1.0f);
  EXPECT_FLOAT_EQ(shifted[2][1], -1.0f);
  TMat4 edge;
  edge.OffsetPerspective(1, 100, kPi / 2, 1, TVec2(1.0f, -1.0f));
  EXPECT_EQ(edge[2][0], -10000.0f);
  EXPECT_EQ(edge[2][1], -10000.0f);
}

// vec_test: vector arithmetic, conversions between sizes, length and normalising.
#include "core/foundation/vec.h"

#include <gtest/gtest.h>

TEST(Vec, DefaultsAreZero)
{
  TVec2 a;
  TVec3 b;
  TVec4 c;
  EXPECT_EQ(a, TVec2(0, 0));
  EXPECT_EQ(b.x + b.y + b.z, 0.0f);
  EXPECT_EQ(c.x + c.y + c.z + c.w, 0.0f);
}

TEST(Vec, Vec2Arithmetic)
{
  TVec2 a(1, 2), b(3, -4);
  EXPECT_EQ(a + b, TVec2(4, -2));
  EXPECT_EQ(a - b, TVec2(-2, 6));
  EXPECT_EQ(a * 2.0f, TVec2(2, 4));
  EXPECT_EQ(2.0f * a, TVec2(2, 4));
  EXPECT_EQ(b / 2.0f, TVec2(1.5f, -2));
  EXPECT_EQ(-a, TVec2(-1, -2));
  a += b;
  EXPECT_EQ(a, TVec2(4, -2));
  a -= b;
  EXPECT_EQ(a, TVec2(1, 2));
  EXPECT_TRUE(a != b);
  EXPECT_FALSE(a != TVec2(1, 2));
}

TEST(Vec, ConversionsDropOrAddComponents)
{
  TVec4 v4(1, 2, 3, 4);
  TVec3 v3(v4);
  EXPECT_EQ(v3.z, 3.0f);
  TVec2 v2(v3);
  EXPECT_EQ(v2, TVec2(1, 2));
  TVec3 back(v2, 9);
  EXPECT_EQ(back.z, 9.0f);
  TVec4 w(back, 7);
  EXPECT_EQ(w.w, 7.0f);
  EXPECT_EQ(w[0], 1.0f);
  EXPECT_EQ(w[3], 7.0f);
  w[2] = 5;
  EXPECT_EQ(w.z, 5.0f);
}

TEST(Vec, Vec3AddAndNegate)
{
  TVec3 a(1, 2, 3);
  a += TVec3(1, 1, 1);
  TVec3 n = -a;
  EXPECT_EQ(n.x, -2.0f);
  EXPECT_EQ(n.y, -3.0f);
  EXPECT_EQ(n.z, -4.0f);
}

TEST(Vec, LengthAndNormalize)
{
  TVec2 v(3, 4);
  EXPECT_FLOAT_EQ(v.Length(), 5.0f);
  v.Normalize();
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.y, 0.8f);
  EXPECT_FLOAT_EQ(v.Length(), 1.0f);
  TVec2 zero;
  zero.Normalize();
  EXPECT_EQ(zero, TVec2(0, 0));
}

// rect_test: rectangle intersection and normalising, and the point type.
#include "core/foundation/rect.h"

#include <gtest/gtest.h>

TEST(Rect, IntersectIsNotNormalised)
{
  TRect r = TRect::Intersect(TRect(0, 0, 10, 10), TRect(20, 20, 30, 30));
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 10);
  EXPECT_EQ(r.bottom, 10);

  TRect overlap = TRect::Intersect(TRect(-5, 0, 10, 8), TRect(2, -3, 20, 6));
  EXPECT_EQ(overlap.left, 2);
  EXPECT_EQ(overlap.top, 0);
  EXPECT_EQ(overlap.right, 10);
  EXPECT_EQ(overlap.bottom, 6);
}

TEST(Rect, URectCheckOrdersEdges)
{
  TURect u(30, 40, 10, 20);
  u.Check();
  EXPECT_EQ(u.left, 10u);
  EXPECT_EQ(u.top, 20u);
  EXPECT_EQ(u.right, 30u);
  EXPECT_EQ(u.bottom, 40u);
  TURect ordered(1, 2, 3, 4);
  ordered.Check();
  EXPECT_EQ(ordered.left, 1u);
  EXPECT_EQ(ordered.bottom, 4u);
  TURect zero;
  EXPECT_EQ(zero.left + zero.top + zero.right + zero.bottom, 0u);
}

TEST(Rect, Point)
{
  TPoint p(3, -4);
  EXPECT_EQ(p.x, 3);
  EXPECT_EQ(p.y, -4);
  TPoint origin;
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
}

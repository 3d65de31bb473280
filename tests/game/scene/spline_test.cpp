// Tests of splines: closed and open rings of knots, Catmull-Rom and straight segments,
// end knots, empty splines and parameters below zero, and the binary record.
#include <cmath>

#include <gtest/gtest.h>

#include "scene/binarybuffer.h"
#include "scene/spline.h"
#include "support/scenetestutil.h"

namespace {

void Add(CanlSpline* spline, float x, float y, uint32_t mode = 1)
{
  CanlSpline::CanlKnot* knot = new CanlSpline::CanlKnot;
  knot->mX = x;
  knot->mY = y;
  knot->mMode = mode;
  spline->push_back(knot);
}

TVec2 At(const CanlSpline& spline, float u)
{
  CanlSpline::CanlKnot out;
  spline.getValue(u, &out, false);
  return TVec2(out.mX, out.mY);
}

void Three(CanlSpline* spline)
{
  Add(spline, 0, 0);
  Add(spline, 100, 0);
  Add(spline, 100, 100);
}

} // namespace

TEST(Spline, ClosedRingReturnsToItsFirstKnot)
{
  CanlSpline spline;
  Three(&spline);
  EXPECT_EQ(TVec2(100, 0), At(spline, 1));
  EXPECT_EQ(TVec2(0, 0), At(spline, 3));
  EXPECT_EQ(TVec2(0, 0), At(spline, 0));
  // On the closing segment from (100,100) towards (0,0); the ring curves it.
  TVec2 closing = At(spline, 2.5f);
  EXPECT_FLOAT_EQ(43.75f, closing.x);
  EXPECT_FLOAT_EQ(56.25f, closing.y);
  EXPECT_EQ(3, spline.GetCount());
  EXPECT_EQ(spline.getKnot(0), spline.getKnot(3));
  EXPECT_EQ(spline.getKnot(2), spline.getKnot(-1));
}

TEST(Spline, OpenSplineUsesItsEndKnotsAsTheirOwnNeighbours)
{
  BreakedSpline spline;
  Three(&spline);
  EXPECT_EQ(TVec2(100, 100), At(spline, 2));
  // Segment 0 with k0 = k1 = (0,0), k2 = (100,0), k3 = (100,100).
  TVec2 half = At(spline, 0.5f);
  EXPECT_FLOAT_EQ(0.5f * (100 * 0.5f + (400 - 100) * 0.25f + (-300 + 100) * 0.125f), half.x);
  EXPECT_FLOAT_EQ(0.5f * (-100 * 0.25f + 100 * 0.125f), half.y);
}

TEST(Spline, StraightSegmentGoesThroughTheMidpoint)
{
  CanlSpline spline;
  Add(&spline, 0, 0, 0);
  Add(&spline, 100, 50);
  Add(&spline, 30, 30);
  EXPECT_EQ(TVec2(50, 25), At(spline, 0.5f));
}

TEST(Spline, EndMarksMoveWithEachPush)
{
  BreakedSpline spline;
  Add(&spline, 1, 1);
  EXPECT_EQ(2u, spline.getKnot(0)->mKind);
  Three(&spline);
  EXPECT_EQ(2u, spline.getKnot(3)->mKind);
  EXPECT_EQ(0u, spline.getKnot(2)->mKind);
  EXPECT_EQ(2u, spline.getKnot(0)->mKind);
  // A single knot is evaluated on itself.
  BreakedSpline single;
  Add(&single, 7, 9);
  EXPECT_EQ(TVec2(7, 9), At(single, 0));
}

TEST(Spline, EmptySplinesAndNegativeParametersHaveAnAnswer)
{
  CanlSpline empty;
  EXPECT_EQ(TVec2(0, 0), At(empty, 1.5f));
  EXPECT_EQ(nullptr, empty.getKnot(0));
  CanlSpline spline;
  Three(&spline);
  EXPECT_EQ(TVec2(0, 0), At(spline, -2.5f));
  EXPECT_EQ(TVec2(0, 0), At(spline, std::nanf("")));
  TVec2 far = At(spline, 3e9f);
  EXPECT_TRUE(std::isfinite(far.x));
  spline.remove_all();
  EXPECT_EQ(0, spline.GetCount());
}

TEST(Spline, BinaryRoundTripKeepsKindsModesAndPoints)
{
  BreakedSpline spline;
  Three(&spline);
  spline.getKnot(1)->mMode = 0;
  TBinaryBuffer out;
  spline.Store(&out);
  EXPECT_EQ(4u + 3 * 16, out.mSize);
  TBinaryBuffer in;
  ReloadBuffer(out, &in);
  BreakedSpline loaded;
  ASSERT_TRUE(loaded.Load(&in));
  ASSERT_EQ(3, loaded.GetCount());
  EXPECT_EQ(2u, loaded.getKnot(0)->mKind);
  EXPECT_EQ(0u, loaded.getKnot(1)->mKind);
  EXPECT_EQ(0u, loaded.getKnot(1)->mMode);
  EXPECT_EQ(100.0f, loaded.getKnot(2)->mY);
  TBinaryBuffer again;
  loaded.Store(&again);
  EXPECT_EQ(BufferBytes(out), BufferBytes(again));

  ExpectEveryCutFails(out, 1, [](TBinaryBuffer* in) {
    CanlSpline broken;
    return broken.Load(in);
  });
  EXPECT_FALSE(LoadWords({0xFFFFFFFF}, [](TBinaryBuffer* in) {
    CanlSpline broken;
    return broken.Load(in);
  }));
}

// spline: a ring of knots through which objects are moved smoothly (Catmull-Rom or straight
// segments); CanlSpline is closed, BreakedSpline open at its marked end knots.
#pragma once

#include <cstdint>

#include "core/foundation/vec.h"

class TBinaryBuffer;

class CanlSpline
{
public:
  struct CanlKnot
  {
    // kEnd marks an end knot of an open spline.
    enum EKind : uint32_t
    {
      kInner = 0,
      kEnd = 2
    };
    // Segments starting at a knot of mode kCubic are curved, all others straight.
    enum EMode : uint32_t
    {
      kCubic = 1
    };

    uint32_t mKind = kInner;
    uint32_t mMode = kCubic;
    float mX = 0;
    float mY = 0;
    CanlKnot* mPrevious = nullptr;
    CanlKnot* mNext = nullptr;
  };

  CanlSpline() : mHead(nullptr), mCount(0) {}
  virtual ~CanlSpline();

  // u32 count, then per knot from the head: u32 kind, u32 mode, f32 x, f32 y.
  virtual void Store(TBinaryBuffer* buffer) const;
  // Appends through push_back (so an open spline marks its ends) and then reads each
  // knot's fields over it; false when the record is damaged.
  virtual bool Load(TBinaryBuffer* buffer);
  // Links the knot (owned from now on) in after the last one.
  virtual void push_back(CanlKnot* knot);

  // The knot i steps along the ring from the head (i taken modulo the count); null when
  // the spline is empty.
  CanlKnot* getKnot(int i) const;
  // The curve's point at parameter u (segment floor(u), fraction u - floor(u)) into out's
  // x and y. An empty spline gives the origin, and u below 0 (or not a number) the head.
  void getValue(float u, CanlKnot* out, bool unused) const;
  void remove_all();
  int GetCount() const { return mCount; }

protected:
  CanlKnot* mHead;
  int32_t mCount;

private:
  CanlSpline(const CanlSpline&) = delete;
  CanlSpline& operator=(const CanlSpline&) = delete;
};

class BreakedSpline : public CanlSpline
{
public:
  // Appends and marks the new knot and the head as end knots, the former last as inner.
  void push_back(CanlKnot* knot) override;
};

// out = (1 - f) * a + f * b.
void interpolate(TVec2& out, const TVec2& a, const TVec2& b, float f);

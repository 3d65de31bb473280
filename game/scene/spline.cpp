// spline: a ring of knots through which objects are moved smoothly (Catmull-Rom or straight
// segments); CanlSpline is closed, BreakedSpline open at its marked end knots.
#include "scene/spline.h"

#include <cmath>

#include "scene/binarybuffer.h"

namespace {

const unsigned kKnotRecordBytes = 16;

float CatmullRom(float p0, float p1, float p2, float p3, float f)
{
  return 0.5f *
         (2 * p1 + (p2 - p0) * f + (2 * p0 - 5 * p1 + 4 * p2 - p3) * f * f + (3 * p1 - 3 * p2 + p3 - p0) * f * f * f);
}

} // namespace

void interpolate(TVec2& out, const TVec2& a, const TVec2& b, float f)
{
  out.x = (1 - f) * a.x + f * b.x;
  out.y = (1 - f) * a.y + f * b.y;
}

CanlSpline::~CanlSpline()
{
  remove_all();
}

void CanlSpline::push_back(CanlKnot* knot)
{
  if (!knot)
    return;
  if (!mHead) {
    knot->mPrevious = knot->mNext = knot;
    mHead = knot;
  } else {
    CanlKnot* last = mHead->mPrevious;
    knot->mPrevious = last;
    knot->mNext = mHead;
    last->mNext = knot;
    mHead->mPrevious = knot;
  }
  ++mCount;
}

void BreakedSpline::push_back(CanlKnot* knot)
{
  if (!knot)
    return;
  CanlKnot* formerLast = mHead ? mHead->mPrevious : nullptr;
  CanlSpline::push_back(knot);
  if (formerLast)
    formerLast->mKind = CanlKnot::kInner;
  knot->mKind = CanlKnot::kEnd;
  mHead->mKind = CanlKnot::kEnd;
}

CanlSpline::CanlKnot* CanlSpline::getKnot(int i) const
{
  if (mCount <= 0 || !mHead)
    return nullptr;
  int steps = i % mCount;
  if (steps < 0)
    steps += mCount;
  CanlKnot* knot = mHead;
  for (int step = 0; step < steps; ++step)
    knot = knot->mNext;
  return knot;
}

void CanlSpline::getValue(float u, CanlKnot* out, bool) const
{
  if (!out)
    return;
  if (!mHead) {
    out->mX = out->mY = 0;
    return;
  }
  if (!(u >= 0)) {
    out->mX = mHead->mX;
    out->mY = mHead->mY;
    return;
  }
  // The ring repeats every count segments, so only the parameter within one round counts.
  double whole = std::floor(static_cast<double>(u));
  float f = static_cast<float>(static_cast<double>(u) - whole);
  int segment = static_cast<int>(std::fmod(whole, static_cast<double>(mCount)));
  const CanlKnot* k1 = getKnot(segment);
  const CanlKnot* k2 = k1->mNext;
  if (k1->mMode != CanlKnot::kCubic) {
    TVec2 point;
    interpolate(point, TVec2(k1->mX, k1->mY), TVec2(k2->mX, k2->mY), f);
    out->mX = point.x;
    out->mY = point.y;
    return;
  }
  // An end knot stands in for its own missing neighbour.
  const CanlKnot* k0 = k1->mKind == CanlKnot::kEnd ? k1 : k1->mPrevious;
  const CanlKnot* k3 = k2->mKind == CanlKnot::kEnd ? k2 : k2->mNext;
  out->mX = CatmullRom(k0->mX, k1->mX, k2->mX, k3->mX, f);
  out->mY = CatmullRom(k0->mY, k1->mY, k2->mY, k3->mY, f);
}

void CanlSpline::remove_all()
{
  if (mHead) {
    // Break the ring first, then walk it once.
    mHead->mPrevious->mNext = nullptr;
    CanlKnot* knot = mHead;
    while (knot) {
      CanlKnot* next = knot->mNext;
      delete knot;
      knot = next;
    }
  }
  mHead = nullptr;
  mCount = 0;
}

void CanlSpline::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteU32(static_cast<uint32_t>(mCount));
  const CanlKnot* knot = mHead;
  for (int i = 0; i < mCount; ++i, knot = knot->mNext) {
    buffer->WriteU32(knot->mKind);
    buffer->WriteU32(knot->mMode);
    buffer->WriteF32(knot->mX);
    buffer->WriteF32(knot->mY);
  }
}

bool CanlSpline::Load(TBinaryBuffer* buffer)
{
  uint32_t count = 0;
  if (!buffer->ReadCount(&count, kKnotRecordBytes, "of a spline"))
    return false;
  for (uint32_t i = 0; i < count; ++i) {
    CanlKnot* knot = new CanlKnot;
    push_back(knot);
    if (!buffer->ReadU32(&knot->mKind) || !buffer->ReadU32(&knot->mMode) || !buffer->ReadF32(&knot->mX) ||
        !buffer->ReadF32(&knot->mY)) {
      buffer->Fail("of a spline knot");
      return false;
    }
  }
  return true;
}

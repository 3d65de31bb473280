// splineanimator: the animators that move an object along a spline through their knots:
// once around a closed curve, or from the first knot to the last of an open one.
#include "scene/splineanimator.h"

#include <vector>

#include "core/foundation/xmlnode.h"
#include "scene/binarybuffer.h"
#include "scene/sceneobject.h"
#include "scene/spline.h"
#include "scene/xmlattributes.h"

TSplinePosAnimator::~TSplinePosAnimator()
{
  delete mSpline;
}

void TSplinePosAnimator::CreateSpline()
{
  delete mSpline;
  mSpline = new CanlSpline;
}

void TBreakedSplinePosAnimator::CreateSpline()
{
  delete mSpline;
  mSpline = new BreakedSpline;
}

bool TSplinePosAnimator::IsComplete() const
{
  return mDelay > 0 && mSpline && mSpline->GetCount() > 0;
}

void TSplinePosAnimator::Store(TBinaryBuffer* buffer) const
{
  TAnimator::Store(buffer);
  if (mSpline)
    mSpline->Store(buffer);
  else
    buffer->WriteU32(0);
}

bool TSplinePosAnimator::Load(TBinaryBuffer* buffer)
{
  CreateSpline();
  return TAnimator::Load(buffer) && mSpline->Load(buffer);
}

void TSplinePosAnimator::StoreToXML(TXmlNode* node) const
{
  TAnimator::StoreToXML(node);
  std::vector<float> numbers;
  const int count = mSpline ? mSpline->GetCount() : 0;
  CanlSpline::CanlKnot* knot = count ? mSpline->getKnot(0) : nullptr;
  for (int i = 0; i < count; ++i, knot = knot->mNext) {
    numbers.push_back(knot->mX);
    numbers.push_back(knot->mY);
  }
  str text;
  real_to_str(&text, &numbers);
  node->SetAttribute("key", text.c_str());
}

bool TSplinePosAnimator::LoadFromXML(TXmlNode* node)
{
  CreateSpline();
  TAnimator::LoadFromXML(node);
  std::vector<float> numbers;
  str_to_real(node->GetAttribute("key").c_str(), &numbers);
  // Pairs of x and y; an odd last number has no partner.
  for (size_t i = 0; i + 1 < numbers.size(); i += 2) {
    CanlSpline::CanlKnot* knot = new CanlSpline::CanlKnot;
    knot->mKind = CanlSpline::CanlKnot::kInner;
    knot->mMode = CanlSpline::CanlKnot::kCubic;
    knot->mX = numbers[i];
    knot->mY = numbers[i + 1];
    mSpline->push_back(knot);
  }
  return true;
}

void TSplinePosAnimator::Init()
{
  TAnimator::Init();
  CanlSpline::CanlKnot* first = mSpline ? mSpline->getKnot(0) : nullptr;
  if (mObject && first)
    mObject->setPosition(TVec2(first->mX, first->mY), true);
}

float TSplinePosAnimator::Parameter(unsigned ms) const
{
  return static_cast<float>(mSpline->GetCount()) * static_cast<float>(ms) / static_cast<float>(mDelay);
}

float TBreakedSplinePosAnimator::Parameter(unsigned ms) const
{
  return static_cast<float>(mSpline->GetCount() - 1) * static_cast<float>(ms) / static_cast<float>(mDelay);
}

void TSplinePosAnimator::ObjectAnimate(int, unsigned ms)
{
  CanlSpline::CanlKnot value;
  mSpline->getValue(Parameter(ms), &value, false);
  mObject->setPosition(TVec2(value.mX, value.mY), true);
}

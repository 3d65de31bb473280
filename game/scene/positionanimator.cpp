// positionanimator: the animators that move an object: from point to point, from point to
// point about where the object stood, and in free flight under a constant acceleration.
#include "scene/positionanimator.h"

#include <cmath>

#include "scene/sceneobject.h"

void TPositionAnimator::Init()
{
  TAnimator::Init();
  if (mObject && !mKeys.mKeys.empty())
    mObject->setPosition(mKeys.mKeys[0], true);
}

void TPositionAnimator::OnAnimationEnd()
{
  TVec2 position = mObject->GetPosition();
  mObject->setPosition(TVec2(std::trunc(position.x), std::trunc(position.y)), true);
}

void TPositionAnimator::ObjectAnimate(int step, unsigned ms)
{
  mObject->setPosition(mKeys.Lerp(step, ms, mDelay), true);
}

void TRelativePosAnimator::Store(TBinaryBuffer* buffer) const
{
  TPositionAnimator::Store(buffer);
  buffer->WriteF32(mBase.x);
  buffer->WriteF32(mBase.y);
}

bool TRelativePosAnimator::Load(TBinaryBuffer* buffer)
{
  return TPositionAnimator::Load(buffer) && buffer->ReadF32(&mBase.x) && buffer->ReadF32(&mBase.y);
}

void TRelativePosAnimator::Init()
{
  TAnimator::Init();
  if (!mObject)
    return;
  mBase = mObject->GetPosition();
  if (!mKeys.mKeys.empty())
    mObject->setPosition(mBase + mKeys.mKeys[0], true);
}

void TRelativePosAnimator::ObjectAnimate(int step, unsigned ms)
{
  mObject->setPosition(mBase + mKeys.Lerp(step, ms, mDelay), true);
}

void TFreeFlyAnimator::Store(TBinaryBuffer* buffer) const
{
  TAnimator::Store(buffer);
  for (float value : {mStart.x, mStart.y, mVelocity.x, mVelocity.y, mAcceleration.x, mAcceleration.y})
    buffer->WriteF32(value);
}

bool TFreeFlyAnimator::Load(TBinaryBuffer* buffer)
{
  return TAnimator::Load(buffer) && buffer->ReadF32(&mStart.x) && buffer->ReadF32(&mStart.y) &&
         buffer->ReadF32(&mVelocity.x) && buffer->ReadF32(&mVelocity.y) && buffer->ReadF32(&mAcceleration.x) &&
         buffer->ReadF32(&mAcceleration.y);
}

void TFreeFlyAnimator::StoreToXML(TXmlNode* node) const
{
  TAnimator::StoreToXML(node);
  SetTRealAttribute(node, "ax", mAcceleration.x);
  SetTRealAttribute(node, "ay", mAcceleration.y);
  SetTRealAttribute(node, "vx", mVelocity.x);
  SetTRealAttribute(node, "vy", mVelocity.y);
}

bool TFreeFlyAnimator::LoadFromXML(TXmlNode* node)
{
  TAnimator::LoadFromXML(node);
  mAcceleration = TVec2(ReadTRealAttribute(node, "ax", 0), ReadTRealAttribute(node, "ay", 0));
  mVelocity = TVec2(ReadTRealAttribute(node, "vx", 0), ReadTRealAttribute(node, "vy", 0));
  return true;
}

void TFreeFlyAnimator::Init()
{
  TAnimator::Init();
  if (mObject)
    mStart = mObject->GetPosition();
}

void TFreeFlyAnimator::ObjectAnimate(int, unsigned ms)
{
  const float s = static_cast<float>(ms) / 1000.0f;
  const float x = (mAcceleration.x * s / 2 + mVelocity.x) * s + mStart.x;
  const float y = (mAcceleration.y * s / 2 + mVelocity.y) * s + mStart.y;
  mObject->setPosition(TVec2(x, y), true);
}

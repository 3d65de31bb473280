// rotateanimator: the animators that turn an object: from angle to angle, and a spin that
// slows to a stop by friction.
#include "scene/rotateanimator.h"

#include "scene/sceneobject.h"

void TRotateAnimator::Init()
{
  TAnimator::Init();
  if (mObject && !mKeys.mKeys.empty())
    mObject->setRotate(mKeys.mKeys[0]);
}

void TRotateAnimator::ObjectAnimate(int step, unsigned ms)
{
  mObject->setRotate(mKeys.Lerp(step, ms, mDelay));
}

void TFrictionRotAnimator::Store(TBinaryBuffer* buffer) const
{
  TKeyAnimator<float>::Store(buffer);
  buffer->WriteF32(mAngle);
}

bool TFrictionRotAnimator::Load(TBinaryBuffer* buffer)
{
  return TKeyAnimator<float>::Load(buffer) && buffer->ReadF32(&mAngle);
}

void TFrictionRotAnimator::Init()
{
  TAnimator::Init();
  if (mObject)
    mAngle = mObject->GetRotation();
}

void TFrictionRotAnimator::ObjectAnimate(int, unsigned ms)
{
  const unsigned left = ms < mDelay ? mDelay - ms : 0;
  mAngle -= mKeys.mKeys[0] * static_cast<float>(left) / static_cast<float>(mDelay);
  mObject->setRotate(mAngle);
}

// valueanimator: the animators that move one of an object's look properties from key to
// key: its alpha, its scale and the drawn width range of its frame.
#include "scene/valueanimator.h"

#include "scene/sceneobject.h"

void TAlphaAnimator::Init()
{
  TAnimator::Init();
  if (mObject && !mKeys.mKeys.empty())
    mObject->setAlpha(mKeys.mKeys[0]);
}

void TAlphaAnimator::ObjectAnimate(int step, unsigned ms)
{
  mObject->setAlpha(mKeys.Lerp(step, ms, mDelay));
}

void TScaleAnimator::Init()
{
  TAnimator::Init();
  if (mObject && !mKeys.mKeys.empty())
    mObject->setScale(mKeys.mKeys[0]);
}

void TScaleAnimator::ObjectAnimate(int step, unsigned ms)
{
  mObject->setScale(mKeys.Lerp(step, ms, mDelay));
}

void TWRangeAnimator::Init()
{
  TAnimator::Init();
  if (mObject && !mKeys.mKeys.empty())
    mObject->setWRange(mKeys.mKeys[0]);
}

void TWRangeAnimator::ObjectAnimate(int step, unsigned ms)
{
  mObject->setWRange(mKeys.Lerp(step, ms, mDelay));
}

// animatorkinds: the twelve animator kinds, entered into the animator registry in their
// fixed order when it is first used.
#include "scene/frameanimator.h"
#include "scene/positionanimator.h"
#include "scene/rotateanimator.h"
#include "scene/splineanimator.h"
#include "scene/valueanimator.h"

void RegisterAnimatorKinds(TAnimatorFactory& factory)
{
  factory.Register("TFrameAnimator", &TFrameAnimator::Create);
  factory.Register("TPositionAnimator", &TPositionAnimator::Create);
  factory.Register("TRelativePosAnimator", &TRelativePosAnimator::Create);
  factory.Register("TFreeFlyAnimator", &TFreeFlyAnimator::Create);
  factory.Register("TSplinePosAnimator", &TSplinePosAnimator::Create);
  factory.Register("TBreakedSplinePosAnimator", &TBreakedSplinePosAnimator::Create);
  factory.Register("TRotateAnimator", &TRotateAnimator::Create);
  factory.Register("TFrictionRotAnimator", &TFrictionRotAnimator::Create);
  factory.Register("TAlphaAnimator", &TAlphaAnimator::Create);
  factory.Register("TScaleAnimator", &TScaleAnimator::Create);
  factory.Register("TWRangeAnimator", &TWRangeAnimator::Create);
  factory.Register("TTextNumberAnimator", &TTextNumberAnimator::Create);
}

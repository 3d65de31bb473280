// rotateanimator: the animators that turn an object: from angle to angle, and a spin that
// slows to a stop by friction.
#pragma once

#include "scene/animatorkeys.h"

class TRotateAnimator : public TKeyAnimator<float>
{
public:
  static TAnimator* Create() { return new TRotateAnimator; }
  const char* getDynamicAnimatorID() const override { return "TRotateAnimator"; }
  void Init() override;
  void ObjectAnimate(int step, unsigned ms) override;
};

// Every tick turns the object back by the first key times the part of the delay still to
// run, so the spin slows linearly to nothing; the other keys are not used.
class TFrictionRotAnimator : public TKeyAnimator<float>
{
public:
  TFrictionRotAnimator() : mAngle(0) {}
  static TAnimator* Create() { return new TFrictionRotAnimator; }
  const char* getDynamicAnimatorID() const override { return "TFrictionRotAnimator"; }
  // The keys, then the angle.
  void Store(TBinaryBuffer* buffer) const override;
  bool Load(TBinaryBuffer* buffer) override;
  int getStepCount() const override { return 1; }
  bool IsComplete() const override { return mDelay > 0 && mKeys.Count() > 0; }
  void Init() override;
  void ObjectAnimate(int step, unsigned ms) override;

  float mAngle;
};

// positionanimator: the animators that move an object: from point to point, from point to
// point about where the object stood, and in free flight under a constant acceleration.
#pragma once

#include "core/foundation/vec.h"
#include "scene/animator.h"
#include "scene/animatorkeys.h"

class TPositionAnimator : public TKeyAnimator<TVec2>
{
public:
  static TAnimator* Create() { return new TPositionAnimator; }
  const char* getDynamicAnimatorID() const override { return "TPositionAnimator"; }
  void Init() override;
  void OnLoopEnd() override {}
  // A finished movement rests on whole pixels (truncated toward zero).
  void OnAnimationEnd() override;
  void ObjectAnimate(int step, unsigned ms) override;
};

// The keys are offsets from the position the object had when the state was entered.
class TRelativePosAnimator : public TPositionAnimator
{
public:
  static TAnimator* Create() { return new TRelativePosAnimator; }
  const char* getDynamicAnimatorID() const override { return "TRelativePosAnimator"; }
  void Store(TBinaryBuffer* buffer) const override;
  bool Load(TBinaryBuffer* buffer) override;
  void Init() override;
  void ObjectAnimate(int step, unsigned ms) override;

  TVec2 mBase;
};

class TFreeFlyAnimator : public TAnimator
{
public:
  static TAnimator* Create() { return new TFreeFlyAnimator; }
  const char* getDynamicAnimatorID() const override { return "TFreeFlyAnimator"; }
  void Store(TBinaryBuffer* buffer) const override;
  bool Load(TBinaryBuffer* buffer) override;
  void StoreToXML(TXmlNode* node) const override;
  bool LoadFromXML(TXmlNode* node) override;
  // One flight of one delay.
  int getStepCount() const override { return 1; }
  void Init() override;
  // start + velocity * s + acceleration * s^2 / 2, s in seconds.
  void ObjectAnimate(int step, unsigned ms) override;

  TVec2 mStart;
  TVec2 mVelocity;
  TVec2 mAcceleration;
};

// valueanimator: the animators that move one of an object's look properties from key to
// key: its alpha, its scale and the drawn width range of its frame.
#pragma once

#include "core/foundation/vec.h"
#include "scene/animatorkeys.h"

class TAlphaAnimator : public TKeyAnimator<float>
{
public:
  static TAnimator* Create() { return new TAlphaAnimator; }
  const char* getDynamicAnimatorID() const override { return "TAlphaAnimator"; }
  void Init() override;
  void ObjectAnimate(int step, unsigned ms) override;
};

class TScaleAnimator : public TKeyAnimator<TVec2>
{
public:
  static TAnimator* Create() { return new TScaleAnimator; }
  const char* getDynamicAnimatorID() const override { return "TScaleAnimator"; }
  void Init() override;
  void ObjectAnimate(int step, unsigned ms) override;
};

class TWRangeAnimator : public TKeyAnimator<TVec2>
{
public:
  static TAnimator* Create() { return new TWRangeAnimator; }
  const char* getDynamicAnimatorID() const override { return "TWRangeAnimator"; }
  void Init() override;
  void ObjectAnimate(int step, unsigned ms) override;
};

// frameanimator: the animators with integer keys: one that shows frames one after another
// and one that counts a text object's number from key to key.
#pragma once

#include "scene/animatorkeys.h"

class TFrameAnimator : public TKeyAnimator<int>
{
public:
  static TAnimator* Create() { return new TFrameAnimator; }
  const char* getDynamicAnimatorID() const override { return "TFrameAnimator"; }
  // One step per key: each frame shows for one delay.
  int getStepCount() const override { return mKeys.Count(); }
  void ObjectAnimate(int step, unsigned ms) override;
};

class TTextNumberAnimator : public TKeyAnimator<int>
{
public:
  TTextNumberAnimator() : mShown(0) {}
  static TAnimator* Create() { return new TTextNumberAnimator; }
  const char* getDynamicAnimatorID() const override { return "TTextNumberAnimator"; }
  // Writes the first key without counting it as shown.
  void Init() override;
  // Writes the number (truncated) when it differs from the one last written.
  void ObjectAnimate(int step, unsigned ms) override;

  int mShown;

private:
  void Show(int number);
};

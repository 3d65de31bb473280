// splineanimator: the animators that move an object along a spline through their knots:
// once around a closed curve, or from the first knot to the last of an open one.
#pragma once

#include "scene/animator.h"

class CanlSpline;

class TSplinePosAnimator : public TAnimator
{
public:
  TSplinePosAnimator() : mSpline(nullptr) {}
  ~TSplinePosAnimator() override;
  static TAnimator* Create() { return new TSplinePosAnimator; }
  const char* getDynamicAnimatorID() const override { return "TSplinePosAnimator"; }
  void Store(TBinaryBuffer* buffer) const override;
  bool Load(TBinaryBuffer* buffer) override;
  void StoreToXML(TXmlNode* node) const override;
  bool LoadFromXML(TXmlNode* node) override;
  int getStepCount() const override { return 1; }
  // A spline without knots is never evaluated.
  bool IsComplete() const override;
  void Init() override;
  void ObjectAnimate(int step, unsigned ms) override;
  // Replaces the spline by a new, empty one.
  virtual void CreateSpline();

  CanlSpline* GetSpline() const { return mSpline; }

protected:
  // The spline parameter t ms into the run.
  virtual float Parameter(unsigned ms) const;

  CanlSpline* mSpline;
};

class TBreakedSplinePosAnimator : public TSplinePosAnimator
{
public:
  static TAnimator* Create() { return new TBreakedSplinePosAnimator; }
  const char* getDynamicAnimatorID() const override { return "TBreakedSplinePosAnimator"; }
  void CreateSpline() override;

protected:
  float Parameter(unsigned ms) const override;
};

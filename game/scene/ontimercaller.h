// ontimercaller: timer tasks on the platform's idle list that call a member function of
// their target until it answers false; target and timer can be detached from either side.
#pragma once

#include "core/foundation/task.h"

class TCustomOnTimerCaller : public TAnimTask
{
public:
  // Follows the platform timer; interval is the period it was made with.
  explicit TCustomOnTimerCaller(unsigned interval) : TAnimTask(nullptr), mPeriod(interval) {}
  ~TCustomOnTimerCaller() override {}
  // Detaches target and timer from each other; the timer then ends at its next run.
  virtual void Unassign() = 0;
  unsigned GetPeriod() const { return mPeriod; }

private:
  unsigned mPeriod;
};

// Calls target->member(timer) when due; the target keeps a pointer to its timer in mTimer,
// which the timer clears when it goes.
template <class T>
class TOnTimerCaller : public TCustomOnTimerCaller
{
public:
  typedef bool (T::*TMember)(TCustomOnTimerCaller*);

  TOnTimerCaller(T* target, unsigned interval, TMember member)
      : TCustomOnTimerCaller(interval), mTarget(target), mMember(member)
  {
    if (target)
      target->mTimer = this;
  }
  ~TOnTimerCaller() override { Unassign(); }

  bool Animate() override { return mTarget ? (mTarget->*mMember)(this) : false; }
  void Unassign() override
  {
    if (mTarget && mTarget->mTimer == this)
      mTarget->mTimer = nullptr;
    mTarget = nullptr;
  }

private:
  T* mTarget;
  TMember mMember;
};

template <class T>
TOnTimerCaller<T>* CreateTimer(T* target, unsigned interval, typename TOnTimerCaller<T>::TMember member)
{
  return new TOnTimerCaller<T>(target, interval, member);
}

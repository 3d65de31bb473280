// task: units of work that a task list runs again and again (idle events, draw passes,
// modal windows), and animation tasks that fire on the platform timer or on a TClock.
#include "core/foundation/task.h"

#include <algorithm>

#include "core/foundation/clock.h"
#include "core/foundation/timesource.h"

namespace {

bool InList(const std::list<TTask*>& tasks, const TTask* task)
{
  return std::find(tasks.begin(), tasks.end(), task) != tasks.end();
}

void RemoveOne(std::list<TTask*>& tasks, const TTask* task)
{
  auto found = std::find(tasks.begin(), tasks.end(), task);
  if (found != tasks.end()) {
    tasks.erase(found);
  }
}

} // namespace

TTaskList::~TTaskList()
{
  DestroyAll();
}

void TTaskList::AdoptTask(TTask* task)
{
  if (task) {
    mTasks.push_back(task);
  }
}

bool TTaskList::OrphanTask(TTask* task)
{
  if (!task) {
    return false;
  }
  auto found = std::find(mTasks.begin(), mTasks.end(), task);
  if (found == mTasks.end()) {
    return false;
  }
  if (mDepth == 0) {
    mTasks.erase(found);
    return true;
  }
  if (!InList(mPendingOrphans, task)) {
    mPendingOrphans.push_back(task);
  }
  // The caller owns it again, even if the list was destroyed earlier in this walk.
  RemoveOne(mPendingDeletes, task);
  return true;
}

void TTaskList::DestroyAll()
{
  if (mDepth > 0) {
    for (TTask* task : mTasks) {
      if (task && !InList(mPendingOrphans, task) && !InList(mPendingDeletes, task)) {
        mPendingOrphans.push_back(task);
        mPendingDeletes.push_back(task);
      }
    }
    return;
  }
  // Take the lists first: a destructor may touch this list again.
  std::list<TTask*> tasks;
  std::list<TTask*> orphans;
  std::list<TTask*> deletes;
  tasks.swap(mTasks);
  orphans.swap(mPendingOrphans);
  deletes.swap(mPendingDeletes);
  for (TTask* task : tasks) {
    if (task && !InList(orphans, task) && !InList(deletes, task)) {
      delete task;
    }
  }
  for (TTask* task : deletes) {
    delete task;
  }
}

void TTaskList::DoAll(TTask::ETaskContext context)
{
  ++mDepth;
  for (auto node = mTasks.begin(); node != mTasks.end(); ++node) {
    TTask* task = *node;
    if (!task || InList(mPendingOrphans, task) || !task->Ready(context)) {
      continue;
    }
    if (task->DoTask()) {
      continue;
    }
    // An orphaned task belongs to whoever orphaned it, finished or not.
    if (*node == task && !InList(mPendingOrphans, task)) {
      *node = nullptr;
      RemoveOne(mPendingDeletes, task);
      delete task;
    }
    // The successor is read only now, so tasks adopted during this run are reached.
  }
  if (--mDepth == 0) {
    FinishWalk();
  }
}

void TTaskList::FinishWalk()
{
  mTasks.remove(nullptr);
  while (!mPendingOrphans.empty()) {
    TTask* task = mPendingOrphans.front();
    mPendingOrphans.pop_front();
    RemoveOne(mTasks, task);
  }
  std::list<TTask*> deletes;
  deletes.swap(mPendingDeletes);
  for (TTask* task : deletes) {
    RemoveOne(mTasks, task);
    delete task;
  }
}

bool TTaskList::Contains(const TTask* task) const
{
  return task && InList(mTasks, task) && !InList(mPendingOrphans, task);
}

uint32_t TTaskList::MillisecondsUntilDue() const
{
  uint32_t wait = TTask::kNotDue;
  for (const TTask* task : mTasks) {
    if (task && !InList(mPendingOrphans, task)) {
      wait = std::min(wait, task->MillisecondsUntilDue());
    }
  }
  return wait;
}

bool TTaskList::IsEmpty() const
{
  for (TTask* task : mTasks) {
    if (task && !InList(mPendingOrphans, task)) {
      return false;
    }
  }
  return true;
}

TAnimTask::TAnimTask(TClock* clock) : mClock(clock)
{
  mNextTime = Now();
}

uint32_t TAnimTask::Now() const
{
  return mClock ? mClock->GetTime() : TTimeSource::Timer();
}

unsigned TAnimTask::SetDelay(unsigned ms, bool repeat, bool fromNow, bool catchUp)
{
  mFromNow = fromNow;
  mCatchUp = catchUp;
  mInterval = repeat ? ms : 0;
  if (!fromNow && !IsPaused()) {
    mNextTime += ms;
  } else {
    mNextTime = Now() + ms;
  }
  return mInterval;
}

void TAnimTask::Pause()
{
  mNextTime = kPaused;
  mRunInDraw = false;
}

int32_t TAnimTask::GetTimeUntilReady() const
{
  if (IsPaused()) {
    return -1;
  }
  return int32_t(Now() - mNextTime);
}

void TAnimTask::SetClock(TClock* clock)
{
  if (IsPaused()) {
    mClock = clock;
    return;
  }
  uint32_t remaining = mNextTime - Now();
  mClock = clock;
  mNextTime = Now() + remaining;
}

bool TAnimTask::Ready(ETaskContext context)
{
  if (context == eDrawPass) {
    return mRunInDraw;
  }
  return !IsPaused() && int32_t(Now() - mNextTime) >= 0;
}

uint32_t TAnimTask::MillisecondsUntilDue() const
{
  // A paused clock holds the task until something starts it again.
  if (IsPaused() || (mClock && mClock->IsPaused())) {
    return kNotDue;
  }
  const int32_t wait = int32_t(mNextTime - Now());
  return wait > 0 ? uint32_t(wait) : 0;
}

bool TAnimTask::DoTask()
{
  if (IsPaused()) {
    return true;
  }
  const uint32_t now = Now();
  // More than a second behind: drop the backlog rather than replay it in a burst.
  if (int32_t(now - mNextTime) >= 1001) {
    mNextTime = now;
  }
  if (mFromNow) {
    mNextTime = now + mInterval;
    return Animate();
  }
  for (;;) {
    mNextTime += mInterval;
    if (!Animate()) {
      return false;
    }
    // Animate may have re-armed, paused or changed the task: read the fields afresh.
    // With no interval there is no missed run to catch up, only an endless loop.
    if (!mCatchUp || mInterval == 0 || IsPaused() || int32_t(mNextTime - now) > 0) {
      return true;
    }
  }
}

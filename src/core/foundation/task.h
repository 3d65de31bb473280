// task: units of work that a task list runs again and again (idle events, draw passes,
// modal windows), and animation tasks that fire on the platform timer or on a TClock.
#pragma once

#include <cstdint>
#include <list>

class TClock;

class TTask
{
public:
  enum ETaskContext
  {
    eEventLoop = 0, // idle events of the event loop
    eDrawPass = 1   // the window manager's draw pass
  };

  // Returned by MillisecondsUntilDue when only something else (an event, another task)
  // can make the task ready.
  static constexpr uint32_t kNotDue = 0xFFFFFFFFu;

  virtual ~TTask() {}
  // Whether the task runs now in this context.
  virtual bool Ready(ETaskContext context) { return true; }
  // Milliseconds before the task may be ready in the event loop, so the loop can wait
  // that long for events: 0 when ready now. A task that cannot tell is asked again
  // within a millisecond.
  virtual uint32_t MillisecondsUntilDue() const { return 1; }
  // Does the work; false means finished, and the list then deletes the task.
  virtual bool DoTask() = 0;
};

// Owns its tasks. Tasks may adopt, orphan or destroy tasks of the list they run in,
// themselves included: adoption is immediate, removals wait for the end of the walk.
class TTaskList
{
public:
  TTaskList() {}
  ~TTaskList();

  void AdoptTask(TTask* task);
  // Hands the task back to the caller; false when it is not in the list.
  bool OrphanTask(TTask* task);
  void DestroyAll();
  void DoAll(TTask::ETaskContext context);

  bool IsRunning() const { return mDepth > 0; }
  // The least wait of its tasks (TTask::MillisecondsUntilDue); kNotDue when none will be
  // ready by itself.
  uint32_t MillisecondsUntilDue() const;
  bool Contains(const TTask* task) const;
  bool IsEmpty() const;

private:
  TTaskList(const TTaskList&) = delete;
  TTaskList& operator=(const TTaskList&) = delete;

  void FinishWalk();

  // Walks may nest (a task may run its own list again), so a depth, not a flag.
  int mDepth = 0;
  // A task finished during a walk leaves a null node, so that the iterators of every
  // walk in progress stay valid; the nodes go when the outermost walk ends.
  std::list<TTask*> mTasks;
  std::list<TTask*> mPendingOrphans;
  std::list<TTask*> mPendingDeletes;
};

// A task due at times in milliseconds on its time source: a TClock, or the platform
// timer when it has none. Times compare by signed 32-bit differences, so they wrap.
class TAnimTask : public TTask
{
public:
  explicit TAnimTask(TClock* clock = nullptr);

  // Arms the task ms from now, or from its previous due time when fromNow is false and
  // it is not paused; repeat keeps ms as the interval. Returns the interval set.
  unsigned SetDelay(unsigned ms, bool repeat, bool fromNow, bool catchUp);
  void Pause();
  bool IsPaused() const { return mNextTime == kPaused; }
  // -1 when paused, else now minus the due time: negative while waiting, 0 or more
  // when due. Use IsPaused to tell a paused task from one due in 1 ms.
  int32_t GetTimeUntilReady() const;
  // Moves the task to another time source, keeping its distance from now.
  void SetClock(TClock* clock);
  TClock* GetClock() const { return mClock; }
  unsigned GetInterval() const { return mInterval; }
  uint32_t GetNextTime() const { return mNextTime; }

  bool Ready(ETaskContext context) override;
  uint32_t MillisecondsUntilDue() const override;
  bool DoTask() override;
  // Called when due; false means finished.
  virtual bool Animate() = 0;

protected:
  static constexpr uint32_t kPaused = 0xFFFFFFFFu;

  uint32_t Now() const;

  bool mRunInDraw = false;
  uint32_t mNextTime = 0;
  uint32_t mInterval = 0;
  bool mFromNow = false;
  bool mCatchUp = false;
  TClock* mClock = nullptr;
};

// task_test: task lists changed while they run, and animation tasks on a fake platform
// timer and on clocks (due times, catch-up, dropped backlog, pausing, moving clocks).
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/foundation/clock.h"
#include "core/foundation/task.h"
#include "support/faketimer.h"

namespace {

// Runs a script each time; reports its own deletion.
class ScriptTask : public TTask
{
public:
  ScriptTask(std::function<bool()> body, bool* deleted = nullptr) : mBody(body), mDeleted(deleted) {}
  ~ScriptTask() override
  {
    if (mDeleted) {
      *mDeleted = true;
    }
  }
  bool DoTask() override
  {
    ++mRuns;
    return mBody();
  }
  int mRuns = 0;

private:
  std::function<bool()> mBody;
  bool* mDeleted;
};

class ScriptAnimTask : public TAnimTask
{
public:
  ScriptAnimTask(
      TClock* clock, std::function<bool()> body = [] { return true; })
      : TAnimTask(clock), mBody(body)
  {}
  bool Animate() override
  {
    mTimes.push_back(GetNextTime());
    return mBody();
  }
  // The due time that each Animate saw (the task's schedule, not the timer).
  std::vector<uint32_t> mTimes;

private:
  std::function<bool()> mBody;
};

} // namespace

TEST(TaskList, FinishedTaskIsDeletedDuringTheWalkAndNeverRunsAgain)
{
  TTaskList list;
  bool deleted = false;
  int laterRuns = 0;
  list.AdoptTask(new ScriptTask([] { return false; }, &deleted));
  list.AdoptTask(new ScriptTask([&] {
    // The finished task went before the walk reached this one.
    EXPECT_TRUE(deleted);
    ++laterRuns;
    return true;
  }));
  list.DoAll(TTask::eEventLoop);
  list.DoAll(TTask::eEventLoop);
  EXPECT_TRUE(deleted);
  EXPECT_EQ(laterRuns, 2);
}

TEST(TaskList, TaskThatOrphansItselfIsHandedBackAfterTheWalk)
{
  TTaskList list;
  bool deleted = false;
  ScriptTask* task = nullptr;
  task = new ScriptTask(
      [&] {
        EXPECT_TRUE(list.OrphanTask(task));
        return true;
      },
      &deleted);
  list.AdoptTask(task);
  list.DoAll(TTask::eEventLoop);
  EXPECT_FALSE(deleted);
  EXPECT_FALSE(list.Contains(task));
  list.DoAll(TTask::eEventLoop);
  EXPECT_EQ(task->mRuns, 1);
  delete task;
}

TEST(TaskList, OrphanedTaskThatAlsoFinishesIsNotDeletedByTheList)
{
  TTaskList list;
  bool deleted = false;
  ScriptTask* task = nullptr;
  task = new ScriptTask(
      [&] {
        list.OrphanTask(task);
        return false;
      },
      &deleted);
  list.AdoptTask(task);
  list.DoAll(TTask::eEventLoop);
  EXPECT_FALSE(deleted);
  EXPECT_TRUE(list.IsEmpty());
  delete task;
}

TEST(TaskList, DestroyAllDuringWalkSkipsLaterTasksAndDeletesEverythingAfterwards)
{
  TTaskList list;
  bool firstDeleted = false, secondDeleted = false, thirdDeleted = false;
  list.AdoptTask(new ScriptTask([] { return true; }, &firstDeleted));
  ScriptTask* second = new ScriptTask(
      [&] {
        list.DestroyAll();
        // Still alive: deletions wait for the end of the walk.
        EXPECT_FALSE(firstDeleted);
        EXPECT_FALSE(secondDeleted);
        return true;
      },
      &secondDeleted);
  list.AdoptTask(second);
  ScriptTask* third = new ScriptTask([] { return true; }, &thirdDeleted);
  list.AdoptTask(third);

  list.DoAll(TTask::eEventLoop);
  EXPECT_TRUE(firstDeleted);
  EXPECT_TRUE(secondDeleted);
  EXPECT_TRUE(thirdDeleted);
  EXPECT_TRUE(list.IsEmpty());
}

TEST(TaskList, OrphanAfterDestroyAllInTheSameWalkKeepsTheTaskAlive)
{
  TTaskList list;
  bool keptDeleted = false;
  ScriptTask* kept = new ScriptTask([] { return true; }, &keptDeleted);
  list.AdoptTask(new ScriptTask([&] {
    list.DestroyAll();
    EXPECT_TRUE(list.OrphanTask(kept));
    return true;
  }));
  list.AdoptTask(kept);
  list.DoAll(TTask::eEventLoop);
  EXPECT_FALSE(keptDeleted);
  EXPECT_EQ(kept->mRuns, 0);
  delete kept;
}

TEST(TaskList, TaskAdoptedDuringWalkRunsInTheSameWalkEvenAfterTheLastTask)
{
  TTaskList list;
  ScriptTask* adopted = new ScriptTask([] { return true; });
  bool adoptedOnce = false;
  list.AdoptTask(new ScriptTask([&] {
    if (!adoptedOnce) {
      adoptedOnce = true;
      list.AdoptTask(adopted);
    }
    return true;
  }));
  list.DoAll(TTask::eEventLoop);
  EXPECT_EQ(adopted->mRuns, 1);
  EXPECT_TRUE(list.Contains(adopted));
}

TEST(TaskList, OrphanOfAForeignTaskFailsAndChangesNothing)
{
  TTaskList list;
  ScriptTask foreign([] { return true; });
  ScriptTask* own = new ScriptTask([] { return true; });
  list.AdoptTask(own);
  EXPECT_FALSE(list.OrphanTask(&foreign));
  EXPECT_FALSE(list.OrphanTask(nullptr));
  EXPECT_TRUE(list.Contains(own));
  EXPECT_TRUE(list.OrphanTask(own));
  EXPECT_TRUE(list.IsEmpty());
  delete own;
}

TEST(TaskList, NestedWalkKeepsRemovalsUntilTheOutermostWalkEnds)
{
  TTaskList list;
  bool finisherDeleted = false, orphanDeleted = false;
  ScriptTask* orphan = new ScriptTask([] { return true; }, &orphanDeleted);
  int nestedRuns = 0;
  list.AdoptTask(new ScriptTask([&] {
    if (nestedRuns++ == 0) {
      list.DoAll(TTask::eEventLoop);
      // The nested walk has ended, but the outer one still runs.
      EXPECT_TRUE(list.IsRunning());
      EXPECT_TRUE(list.OrphanTask(orphan));
      EXPECT_TRUE(finisherDeleted);
    }
    return true;
  }));
  list.AdoptTask(new ScriptTask([] { return false; }, &finisherDeleted));
  list.AdoptTask(orphan);
  list.DoAll(TTask::eEventLoop);
  EXPECT_FALSE(list.IsRunning());
  EXPECT_FALSE(list.Contains(orphan));
  EXPECT_FALSE(orphanDeleted);
  EXPECT_EQ(orphan->mRuns, 1); // in the nested walk only
  delete orphan;
}

TEST(AnimTask, IsDueAtOnceAndRepeatsRelativeToItsPreviousDueTime)
{
  TFakeTimer timer(1000);
  TTaskList list;
  ScriptAnimTask* task = new ScriptAnimTask(nullptr);
  list.AdoptTask(task);
  EXPECT_TRUE(task->Ready(TTask::eEventLoop));

  EXPECT_EQ(task->SetDelay(100, true, false, false), 100u);
  EXPECT_EQ(task->GetNextTime(), 1100u);
  EXPECT_FALSE(task->Ready(TTask::eEventLoop));
  EXPECT_EQ(task->GetTimeUntilReady(), -100);

  timer.Set(1350);
  list.DoAll(TTask::eEventLoop);
  EXPECT_EQ(task->mTimes.size(), 1u);
  EXPECT_EQ(task->GetNextTime(), 1200u);
  // Still behind: due again on the next walk.
  list.DoAll(TTask::eEventLoop);
  EXPECT_EQ(task->mTimes.size(), 2u);
  EXPECT_EQ(task->GetNextTime(), 1300u);
}

TEST(AnimTask, CatchUpRunsEveryMissedInterval)
{
  TFakeTimer timer(1000);
  ScriptAnimTask task(nullptr);
  task.SetDelay(100, true, false, true);
  timer.Set(1350);
  ASSERT_TRUE(task.Ready(TTask::eEventLoop));
  EXPECT_TRUE(task.DoTask());
  EXPECT_EQ(task.mTimes, (std::vector<uint32_t>{1200, 1300, 1400}));
}

TEST(AnimTask, MoreThanASecondLateDropsTheBacklog)
{
  TFakeTimer timer(1000);
  for (bool catchUp : {false, true}) {
    timer.Set(1000);
    ScriptAnimTask task(nullptr);
    task.SetDelay(100, true, false, catchUp); // due at 1100
    timer.Set(1100 + 1500);
    EXPECT_TRUE(task.DoTask());
    EXPECT_EQ(task.mTimes.size(), 1u) << "catchUp " << catchUp;
    EXPECT_EQ(task.GetNextTime(), 2700u) << "catchUp " << catchUp;
  }
}

TEST(AnimTask, ExactlyASecondLateStillCatchesUp)
{
  TFakeTimer timer(0);
  ScriptAnimTask task(nullptr);
  task.SetDelay(100, true, false, true); // due at 100
  timer.Set(1100);
  EXPECT_TRUE(task.DoTask());
  EXPECT_EQ(task.mTimes.size(), 11u); // 200 .. 1200
  EXPECT_EQ(task.GetNextTime(), 1200u);
}

TEST(AnimTask, OneShotWithCatchUpRunsOncePerWalkInsteadOfLooping)
{
  TFakeTimer timer(5000);
  TTaskList list;
  ScriptAnimTask* task = nullptr;
  task = new ScriptAnimTask(nullptr, [&] { return task->mTimes.size() < 50; });
  task->SetDelay(0, false, false, true);
  list.AdoptTask(task);
  list.DoAll(TTask::eEventLoop);
  ASSERT_TRUE(list.Contains(task));
  EXPECT_EQ(task->mTimes.size(), 1u);
  list.DoAll(TTask::eEventLoop);
  EXPECT_EQ(task->mTimes.size(), 2u);
}

TEST(AnimTask, AnimateMayPauseOrReArmDuringCatchUp)
{
  TFakeTimer timer(0);
  ScriptAnimTask* pausing = nullptr;
  ScriptAnimTask pausingTask(nullptr, [&] {
    pausing->Pause();
    return true;
  });
  pausing = &pausingTask;
  pausingTask.SetDelay(10, true, false, true);
  timer.Set(500);
  EXPECT_TRUE(pausingTask.DoTask());
  EXPECT_EQ(pausingTask.mTimes.size(), 1u);
  EXPECT_TRUE(pausingTask.IsPaused());

  ScriptAnimTask* rearming = nullptr;
  ScriptAnimTask rearmingTask(nullptr, [&] {
    rearming->SetDelay(1000, true, true, true);
    return true;
  });
  rearming = &rearmingTask;
  timer.Set(0);
  rearmingTask.SetDelay(10, true, false, true);
  timer.Set(500);
  EXPECT_TRUE(rearmingTask.DoTask());
  EXPECT_EQ(rearmingTask.mTimes.size(), 1u);
  EXPECT_EQ(rearmingTask.GetNextTime(), 1500u);
}

TEST(AnimTask, FromNowReArmsFromTheTimeOfTheRun)
{
  TFakeTimer timer(0);
  ScriptAnimTask task(nullptr);
  task.SetDelay(100, true, true, false);
  timer.Set(170);
  EXPECT_TRUE(task.DoTask());
  EXPECT_EQ(task.GetNextTime(), 270u);
}

TEST(AnimTask, AnimateReturningFalseEndsTheTask)
{
  TFakeTimer timer(0);
  TTaskList list;
  ScriptAnimTask* task = new ScriptAnimTask(nullptr, [] { return false; });
  list.AdoptTask(task);
  list.DoAll(TTask::eEventLoop);
  EXPECT_TRUE(list.IsEmpty());
}

TEST(AnimTask, PausedTaskIsNeverDueAndIsToldApartFromOneDueSoon)
{
  TFakeTimer timer(100);
  ScriptAnimTask soon(nullptr);
  soon.SetDelay(1, false, true, false);
  EXPECT_EQ(soon.GetTimeUntilReady(), -1);
  EXPECT_FALSE(soon.IsPaused());

  ScriptAnimTask paused(nullptr);
  paused.Pause();
  EXPECT_EQ(paused.GetTimeUntilReady(), -1);
  EXPECT_TRUE(paused.IsPaused());
  timer.Advance(100000);
  EXPECT_FALSE(paused.Ready(TTask::eEventLoop));
  // Re-arming a paused task counts from now, not from the pause marker.
  paused.SetDelay(50, false, false, false);
  EXPECT_EQ(paused.GetNextTime(), 100150u);
}

TEST(AnimTask, DueTimesWorkAcrossTheTimerWrap)
{
  TFakeTimer timer(0xFFFFFF00u);
  ScriptAnimTask task(nullptr);
  task.SetDelay(0x200, true, false, false);
  EXPECT_EQ(task.GetNextTime(), 0x100u);
  timer.Set(0xFFFFFFF0u);
  EXPECT_FALSE(task.Ready(TTask::eEventLoop));
  timer.Set(0x100u);
  EXPECT_TRUE(task.Ready(TTask::eEventLoop));
}

TEST(AnimTask, TaskOnAClockStopsWhileTheClockIsPaused)
{
  TFakeTimer timer(1000);
  TClock clock;
  clock.Start();
  ScriptAnimTask task(&clock);
  task.SetDelay(100, true, true, false);
  timer.Advance(60);
  clock.Pause();
  timer.Advance(5000);
  EXPECT_FALSE(task.Ready(TTask::eEventLoop));
  clock.Start();
  timer.Advance(39);
  EXPECT_FALSE(task.Ready(TTask::eEventLoop));
  timer.Advance(1);
  EXPECT_TRUE(task.Ready(TTask::eEventLoop));
}

TEST(AnimTask, SetClockOntoAPausedClockKeepsTheRemainingDelay)
{
  TFakeTimer timer(1000);
  TClock clock;
  clock.Start();
  timer.Set(1050);
  clock.Pause(); // clock time 50
  ScriptAnimTask task(nullptr);
  task.SetDelay(300, false, true, false); // due at timer 1350
  timer.Set(1100);                        // 250 ms left
  task.SetClock(&clock);
  EXPECT_EQ(task.GetClock(), &clock);
  EXPECT_EQ(task.GetNextTime(), 300u);
  timer.Set(9000);
  EXPECT_FALSE(task.Ready(TTask::eEventLoop));
  clock.Start();
  timer.Advance(249);
  EXPECT_FALSE(task.Ready(TTask::eEventLoop));
  timer.Advance(1);
  EXPECT_TRUE(task.Ready(TTask::eEventLoop));

  ScriptAnimTask paused(nullptr);
  paused.Pause();
  paused.SetClock(&clock);
  EXPECT_TRUE(paused.IsPaused());
}

TEST(AnimTask, DrawPassRunsOnlyTasksMarkedForIt)
{
  TFakeTimer timer(0);
  ScriptAnimTask task(nullptr);
  EXPECT_TRUE(task.Ready(TTask::eEventLoop));
  EXPECT_FALSE(task.Ready(TTask::eDrawPass));
}

TEST(AnimTask, TellsHowLongUntilItIsDueOnItsClock)
{
  TFakeTimer timer(1000);
  ScriptAnimTask task(nullptr);
  task.SetDelay(30, false, true, false);
  EXPECT_EQ(30u, task.MillisecondsUntilDue());
  timer.Advance(31);
  EXPECT_EQ(0u, task.MillisecondsUntilDue());
  task.Pause();
  EXPECT_EQ(TTask::kNotDue, task.MillisecondsUntilDue());
  // On a paused clock nothing comes due until the clock runs again.
  TClock clock;
  clock.Start();
  ScriptAnimTask onClock(&clock);
  onClock.SetDelay(50, false, true, false);
  clock.Pause();
  EXPECT_EQ(TTask::kNotDue, onClock.MillisecondsUntilDue());
  clock.Start();
  EXPECT_EQ(50u, onClock.MillisecondsUntilDue());
}

TEST(TaskList, DueInTheLeastTimeOfItsTasksAndNeverWhenAllWait)
{
  TFakeTimer timer(1000);
  TTaskList list;
  EXPECT_EQ(TTask::kNotDue, list.MillisecondsUntilDue());
  ScriptAnimTask* later = new ScriptAnimTask(nullptr);
  later->SetDelay(40, false, true, false);
  ScriptAnimTask* paused = new ScriptAnimTask(nullptr);
  paused->Pause();
  list.AdoptTask(later);
  list.AdoptTask(paused);
  EXPECT_EQ(40u, list.MillisecondsUntilDue());
  // A task that cannot tell is asked again within a millisecond.
  list.AdoptTask(new ScriptTask([] { return true; }));
  EXPECT_EQ(1u, list.MillisecondsUntilDue());
}

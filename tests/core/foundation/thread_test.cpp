// thread_test: the recursive mutex across threads, and worker threads started, stopped
// cooperatively, restarted, and destroyed without ever having run.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "core/foundation/thread.h"

namespace {

// Counts passes of its loop until asked to stop.
class LoopThread : public TThread
{
public:
  ~LoopThread() override { Stop(); }
  void WaitForPasses(int passes)
  {
    while (mPasses.load() < passes) {
      std::this_thread::yield();
    }
  }
  std::atomic<int> mPasses{0};
  std::atomic<int> mRuns{0};

protected:
  void Task(std::atomic<bool>* stop) override
  {
    ++mRuns;
    while (!stop->load()) {
      ++mPasses;
      std::this_thread::yield();
    }
  }
};

} // namespace

TEST(Mutex, LockedTwiceAndUnlockedTwiceIsFreeForAnotherThread)
{
  TMutex mutex;
  EXPECT_TRUE(mutex.Lock(-1));
  EXPECT_TRUE(mutex.Lock(-1));
  EXPECT_EQ(mutex.Unlock(), 0);
  EXPECT_EQ(mutex.Unlock(), 0);
  bool otherLocked = false;
  std::thread other([&] {
    otherLocked = mutex.Lock(-1);
    mutex.Unlock();
  });
  other.join();
  EXPECT_TRUE(otherLocked);
}

TEST(Mutex, SerialisesThreads)
{
  TMutex mutex;
  int counter = 0;
  auto work = [&] {
    for (int i = 0; i < 10000; ++i) {
      mutex.Lock(-1);
      mutex.Lock(-1);
      ++counter;
      mutex.Unlock();
      mutex.Unlock();
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 20000);
}

TEST(Mutex, TwoMutexesHaveDifferentNames)
{
  TMutex first, second;
  EXPECT_EQ(std::strncmp(first.GetName().c_str(), "VellumKitMutex.", 15), 0);
  EXPECT_NE(first.GetName(), second.GetName());
}

TEST(Thread, StartsRunsTaskOnceAndStopsWhenAsked)
{
  LoopThread thread;
  EXPECT_FALSE(thread.IsRunning());
  ASSERT_EQ(thread.StartTask(), 0);
  EXPECT_TRUE(thread.IsRunning());
  thread.WaitForPasses(3);
  EXPECT_EQ(thread.StartTask(), EBUSY);
  thread.Stop();
  EXPECT_FALSE(thread.IsRunning());
  const int passes = thread.mPasses.load();
  EXPECT_EQ(thread.mPasses.load(), passes); // joined: no pass after Stop
  EXPECT_EQ(thread.mRuns.load(), 1);

  // The flag is lowered again, so a restart runs.
  ASSERT_EQ(thread.StartTask(), 0);
  thread.WaitForPasses(passes + 1);
  thread.Stop();
  EXPECT_EQ(thread.mRuns.load(), 2);
}

// Its Task uses nothing but the flag, so the base destructor may stop it.
class FlagOnlyThread : public TThread
{
public:
  explicit FlagOnlyThread(std::atomic<int>* passes) : mPasses(passes) {}

protected:
  void Task(std::atomic<bool>* stop) override
  {
    std::atomic<int>* passes = mPasses;
    while (!stop->load()) {
      ++*passes;
      std::this_thread::yield();
    }
  }

private:
  std::atomic<int>* mPasses;
};

TEST(Thread, DestroyingARunningThreadReturnsAfterItsTaskEnds)
{
  std::atomic<int> passes{0};
  FlagOnlyThread* thread = new FlagOnlyThread(&passes);
  ASSERT_EQ(thread->StartTask(), 0);
  while (passes.load() == 0) {
    std::this_thread::yield();
  }
  delete thread;
  const int afterDelete = passes.load();
  EXPECT_GT(afterDelete, 0);
  EXPECT_EQ(passes.load(), afterDelete); // joined: the loop has ended
}

TEST(Thread, ThreadThatNeverStartedIsDestroyedWithoutAJoin)
{
  LoopThread* thread = new LoopThread;
  thread->Stop();
  delete thread;
  SUCCEED();
}

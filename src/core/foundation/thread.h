// thread: a recursive mutex and a worker-thread base over POSIX threads; the sound
// system locks the one and runs its streaming on the other.
#pragma once

#include <atomic>

#include "core/foundation/str.h"

struct TMutexData;
struct TThreadData;

// Recursive: the holding thread may lock again and must unlock as often.
class TMutex
{
public:
  TMutex();
  virtual ~TMutex();

  // Blocks until held; the time-out is ignored (callers pass -1). True on success.
  bool Lock(int timeout = -1);
  // The POSIX result, 0 on success.
  int Unlock();
  // "VellumKitMutex." and the record's address; only for finding it in a debugger.
  str GetName() const;

private:
  TMutex(const TMutex&) = delete;
  TMutex& operator=(const TMutex&) = delete;

  TMutexData* mData;
};

// A worker that runs Task once; Task loops until the flag it is given turns true.
// Stopping is cooperative. A subclass whose Task uses the subclass's own members must
// call Stop() in its destructor, because the base destructor runs after they are gone.
class TThread
{
public:
  TThread();
  virtual ~TThread();

  // The result of pthread_create (0 on success). A thread already running is not
  // started twice (EBUSY).
  int StartTask();
  // Raises the stop flag and waits for Task to return; nothing to do when not running.
  void Stop();
  bool IsRunning() const;

protected:
  // The thread's body. The flag is written by the stopping thread while Task reads it.
  virtual void Task(std::atomic<bool>* stop) = 0;

private:
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  static void* ThreadProc(void* thread);

  TThreadData* mData;
};

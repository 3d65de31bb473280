// thread: a recursive mutex and a worker-thread base over POSIX threads; the sound
// system locks the one and runs its streaming on the other.
#include "core/foundation/thread.h"

#include <cerrno>
#include <cstdint>
#include <pthread.h>

#include <boost/shared_ptr.hpp>

#include "core/foundation/debug.h"

struct TMutexData
{
  pthread_mutex_t mMutex;
  str mName;
};

struct TThreadData
{
  // Shared with the running thread, which holds its own reference while Task runs.
  boost::shared_ptr<std::atomic<bool>> mStop{new std::atomic<bool>(false)};
  pthread_t mThread;
  pthread_attr_t mAttributes;
  bool mStarted = false;
};

TMutex::TMutex() : mData(new TMutexData)
{
  mData->mName =
      str::getFormatted("VellumKitMutex.%08lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(mData)));
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&mData->mMutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

TMutex::~TMutex()
{
  pthread_mutex_destroy(&mData->mMutex);
  delete mData;
}

bool TMutex::Lock(int timeout)
{
  return pthread_mutex_lock(&mData->mMutex) == 0;
}

int TMutex::Unlock()
{
  return pthread_mutex_unlock(&mData->mMutex);
}

str TMutex::GetName() const
{
  return mData->mName;
}

TThread::TThread() : mData(new TThreadData)
{
  pthread_attr_init(&mData->mAttributes);
  pthread_attr_setdetachstate(&mData->mAttributes, PTHREAD_CREATE_JOINABLE);
}

TThread::~TThread()
{
  if (!mData) {
    return;
  }
  Stop();
  pthread_attr_destroy(&mData->mAttributes);
  delete mData;
  mData = nullptr;
}

int TThread::StartTask()
{
  if (mData->mStarted) {
    WriteDbg("ERROR: TThread::StartTask: the thread is already running");
    return EBUSY;
  }
  mData->mStop->store(false);
  int result = pthread_create(&mData->mThread, &mData->mAttributes, &TThread::ThreadProc, this);
  if (result != 0) {
    WriteDbg("ERROR: TThread::StartTask: pthread_create failed (%d)", result);
    return result;
  }
  mData->mStarted = true;
  return 0;
}

void TThread::Stop()
{
  // A handle that was never set must not be joined.
  if (!mData || !mData->mStarted) {
    return;
  }
  mData->mStop->store(true);
  pthread_join(mData->mThread, nullptr);
  mData->mStarted = false;
  mData->mStop->store(false);
}

bool TThread::IsRunning() const
{
  return mData && mData->mStarted;
}

void* TThread::ThreadProc(void* thread)
{
  TThread* self = static_cast<TThread*>(thread);
  boost::shared_ptr<std::atomic<bool>> stop = self->mData->mStop;
  self->Task(stop.get());
  stop.reset();
  return thread;
}

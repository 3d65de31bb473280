// soundmanager: owns every playing stream, the master and per-type volumes, the
// application-active state and the sound thread that keeps the voices filled.
#pragma once

#include <atomic>
#include <cstddef>

#include <boost/shared_ptr.hpp>

#include "core/foundation/clock.h"
#include "core/foundation/thread.h"

class TSoundStream;
class TSoundManagerData;

// Guards the manager's lists and every stream and voice operation (recursive). Taken
// before TLockSoundMutex, never after it.
class SoundManagerMutex
{
public:
  static TMutex mMutex;
};

class TSoundManager
{
public:
  // Opens the output device; with none the manager still works and plays nothing.
  TSoundManager();
  virtual ~TSoundManager();

  // Starts the sound thread (tests pass false and drive the passes themselves); true,
  // also when already running.
  bool Init(bool startThread = true);

  // Master volume times the type's volume when one was set, else the master volume.
  float GetVolume(int type);
  void SetVolume(float volume);
  void SetTypeVolume(int type, float volume);
  void UpdateAllVolumes();
  void SetStreamVolume(boost::shared_ptr<TSoundStream> stream);

  void RegisterStream(TSoundStream* stream);
  void StopStream(boost::shared_ptr<TSoundStream> stream);
  // The caller holds SoundManagerMutex.
  void StopStreamDelayed(boost::shared_ptr<TSoundStream> stream);

  // The sound thread's pass: refills, and sets aside the streams that played out.
  void InternalHandleNotifications(bool unused);
  // The main thread's pass: releases stopped streams and delivers every completion.
  void HandleNotifications();
  void AppActivate(bool active);

  bool IsRunning() const { return mRunning; }
  bool IsShuttingDown() const { return mShuttingDown; }
  bool IsAppActive() const { return mAppActive; }
  bool HasDevice() const;
  // Runs from Init on, paused before.
  TClock* GetClock() { return &mClock; }

  size_t GetLiveStreamCount();
  size_t GetFinishedStreamCount();

  // The manager the game plays through (the one the platform made), or null.
  static TSoundManager* GetCurrent() { return sCurrent; }

  // Microseconds the sound thread waits between passes: two 0.37 s blocks per voice leave
  // ample margin at 50 passes a second, and an idle program wakes no more often for sound.
  static constexpr int kPassIntervalMicroseconds = 20000;

private:
  TSoundManager(const TSoundManager&) = delete;
  TSoundManager& operator=(const TSoundManager&) = delete;

  void ReportPrevious(const boost::shared_ptr<TSoundStream>& stream);

  TSoundManagerData* mData;
  TClock mClock;
  // Read by the sound thread without the manager's lock.
  std::atomic<bool> mRunning{false};
  std::atomic<bool> mShuttingDown{false};
  bool mAppActive = true;

  static TSoundManager* sCurrent;
};

// soundinstance: the handle of one playing copy of a sound; changes its gain, attaches a
// completion callback or a following sound, and stops it through its sound asset.
#pragma once

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

class TSound;
class TSoundCallBack;
class TSoundStream;

class TSoundInstance : public boost::enable_shared_from_this<TSoundInstance>
{
public:
  explicit TSoundInstance(TSoundStream* stream) : mStream(stream) {}
  // Does not stop the sound: a dropped handle plays to its end.
  virtual ~TSoundInstance() {}

  // The stream's own gain (clamped to 0..1) until the manager next reapplies volumes.
  void SetVolume(float volume);
  // A null callback without a next sound detaches.
  void SetCompleteAction(TSoundCallBack* callback, boost::shared_ptr<TSound> next);
  void Kill();

  // Read and written under SoundManagerMutex: the stream's destructor clears mStream and a
  // chain switch on the sound thread moves mNextSound into mSound.
  TSoundStream* mStream;
  boost::weak_ptr<TSound> mSound;
  boost::weak_ptr<TSound> mNextSound;
  TSoundCallBack* mCallback = nullptr;
};

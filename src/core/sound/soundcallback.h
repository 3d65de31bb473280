// soundcallback: what portable code implements to hear that a playing copy of a sound has
// played out; the sound system that attaches it to playing copies is told when it dies.
#pragma once

#include <set>

#include <boost/shared_ptr.hpp>
#include <boost/smart_ptr/owner_less.hpp>
#include <boost/weak_ptr.hpp>

class TSound;
class TSoundCallBack;
class TSoundInstance;

// The sound system's side: detaches a dying callback from every playing copy it is attached
// to, so that none calls it afterwards.
class ISoundCallBackRegistry
{
public:
  virtual ~ISoundCallBackRegistry() {}
  virtual void Detach(TSoundCallBack* callback) = 0;
};

// Told when an instance it is attached to has played out (or its first sound of a chain).
// Runs on the main thread, inside the sound manager's notification pass.
class TSoundCallBack
{
public:
  TSoundCallBack();
  // Detaches from every instance still alive, so it is never called afterwards.
  virtual ~TSoundCallBack();
  virtual void OnComplete(boost::shared_ptr<TSoundInstance> instance, boost::shared_ptr<TSound> next) = 0;

  // The instances it is attached to, and what attached them (set on the first attachment).
  std::set<boost::weak_ptr<TSoundInstance>, boost::owner_less<boost::weak_ptr<TSoundInstance>>>* mInstances;
  ISoundCallBackRegistry* mRegistry = nullptr;

private:
  TSoundCallBack(const TSoundCallBack&) = delete;
  TSoundCallBack& operator=(const TSoundCallBack&) = delete;
};

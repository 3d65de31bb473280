// soundcallback: a completion callback's list of playing copies, handed back to the sound
// system that attached them when the callback dies.
#include "core/sound/soundcallback.h"

TSoundCallBack::TSoundCallBack()
    : mInstances(new std::set<boost::weak_ptr<TSoundInstance>, boost::owner_less<boost::weak_ptr<TSoundInstance>>>)
{}

TSoundCallBack::~TSoundCallBack()
{
  if (mRegistry) {
    mRegistry->Detach(this);
  }
  delete mInstances;
}

// soundplayer: the sound calls of portable code, which holds sound assets and their playing
// copies as handles; forwarded to the sound playback the platform hands in (TServices).
#pragma once

#include <boost/shared_ptr.hpp>

#include "core/foundation/str.h"

class TSound;
class TSoundCallBack;
class TSoundInstance;

// Without a sound playback handed in, or for an empty handle, the calls do nothing, find
// and play nothing and read every volume as 1.
class TSoundPlayer
{
public:
  // The one live sound of the name, flag and group; a name may end in "?group=N", which
  // overrides group. Empty for an empty name.
  static boost::shared_ptr<TSound> Get(const str& name, bool inMemory, int group);
  // A new playing copy; empty when the sound has no data or nothing can play it.
  static boost::shared_ptr<TSoundInstance> Play(const boost::shared_ptr<TSound>& sound, bool loop);
  static void Pause(const boost::shared_ptr<TSound>& sound, bool pause);
  // Stops every playing copy of the sound, reporting no completion.
  static void Kill(const boost::shared_ptr<TSound>& sound);
  // Stops one playing copy, reporting no completion.
  static void KillInstance(const boost::shared_ptr<TSoundInstance>& instance);
  static void SetInstanceVolume(const boost::shared_ptr<TSoundInstance>& instance, float volume);
  // The callback hears the copy's end (null detaches); it must outlive the attachment or
  // detach itself by dying (TSoundCallBack does).
  static void SetCompleteAction(const boost::shared_ptr<TSoundInstance>& instance, TSoundCallBack* callback);

  // The master volume times the type's, or the master alone for a type never set.
  static float GetVolume(int type);
  static void SetTypeVolume(int type, float volume);
  static void SetMasterVolume(float volume);
};

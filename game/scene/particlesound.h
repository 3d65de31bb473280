// particlesound: sounds that particle scripts play through a function: registered by index,
// played once, or kept looping for as long as the script keeps asking within a duration.
#pragma once

#include <cstdint>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "scene/ontimercaller.h"
#include "scene/particlesdatasource.h"

class TSound;
class TSoundInstance;

QV_GAME_DATA_SOURCE(GParticleSound, GParticlesDataSource)
// One sound slot's timed playing: the sound loops until its end time passes.
class TSoundIns
{
public:
  TSoundIns() : mEndTime(0), mTimer(nullptr), mFinished(true) {}
  // A timed sound stops, and its timer is detached, when its slot goes.
  ~TSoundIns();
  // Keeps the instance until ms from now (ms > 0); ms < 0 stops it at once.
  void Play(boost::shared_ptr<TSoundInstance> instance, int ms);
  // The timer's call: stops the sound once its end time has passed, else waits for it.
  bool OnTimeLeft(TCustomOnTimerCaller* timer);

  boost::shared_ptr<TSoundInstance> mInstance;
  uint32_t mEndTime;
  TCustomOnTimerCaller* mTimer;
  bool mFinished;

private:
  void Stop();
};

// Slot indices from 0 below this; a script asking for more is refused.
static const int kMaxSlots = 1024;

// Puts the named sound (in the game's effects group) into a slot (Lua "RegisterSound").
void RegisterSound(int index, str name);
// Plays slot index: once for ms 0, else looping until ms after the last such call.
void PlaySoundA(int index, int ms);

std::vector<boost::shared_ptr<TSound>> mSounds;
std::vector<boost::shared_ptr<TSoundIns>> mPlayers;
}
;

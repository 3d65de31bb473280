// soundlevels: the volumes the game sets (master and per sound type), behind a narrow
// interface so tests can record them; the default forwards to the engine's sound playback.
#pragma once

// The volume types the game uses.
enum ESoundType
{
  kSoundTypeButtons = 0,
  kSoundTypeEffects = 1000,
  kSoundTypeMusic = 1001,
  kSoundTypeMusicChannel0 = 1002,
  kSoundTypeMusicChannel1 = 1003
};

class TSoundLevels
{
public:
  virtual ~TSoundLevels() {}
  // The master volume times the type's volume (the master alone for a type never set).
  virtual float GetVolume(int type) = 0;
  virtual void SetTypeVolume(int type, float volume) = 0;
  virtual void SetVolume(float volume) = 0;

  // The levels in force: the installed ones, else the sound manager's (which ignore
  // every call while there is no sound manager and read 1).
  static TSoundLevels* Get();
  // Installs levels (not owned; null restores the sound manager's); returns the old ones.
  static TSoundLevels* Install(TSoundLevels* levels);
};

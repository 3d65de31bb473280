// soundlevels: the default volumes over the engine's sound playback, and the switch that
// lets tests put their own in its place.
#include "media/soundlevels.h"

#include "core/foundation/installable.h"
#include "core/sound/soundplayer.h"

namespace {

class TManagerLevels : public TSoundLevels
{
public:
  float GetVolume(int type) override { return TSoundPlayer::GetVolume(type); }
  void SetTypeVolume(int type, float volume) override { TSoundPlayer::SetTypeVolume(type, volume); }
  void SetVolume(float volume) override { TSoundPlayer::SetMasterVolume(volume); }
};

TSoundLevels* ManagerLevels()
{
  static TManagerLevels managerLevels;
  return &managerLevels;
}

TInstallable<TSoundLevels> gLevels(&ManagerLevels);

} // namespace

TSoundLevels* TSoundLevels::Get()
{
  return gLevels.Get();
}

TSoundLevels* TSoundLevels::Install(TSoundLevels* levels)
{
  return gLevels.Install(levels);
}

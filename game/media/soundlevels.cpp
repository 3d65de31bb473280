// soundlevels: the default volumes over the platform's sound manager, and the switch that
// lets tests put their own in its place.
#include "media/soundlevels.h"

#include "core/foundation/installable.h"
#include "platform/sound/soundmanager.h"

namespace {

class TManagerLevels : public TSoundLevels
{
public:
  float GetVolume(int type) override
  {
    TSoundManager* manager = TSoundManager::GetCurrent();
    return manager ? manager->GetVolume(type) : 1.0f;
  }
  void SetTypeVolume(int type, float volume) override
  {
    if (TSoundManager* manager = TSoundManager::GetCurrent()) {
      manager->SetTypeVolume(type, volume);
    }
  }
  void SetVolume(float volume) override
  {
    if (TSoundManager* manager = TSoundManager::GetCurrent()) {
      manager->SetVolume(volume);
    }
  }
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

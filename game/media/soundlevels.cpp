// soundlevels: the default volumes over the platform's sound manager, and the switch that
// lets tests put their own in its place.
#include "media/soundlevels.h"

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

TSoundLevels* gInstalledLevels = nullptr;

} // namespace

TSoundLevels* TSoundLevels::Get()
{
  static TManagerLevels managerLevels;
  return gInstalledLevels ? gInstalledLevels : &managerLevels;
}

TSoundLevels* TSoundLevels::Install(TSoundLevels* levels)
{
  TSoundLevels* previous = gInstalledLevels;
  gInstalledLevels = levels;
  return previous;
}

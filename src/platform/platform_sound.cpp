// platform_sound: the platform's sound hooks: registering the sound data sources at
// start-up, making and starting the sound manager, and deleting it at teardown.
#include "platform/platform.h"
#include "core/sound/oggdatasource.h"
#include "platform/sound/soundmanager.h"

namespace {

// The manager the platform made (and must delete).
TSoundManager* sPlatformSoundManager = nullptr;

} // namespace

void TPlatform::RegisterSoundSources()
{
  TOggDataSource::Register();
}

bool TPlatform::InitSound()
{
  if (!sPlatformSoundManager) {
    sPlatformSoundManager = new TSoundManager;
  }
  return sPlatformSoundManager->Init();
}

TSoundManager* TPlatform::GetSoundManager()
{
  return sPlatformSoundManager;
}

void TPlatform::ShutDownSound()
{
  delete sPlatformSoundManager;
  sPlatformSoundManager = nullptr;
}

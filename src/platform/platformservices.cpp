// platformservices: the platform's side of the engine's services (browser, clipboard,
// machine identity, HTTP, sound playback, the window stack's host), handed in by TPlatform.
#include "platform/platformservices.h"

#include "core/foundation/services.h"
#include "platform/display/clipboard.h"
#include "platform/online/computerid.h"
#include "platform/online/simplehttp.h"
#include "platform/platform.h"
#include "platform/sound/sound.h"
#include "platform/sound/soundinstance.h"
#include "platform/sound/soundmanager.h"

namespace {

// Both ask the platform object, as the facade's own calls do: without one they do nothing.
class TBrowserService : public IBrowser
{
public:
  bool OpenBrowser(const char* url) override
  {
    TPlatform* platform = TPlatform::GetInstance();
    return platform && platform->OpenBrowser(url);
  }
};

// Copying needs the platform object; pasting reads the system clipboard with or without it.
class TClipboardService : public IClipboard
{
public:
  bool SetClipboardText(const str& text) override
  {
    TPlatform* platform = TPlatform::GetInstance();
    return platform && platform->StringToClipboard(text);
  }
  str GetClipboardText() override { return QvGetClipboardText(); }
};

class TIdentityService : public IMachineIdentity
{
public:
  void GenerateGUID(uint32_t* out) override { qvGenerateGUID(out); }
  str GenerateGUIDText() override { return qvGenerateGUIDStr(); }
};

class THttpService : public IHttp
{
public:
  std::unique_ptr<IHttpRequest> NewRequest() override { return std::unique_ptr<IHttpRequest>(new TSimpleHttp); }
};

class TSoundService : public ISoundPlayback
{
public:
  boost::shared_ptr<TAsset> GetSoundAsset(const str& name, bool inMemory, int group) override
  {
    return TSound::Get(name, inMemory, group);
  }
  boost::shared_ptr<TSound> AsSound(const boost::shared_ptr<TAsset>& asset) override
  {
    if (asset && asset->IsKindOf(TSound::ClassId()))
      return boost::static_pointer_cast<TSound>(asset);
    return boost::shared_ptr<TSound>();
  }
  void PlayOnce(const boost::shared_ptr<TSound>& sound) override
  {
    if (sound)
      sound->Play(false);
  }
  bool GetMasterVolume(float* volume) override
  {
    TSoundManager* manager = TSoundManager::GetCurrent();
    if (!manager)
      return false;
    *volume = manager->GetVolume(-1);
    return true;
  }
  void SetMasterVolume(float volume) override
  {
    if (TSoundManager* manager = TSoundManager::GetCurrent())
      manager->SetVolume(volume);
  }
};

class THostService : public IAppHost
{
public:
  explicit THostService(TPlatform* platform) : mPlatform(platform) {}
  bool IsForeground() const override { return mPlatform->IsForeground(); }
  void Exit(int code) override { mPlatform->Exit(code); }
  TTaskList* GetTaskList() override { return mPlatform->GetTaskList(); }
  TStringTable* GetStringTable() const override { return mPlatform->GetStringTable(); }

private:
  TPlatform* mPlatform;
};

} // namespace

void HandInPlatformServices()
{
  static TBrowserService browser;
  static TClipboardService clipboard;
  static TIdentityService identity;
  static THttpService http;
  static TSoundService sound;
  TServices services = TServices::Get();
  services.browser = &browser;
  services.clipboard = &clipboard;
  services.identity = &identity;
  services.http = &http;
  services.sound = &sound;
  TServices::HandIn(services);
}

TPlatformHost::TPlatformHost(TPlatform* platform) : mHost(new THostService(platform))
{
  HandInPlatformServices();
  TServices services = TServices::Get();
  services.host = mHost;
  TServices::HandIn(services);
}

TPlatformHost::~TPlatformHost()
{
  // Withdrawn only when still this one: a later platform may have handed in its own.
  if (TServices::Get().host == mHost) {
    TServices services = TServices::Get();
    services.host = nullptr;
    TServices::HandIn(services);
  }
  delete mHost;
}

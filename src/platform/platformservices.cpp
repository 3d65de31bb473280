// platformservices: the platform's side of the engine's services (browser, clipboard,
// machine identity, HTTP, sound playback, the window stack's host), handed in by TPlatform.
#include "platform/platformservices.h"

#include "core/foundation/services.h"
#include "platform/display/clipboard.h"
#include "platform/flashhost.h"
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
  int GetBrowserStatus() override
  {
    TPlatform* platform = TPlatform::GetInstance();
    return platform ? platform->GetBrowserStatus() : 2;
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
  boost::shared_ptr<TSoundInstance> Play(const boost::shared_ptr<TSound>& sound, bool loop) override
  {
    return sound ? sound->Play(loop) : boost::shared_ptr<TSoundInstance>();
  }
  void Pause(const boost::shared_ptr<TSound>& sound, bool pause) override
  {
    if (sound)
      sound->Pause(pause);
  }
  void Kill(const boost::shared_ptr<TSound>& sound) override
  {
    if (sound)
      sound->Kill();
  }
  void KillInstance(const boost::shared_ptr<TSoundInstance>& instance) override
  {
    if (instance)
      instance->Kill();
  }
  void SetInstanceVolume(const boost::shared_ptr<TSoundInstance>& instance, float volume) override
  {
    if (instance)
      instance->SetVolume(volume);
  }
  void SetCompleteAction(const boost::shared_ptr<TSoundInstance>& instance, TSoundCallBack* callback) override
  {
    if (instance)
      instance->SetCompleteAction(callback, boost::shared_ptr<TSound>());
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
  bool GetVolume(int type, float* volume) override
  {
    TSoundManager* manager = TSoundManager::GetCurrent();
    if (!manager)
      return false;
    *volume = manager->GetVolume(type);
    return true;
  }
  void SetTypeVolume(int type, float volume) override
  {
    if (TSoundManager* manager = TSoundManager::GetCurrent())
      manager->SetTypeVolume(type, volume);
  }
};

class TMovieService : public IMoviePlayer
{
public:
  IMovieHost* NewMovieHost(const str& file) override { return NewFlashHost(file); }
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

// The facade's display calls: a platform without its platform object (tools, tests) sizes
// nothing and its full-screen switches succeed, as the facade's own calls do.
class TDisplayService : public IDisplayControl
{
public:
  explicit TDisplayService(TPlatform* platform) : mPlatform(platform) {}
  void SetDisplay(unsigned width, unsigned height, bool fullscreen) override
  {
    mPlatform->SetDisplay(width, height, fullscreen);
  }
  bool IsFullscreen() const override { return mPlatform->IsFullscreen(); }
  bool SetFullscreen(bool fullscreen) override { return mPlatform->SetFullscreen(fullscreen); }
  void ShowCursor(bool show) override { mPlatform->ShowCursor(show); }

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
  static TMovieService movies;
  TServices services = TServices::Get();
  services.browser = &browser;
  services.clipboard = &clipboard;
  services.identity = &identity;
  services.http = &http;
  services.sound = &sound;
  services.movies = &movies;
  TServices::HandIn(services);
}

TPlatformHost::TPlatformHost(TPlatform* platform)
    : mHost(new THostService(platform)), mDisplay(new TDisplayService(platform))
{
  HandInPlatformServices();
  TServices services = TServices::Get();
  services.host = mHost;
  services.display = mDisplay;
  TServices::HandIn(services);
}

TPlatformHost::~TPlatformHost()
{
  // Withdrawn only when still this one: a later platform may have handed in its own.
  TServices services = TServices::Get();
  if (services.host == mHost) {
    services.host = nullptr;
  }
  if (services.display == mDisplay) {
    services.display = nullptr;
  }
  TServices::HandIn(services);
  delete mHost;
  delete mDisplay;
}

// platformservices: the services the platform hands in to the engine (core/foundation/
// services.h): the machine's for the whole run, the window stack's host and the window's
// display while a platform lives.
#pragma once

class IAppHost;
class IDisplayControl;
class TPlatform;

// Hands in the browser, the clipboard, the machine's identity, HTTP, sound playback and the
// cinematics' player for the rest of the run (again is harmless). The platform's constructor calls it, and a
// program that uses the engine without a platform object calls it at start-up.
void HandInPlatformServices();

// Hands in the platform as the window stack's host and the window's display (and the
// machine's services); the destructor withdraws both.
class TPlatformHost
{
public:
  explicit TPlatformHost(TPlatform* platform);
  ~TPlatformHost();

private:
  TPlatformHost(const TPlatformHost&) = delete;
  TPlatformHost& operator=(const TPlatformHost&) = delete;

  IAppHost* mHost;
  IDisplayControl* mDisplay;
};

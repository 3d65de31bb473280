// platformservices: the services the platform hands in to the engine (core/foundation/
// services.h): the machine's for the whole run, the window stack's host while a platform lives.
#pragma once

class IAppHost;
class TPlatform;

// Hands in the browser, the clipboard, the machine's identity, HTTP and sound playback for
// the rest of the run (again is harmless). The platform's constructor calls it, and a
// program that uses the engine without a platform object calls it at start-up.
void HandInPlatformServices();

// Hands in the platform as the window stack's host (and the machine's services); the
// destructor withdraws the host.
class TPlatformHost
{
public:
  explicit TPlatformHost(TPlatform* platform);
  ~TPlatformHost();

private:
  TPlatformHost(const TPlatformHost&) = delete;
  TPlatformHost& operator=(const TPlatformHost&) = delete;

  IAppHost* mHost;
};

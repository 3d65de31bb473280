// services: what the engine's subsystems ask of the machine and of the program around them
// (a browser, the clipboard, this machine's identity, HTTP, sound playback, the host of the
// window stack), as interfaces the platform implements and hands in once at start-up.
#pragma once

#include <cstdint>
#include <memory>

#include <boost/shared_ptr.hpp>

#include "core/foundation/str.h"

class TAsset;
class TSound;
class TStringTable;
class TTaskList;

// Opens web addresses in the user's browser.
class IBrowser
{
public:
  virtual ~IBrowser() {}
  // False when the browser opener cannot be started.
  virtual bool OpenBrowser(const char* url) = 0;
};

// The system clipboard as UTF-8 text.
class IClipboard
{
public:
  virtual ~IClipboard() {}
  virtual bool SetClipboardText(const str& text) = 0;
  // Empty when the clipboard holds no text.
  virtual str GetClipboardText() = 0;
};

// This machine's identity and new GUIDs made from it.
class IMachineIdentity
{
public:
  virtual ~IMachineIdentity() {}
  // Four 32-bit words, new on every call.
  virtual void GenerateGUID(uint32_t* out) = 0;
  // A new GUID as 32 lower-case hexadecimal digits.
  virtual str GenerateGUIDText() = 0;
};

// One HTTP GET or POST with percent-encoded arguments; advances only when polled.
class IHttpRequest
{
public:
  enum EStatus
  {
    kRunning = 0,
    kComplete = 1,
    kFailed = 2,
    kFileNotOpened = 3
  };

  virtual ~IHttpRequest() {}
  // Starts a new request description; abandons a transfer still in flight.
  virtual void Init(char const* url, bool post, char const* outputFile = nullptr) = 0;
  virtual void AddArg(char const* name, char const* value) = 0;
  virtual void AddArg(char const* name, int value) = 0;
  virtual void DoRequest(int unused = 1) = 0;
  // Lets the transfer make progress without blocking and reports its EStatus.
  virtual int GetStatus() = 0;
  // The reply, NUL-terminated, once complete; null otherwise.
  virtual char const* GetContents() = 0;
  virtual unsigned long GetContentsSize() const = 0;
  // The HTTP status of the completed transfer; 0 unless complete.
  virtual long GetResponseCode() const = 0;
  // True when the transfer failed because the server's reply could not be read as one (it
  // gave conflicting lengths): the server answered, but nothing of the answer is taken.
  virtual bool IsReplyDamaged() const { return false; }
};

class IHttp
{
public:
  virtual ~IHttp() {}
  virtual std::unique_ptr<IHttpRequest> NewRequest() = 0;
};

// Sound assets and their playing copies, and the master volume. TSound is the platform's
// sound asset: the engine holds it by pointer and plays it through this interface.
class ISoundPlayback
{
public:
  virtual ~ISoundPlayback() {}
  // The one live sound asset of the name (a name may end in "?group=N"); empty for an
  // empty name.
  virtual boost::shared_ptr<TAsset> GetSoundAsset(const str& name, bool inMemory, int group) = 0;
  // The asset as a sound; empty when it is none.
  virtual boost::shared_ptr<TSound> AsSound(const boost::shared_ptr<TAsset>& asset) = 0;
  // Starts one copy playing once; nothing without a sound manager.
  virtual void PlayOnce(const boost::shared_ptr<TSound>& sound) = 0;
  // The master volume (0..1); false without a sound manager.
  virtual bool GetMasterVolume(float* volume) = 0;
  virtual void SetMasterVolume(float volume) = 0;
};

// What the window stack and its scripts ask of the program that runs them.
class IAppHost
{
public:
  virtual ~IAppHost() {}
  virtual bool IsForeground() const = 0;
  // Asks the program to end: the next event is the quit event.
  virtual void Exit(int code) = 0;
  // The idle task list, run at every idle event and once per drawn frame.
  virtual TTaskList* GetTaskList() = 0;
  // Null while the program has none.
  virtual TStringTable* GetStringTable() const = 0;
};

// The services in force. Each pointer is null until the platform hands it in (a program
// without a platform object has none); the subsystems check before use.
struct TServices
{
  IBrowser* browser = nullptr;
  IClipboard* clipboard = nullptr;
  IMachineIdentity* identity = nullptr;
  IHttp* http = nullptr;
  ISoundPlayback* sound = nullptr;
  IAppHost* host = nullptr;

  static const TServices& Get() { return sServices; }
  // Replaces the services in force (an empty TServices withdraws them); main thread only.
  static void HandIn(const TServices& services) { sServices = services; }

private:
  static TServices sServices;
};

// services: what the engine and the game ask of the machine and of the program around them
// (a browser, the clipboard, this machine's identity, HTTP, sound and movie playback, the host
// of the window stack, the window's display), as interfaces the platform implements and hands in.
#pragma once

#include <cstdint>
#include <memory>

#include <boost/shared_ptr.hpp>

#include "core/foundation/str.h"

class IMovieHost;
class TAsset;
class TSound;
class TSoundCallBack;
class TSoundInstance;
class TStringTable;
class TTaskList;

// Opens web addresses in the user's browser.
class IBrowser
{
public:
  virtual ~IBrowser() {}
  // False when the browser opener cannot be started.
  virtual bool OpenBrowser(const char* url) = 0;
  // How the last OpenBrowser went, without waiting: 1 the opener runs, 0 it opened the
  // address, 2 it could not.
  virtual int GetBrowserStatus() = 0;
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
};

class IHttp
{
public:
  virtual ~IHttp() {}
  virtual std::unique_ptr<IHttpRequest> NewRequest() = 0;
};

// Sound assets and their playing copies, and the volumes. TSound and TSoundInstance are the
// platform's: portable code holds them as handles and plays them through this interface.
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
  // A new playing copy; empty when the sound has no data or there is no sound manager.
  virtual boost::shared_ptr<TSoundInstance> Play(const boost::shared_ptr<TSound>& sound, bool loop) = 0;
  // Pauses or resumes every playing copy of the sound.
  virtual void Pause(const boost::shared_ptr<TSound>& sound, bool pause) = 0;
  // Stops every playing copy of the sound, reporting no completion.
  virtual void Kill(const boost::shared_ptr<TSound>& sound) = 0;
  // Stops one playing copy, reporting no completion.
  virtual void KillInstance(const boost::shared_ptr<TSoundInstance>& instance) = 0;
  // The copy's own volume (0..1) until the manager next reapplies the volumes.
  virtual void SetInstanceVolume(const boost::shared_ptr<TSoundInstance>& instance, float volume) = 0;
  // Attaches the callback to the copy's end (null detaches).
  virtual void SetCompleteAction(const boost::shared_ptr<TSoundInstance>& instance, TSoundCallBack* callback) = 0;
  // The master volume (0..1); false without a sound manager.
  virtual bool GetMasterVolume(float* volume) = 0;
  virtual void SetMasterVolume(float volume) = 0;
  // The master volume times the type's, or the master alone for a type never set; false
  // without a sound manager.
  virtual bool GetVolume(int type, float* volume) = 0;
  virtual void SetTypeVolume(int type, float volume) = 0;
};

// The machine's player of cinematics (IMovieHost, core/window/windowscript.h).
class IMoviePlayer
{
public:
  virtual ~IMoviePlayer() {}
  // A new host for the movie file, owned by the caller; it says whether it can play.
  virtual IMovieHost* NewMovieHost(const str& file) = 0;
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

// The program's window as the game sets it up: its frame's size, full screen or not, and
// whether the pointer shows over it.
class IDisplayControl
{
public:
  virtual ~IDisplayControl() {}
  // Makes the window on first use and sizes its frame width x height.
  virtual void SetDisplay(unsigned width, unsigned height, bool fullscreen) = 0;
  virtual bool IsFullscreen() const = 0;
  // False when the switch failed.
  virtual bool SetFullscreen(bool fullscreen) = 0;
  virtual void ShowCursor(bool show) = 0;
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
  IMoviePlayer* movies = nullptr;
  IAppHost* host = nullptr;
  IDisplayControl* display = nullptr;

  static const TServices& Get() { return sServices; }
  // Replaces the services in force (an empty TServices withdraws them); main thread only.
  static void HandIn(const TServices& services) { sServices = services; }

private:
  static TServices sServices;
};

// platform: the engine's one platform facade and its process-wide configuration of text
// keys and values; gives the millisecond timer that tasks, clocks and drawing read.
#pragma once

#include <cstdint>

#include <boost/shared_ptr.hpp>

#include "core/foundation/config.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "core/foundation/task.h"
#include "core/foundation/timesource.h"

// Global key of the developer cheat code (set from the command line).
constexpr char kCheatCode[] = "cheatcode";

struct TEvent;
class IEventHost;
class TAssetManager;
class TPlatformData;
class TStringTable;
class TTexture;
class TEventQueue;
class TWindowManager;

class TSoundManager;
class TPlatformHost;

class TPlatform
{
public:
  // Configuration keys.
  static constexpr auto& kSoftwareTextureCulling = TConfig::kSoftwareTextureCulling;
  static constexpr auto& kKeepOGGUncompressed = TConfig::kKeepOGGUncompressed;
  static constexpr char kQVGameMedalName[] = "qvgamemedalname";
  static constexpr char kQVGameModeName[] = "qvgamemodename";
  static constexpr auto& kQVGameHandle = TConfig::kQVGameHandle;
  static constexpr char kVerboseDebug[] = "verbosedebug";
  static constexpr auto& kOverlayWindowMouseEvents = TConfig::kOverlayWindowMouseEvents;
  static constexpr auto& kAutoMergeMask = TConfig::kAutoMergeMask;
  static constexpr char kUTF8Mode[] = "utf8mode";
  static constexpr auto& kTextGraphicSpriteRender = TConfig::kTextGraphicSpriteRender;
  static constexpr auto& kAdjustAnimatedParticles = TConfig::kAdjustAnimatedParticles;
  static constexpr auto& kFixButtonMaskScaling = TConfig::kFixButtonMaskScaling;
  static constexpr char kSpriteAlwaysTestChildren[] = "hittestchildren";
  static constexpr auto& kHiscoreAnonymous = TConfig::kHiscoreAnonymous;
  static constexpr auto& kHiscoreLocalOnly = TConfig::kHiscoreLocalOnly;
  static constexpr auto& kEncryptionKey = TConfig::kEncryptionKey;
  static constexpr auto& kGameVersion = TConfig::kGameVersion;
  static constexpr char kPublisherName[] = "publisher";
  static constexpr auto& kGameName = TConfig::kGameName;
  static constexpr auto& kInstallKey = TConfig::kInstallKey;
  static constexpr char kComputerId[] = "computerid";
  static constexpr char kDownloadURL[] = "downloadurl";
  static constexpr char kCheatMode[] = "cheatmode";

  // Configuration (held by TConfig) works before any platform object exists (the game
  // fills it first) and is main-thread only.
  static str GetConfig(const str& key, const str& defaultValue);
  static void SetConfig(const str& key, const str& value);
  static bool IsEnabled(const str& key);

  // Null before construction and after destruction.
  static TPlatform* GetInstance() { return mPlatform; }

  // Milliseconds since start-up on the monotonic clock, wrapping after 2^32 ms;
  // compare two readings by their signed 32-bit difference.
  static uint32_t Timer();
  // Replaces the timer's source (null restores the monotonic clock); returns the old one.
  // Both forward to TTimeSource.
  static TTimeSource* SetTimeSource(TTimeSource* source);

  TPlatform();
  virtual ~TPlatform();

  // Sound (platform_sound.cpp). The constructor registers the sound data sources;
  // InitSound makes the sound manager on first use and starts it (true also when it was
  // running); the destructor deletes it after the window manager, before the renderer.
  static void RegisterSoundSources();
  bool InitSound();
  TSoundManager* GetSoundManager();
  void ShutDownSound();

  // Four 32-bit words, new on every call.
  void GenerateGUID(uint32_t* out);

  // Texture-refresh listeners; nothing runs this list, it only holds them until they are
  // orphaned or the platform goes (then they are deleted). The scenes keep theirs in the
  // scene engine's own list.
  void AdoptTextureRefreshListener(TTask* task);
  bool OrphanTextureRefreshListener(TTask* task);

  // Events (the queue lives in platform/event.h).
  // Next event: quit (once), close, queued input, or idle after running the idle tasks.
  void GetEvent(TEvent* event);
  // Asks the application to end: the next GetEvent delivers the quit event.
  void Exit(int code);
  bool IsForeground() const;
  // The idle task list, run at every idle event and once per drawn frame.
  TTaskList* GetTaskList();
  void AdoptTask(TTask* task);
  bool OrphanTask(TTask* task);
  // Installs the native event source (owned); null leaves one that never has events.
  void SetEventHost(IEventHost* host);
  TEventQueue* GetEventQueue() { return mEventQueue; }
  TWindowManager* GetWindowManager() const;

  // The application's platform (platform/platformdata.h): finishes the start-up over
  // the platform object, which it owns and deletes at teardown. The plain constructor
  // above gives a platform without a window, for tools and tests.
  explicit TPlatform(TPlatformData* data);
  TPlatformData* GetData() const { return mData; }

  // Display and window (forward to the platform object; without one they do nothing).
  // SetDisplay makes the screen window on first use and sizes it width x height.
  void SetDisplay(unsigned width, unsigned height, bool fullscreen);
  void GetDisplay(unsigned* width, unsigned* height, bool* fullscreen);
  bool GetDisplayReady() const { return true; }
  bool SetFullscreen(bool fullscreen);
  bool IsFullscreen() const;
  void SetWindowTitle(str title);
  void CreateApplicationWindow();
  void SetCursor(boost::shared_ptr<TTexture> image, TPoint hotSpot, bool flag);
  void ShowCursor(bool show);
  int GetCursorMode() const { return 0; }
  // False when the browser opener cannot be started (or there is no platform object).
  bool OpenBrowser(char const* url);
  // How the last OpenBrowser went, without waiting: 1 the opener runs, 0 it opened the
  // address, 2 it could not.
  int GetBrowserStatus() const;
  // The system clipboard as UTF-8 text (platform/clipboard.cpp).
  bool StringToClipboard(str text);
  str StringFromClipboard();
  TAssetManager* GetAssetManager() const;
  TStringTable* GetStringTable() const;
  // Registers the built-in cursor image "__systemcursor__.png" unless the game has one;
  // the resource scan calls it.
  static void RegisterFiles();
  uint32_t Rand();

private:
  // Teardown over the platform object, in the order that keeps every service alive
  // while something may still reach it.
  void TearDownData();
  static void ClearConfig();

  TPlatformData* mData = nullptr;

  TPlatform(const TPlatform&) = delete;
  TPlatform& operator=(const TPlatform&) = delete;

  static TPlatform* mPlatform;

  TTaskList mTextureRefreshTasks;
  TEventQueue* mEventQueue;
  // Hands this platform in as the window stack's host while it is the platform.
  TPlatformHost* mHost = nullptr;
};

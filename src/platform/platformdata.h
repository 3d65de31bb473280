// platformdata: the Linux platform object behind TPlatform: start-up state, data folders,
// the SDL window with its OpenGL context, full screen, cursor, timer and browser launch.
#pragma once

#include <cstdint>

#include <boost/shared_ptr.hpp>

#include "core/foundation/random.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"

class IEventHost;
class TAssetManager;
class TPlatform;
class TStringTable;
class TTexture;
class TWindowManager;
class TDisplayState;

typedef void (*TGameMain)(TPlatform* platform, char const* commandLine);

// Runs the whole application: builds the platform, calls gameMain on the main thread
// and tears everything down when it returns. flag is passed on and not used.
int QuorvantExec(int argc, char** argv, TGameMain gameMain, bool flag);

// The arguments from the second on, each followed by one blank ("" without any).
str BuildCommandLine(int argc, char** argv);
// "--cheat" plus one separator character and the code sets "cheatcode" to the code;
// an argument that ends before the code leaves it unset.
void ApplyCheatArguments(int argc, char** argv);

// The folder holding "assets": $QV_RESOURCES when set, else <exe>/../share/<product>,
// else the source tree's data folder; "" when none holds an assets folder.
str FindResourcesFolder(str productName);
// The assets the build generated (fonts and the like), read after the resources folder's own:
// the build folder's when the resources folder is the source tree's data, "" otherwise (an
// installed program has them merged into its resources folder).
str GeneratedAssetsFolder(str resourcesFolder);

class TPlatformData : public TRandom
{
public:
  // Builds the platform state: seeds, enters the resources folder, scans it, makes the
  // window manager, asset manager and string table and the data folders. The
  // arguments are not used (the command line is handed over by QuorvantExec).
  TPlatformData(int argc, char** argv, bool flag);
  ~TPlatformData();

  void Init() {}
  // The product's name in lower case and its version (compile-time constants).
  str GetProductName() const;
  str GetVersion() const { return mVersion; }

  // Display (platformdisplay.cpp). Around a switch into full screen, and either way through
  // SetFullscreen, the game's picture fades to black (waited for) and back over 3 s (not
  // waited for); a switch while a fade runs switches at once (platform/display/displayfade).
  void SetDisplay(unsigned width, unsigned height, bool fullscreen);
  bool SetFullscreen(bool fullscreen);
  bool IsFullscreen() const { return mFullscreen; }
  void GetDisplay(unsigned* width, unsigned* height, bool* fullscreen) const;
  bool GetDisplayReady() const { return true; }
  // Leaves and re-enters the full-screen mode while the application is hidden.
  void SwapDisplayMode();
  void MakeCurrent();
  void SwapBuffers();
  // The window's drawable in pixels (0 x 0 without a window).
  void GetDrawableSize(int* width, int* height);
  uint32_t Timer() const;
  // Opens the URL in the desktop's browser, without a shell; false when it cannot start.
  bool OpenBrowser(char const* url);
  int GetBrowserStatus() const;
  void SetWindowTitle(char const* title);
  str GetWindowTitle() const { return mWindowTitle; }
  void SetCursor(boost::shared_ptr<TTexture> image, TPoint hotSpot, bool flag);
  void ShowCursor(bool show);
  bool IsCursorShown() const { return mCursorShown; }
  // The system pointer carries the cursor image (the back end's option
  // "mac_use_hw_cursors"); the engine then draws no cursor of its own.
  bool UsesHardwareCursor() const;
  // The pointer lies in the drawn area.
  bool IsMouseInContent() const;
  // Pointer position in frame pixels (mapped back when full screen is scaled).
  TPoint GetMouse() const;
  int GetViewPortScale(float* scale) const;
  // The system cursor as last set (for tests).
  bool IsSystemCursorVisible() const;
  // The native window (an SDL_Window*), null before the first SetDisplay.
  void* GetNativeWindow() const;
  // Hides or shows the application window (the cinematic host covers it).
  void ShowWindow(bool show);
  // SDL's event source for the facade's event queue, coordinates in frame pixels.
  IEventHost* NewEventHost();

  // Start-up state, filled by QuorvantExec and the TPlatform constructor.
  TGameMain mGameMain = nullptr;
  str mCommandLine;
  str mUserPath;
  str mCommonPath;
  str mVersion;
  str mWindowTitle;
  str mResourcesPath;
  TWindowManager* mWindowManager = nullptr;
  TAssetManager* mAssetManager = nullptr;
  TStringTable* mStringTable = nullptr;

private:
  TPlatformData(const TPlatformData&) = delete;
  TPlatformData& operator=(const TPlatformData&) = delete;

  friend class TDisplayState;
  friend int QuorvantExec(int argc, char** argv, TGameMain gameMain, bool flag);
  // SetDisplay; the fades into full screen only when mayFade.
  void SwitchDisplay(unsigned width, unsigned height, bool fullscreen, bool mayFade);
  void CreateWindow(unsigned width, unsigned height);
  void CreateContext();
  void DestroyDisplay();

  bool mFullscreen = false;
  bool mCursorShown = true;
  float mViewPortScale = 1.0f;
  bool mFilledAtStartup = false;
  bool mCursorInited = false;
  TDisplayState* mDisplay = nullptr;
};

// Height of the main display in pixels (0 before the first window); the full-screen
// switch refreshes it.
extern float gyFlip;

// Ends the process after a failure of the window or its OpenGL context: writes the
// error with its source position to standard error and exits with status -2.
[[noreturn]] void DisplayFatal(char const* what, int line);

// display: the application window of the platform object: an SDL window with an OpenGL
// compatibility context, full screen, cursor, frame end and presentation, browser, title.
#include "platform/platformdisplay.h"

#include <cstdio>
#include <cstdlib>

#include <SDL.h>

#include "platform/platform.h"
#include "core/graphics/displaybackend.h"
#include "core/graphics/displayhost.h"
#include "core/graphics/qvminivecdraw.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "core/window/windowmanager.h"
#include "gl/framepresenter.h"
#include "gl/gldisplayhandler.h"
#include "platform/browser.h"
#include "core/foundation/debug.h"
#include "platform/display/cursor.h"
#include "platform/display/displayfade.h"
#include "platform/display/event.h"
#include "platform/display/inputscript.h"
#include "platform/display/sdlevents.h"
#include "platform/display/x11window.h"
#include "platform/platformdata.h"

float gyFlip = 0.0f;

namespace {

void UpdateFlip()
{
  SDL_DisplayMode desktop;
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    gyFlip = float(desktop.h);
  }
}

// The renderer's back end as the OpenGL one the platform registered; null when a test or
// tool gave the renderer another, which has no frame buffer to present.
TGLDisplayHandler* GLBackend()
{
  TRenderer::GetInstance();
  return TGLDisplayHandler::GetInstance();
}

// Full screen on the desktop's mode. When nothing carries out SDL's request (an X server
// without a window manager) SDL still takes it as done; the window is then made borderless
// and laid over the display by hand, so that what SDL believes of its size, and so the
// picture and the pointer, is true.
void EnterDesktopFullscreen(SDL_Window* window)
{
  if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
    WriteDbg("ERROR: Full screen is not available: %s", SDL_GetError());
    return;
  }
  // The display's size, not what SDL believes of the window: that is what full screen must
  // reach on the X server.
  SDL_Rect bounds;
  const int screen = SDL_GetWindowDisplayIndex(window);
  if (SDL_GetDisplayBounds(screen < 0 ? 0 : screen, &bounds) != 0) {
    return;
  }
  int width = 0, height = 0;
  const uint32_t start = SDL_GetTicks();
  do {
    SDL_PumpEvents();
    if (!RealWindowSize(window, &width, &height) || (width == bounds.w && height == bounds.h)) {
      return;
    }
    SDL_Delay(20);
  } while (SDL_GetTicks() - start < 500);
  SDL_SetWindowFullscreen(window, 0);
  SDL_SetWindowBordered(window, SDL_FALSE);
  SDL_SetWindowPosition(window, bounds.x, bounds.y);
  SDL_SetWindowSize(window, bounds.w, bounds.h);
  SDL_RaiseWindow(window);
}

// The game's picture can fade when the OpenGL back end draws it and no frame is being drawn
// (a switch asked for from inside one switches at once).
bool CanFade()
{
  return GLBackend() && !TRenderer::GetInstance()->InDraw();
}

TTaskList* IdleTasks()
{
  TPlatform* platform = TPlatform::GetInstance();
  return platform ? platform->GetTaskList() : nullptr;
}

} // namespace

void RegisterDisplayBackend()
{
  TGLDisplayHandler::Register();
}

void DisplayFatal(char const* what, int line)
{
  std::fprintf(stderr, "aglGetError %s in file src/platform/display/display at line %d\n", what ? what : "", line);
  std::fflush(stderr);
  std::exit(-2);
}

// What the renderer asks of the window; forwards to the platform object.
class TPlatformDisplayHost : public TDisplayHost
{
public:
  // The frame's facts come in the one call before it (BeginFrame), read from the window by
  // the calls below.
  explicit TPlatformDisplayHost(TPlatformData* data) : mData(data) {}
  void MakeCurrent() override { mData->MakeCurrent(); }
  void SwapBuffers() override { mData->SwapBuffers(); }
  void GetDrawableSize(int* width, int* height) override { mData->GetDrawableSize(width, height); }
  bool IsFullscreen() override { return mData->IsFullscreen(); }
  TPoint GetMouse() override { return mData->GetMouse(); }
  bool WantsSoftwareCursor() override
  {
    TPlatform* platform = TPlatform::GetInstance();
    const bool foreground = !platform || platform->IsForeground();
    // A hardware cursor is the system's to draw.
    return foreground && mData->IsCursorShown() && !mData->UsesHardwareCursor() && mData->IsMouseInContent();
  }
  unsigned GetPixelSize() override { return 32; }

private:
  TPlatformData* mData;
};

class TDisplayState
{
public:
  SDL_Window* mWindow = nullptr;
  SDL_GLContext mContext = nullptr;
  bool mVideoReady = false;
  str mProblem;
  bool mFirstFramePresented = false;
  // The pointer is over the window as the last pointer event said; some video drivers
  // never give the window the mouse focus.
  bool mPointerInside = false;
  TPlatformDisplayHost* mHost = nullptr;
  TInputScript* mInput = nullptr;
  THardwareCursor mHardwareCursor;
  TDisplayFade mFade;

  // Window pixels -> frame pixels (they differ only in scaled full screen).
  TPoint ToFrame(int x, int y) const
  {
    unsigned frameWidth = 0, frameHeight = 0;
    if (TGLDisplayHandler* handler = TGLDisplayHandler::GetInstance()) {
      handler->GetDisplay(&frameWidth, &frameHeight, nullptr);
    }
    int windowWidth = 0, windowHeight = 0;
    if (mWindow) {
      SDL_GetWindowSize(mWindow, &windowWidth, &windowHeight);
    }
    if (!frameWidth || !frameHeight || windowWidth <= 0 || windowHeight <= 0 ||
        (int(frameWidth) == windowWidth && int(frameHeight) == windowHeight)) {
      return TPoint(x, y);
    }
    const TLetterbox box = FitFrame(int(frameWidth), int(frameHeight), windowWidth, windowHeight);
    if (box.width <= 0 || box.height <= 0) {
      return TPoint(x, y);
    }
    return TPoint(int((int64_t(x) - box.x) * int(frameWidth) / box.width),
                  int((int64_t(y) - box.y) * int(frameHeight) / box.height));
  }
};

namespace {

// SDL's event source with the window's coordinates mapped to the frame's, the
// full-screen key going through the platform object, and the scripted input.
class TPlatformEventHost : public TSdlEventHost
{
public:
  explicit TPlatformEventHost(TPlatformData* data, TDisplayState* display) : mData(data), mDisplay(display)
  {
    SetFullscreenHandler([data](bool fullscreen) { data->SetFullscreen(fullscreen); });
    SetHUDToggle([] { TRenderer::GetInstance()->ToggleHUD(); });
  }

  EWait WaitEvent(TNativeEvent* event, int timeoutMs) override
  {
    SetWindow(mDisplay->mWindow);
    if (mDisplay->mInput) {
      mDisplay->mInput->Poll(TPlatform::Timer(), mDisplay->mWindow);
    }
    EWait result = TSdlEventHost::WaitEvent(event, timeoutMs);
    if (result == kGotEvent) {
      switch (event->kind) {
      case TNativeEvent::kMouseDown:
      case TNativeEvent::kMouseUp:
      case TNativeEvent::kMouseMove:
      case TNativeEvent::kMouseWheel:
      case TNativeEvent::kPointerLeave: {
        mDisplay->mPointerInside = event->kind != TNativeEvent::kPointerLeave;
        TPoint point = mDisplay->ToFrame(event->x, event->y);
        event->x = point.x;
        event->y = point.y;
        break;
      }
      case TNativeEvent::kPointerEnter:
        mDisplay->mPointerInside = true;
        break;
      default:
        break;
      }
    }
    return result;
  }

  // Full screen may be a borderless window laid over the display (see SetDisplay).
  bool IsFullscreen() override { return mData->IsFullscreen(); }

  void GetMouse(int* x, int* y) override
  {
    TPoint point = mData->GetMouse();
    *x = point.x;
    *y = point.y;
  }

  // Inside the drawn area the engine draws its own cursor, unless the system pointer
  // carries the engine's image.
  void PointerEntered() override
  {
    const bool pointer = mDisplay->mHardwareCursor.IsActive() && mData->IsCursorShown();
    SDL_ShowCursor(pointer ? SDL_ENABLE : SDL_DISABLE);
  }
  void PointerLeft() override { SDL_ShowCursor(SDL_ENABLE); }

private:
  TPlatformData* mData;
  TDisplayState* mDisplay;
};

} // namespace

TDisplayState* NewDisplayState(TPlatformData* data)
{
  TDisplayState* display = new TDisplayState;
  // SIGTERM and Control+C are the platform's own (platform/signals), not quit events.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  char const* asked = std::getenv("SDL_VIDEODRIVER");
  auto named = [](char const* variable) { return std::getenv(variable) && std::getenv(variable)[0]; };
  if ((!asked || !asked[0]) && !named("DISPLAY") && !named("WAYLAND_DISPLAY")) {
    // Nothing to connect to (a remote shell, say); probing the drivers would only add
    // their own complaints to the log.
    display->mProblem = "there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                        "SDL_VIDEODRIVER=offscreen runs without one";
  } else if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    display->mProblem = str::getFormatted("no display can be opened (%s)", SDL_GetError());
  } else {
    // SDL falls back to drivers that show nothing when no display answers; a player
    // would wait in front of nothing, so only an explicit request gets them.
    const str driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if ((!asked || !asked[0]) && (driver == "offscreen" || driver == "dummy")) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      display->mProblem = "no display can be opened (DISPLAY and WAYLAND_DISPLAY name none that answers); "
                          "SDL_VIDEODRIVER=offscreen runs without one";
    } else {
      display->mVideoReady = true;
    }
  }
  display->mHost = new TPlatformDisplayHost(data);
  display->mInput = TInputScript::FromEnvironment();
  return display;
}

const char* GetDisplayProblem(const TDisplayState* display)
{
  return display ? display->mProblem.c_str() : "";
}

IEventHost* TPlatformData::NewEventHost()
{
  if (!mDisplay) {
    mDisplay = NewDisplayState(this);
  }
  return new TPlatformEventHost(this, mDisplay);
}

void TPlatformData::DestroyDisplay()
{
  if (!mDisplay) {
    return;
  }
  if (TDisplayHost::Get() == mDisplay->mHost) {
    TDisplayHost::Set(nullptr);
  }
  if (mDisplay->mWindow && (SDL_GetWindowFlags(mDisplay->mWindow) & SDL_WINDOW_FULLSCREEN)) {
    SDL_SetWindowFullscreen(mDisplay->mWindow, 0);
  }
  // While SDL's video still runs.
  mDisplay->mHardwareCursor.Release();
  if (mDisplay->mContext) {
    SDL_GL_MakeCurrent(mDisplay->mWindow, nullptr);
    SDL_GL_DeleteContext(mDisplay->mContext);
  }
  if (mDisplay->mWindow) {
    SDL_DestroyWindow(mDisplay->mWindow);
  }
  if (mDisplay->mVideoReady) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  delete mDisplay->mInput;
  delete mDisplay->mHost;
  delete mDisplay;
  mDisplay = nullptr;
}

void RequestGameWindowBuffers()
{
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

void TPlatformData::CreateWindow(unsigned width, unsigned height)
{
  if (!mDisplay->mVideoReady) {
    DisplayFatal(SDL_GetError(), __LINE__);
  }
  RequestGameWindowBuffers();
  mDisplay->mWindow = SDL_CreateWindow(mWindowTitle.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, int(width),
                                       int(height), SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!mDisplay->mWindow) {
    DisplayFatal(SDL_GetError(), __LINE__);
  }
}

void TPlatformData::CreateContext()
{
  if (!mDisplay->mContext) {
    mDisplay->mContext = SDL_GL_CreateContext(mDisplay->mWindow);
    if (!mDisplay->mContext) {
      DisplayFatal(SDL_GetError(), __LINE__);
    }
  }
  if (SDL_GL_MakeCurrent(mDisplay->mWindow, mDisplay->mContext) != 0) {
    DisplayFatal(SDL_GetError(), __LINE__);
  }
  // Not every driver can wait for the display; the frame pacing copes without it.
  SDL_GL_SetSwapInterval(1);
}

void TPlatformData::SetDisplay(unsigned width, unsigned height, bool fullscreen)
{
  SwitchDisplay(width, height, fullscreen, true);
}

void TPlatformData::SwitchDisplay(unsigned width, unsigned height, bool fullscreen, bool mayFade)
{
  if (!mDisplay) {
    mDisplay = NewDisplayState(this);
  }
  const bool created = !mDisplay->mWindow;
  if (created) {
    CreateWindow(width, height);
    UpdateFlip();
  }
  SDL_Window* window = mDisplay->mWindow;
  // Into full screen the picture fades to black first (a new window has none yet), and back
  // after.
  const bool faded = mayFade && fullscreen && !mFullscreen && mDisplay->mFade.Reserve(CanFade());
  if (faded) {
    mDisplay->mFade.FadeOut(created ? nullptr : mWindowManager);
  }

  if (fullscreen) {
    // SDL carries out the full-screen request of a hidden window only when it is shown,
    // after the check that the request took; the window shows first.
    SDL_ShowWindow(window);
    // The display mode nearest the frame's size; the desktop's mode, scaled, when the
    // system offers no such mode.
    SDL_DisplayMode wanted;
    SDL_zero(wanted);
    wanted.w = int(width);
    wanted.h = int(height);
    SDL_DisplayMode closest;
    const int screen = SDL_GetWindowDisplayIndex(window);
    bool switched = false;
    if (SDL_GetClosestDisplayMode(screen < 0 ? 0 : screen, &wanted, &closest) && closest.w == int(width) &&
        closest.h == int(height)) {
      switched = SDL_SetWindowDisplayMode(window, &closest) == 0 &&
                 SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0;
    }
    if (!switched) {
      EnterDesktopFullscreen(window);
    }
  } else {
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) {
      SDL_SetWindowFullscreen(window, 0);
    }
    SDL_SetWindowBordered(window, SDL_TRUE);
    SDL_SetWindowSize(window, int(width), int(height));
    SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }
  SDL_ShowWindow(window);
  if (created) {
    SDL_RaiseWindow(window);
  }
  int windowWidth = int(width), windowHeight = int(height);
  SDL_GetWindowSize(window, &windowWidth, &windowHeight);
  SDL_WarpMouseInWindow(window, windowWidth / 2, windowHeight / 2);
  mFullscreen = fullscreen;

  CreateContext();
  TRenderer* renderer = TRenderer::GetInstance();
  renderer->GetDisplayHandler()->SetDisplay(width, height, fullscreen);
  TDisplayHost::Set(mDisplay->mHost);

  if (!mFilledAtStartup) {
    mFilledAtStartup = true;
    ShowCursor(false);
    if (renderer->BeginDraw(false)) {
      if (renderer->Begin2d()) {
        TColor black;
        black.r = black.g = black.b = black.a = 0.0f;
        renderer->FillRect(TURect(0, 0, width, height), black, boost::shared_ptr<TTexture>());
        renderer->End2d();
      }
      renderer->EndDraw(true);
    }
    ShowCursor(true);
  }
  if (faded) {
    mDisplay->mFade.FadeBack(mWindowManager, IdleTasks());
  }
  if (!mCursorInited) {
    mCursorInited = true;
    boost::shared_ptr<TTexture> cursor = TTexture::GetSimple("__systemcursor__.png");
    if (cursor) {
      SetCursor(cursor, TPoint(1, 1), false);
    } else {
      WriteDbg("ERROR: The built-in cursor image cannot be loaded");
    }
  }
  renderer->PopClippingRectangle();
  renderer->SetClippingRectangle(TURect(0, 0, width, height));
  // The glyph rasteriser is made (and calibrated) once there is a display to draw on.
  TQvMiniVecDraw::GetInstance();
}

bool TPlatformData::SetFullscreen(bool fullscreen)
{
  UpdateFlip();
  unsigned width = 800, height = 600;
  bool current = mFullscreen;
  if (TGLDisplayHandler* handler = TGLDisplayHandler::GetInstance()) {
    unsigned displayWidth = 0, displayHeight = 0;
    handler->GetDisplay(&displayWidth, &displayHeight, nullptr);
    if (displayWidth && displayHeight) {
      width = displayWidth;
      height = displayHeight;
    }
  }
  if (current == fullscreen) {
    return true;
  }
  const bool faded = mDisplay && mDisplay->mWindow && mDisplay->mFade.Reserve(CanFade());
  if (faded) {
    mDisplay->mFade.FadeOut(mWindowManager);
  }
  // Faded here, either way, or not at all.
  SwitchDisplay(width, height, fullscreen, false);
  if (faded) {
    mDisplay->mFade.FadeBack(mWindowManager, IdleTasks());
  }
  return true;
}

void TPlatformData::GetDisplay(unsigned* width, unsigned* height, bool* fullscreen) const
{
  if (TGLDisplayHandler* handler = TGLDisplayHandler::GetInstance()) {
    handler->GetDisplay(width, height, nullptr);
  } else {
    if (width)
      *width = 0;
    if (height)
      *height = 0;
  }
  if (fullscreen) {
    *fullscreen = mFullscreen;
  }
}

void TPlatformData::SwapDisplayMode()
{
  if (!mFullscreen || !mDisplay || !mDisplay->mWindow) {
    return;
  }
  SDL_Window* window = mDisplay->mWindow;
  if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) {
    SDL_SetWindowFullscreen(window, 0);
    if (!gbFlashPlaying) {
      SDL_HideWindow(window);
    }
    return;
  }
  if (!gbFlashPlaying) {
    SDL_HideWindow(window);
  }
  SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (!gbFlashPlaying) {
    SDL_ShowWindow(window);
  }
  if (IsMouseInContent() && !UsesHardwareCursor()) {
    SDL_ShowCursor(SDL_DISABLE);
  }
}

void TPlatformData::MakeCurrent()
{
  if (mDisplay && mDisplay->mContext) {
    SDL_GL_MakeCurrent(mDisplay->mWindow, mDisplay->mContext);
  }
}

void TPlatformData::GetDrawableSize(int* width, int* height)
{
  *width = *height = 0;
  if (mDisplay && mDisplay->mWindow) {
    SDL_GL_GetDrawableSize(mDisplay->mWindow, width, height);
  }
}

void TPlatformData::SwapBuffers()
{
  // The back end has presented its frame into the drawable (scaled when sizes differ).
  TGLDisplayHandler* handler = GLBackend();
  if (!mDisplay || !mDisplay->mWindow || !handler) {
    return;
  }
  unsigned frameWidth = 0, frameHeight = 0;
  handler->GetDisplay(&frameWidth, &frameHeight, nullptr);
  // A capture reads the frame now: drawn into the window's back buffer, it is gone after
  // the swap.
  if (mDisplay->mInput) {
    mDisplay->mInput->OnFramePresented(handler->GetDrawnFrameBuffer(), int(frameWidth), int(frameHeight));
  }
  SDL_GL_SwapWindow(mDisplay->mWindow);
  if (!mDisplay->mFirstFramePresented) {
    mDisplay->mFirstFramePresented = true;
    WriteDbg("First frame presented at %u ms", TPlatform::Timer());
  }
}

bool TPlatformData::OpenBrowser(char const* url)
{
  return LaunchBrowser(url);
}

int TPlatformData::GetBrowserStatus() const
{
  return LastBrowserStatus();
}

void TPlatformData::SetWindowTitle(char const* title)
{
  mWindowTitle = title ? title : "";
  if (mDisplay && mDisplay->mWindow) {
    SDL_SetWindowTitle(mDisplay->mWindow, mWindowTitle.c_str());
  }
}

void TPlatformData::SetCursor(boost::shared_ptr<TTexture> image, TPoint hotSpot, bool flag)
{
  TGLDisplayHandler* handler = GLBackend();
  const bool hardware = handler && handler->UsesHardwareCursors();
  // flag asks for the hardware path only.
  if (!handler || !image || (flag && !hardware)) {
    return;
  }
  if (hardware && mDisplay && mDisplay->mVideoReady && mDisplay->mHardwareCursor.Set(*image, hotSpot)) {
    SDL_ShowCursor(mCursorShown ? SDL_ENABLE : SDL_DISABLE);
  } else {
    // The software cursor; a system pointer left from before would show beside it.
    if (mDisplay) {
      mDisplay->mHardwareCursor.Release();
    }
    if (IsSystemCursorVisible() && IsMouseInContent()) {
      SDL_ShowCursor(SDL_DISABLE);
    }
  }
  handler->SetCursor(image, hotSpot, flag);
}

bool TPlatformData::UsesHardwareCursor() const
{
  return mDisplay && mDisplay->mHardwareCursor.IsActive();
}

void TPlatformData::ShowCursor(bool show)
{
  mCursorShown = show;
  if (!mDisplay || !mDisplay->mVideoReady) {
    return;
  }
  if (UsesHardwareCursor()) {
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
    return;
  }
  const bool inside = IsMouseInContent();
  if (show && !IsSystemCursorVisible() && !inside) {
    SDL_ShowCursor(SDL_ENABLE);
  } else if (!show && IsSystemCursorVisible() && inside) {
    SDL_ShowCursor(SDL_DISABLE);
  }
}

bool TPlatformData::IsSystemCursorVisible() const
{
  return mDisplay && mDisplay->mVideoReady && SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
}

bool TPlatformData::IsMouseInContent() const
{
  if (!mDisplay || !mDisplay->mWindow || (SDL_GetMouseFocus() != mDisplay->mWindow && !mDisplay->mPointerInside)) {
    return false;
  }
  unsigned width = 0, height = 0;
  GetDisplay(&width, &height, nullptr);
  TPoint mouse = GetMouse();
  return mouse.x >= 0 && mouse.y >= 0 && mouse.x < int(width) && mouse.y < int(height);
}

TPoint TPlatformData::GetMouse() const
{
  if (!mDisplay || !mDisplay->mVideoReady) {
    return TPoint(-1, -1);
  }
  int x = 0, y = 0;
  SDL_GetMouseState(&x, &y);
  return mDisplay->ToFrame(x, y);
}

int TPlatformData::GetViewPortScale(float* scale) const
{
  if (scale) {
    *scale = mViewPortScale;
  }
  return 0;
}

void* TPlatformData::GetNativeWindow() const
{
  return mDisplay ? mDisplay->mWindow : nullptr;
}

void TPlatformData::ShowWindow(bool show)
{
  if (!mDisplay || !mDisplay->mWindow) {
    return;
  }
  if (show) {
    SDL_ShowWindow(mDisplay->mWindow);
  } else {
    SDL_HideWindow(mDisplay->mWindow);
  }
}

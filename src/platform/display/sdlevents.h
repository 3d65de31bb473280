// sdlevents: the SDL side of the event queue; waits for SDL events and hands them over
// as native events, and reports the keyboard's modifiers and the pointer.
#pragma once

#include <functional>

#include <SDL.h>

#include "platform/display/event.h"

// A printable key's character, or the ENativeKey of a key without text.
uint32_t SdlKeyToNative(SDL_Keycode sym);
// False for SDL events the queue does not know (they become idle events).
bool SdlToNativeEvent(const SDL_Event& event, TNativeEvent* native);
// TEvent modifier bits of the left-hand keys in an SDL modifier state.
uint32_t SdlModifiers(SDL_Keymod state);

class TSdlEventHost : public IEventHost
{
public:
  TSdlEventHost() {}

  EWait WaitEvent(TNativeEvent* event, int timeoutMs) override;
  uint32_t GetModifiers() override;
  void GetMouse(int* x, int* y) override;
  void Sleep(unsigned ms) override;

  bool IsFullscreen() override;
  void SetFullscreen(bool fullscreen) override;
  void ToggleHUD() override;
  void RaiseWindow() override;
  void Minimize() override;

  // The application window; the display code installs it with its full-screen switch
  // and the renderer's HUD toggle.
  void SetWindow(SDL_Window* window) { mWindow = window; }
  void SetFullscreenHandler(std::function<void(bool)> handler) { mFullscreenHandler = handler; }
  void SetHUDToggle(std::function<void()> toggle) { mHUDToggle = toggle; }

private:
  SDL_Window* mWindow = nullptr;
  std::function<void(bool)> mFullscreenHandler;
  std::function<void()> mHUDToggle;
};

// x11window: what SDL does not tell of a window on an X server: its real size, read
// through the X library that SDL loaded.
#include "platform/display/x11window.h"

#include <SDL.h>
// Alone in this file: the X headers define macros (Status, None, Bool) that clash with
// the engine's names.
#define SDL_VIDEO_DRIVER_X11 1
#include <SDL_syswm.h>

bool RealWindowSize(SDL_Window* window, int* width, int* height)
{
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return false;
  }
  typedef Status (*TGetAttributes)(Display*, Window, XWindowAttributes*);
  static void* library = SDL_LoadObject("libX11.so.6");
  static TGetAttributes getAttributes =
      library ? reinterpret_cast<TGetAttributes>(SDL_LoadFunction(library, "XGetWindowAttributes")) : nullptr;
  XWindowAttributes attributes;
  if (!getAttributes || !getAttributes(info.info.x11.display, info.info.x11.window, &attributes)) {
    return false;
  }
  *width = attributes.width;
  *height = attributes.height;
  return true;
}

// clipboard: the system clipboard as UTF-8 text, through SDL; the text entry pastes from it
// and the window script copies into it.
#include "platform/display/clipboard.h"

#include <SDL.h>

#include "core/foundation/debug.h"

namespace {

// SDL keeps the clipboard in its video subsystem.
bool EnsureVideo()
{
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    return true;
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    WriteDbg("ERROR: No clipboard without video: %s", SDL_GetError());
    return false;
  }
  return true;
}

} // namespace

bool QvSetClipboardText(const str& text)
{
  return EnsureVideo() && SDL_SetClipboardText(text.c_str()) == 0;
}

str QvGetClipboardText()
{
  if (!EnsureVideo() || !SDL_HasClipboardText()) {
    return str();
  }
  char* text = SDL_GetClipboardText();
  if (!text) {
    return str();
  }
  str result(text);
  SDL_free(text);
  return result;
}

// cursor: the engine's cursor image as the system's own (hardware) pointer, an SDL colour
// cursor made from the image's pixels; talks to SDL's mouse and the texture's pixels.
#include "platform/display/cursor.h"

#include <algorithm>
#include <cstring>

#include <SDL.h>

#include "core/foundation/color.h"
#include "core/graphics/texture.h"
#include "core/foundation/debug.h"

TCursorCalls& CursorCalls()
{
  static TCursorCalls calls = {SDL_CreateColorCursor, SDL_SetCursor, SDL_FreeCursor};
  return calls;
}

bool THardwareCursor::Set(TTexture& image, TPoint hotSpot)
{
  const int width = int(image.GetWidth());
  const int height = int(image.GetHeight());
  if (width <= 0 || height <= 0) {
    WriteDbg("ERROR: A cursor image without pixels cannot be the system pointer");
    return false;
  }
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) {
    WriteDbg("ERROR: No surface for the system pointer: %s", SDL_GetError());
    return false;
  }
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  if (!image.Lock(&pixels, &pitch) || pitch < unsigned(width)) {
    SDL_FreeSurface(surface);
    WriteDbg("ERROR: The cursor image's pixels cannot be read");
    return false;
  }
  // The software cursor's colour key, without touching the texture: magenta is clear,
  // an image without alpha is opaque.
  const bool alpha = image.HasAlpha();
  for (int row = 0; row < height; ++row) {
    const TColor32* source = pixels + size_t(row) * pitch;
    uint32_t* target =
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + size_t(row) * surface->pitch);
    for (int column = 0; column < width; ++column) {
      TColor32 pixel = source[column];
      if (pixel.Red() == 255 && pixel.Green() == 0 && pixel.Blue() == 255) {
        pixel = TColor32();
      } else if (!alpha) {
        pixel.SetAlpha(255);
      }
      target[column] = pixel.mValue;
    }
  }
  image.Unlock();

  // SDL refuses a hot spot outside the image.
  const int hotX = std::clamp(hotSpot.x - 1, 0, width - 1);
  const int hotY = std::clamp(hotSpot.y - 1, 0, height - 1);
  SDL_Cursor* cursor = CursorCalls().create(surface, hotX, hotY);
  SDL_FreeSurface(surface);
  if (!cursor) {
    WriteDbg("ERROR: The system pointer cannot be made: %s", SDL_GetError());
    return false;
  }
  CursorCalls().set(cursor);
  if (mCursor) {
    CursorCalls().free(mCursor);
  }
  mCursor = cursor;
  return true;
}

void THardwareCursor::Release()
{
  if (!mCursor) {
    return;
  }
  if (SDL_Cursor* standard = SDL_GetDefaultCursor()) {
    CursorCalls().set(standard);
  }
  CursorCalls().free(mCursor);
  mCursor = nullptr;
}

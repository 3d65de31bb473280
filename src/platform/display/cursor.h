// cursor: the engine's cursor image as the system's own (hardware) pointer, an SDL colour
// cursor made from the image's pixels; talks to SDL's mouse and the texture's pixels.
#pragma once

#include "core/foundation/rect.h"

struct SDL_Cursor;
struct SDL_Surface;
class TTexture;

// The SDL calls behind the hardware cursor. Tests replace entries (and put them back) to
// see what is made and freed; everything else leaves them at SDL's own.
struct TCursorCalls
{
  SDL_Cursor* (*create)(SDL_Surface* surface, int hotX, int hotY);
  void (*set)(SDL_Cursor* cursor);
  void (*free)(SDL_Cursor* cursor);
};
TCursorCalls& CursorCalls();

class THardwareCursor
{
public:
  THardwareCursor() = default;
  ~THardwareCursor() { Release(); }

  // Makes the image the system pointer and frees the one it replaces. The software
  // cursor puts the image's pixel (hot spot - 1) under the pointer; so does this one.
  // False, with the current pointer kept, when the pixels cannot be read or SDL refuses.
  bool Set(TTexture& image, TPoint hotSpot);
  // Gives the window the system's default pointer back and frees ours.
  void Release();
  bool IsActive() const { return mCursor != nullptr; }

private:
  THardwareCursor(const THardwareCursor&) = delete;
  THardwareCursor& operator=(const THardwareCursor&) = delete;

  SDL_Cursor* mCursor = nullptr;
};

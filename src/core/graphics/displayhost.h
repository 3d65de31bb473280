// displayhost: what the renderer needs from the window that shows its frames (its context
// made current before a frame, the buffers swapped after it, mouse and cursor state); the
// platform layer implements it.
#pragma once

#include "core/foundation/rect.h"

// Without an installed host the renderer drives its back end directly, which is what
// tests and tools that own their GL context want.
class TDisplayHost
{
public:
  virtual ~TDisplayHost() {}
  // Before a frame: makes the window's context current. The renderer then begins the frame
  // in its back end itself; the host never calls back into the renderer.
  virtual void MakeCurrent() = 0;
  // After a frame the back end presented into the drawable: shows it.
  virtual void SwapBuffers() = 0;
  // Pixels of the window's drawing surface, which the back end presents its frame into
  // (scaled and letterboxed when they differ); 0 x 0 means the frame's own size.
  virtual void GetDrawableSize(int* width, int* height)
  {
    *width = 0;
    *height = 0;
  }
  virtual bool IsFullscreen() = 0;
  // Mouse position in window coordinates.
  virtual TPoint GetMouse() = 0;
  // True when the engine draws its own cursor this frame: foreground, cursor shown and
  // the mouse inside the drawn area.
  virtual bool WantsSoftwareCursor() = 0;
  // Bits per pixel of the drawing surface.
  virtual unsigned GetPixelSize() = 0;

  static TDisplayHost* Get() { return mHost; }
  // Installs the host (null removes it); the caller keeps ownership.
  static void Set(TDisplayHost* host) { mHost = host; }

private:
  static inline TDisplayHost* mHost = nullptr;
};

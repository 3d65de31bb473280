// displayhost: what the renderer needs from the window that shows its frames (its context
// made current and the frame's facts before a frame, the buffers swapped after it); the
// platform layer implements it.
#pragma once

#include "core/foundation/rect.h"

// What the back end needs to know of the window for one frame, handed to it as data when the
// frame begins, so that it never asks the window itself.
struct TFrameFacts
{
  // Pixels of the window's drawing surface, which the back end presents its frame into
  // (scaled and letterboxed when they differ); 0 x 0 means the frame's own size.
  int mDrawableWidth = 0;
  int mDrawableHeight = 0;
  // The engine draws its own cursor this frame, at the pointer (frame coordinates).
  bool mDrawCursor = false;
  TPoint mPointer = TPoint(-1, -1);
};

// Without an installed host the renderer drives its back end directly, which is what
// tests and tools that own their GL context want.
class TDisplayHost
{
public:
  virtual ~TDisplayHost() {}
  // Before a frame, the frame's one question: makes the window's context current and tells
  // the frame's facts, which the renderer hands to its back end as it begins the frame; the
  // host never calls back into the renderer. A host that answers each fact on its own (the
  // calls below) is asked them in turn.
  virtual TFrameFacts BeginFrame()
  {
    MakeCurrent();
    TFrameFacts frame;
    GetDrawableSize(&frame.mDrawableWidth, &frame.mDrawableHeight);
    frame.mDrawCursor = WantsSoftwareCursor();
    frame.mPointer = GetMouse();
    return frame;
  }
  // Makes the window's context current.
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

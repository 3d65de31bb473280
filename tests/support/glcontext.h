// glcontext: a hidden SDL window with an OpenGL compatibility context for tests that
// draw (SDL's offscreen driver gives Mesa's software renderer without an X server).
#pragma once

#include <cstdint>
#include <vector>

#include "core/foundation/color.h"

class TTestGLContext
{
public:
  // The process-wide context, made current; null when no GL context can be had.
  static TTestGLContext* Get();
  // Makes the context current again (after another helper used its own).
  void MakeCurrent();

  ~TTestGLContext();

private:
  TTestGLContext() = default;
  bool Create(int width, int height);

  void* mWindow = nullptr;
  void* mContext = nullptr;
};

// Reads the frame buffer the renderer draws into (the bound read framebuffer), in
// screen coordinates: (0, 0) is the top-left of a display of the given height.
TColor32 ReadFramePixel(int x, int y, int displayHeight = 600);
// Reads a w x h block, rows top-down.
std::vector<TColor32> ReadFrameBlock(int x, int y, int width, int height, int displayHeight = 600);

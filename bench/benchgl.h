// benchgl: the one 800 x 600 window with a compatibility OpenGL context that the
// on-screen benchmarks draw into (SDL's offscreen driver unless SDL_VIDEODRIVER says otherwise).
#pragma once

#include <SDL.h>

#include <cstdlib>

#include "platform/platformdisplay.h"

// The window, made with its context at the first call; null when no context can be had.
inline SDL_Window* BenchWindow()
{
  static SDL_Window* window = nullptr;
  static bool tried = false;
  if (tried) {
    return window;
  }
  tried = true;
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    return nullptr;
  }
  // The buffers the game's window asks for, so that frames are presented as the game's are.
  RequestGameWindowBuffers();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_Window* made = SDL_CreateWindow("bench", 0, 0, 800, 600, SDL_WINDOW_OPENGL);
  if (!made || !SDL_GL_CreateContext(made)) {
    return nullptr;
  }
  // Presenting must not wait for a display's refresh: what is timed is the work.
  SDL_GL_SetSwapInterval(0);
  window = made;
  return window;
}

inline bool MakeContext()
{
  return BenchWindow() != nullptr;
}

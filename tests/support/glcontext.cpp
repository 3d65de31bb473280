// glcontext: creates the tests' hidden SDL window and OpenGL compatibility context, and
// reads back drawn pixels.
#include "support/glcontext.h"

#include <SDL.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>

TTestGLContext* TTestGLContext::Get()
{
  static TTestGLContext* context = nullptr;
  static bool tried = false;
  if (!tried) {
    tried = true;
    if (!std::getenv("SDL_VIDEODRIVER")) {
      setenv("SDL_VIDEODRIVER", "offscreen", 1);
    }
    TTestGLContext* candidate = new TTestGLContext();
    if (candidate->Create(800, 600)) {
      context = candidate;
    } else {
      delete candidate;
    }
  }
  if (context) {
    context->MakeCurrent();
  }
  return context;
}

bool TTestGLContext::Create(int width, int height)
{
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "glcontext: SDL video: %s\n", SDL_GetError());
    return false;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_Window* window = SDL_CreateWindow("test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window) {
    std::fprintf(stderr, "glcontext: window: %s\n", SDL_GetError());
    return false;
  }
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    std::fprintf(stderr, "glcontext: context: %s\n", SDL_GetError());
    SDL_DestroyWindow(window);
    return false;
  }
  mWindow = window;
  mContext = context;
  MakeCurrent();
  return true;
}

void TTestGLContext::MakeCurrent()
{
  SDL_GL_MakeCurrent(static_cast<SDL_Window*>(mWindow), static_cast<SDL_GLContext>(mContext));
}

TTestGLContext::~TTestGLContext()
{
  if (mContext) {
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(mContext));
  }
  if (mWindow) {
    SDL_DestroyWindow(static_cast<SDL_Window*>(mWindow));
  }
}

std::vector<TColor32> ReadFrameBlock(int x, int y, int width, int height, int displayHeight)
{
  std::vector<TColor32> bottomUp(static_cast<size_t>(width) * height);
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glReadPixels(x, displayHeight - y - height, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, bottomUp.data());
  std::vector<TColor32> topDown(bottomUp.size());
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      topDown[static_cast<size_t>(row) * width + column] =
          bottomUp[static_cast<size_t>(height - 1 - row) * width + column];
    }
  }
  return topDown;
}

TColor32 ReadFramePixel(int x, int y, int displayHeight)
{
  return ReadFrameBlock(x, y, 1, 1, displayHeight)[0];
}

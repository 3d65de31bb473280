// graphics_bench: sprite drawing through TTexture::DrawSprite against a minimal hand-written
// OpenGL loop drawing the same quads, and PNG loading through the texture cache against
// plain libpng; prints the ratios at the end.
#define GL_GLEXT_PROTOTYPES 1
#include <benchmark/benchmark.h>

#include <SDL.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/foundation/asset.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "gl/gldisplayhandler.h"
#include "gl/gltexturedata.h"

#ifndef QV_GFX_IMAGES
#define QV_GFX_IMAGES "build/tests/gfx-images"
#endif

namespace {

bool MakeContext()
{
  static bool made = false;
  static bool tried = false;
  if (tried) {
    return made;
  }
  tried = true;
  if (!std::getenv("SDL_VIDEODRIVER")) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    return false;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_Window* window = SDL_CreateWindow("bench", 0, 0, 800, 600, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window || !SDL_GL_CreateContext(window)) {
    return false;
  }
  made = true;
  return true;
}

struct TBenchScene {
  TAssetManager mRegistry;
  boost::shared_ptr<TTexture> mSprite;
  TBenchScene()
  {
    TGLDisplayHandler::Register();
    TRenderer* renderer = TRenderer::GetInstance();
    renderer->GetDisplayHandler()->SetDisplay(800, 600, false);
    renderer->SetClippingRectangle(TURect(0, 0, 800, 600));
    mSprite = TTexture::Get("::" QV_GFX_IMAGES "/sprite64.png", 0);
  }
};

TBenchScene& Scene()
{
  static TBenchScene* scene = new TBenchScene();
  return *scene;
}

float SpriteX(int i)
{
  return static_cast<float>(32 + (i * 37) % 736);
}

float SpriteY(int i)
{
  return static_cast<float>(32 + (i * 53) % 536);
}

void BM_DrawSprite(benchmark::State& state)
{
  if (!MakeContext()) {
    state.SkipWithError("no GL context");
    return;
  }
  TBenchScene& scene = Scene();
  if (!scene.mSprite) {
    state.SkipWithError("sprite64.png missing: build the gfx_images target");
    return;
  }
  TRenderer* renderer = TRenderer::GetInstance();
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    renderer->BeginDraw(false);
    renderer->Begin2d();
    for (int i = 0; i < count; ++i) {
      scene.mSprite->DrawSprite(TDrawSpec(TVec2(SpriteX(i), SpriteY(i)), 1.0f, 1.0f, 0));
    }
    renderer->End2d();
    renderer->EndDraw(false);
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_DrawSprite)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same quads, textured and blended, with nothing but GL calls.
void BM_HandWrittenGL(benchmark::State& state)
{
  if (!MakeContext()) {
    state.SkipWithError("no GL context");
    return;
  }
  TBenchScene& scene = Scene();
  if (!scene.mSprite) {
    state.SkipWithError("sprite64.png missing");
    return;
  }
  GLuint name = static_cast<TGLTextureData*>(scene.mSprite->GetTextureData())->GetGLName();
  const int count = static_cast<int>(state.range(0));
  struct TQuadVertex {
    float x, y, u, v;
    unsigned color;
  };
  std::vector<TQuadVertex> quad(4);
  glBindFramebuffer(GL_FRAMEBUFFER, TGLDisplayHandler::GetInstance()->GetFrameBuffer());
  for (auto _ : state) {
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 600, 0, 1, -1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(TQuadVertex), &quad[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(TQuadVertex), &quad[0].u);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(TQuadVertex), &quad[0].color);
    for (int i = 0; i < count; ++i) {
      float left = SpriteX(i) - 32.0f;
      float top = SpriteY(i) - 32.0f;
      quad[0] = {left, top, 0.0f, 0.0f, 0xFFFFFFFFu};
      quad[1] = {left + 64.0f, top, 1.0f, 0.0f, 0xFFFFFFFFu};
      quad[2] = {left + 64.0f, top + 64.0f, 1.0f, 1.0f, 0xFFFFFFFFu};
      quad[3] = {left, top + 64.0f, 0.0f, 1.0f, 0xFFFFFFFFu};
      glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glFlush();
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_HandWrittenGL)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LoadPng1024_TextureGet(benchmark::State& state)
{
  if (!MakeContext()) {
    state.SkipWithError("no GL context");
    return;
  }
  Scene();
  for (auto _ : state) {
    // Dropping the texture at once lets the next request load the file again.
    boost::shared_ptr<TTexture> texture = TTexture::Get("::" QV_GFX_IMAGES "/big1024.png", 0);
    if (!texture) {
      state.SkipWithError("big1024.png missing");
      return;
    }
    glFinish();
  }
}
BENCHMARK(BM_LoadPng1024_TextureGet)->Unit(benchmark::kMillisecond);

void BM_LoadPng1024_PlainLibpng(benchmark::State& state)
{
  std::vector<unsigned char> pixels;
  for (auto _ : state) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, QV_GFX_IMAGES "/big1024.png")) {
      state.SkipWithError("big1024.png missing");
      return;
    }
    image.format = PNG_FORMAT_BGRA;
    pixels.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_LoadPng1024_PlainLibpng)->Unit(benchmark::kMillisecond);

// Keeps each run's time per iteration so the ratios can be printed after the table.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override
  {
    for (const Run& run : runs) {
      if (run.iterations > 0) {
        mSeconds[run.benchmark_name()] = run.real_accumulated_time / run.iterations;
        mCpuSeconds[run.benchmark_name()] = run.cpu_accumulated_time / run.iterations;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatio(const std::string& engine, const std::string& plain, const char* what)
  {
    if (mSeconds.count(engine) && mSeconds.count(plain) && mSeconds[plain] > 0) {
      // The software rasteriser works on other threads: wall time shows the whole frame,
      // main-thread CPU time shows what the calls themselves cost.
      std::printf("%-40s wall %.2fx (%.3f vs %.3f ms), cpu %.2fx (%.3f vs %.3f ms)\n", what,
                  mSeconds[engine] / mSeconds[plain], mSeconds[engine] * 1000.0,
                  mSeconds[plain] * 1000.0, mCpuSeconds[engine] / mCpuSeconds[plain],
                  mCpuSeconds[engine] * 1000.0, mCpuSeconds[plain] * 1000.0);
    }
  }
  std::map<std::string, double> mSeconds;
  std::map<std::string, double> mCpuSeconds;
};

}  // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nengine / plain:\n");
  reporter.PrintRatio("BM_DrawSprite/1000", "BM_HandWrittenGL/1000", "DrawSprite vs hand GL, 1000 sprites");
  reporter.PrintRatio("BM_DrawSprite/10000", "BM_HandWrittenGL/10000",
                      "DrawSprite vs hand GL, 10000 sprites");
  reporter.PrintRatio("BM_LoadPng1024_TextureGet", "BM_LoadPng1024_PlainLibpng",
                      "TTexture::Get vs libpng, 1024x1024 PNG");
  benchmark::Shutdown();
  return 0;
}

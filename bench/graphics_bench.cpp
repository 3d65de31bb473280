// graphics_bench: sprite drawing through TTexture::DrawSprite against a minimal OpenGL loop
// drawing the same quads with one call, whole frames as the game makes them (cleared, drawn,
// presented to the window through a display host as the platform's), PNG decoding against
// plain libpng and texture upload against one glTexImage2D; every on-screen run ends with
// glFinish; prints the ratios. CPU times are the whole program's, its driver's threads too.
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

#include "benchgl.h"
#include "benchreport.h"
#include "core/foundation/asset.h"
#include "core/graphics/displayhost.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texturedata.h"
#include "core/graphics/texture.h"
#include "gl/gldisplayhandler.h"
#include "gl/gltexturedata.h"

#ifndef QV_GFX_IMAGES
#define QV_GFX_IMAGES "build/tests/gfx-images"
#endif

namespace {

struct TBenchScene
{
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

// The bench window as the platform's display host shows it: the frame drawn into the window
// when the sizes agree, and the buffers swapped.
class TBenchHost : public TDisplayHost
{
public:
  void MakeCurrent() override {}
  void SwapBuffers() override { SDL_GL_SwapWindow(BenchWindow()); }
  void GetDrawableSize(int* width, int* height) override { SDL_GL_GetDrawableSize(BenchWindow(), width, height); }
  bool IsFullscreen() override { return false; }
  TPoint GetMouse() override { return TPoint(0, 0); }
  bool WantsSoftwareCursor() override { return false; }
  unsigned GetPixelSize() override { return 32; }
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

// Frames of the sprites drawn into the frame buffer; with present, whole frames as the game
// makes them: cleared as the screen clears them, drawn, presented to the window through the
// display host and swapped (what bench/love_sprites.sh sets beside the other engine's frame,
// which clears and presents too).
void DrawSprites(benchmark::State& state, bool present)
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
  TBenchHost host;
  if (present) {
    TDisplayHost::Set(&host);
  }
  const int count = static_cast<int>(state.range(0));
  const TColor black(0.0f, 0.0f, 0.0f, 1.0f);
  for (auto _ : state) {
    renderer->BeginDraw(false);
    renderer->Begin2d();
    if (present) {
      renderer->FillRect(TURect(0, 0, 800, 600), black, boost::shared_ptr<TTexture>());
    }
    for (int i = 0; i < count; ++i) {
      scene.mSprite->DrawSprite(TDrawSpec(TVec2(SpriteX(i), SpriteY(i)), 1.0f, 1.0f, 0));
    }
    renderer->End2d();
    renderer->EndDraw(present);
    glFinish();
  }
  TDisplayHost::Set(nullptr);
  state.SetItemsProcessed(state.iterations() * count);
}

void BM_DrawSprite(benchmark::State& state)
{
  DrawSprites(state, false);
}
BENCHMARK(BM_DrawSprite)->Arg(1)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_DrawSpriteAndPresent(benchmark::State& state)
{
  DrawSprites(state, true);
}
BENCHMARK(BM_DrawSpriteAndPresent)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The same quads, textured and blended, from a vertex array rebuilt every frame and drawn
// with one call: what a minimal program drawing sprites of one texture does.
void BM_MinimalGL(benchmark::State& state)
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
  struct TQuadVertex
  {
    float x, y, u, v;
    unsigned color;
  };
  std::vector<TQuadVertex> quads(static_cast<size_t>(count) * 4);
  glBindFramebuffer(GL_FRAMEBUFFER, TGLDisplayHandler::GetInstance()->GetFrameBuffer());
  for (auto _ : state) {
    for (int i = 0; i < count; ++i) {
      float left = SpriteX(i) - 32.0f;
      float top = SpriteY(i) - 32.0f;
      TQuadVertex* quad = &quads[static_cast<size_t>(i) * 4];
      quad[0] = {left, top, 0.0f, 0.0f, 0xFFFFFFFFu};
      quad[1] = {left + 64.0f, top, 1.0f, 0.0f, 0xFFFFFFFFu};
      quad[2] = {left + 64.0f, top + 64.0f, 1.0f, 1.0f, 0xFFFFFFFFu};
      quad[3] = {left, top + 64.0f, 0.0f, 1.0f, 0xFFFFFFFFu};
    }
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
    glVertexPointer(2, GL_FLOAT, sizeof(TQuadVertex), &quads[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(TQuadVertex), &quads[0].u);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(TQuadVertex), &quads[0].color);
    glDrawArrays(GL_QUADS, 0, count * 4);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_MinimalGL)->Arg(1)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Decoding only, the engine's PNG reader into its square BGRA buffer against plain libpng
// into a BGRA buffer; the upload is measured apart.
void BM_DecodePng_Engine(benchmark::State& state)
{
  for (auto _ : state) {
    unsigned char* pixels = nullptr;
    int width = 0, height = 0, side = 0, alpha = 0;
    if (!EzPngLoadImage("::" QV_GFX_IMAGES "/big1024.png", &pixels, &width, &height, &side, nullptr, &alpha, 1024)) {
      state.SkipWithError("big1024.png missing");
      return;
    }
    benchmark::DoNotOptimize(pixels);
    EzPngFreeImage(pixels);
  }
}
BENCHMARK(BM_DecodePng_Engine)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_DecodePng_Libpng(benchmark::State& state)
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
BENCHMARK(BM_DecodePng_Libpng)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Uploading 1024 x 1024 decoded pixels: a texture as the image loader makes it, against
// one texture name and one glTexImage2D.
void BM_UploadTexture_Engine(benchmark::State& state)
{
  if (!MakeContext()) {
    state.SkipWithError("no GL context");
    return;
  }
  Scene();
  std::vector<TColor32> pixels(1024 * 1024, TColor32(0x80402010u));
  for (auto _ : state) {
    std::unique_ptr<TTextureData> data(TGLDisplayHandler::GetInstance()->NewTextureData());
    data->SetFlag(TTextureData::kFlagAlpha, true);
    if (!data->CreateSurface(1024, 1024, false) || !data->FillSurface(1024, 1024, pixels.data())) {
      state.SkipWithError("no surface");
      return;
    }
    glFinish();
  }
}
BENCHMARK(BM_UploadTexture_Engine)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_UploadTexture_GL(benchmark::State& state)
{
  if (!MakeContext()) {
    state.SkipWithError("no GL context");
    return;
  }
  Scene();
  std::vector<TColor32> pixels(1024 * 1024, TColor32(0x80402010u));
  for (auto _ : state) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1024, 1024, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    glFinish();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &name);
  }
}
BENCHMARK(BM_UploadTexture_GL)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Presenting the 800 x 600 frame to the window's buffer (the copy at every swap).
void BM_PresentFrame(benchmark::State& state)
{
  if (!MakeContext()) {
    state.SkipWithError("no GL context");
    return;
  }
  Scene();
  TGLDisplayHandler* handler = TGLDisplayHandler::GetInstance();
  for (auto _ : state) {
    handler->PresentFrame();
    glFinish();
  }
}
BENCHMARK(BM_PresentFrame)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv)
{
  return RunBenchmarksWithRatios(argc, argv, [](TRatioReporter& report) {
    report.PrintRatio("BM_DrawSprite/1000/process_time", "BM_MinimalGL/1000/process_time",
                      "1,000 sprites vs one GL call", 1.1, 1.5);
    report.PrintRatio("BM_DrawSprite/10000/process_time", "BM_MinimalGL/10000/process_time",
                      "10,000 sprites vs one GL call", 1.1, 1.5);
    report.PrintRatio("BM_DecodePng_Engine/process_time", "BM_DecodePng_Libpng/process_time",
                      "decode 1024x1024 PNG vs libpng", 0.0);
    report.PrintRatio("BM_UploadTexture_Engine/process_time", "BM_UploadTexture_GL/process_time",
                      "upload 1024x1024 vs glTexImage2D", 0.0);
  });
}

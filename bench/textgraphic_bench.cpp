// textgraphic_bench: lays out and draws a 2,000-character tagged paragraph with the built-in
// font, drawing first with an empty glyph cache and then with a warm one, into a texture
// (the rasteriser's own pixel path) and onto the screen (finished with glFinish); prints
// the warm / cold ratios.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <SDL.h>

#include <cstdlib>
#include <string>

#include "benchgl.h"
#include "benchreport.h"
#include "core/foundation/asset.h"
#include "core/graphics/qvminivecdraw.h"
#include "core/graphics/renderer.h"
#include "core/graphics/textgraphic.h"
#include "core/graphics/texture.h"
#include "gl/gldisplayhandler.h"

namespace {

std::string Paragraph()
{
  static const char* const kPieces[] = {
      "The inspector opened the <b>case file</b> and read ",
      "<i>every</i> line twice. ",
      "<font color='c02020'>Evidence</font> was scarce, ",
      "<u>yet</u> the <a id='clue' color='2060ff'>clue</a> on the ",
      "<font size='20'>third</font> page pointed to the harbour. ",
      "Witnesses remembered a <outline color='000000'>grey coat</outline>, a late train and ",
      "a letter signed \xC3\xA9lise. "};
  std::string text;
  for (size_t i = 0; text.size() < 2000; ++i)
    text += kPieces[i % (sizeof(kPieces) / sizeof(kPieces[0]))];
  return text.substr(0, 2000);
}

struct TBenchText
{
  TAssetManager mRegistry;
  boost::shared_ptr<TTexture> mTarget;
  TTextGraphic* mGraphic = nullptr;
  TBenchText()
  {
    TGLDisplayHandler::Register();
    TRenderer* renderer = TRenderer::GetInstance();
    renderer->GetDisplayHandler()->SetDisplay(800, 600, false);
    renderer->SetClippingRectangle(TURect(0, 0, 800, 600));
    mTarget = TTexture::Create(512, 512, true);
    mGraphic = TTextGraphic::Create(Paragraph().c_str(), 500, 500, 0, "__DEFAULT", 16, TColor(0.1f, 0.1f, 0.1f, 1));
  }
};

TBenchText& Text()
{
  static TBenchText* text = new TBenchText();
  return *text;
}

void BM_LayOutParagraph(benchmark::State& state)
{
  const std::string paragraph = Paragraph();
  TTextGraphic* graphic = TTextGraphic::Create("", 500, 500, 0, "__DEFAULT", 16, TColor(0, 0, 0, 1));
  for (auto _ : state) {
    graphic->SetText("");
    graphic->SetText(paragraph.c_str());
    benchmark::DoNotOptimize(graphic->GetLineCount());
  }
  graphic->Destroy();
}
BENCHMARK(BM_LayOutParagraph);

void BM_DrawIntoTexture(benchmark::State& state, bool cold)
{
  if (!MakeContext()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  TBenchText& text = Text();
  TQvMiniVecDraw* raster = TQvMiniVecDraw::GetInstance();
  text.mGraphic->Draw(TVec2(0, 0), 512, 1.0f, 0, 1.0f, text.mTarget);
  for (auto _ : state) {
    if (cold)
      raster->ClearCache();
    text.mGraphic->Draw(TVec2(0, 0), 512, 1.0f, 0, 1.0f, text.mTarget);
  }
}
BENCHMARK_CAPTURE(BM_DrawIntoTexture, cold_cache, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawIntoTexture, warm_cache, false)->Unit(benchmark::kMillisecond);

void BM_DrawOnScreen(benchmark::State& state, bool cold)
{
  if (!MakeContext()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  TBenchText& text = Text();
  TRenderer* renderer = TRenderer::GetInstance();
  TQvMiniVecDraw* raster = TQvMiniVecDraw::GetInstance();
  for (auto _ : state) {
    if (cold)
      raster->ClearCache();
    renderer->BeginDraw(false);
    renderer->Begin2d();
    text.mGraphic->Draw(TVec2(0, 0), 600, 1.0f, 0, 1.0f, boost::shared_ptr<TTexture>());
    renderer->End2d();
    renderer->EndDraw(false);
    glFinish();
  }
}
BENCHMARK_CAPTURE(BM_DrawOnScreen, cold_cache, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawOnScreen, warm_cache, false)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
  return RunBenchmarksWithRatios(argc, argv, [](TRatioReporter& report) {
    report.PrintRatio("BM_DrawIntoTexture/warm_cache", "BM_DrawIntoTexture/cold_cache",
                      "2,000 characters into a texture: warm / cold", 0.2);
    report.PrintRatio("BM_DrawOnScreen/warm_cache", "BM_DrawOnScreen/cold_cache",
                      "2,000 characters on screen: warm / cold", 0.0);
  });
}

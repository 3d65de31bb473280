// Tests of the glyph rasteriser through its texture path (exact coverage read back from
// the texture), its cache, strokes and the three ways spans are written into pixels.
#include <gtest/gtest.h>

#include <memory>

#include "core/graphics/mvecfont.h"
#include "core/graphics/qvminivecdraw.h"
#include "support/gfxfixture.h"
#include "support/mvecbuilder.h"

namespace {

class MiniVecDrawTest : public GfxTest
{
protected:
  void SetUp() override
  {
    GfxTest::SetUp();
    if (IsSkipped())
      return;
    mFont.reset(new TMvecFont(CopyFontBytes(BuildMvec(HandFontGlyphs())), BuildMvec(HandFontGlyphs()).size()));
    mSquare = mFont->GetGlyphData(mFont->GetGlyphIndex('A'));
    mTexture = TTexture::Create(64, 64, true);
    ASSERT_TRUE(mTexture);
    Fill(TColor32(0u));
    mRaster.reset(new TQvMiniVecDraw());
    mRaster->Calibrate();
    mRaster->SetCopy(true);
    TColor white(1, 1, 1, 1);
    mRaster->SetColor(1, white, 1.0f);
  }

  void TearDown() override
  {
    mRaster.reset();
    mTexture.reset();
    GfxTest::TearDown();
  }

  void Fill(TColor32 value)
  {
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    ASSERT_TRUE(mTexture->Lock(&pixels, &pitch));
    for (unsigned y = 0; y < 64; ++y)
      for (unsigned x = 0; x < 64; ++x)
        pixels[y * pitch + x] = value;
    mTexture->Unlock();
  }

  // Alpha of every pixel of the 64 x 64 texture, rows top-down.
  std::vector<int> Alphas()
  {
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    std::vector<int> alphas;
    EXPECT_TRUE(mTexture->Lock(&pixels, &pitch));
    for (unsigned y = 0; y < 64; ++y)
      for (unsigned x = 0; x < 64; ++x)
        alphas.push_back(pixels[y * pitch + x].Alpha());
    mTexture->Unlock();
    return alphas;
  }

  TColor32 Pixel(int x, int y)
  {
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    EXPECT_TRUE(mTexture->Lock(&pixels, &pitch));
    const TColor32 value = pixels[y * pitch + x];
    mTexture->Unlock();
    return value;
  }

  void DrawSquare(float originX, float originY, int penX, int penY)
  {
    mRaster->Start(originX, originY, mTexture);
    mRaster->Draw(mSquare, penX, penY);
    mRaster->Stop();
  }

  std::unique_ptr<TMvecFont> mFont;
  const unsigned char* mSquare = nullptr;
  boost::shared_ptr<TTexture> mTexture;
  std::unique_ptr<TQvMiniVecDraw> mRaster;
};

// Expected alpha of a square of side `side` quarter pixels whose left edge is at quarter pixel
// `left` and whose bottom edge is at quarter-pixel row `bottom`, fully opaque colour.
std::vector<int> SquareCoverage(int left, int bottom, int side)
{
  std::vector<int> alphas(64 * 64, 0);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      int covered = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
          const int qx = 4 * x + sx;
          const int qy = 4 * y + sy;
          if (qx >= left && qx < left + side && qy >= bottom - side && qy < bottom)
            ++covered;
        }
      alphas[y * 64 + x] = covered == 0 ? 0 : 255 * covered * 16 / 256;
    }
  }
  return alphas;
}

} // namespace

TEST_F(MiniVecDrawTest, SquareOnWholePixelsIsFullyCovered)
{
  mRaster->SetScale(2.0f, 2.0f); // 8 units -> 16 quarter pixels -> 4 pixels
  DrawSquare(10.0f, 20.0f, 0, 0);
  EXPECT_EQ(Alphas(), SquareCoverage(40, 80, 16));
  EXPECT_EQ(Pixel(10, 16).mValue, 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(13, 19).mValue, 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(14, 19).mValue, 0u);
  EXPECT_EQ(Pixel(10, 20).mValue, 0u);
}

TEST_F(MiniVecDrawTest, QuarterPixelPhasesGiveExactEdgeCoverage)
{
  mRaster->SetScale(2.0f, 2.0f);
  for (int phaseX = 0; phaseX < 4; ++phaseX) {
    for (int phaseY = 0; phaseY < 4; ++phaseY) {
      Fill(TColor32(0u));
      DrawSquare(10.0f, 20.0f, phaseX, phaseY);
      EXPECT_EQ(Alphas(), SquareCoverage(40 + phaseX, 80 + phaseY, 16)) << phaseX << "," << phaseY;
    }
  }
  // Pen positions beyond a whole pixel move the glyph by whole pixels.
  Fill(TColor32(0u));
  DrawSquare(10.0f, 20.0f, 9, -6);
  EXPECT_EQ(Alphas(), SquareCoverage(49, 74, 16));
}

TEST_F(MiniVecDrawTest, SpansOutsideTheTargetAreClipped)
{
  mRaster->SetScale(8.0f, 8.0f); // 16 pixels
  DrawSquare(-8.0f, 8.0f, 0, 0);
  std::vector<int> alphas = Alphas();
  EXPECT_EQ(alphas[0], 255);
  EXPECT_EQ(alphas[7], 255);
  EXPECT_EQ(alphas[8], 0);
  Fill(TColor32(0u));
  DrawSquare(60.0f, 70.0f, 0, 0);
  alphas = Alphas();
  EXPECT_EQ(alphas[63 * 64 + 60], 255);
  EXPECT_EQ(alphas[63 * 64 + 63], 255);
  EXPECT_EQ(alphas[54 * 64 + 60], 255);
  EXPECT_EQ(alphas[53 * 64 + 60], 0);
}

TEST_F(MiniVecDrawTest, CacheReplaysOnWholePixelMovesAndConvertsOnQuarterPixels)
{
  mRaster->SetScale(2.0f, 2.0f);
  DrawSquare(10.0f, 20.0f, 0, 0);
  EXPECT_EQ(mRaster->GetConversionCount(), 1u);
  Fill(TColor32(0u));
  DrawSquare(11.0f, 20.0f, 0, 0);
  EXPECT_EQ(mRaster->GetConversionCount(), 1u);
  EXPECT_EQ(Alphas(), SquareCoverage(44, 80, 16));
  DrawSquare(10.0f, 20.0f, 1, 0);
  EXPECT_EQ(mRaster->GetConversionCount(), 2u);
  mRaster->SetScale(3.0f, 2.0f);
  DrawSquare(10.0f, 20.0f, 0, 0);
  EXPECT_EQ(mRaster->GetConversionCount(), 3u);
  EXPECT_EQ(mRaster->GetCacheEntryCount(), 3u);
}

TEST_F(MiniVecDrawTest, ReplayTakesTheCurrentColour)
{
  mRaster->SetScale(2.0f, 2.0f);
  DrawSquare(10.0f, 20.0f, 0, 0);
  mRaster->SetColor(1, TColor(1, 0, 0, 1), 0.5f);
  DrawSquare(20.0f, 20.0f, 0, 0);
  EXPECT_EQ(mRaster->GetConversionCount(), 1u);
  const TColor32 red = Pixel(21, 18);
  EXPECT_EQ(red.Red(), 255);
  EXPECT_EQ(red.Green(), 0);
  EXPECT_EQ(red.Alpha(), 127);
}

TEST_F(MiniVecDrawTest, PaletteEntriesScaleAlphaByCoverage)
{
  mRaster->SetColor(1, TColor(0, 0, 1, 1), 1.0f);
  EXPECT_EQ(mRaster->GetPaletteColor(3, 15).mValue, 0xFF0000FFu);
  EXPECT_EQ(mRaster->GetPaletteColor(3, 0).Alpha(), 15);
  EXPECT_EQ(mRaster->GetPaletteColor(3, 7).Alpha(), 127);
  EXPECT_EQ(mRaster->GetPaletteColor(3, 20).Alpha(), 254);
  EXPECT_EQ(TQvMiniVecDraw::PaletteOfSlot(0), 2);
  EXPECT_EQ(TQvMiniVecDraw::PaletteOfSlot(1), 3);
  EXPECT_EQ(TQvMiniVecDraw::PaletteOfSlot(17), 2);
  EXPECT_EQ(TQvMiniVecDraw::PaletteOfSlot(254), 1);
  EXPECT_EQ(TQvMiniVecDraw::PaletteOfSlot(255), 0);
}

TEST_F(MiniVecDrawTest, StrokesSurroundTheGlyphInTheirOwnColours)
{
  mRaster->SetScale(4.0f, 4.0f); // 32 quarter pixels: 8 pixels
  mRaster->SetColor(255, TColor(1, 0, 0, 1), 1.0f);
  mRaster->SetColor(254, TColor(0, 1, 0, 1), 1.0f);
  // Without widths nothing but the glyph is drawn.
  DrawSquare(20.0f, 30.0f, 0, 0);
  EXPECT_EQ(Pixel(19, 26).mValue, 0u);
  Fill(TColor32(0u));
  mRaster->SetOutlineWidth(0, 2.0f);
  DrawSquare(20.0f, 30.0f, 0, 0);
  EXPECT_EQ(Pixel(24, 26).mValue, 0xFFFFFFFFu); // inside: the glyph wins
  EXPECT_EQ(Pixel(19, 26).mValue, 0xFFFF0000u); // left of the glyph: stroke 0
  EXPECT_EQ(Pixel(18, 26).mValue, 0xFFFF0000u);
  EXPECT_EQ(Pixel(17, 26).mValue, 0u);
  Fill(TColor32(0u));
  mRaster->SetOutlineWidth(0, 0.0f);
  mRaster->SetOutlineWidth(1, 1.0f);
  DrawSquare(20.0f, 30.0f, 0, 0);
  EXPECT_EQ(Pixel(19, 26).mValue, 0xFF00FF00u);
  EXPECT_EQ(Pixel(18, 26).mValue, 0u);
}

TEST_F(MiniVecDrawTest, BlendAndAccumulateMixWithTheTarget)
{
  mRaster->SetScale(2.0f, 2.0f);
  mRaster->SetCopy(false);
  mRaster->SetColor(1, TColor(1, 1, 1, 1), 0.5f); // alpha 127
  Fill(TColor32(0, 0, 255, 200));
  DrawSquare(10.0f, 20.0f, 0, 0);
  TColor32 blended = Pixel(11, 18);
  EXPECT_EQ(blended.Red(), 127); // (0 * 128 + 255 * 127) / 255
  EXPECT_EQ(blended.Blue(), (255 * 128 + 255 * 127) / 255);
  EXPECT_EQ(blended.Alpha(), 200); // kept
  EXPECT_EQ(Pixel(30, 30).mValue, TColor32(0, 0, 255, 200).mValue);

  Fill(TColor32(0, 0, 255, 100));
  mRaster->SetAccumulate(true);
  DrawSquare(10.0f, 20.0f, 0, 0);
  const TColor32 summed = Pixel(11, 18);
  EXPECT_EQ(summed.Alpha(), 227);
  EXPECT_EQ(summed.Red(), 255 * 127 / 227);
  EXPECT_EQ(summed.Blue(), (255 * 100 + 255 * 127) / 227);
}

TEST_F(MiniVecDrawTest, ItalicShearsAndRotationTurnsTheGlyph)
{
  mRaster->SetScale(2.0f, 2.0f);
  mRaster->SetItalic(true);
  DrawSquare(10.0f, 20.0f, 0, 0);
  // The top row leans right by a third of the height (16/3 quarter pixels), the bottom does not.
  EXPECT_EQ(Pixel(11, 19).Alpha(), 255);
  EXPECT_EQ(Pixel(10, 19).Alpha(), 255 * 13 * 16 / 256);
  EXPECT_EQ(Pixel(10, 16).Alpha(), 0);
  EXPECT_EQ(Pixel(14, 16).Alpha(), 255);
  mRaster->SetItalic(false);
  Fill(TColor32(0u));
  // A quarter turn clockwise (y down) swings the square from above the origin to below it.
  mRaster->SetRotation(0.0f, 1.0f);
  DrawSquare(30.0f, 20.0f, 0, 0);
  EXPECT_EQ(Pixel(31, 21).Alpha(), 255);
  EXPECT_EQ(Pixel(33, 23).Alpha(), 255);
  EXPECT_EQ(Pixel(29, 21).Alpha(), 0);
  EXPECT_EQ(Pixel(31, 19).Alpha(), 0);
}

TEST_F(MiniVecDrawTest, ProgramsWithSeveralStyleGroupsStopAtTheSecond)
{
  std::vector<uint8_t> program = {1, 2, 1};
  std::vector<uint8_t> square = RectProgram(0, -1024, 1024, 0);
  program.insert(program.end(), square.begin() + 2, square.end() - 1);
  program.push_back(1); // a second group is refused: nothing after it is drawn
  std::vector<uint8_t> more = RectProgram(2048, -1024, 3072, 0);
  program.insert(program.end(), more.begin(), more.end());
  mRaster->SetScale(2.0f, 2.0f);
  mRaster->Start(10.0f, 20.0f, mTexture);
  mRaster->Draw(program.data(), 0, 0);
  mRaster->Stop();
  EXPECT_EQ(Pixel(11, 18).Alpha(), 255);
  EXPECT_EQ(Pixel(19, 18).Alpha(), 0);
}

TEST_F(MiniVecDrawTest, AnimatedScalesKeepTheCacheBounded)
{
  for (int step = 0; step < 5000; ++step) {
    mRaster->SetScale(40.0f + step * 0.01f, 40.0f);
    DrawSquare(0.0f, 60.0f, 0, 0);
  }
  EXPECT_LE(mRaster->GetCacheEntryCount(), TQvMiniVecDraw::kMaxCacheEntries);
  EXPECT_EQ(mRaster->GetConversionCount(), 5000u);
}

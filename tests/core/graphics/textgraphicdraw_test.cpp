// Tests of drawing rich text: exact glyph coverage written into a texture, colours of runs and
// rolled-over links, underline, outline and bold, clipping, and text drawn on the screen.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <unistd.h>

#include "core/graphics/qvminivecdraw.h"
#include "core/graphics/textgraphic.h"
#include "support/gfxfixture.h"
#include "support/mvecbuilder.h"

namespace {

class TextDrawTest : public GfxTest
{
protected:
  void SetUp() override
  {
    GfxTest::SetUp();
    if (IsSkipped())
      return;
    mDir = "/tmp/qvtxt-draw-" + std::to_string(long(getpid()));
    mkdir(mDir.c_str(), 0700);
    WriteFontFile(mDir + "/hand.mvec", BuildMvec(HandFontGlyphs()));
    mTarget = TTexture::Create(128, 64, true);
    ASSERT_TRUE(mTarget);
    Clear();
  }

  void TearDown() override
  {
    for (TTextGraphic* graphic : mGraphics)
      graphic->Destroy();
    mTarget.reset();
    TFontData::ShutDown();
    TQvMiniVecDraw::ShutDown();
    if (!mDir.empty())
      std::filesystem::remove_all(mDir);
    GfxTest::TearDown();
  }

  TTextGraphic* Make(const char* text, bool noBlend = true)
  {
    TTextGraphic* graphic =
        TTextGraphic::Create(text, 128, 64, 0, ("::" + mDir + "/hand.mvec").c_str(), 25, TColor(1, 1, 1, 1));
    if (noBlend)
      graphic->SetNoBlend();
    mGraphics.push_back(graphic);
    return graphic;
  }

  void Clear(TColor32 value = TColor32(0u))
  {
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    ASSERT_TRUE(mTarget->Lock(&pixels, &pitch));
    for (unsigned y = 0; y < 64; ++y)
      for (unsigned x = 0; x < 128; ++x)
        pixels[y * pitch + x] = value;
    mTarget->Unlock();
  }

  TColor32 Pixel(int x, int y)
  {
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    EXPECT_TRUE(mTarget->Lock(&pixels, &pitch));
    const TColor32 value = pixels[y * pitch + x];
    mTarget->Unlock();
    return value;
  }

  std::string mDir;
  boost::shared_ptr<TTexture> mTarget;
  std::vector<TTextGraphic*> mGraphics;
};

// Coverage (0 to 16) of a pixel by the square of quarter pixels [left, left + side) x [top, top + side).
int Covered(int x, int y, int left, int top, int side)
{
  int count = 0;
  for (int sy = 0; sy < 4; ++sy)
    for (int sx = 0; sx < 4; ++sx) {
      const int qx = 4 * x + sx;
      const int qy = 4 * y + sy;
      count += qx >= left && qx < left + side && qy >= top && qy < top + side;
    }
  return count;
}

} // namespace

TEST_F(TextDrawTest, GlyphCoverageIsExact)
{
  Make("A")->Draw(TVec2(0, 0), 64, 1.0f, 0, 1.0f, mTarget);
  // Line offset 1.5 pixels, baseline 79 quarter pixels: the 64-quarter square spans x 6..70, y 15..79.
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 20; ++x) {
      const int covered = Covered(x, y, 6, 15, 64);
      ASSERT_EQ(Pixel(x, y).Alpha(), covered == 0 ? 0 : 255 * covered * 16 / 256) << x << "," << y;
    }
  }
  EXPECT_EQ(Pixel(8, 10).mValue, 0xFFFFFFFFu);
}

TEST_F(TextDrawTest, RunsAndRolledOverLinksTakeTheirColours)
{
  TTextGraphic* graphic = Make("<font color='ff0000'>A</font><a id='x' color='00ff00'>A</a>");
  graphic->Draw(TVec2(0, 0), 64, 1.0f, 0, 1.0f, mTarget);
  EXPECT_EQ(Pixel(8, 10).mValue, 0xFFFF0000u);
  EXPECT_EQ(Pixel(24, 10).mValue, 0xFFFFFFFFu);
  TPoint over(24, 10);
  ASSERT_TRUE(graphic->Rollover(&over, 0));
  Clear();
  graphic->Draw(TVec2(0, 0), 64, 1.0f, 0, 0.5f, mTarget);
  EXPECT_EQ(Pixel(24, 10).mValue, 0x7F00FF00u);
  EXPECT_EQ(Pixel(8, 10).mValue, 0x7FFF0000u);
}

TEST_F(TextDrawTest, UnderlineOutlineAndBoldWidenTheInk)
{
  Make("A")->Draw(TVec2(0, 0), 64, 1.0f, 0, 1.0f, mTarget);
  EXPECT_EQ(Pixel(8, 21).Alpha(), 0);
  EXPECT_EQ(Pixel(0, 10).Alpha(), 0);
  Clear();
  Make("<u>A")->Draw(TVec2(0, 0), 64, 1.0f, 0, 1.0f, mTarget);
  EXPECT_GT(Pixel(8, 21).Alpha(), 0); // 8 to 11 quarter pixels below the baseline
  Clear();
  Make("<outline color='0000ff'>A")->Draw(TVec2(0, 0), 64, 1.0f, 0, 1.0f, mTarget);
  // The outline's width moves the line right by 2 pixels; the stroke reaches 2 pixels out.
  EXPECT_EQ(Pixel(0, 10).Alpha(), 0);
  EXPECT_EQ(Pixel(2, 10).mValue, 0xFF0000FFu);
  EXPECT_EQ(Pixel(10, 10).mValue, 0xFFFFFFFFu);
  // Bold strokes the edges in the glyph's own colour: blended over black, the edge pixel
  // takes the stroke's five sixteenths (alpha 79) and then the glyph's half.
  Clear(TColor32(0, 0, 0, 255));
  Make("A", false)->Draw(TVec2(0, 0), 64, 1.0f, 0, 1.0f, mTarget);
  EXPECT_EQ(Pixel(17, 10).Red(), 127);
  Clear(TColor32(0, 0, 0, 255));
  Make("<b>A", false)->Draw(TVec2(0, 0), 64, 1.0f, 0, 1.0f, mTarget);
  EXPECT_EQ(Pixel(17, 10).Red(), 79 * 128 / 255 + 127);
  EXPECT_EQ(Pixel(17, 10).Alpha(), 255);
}

TEST_F(TextDrawTest, LinesBelowTheClipAreNotDrawn)
{
  TTextGraphic* graphic = Make("A<br>A");
  graphic->Draw(TVec2(0, 0), 30, 1.0f, 0, 1.0f, mTarget);
  EXPECT_EQ(Pixel(8, 10).Alpha(), 255);
  EXPECT_EQ(Pixel(8, 35).Alpha(), 0);
  Clear();
  graphic->Draw(TVec2(0, 0), 64, 1.0f, 0, 1.0f, mTarget);
  EXPECT_EQ(Pixel(8, 35).Alpha(), 255);
  // Scrolled by a line the second line takes the first one's place.
  Clear();
  graphic->SetScroll(1.0f);
  graphic->Draw(TVec2(0, 0), 64, 1.0f, 0, 1.0f, mTarget);
  EXPECT_EQ(Pixel(8, 10).Alpha(), 255);
  EXPECT_EQ(Pixel(8, 35).Alpha(), 0);
}

TEST_F(TextDrawTest, TextOnTheScreenLandsWhereTheTextureShowsIt)
{
  ASSERT_TRUE(mRenderer->BeginDraw(false));
  ClearFrame(TColor(0, 0, 0, 1));
  ASSERT_TRUE(mRenderer->Begin2d());
  Make("A")->Draw(TVec2(100, 200), 64, 1.0f, 0, 1.0f, boost::shared_ptr<TTexture>());
  mRenderer->End2d();
  mRenderer->EndDraw(false);
  // Inside the square the driver's lines cover whole pixels; at its edges allow for rounding.
  EXPECT_TRUE(ColorNear(ReadFramePixel(108, 210), 255, 255, 255, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(114, 216), 255, 255, 255, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(130, 210), 0, 0, 0, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(108, 225), 0, 0, 0, 255, 2));
}

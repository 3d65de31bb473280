// gltexturedata tests: power-of-two surfaces, the colour key, lock and unlock, fills and
// fills through the framebuffer object and clears by upload, clipping, and copies between textures.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "core/graphics/displayhost.h"
#include "gl/gltexturedata.h"
#include "support/gfxfixture.h"

namespace {

class TextureDataTest : public GfxTest
{
protected:
  static TGLTextureData* Data(const boost::shared_ptr<TTexture>& texture)
  {
    return static_cast<TGLTextureData*>(texture->GetTextureData());
  }
};

} // namespace

TEST_F(TextureDataTest, SurfaceSizesAndOffsets)
{
  mRenderer->SetOption("texture_rectangle", "1");
  boost::shared_ptr<TTexture> rectangle = TTexture::Create(300, 200, true);
  ASSERT_TRUE(rectangle);
  EXPECT_EQ(Data(rectangle)->mInternalWidth, 512u);
  EXPECT_EQ(Data(rectangle)->mInternalHeight, 256u);
  EXPECT_EQ(Data(rectangle)->mOffsetX, 106u);
  EXPECT_EQ(Data(rectangle)->mOffsetY, 28u);
  EXPECT_EQ(rectangle->GetInternalSize(), std::make_pair(512, 256));

  mRenderer->SetOption("texture_rectangle", "0");
  boost::shared_ptr<TTexture> square = TTexture::Create(300, 200, true);
  ASSERT_TRUE(square);
  EXPECT_EQ(Data(square)->mInternalWidth, 512u);
  EXPECT_EQ(Data(square)->mInternalHeight, 512u);
  EXPECT_EQ(Data(square)->mOffsetY, 156u);

  for (const char* option : {"0", "1"}) {
    mRenderer->SetOption("texture_rectangle", option);
    boost::shared_ptr<TTexture> exact = TTexture::Create(256, 256, false);
    EXPECT_EQ(Data(exact)->mInternalWidth, 256u);
    EXPECT_EQ(Data(exact)->mInternalHeight, 256u);
    boost::shared_ptr<TTexture> tiny = TTexture::Create(1, 1, false);
    EXPECT_EQ(Data(tiny)->mInternalWidth, 1u);
    EXPECT_EQ(Data(tiny)->mInternalHeight, 1u);
  }
}

TEST_F(TextureDataTest, BadSizesAreRefused)
{
  EXPECT_FALSE(TTexture::Create(0, 10, true));
  EXPECT_FALSE(TTexture::Create(100000, 10, true));
}

TEST_F(TextureDataTest, ColourKeyMakesMagentaTransparentAndTheRestOpaque)
{
  boost::shared_ptr<TTexture> texture = TTexture::Create(2, 1, false);
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  ASSERT_TRUE(texture->Lock(&pixels, &pitch));
  pixels[0] = TColor32(255, 0, 255, 255);
  pixels[1] = TColor32(254, 0, 255, 0);
  Data(texture)->SetFlag(TTextureData::kFlagAlpha, true);
  texture->Unlock();
  Data(texture)->ProcessColor();
  EXPECT_TRUE(texture->HasAlpha());
  EXPECT_EQ(PixelOf(texture, 0, 0).mValue, 0u);
  EXPECT_TRUE(ColorNear(PixelOf(texture, 1, 0), 254, 0, 255, 255));
}

TEST_F(TextureDataTest, UnlockWithoutAlphaForcesOpaquePixels)
{
  boost::shared_ptr<TTexture> texture = TTexture::Create(4, 4, false);
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  ASSERT_TRUE(texture->Lock(&pixels, &pitch));
  pixels[pitch + 1] = TColor32(1, 2, 3, 10);
  texture->Unlock();
  EXPECT_TRUE(ColorNear(PixelOf(texture, 1, 1), 1, 2, 3, 255));
}

TEST_F(TextureDataTest, LockRoundTripKeepsByteOrder)
{
  boost::shared_ptr<TTexture> texture = TTexture::Create(4, 4, true);
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  ASSERT_TRUE(texture->Lock(&pixels, &pitch));
  EXPECT_EQ(pitch, 4u);
  pixels[0] = TColor32(0x80FF0000u);
  pixels[5] = TColor32(0x01020304u);
  texture->Unlock();
  EXPECT_EQ(PixelOf(texture, 0, 0).mValue, 0x80FF0000u);
  EXPECT_EQ(PixelOf(texture, 1, 1).mValue, 0x01020304u);
  EXPECT_FALSE(texture->Lock(nullptr, &pitch));
}

TEST_F(TextureDataTest, FillWritesColourAndAlphaUnblended)
{
  boost::shared_ptr<TTexture> texture = TTexture::Create(64, 64, true);
  mRenderer->FillRect(TURect(0, 0, 64, 64), TColor(0, 0, 1, 1), texture);
  mRenderer->FillRect(TURect(10, 20, 30, 40), TColor(1, 0, 0, 0), texture);
  EXPECT_TRUE(ColorNear(PixelOf(texture, 10, 20), 255, 0, 0, 0));
  EXPECT_TRUE(ColorNear(PixelOf(texture, 29, 39), 255, 0, 0, 0));
  EXPECT_TRUE(ColorNear(PixelOf(texture, 30, 39), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(PixelOf(texture, 29, 40), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(PixelOf(texture, 9, 19), 0, 0, 255, 255));
}

TEST_F(TextureDataTest, FillOfAnOpaqueTextureIsOpaque)
{
  boost::shared_ptr<TTexture> texture = TTexture::Create(8, 8, false);
  mRenderer->FillRect(TURect(0, 0, 8, 8), TColor(0, 1, 0, 0.25f), texture);
  EXPECT_TRUE(ColorNear(PixelOf(texture, 3, 3), 0, 255, 0, 255));
}

TEST_F(TextureDataTest, FillAndClearReachBeyondTheDisplay)
{
  boost::shared_ptr<TTexture> texture = TTexture::Create(1000, 1000, true);
  ASSERT_EQ(Data(texture)->mInternalWidth, 1024u);
  mRenderer->FillRect(TURect(0, 0, 1024, 1024), TColor(1, 1, 1, 1), texture);
  EXPECT_TRUE(ColorNear(PixelOf(texture, 1023, 1023), 255, 255, 255, 255));
  texture->Clear();
  EXPECT_EQ(PixelOf(texture, 1023, 1023).mValue, 0u);
  EXPECT_EQ(PixelOf(texture, 0, 0).mValue, 0u);
  EXPECT_EQ(PixelOf(texture, 900, 700).mValue, 0u);
}

TEST_F(TextureDataTest, TextRedrawnAfterAClearStartsFromZerosAndKeepsWhatItDrew)
{
  boost::shared_ptr<TTexture> texture = TTexture::Create(16, 16, true);
  for (int round = 0; round < 2; ++round) {
    texture->Clear();
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    ASSERT_TRUE(texture->Lock(&pixels, &pitch));
    EXPECT_EQ(pixels[5 * pitch + 5].mValue, 0u) << round;
    pixels[5 * pitch + 5] = TColor32(10, 20, 30, 40);
    texture->Unlock();
  }
  // Read back after GL has written another texture, the texture holds what the last unlock
  // uploaded; a clear after that write clears it.
  boost::shared_ptr<TTexture> other = TTexture::Create(4, 4, true);
  mRenderer->FillRect(TURect(0, 0, 4, 4), TColor(1, 1, 1, 1), other);
  EXPECT_TRUE(ColorNear(PixelOf(texture, 5, 5), 10, 20, 30, 40));
  texture->Unlock();
  mRenderer->FillRect(TURect(0, 0, 16, 16), TColor(1, 1, 1, 1), texture);
  texture->Clear();
  EXPECT_EQ(PixelOf(texture, 5, 5).mValue, 0u);
}

TEST_F(TextureDataTest, MemoryTextureFillIsClippedAndSkipsEmptyRectangles)
{
  boost::shared_ptr<TTexture> slow = TTexture::Get((Image("big1500x800.png") + "?slow").c_str());
  ASSERT_TRUE(slow);
  ASSERT_TRUE(Data(slow)->IsMemoryTexture());
  // Reaches past the image; only the part inside is filled.
  mRenderer->FillRect(TURect(1490, 790, 5000, 5000), TColor(1, 0, 0, 1), slow);
  EXPECT_TRUE(ColorNear(PixelOf(slow, 1499, 799), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(PixelOf(slow, 1489, 799), 10, 20, 30, 255));
  // Inverted and empty rectangles change nothing.
  mRenderer->FillRect(TURect(100, 0, 50, 10), TColor(1, 1, 1, 1), slow);
  mRenderer->FillRect(TURect(0, 10, 10, 10), TColor(1, 1, 1, 1), slow);
  EXPECT_TRUE(ColorNear(PixelOf(slow, 60, 5), 10, 20, 30, 255));
  EXPECT_TRUE(ColorNear(PixelOf(slow, 5, 10), 10, 20, 30, 255));
}

TEST_F(TextureDataTest, CopyBetweenGLTexturesIsExactAndClipped)
{
  boost::shared_ptr<TTexture> sprite = TTexture::Get(Image("sprite64.png").c_str());
  ASSERT_TRUE(sprite);
  boost::shared_ptr<TTexture> dest = TTexture::Create(64, 64, true);
  TRect topRight(32, 0, 64, 32);
  sprite->CopyPixels(8, 4, &topRight, dest);
  EXPECT_TRUE(ColorNear(PixelOf(dest, 8, 4), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(PixelOf(dest, 39, 35), 0, 255, 0, 255));
  EXPECT_EQ(PixelOf(dest, 40, 4).mValue, 0u);
  EXPECT_EQ(PixelOf(dest, 7, 4).mValue, 0u);
  // A source rectangle past the image is clamped; a destination past the edge is cut.
  TRect huge(-5, -5, 9999, 9999);
  sprite->CopyPixels(48, 48, &huge, dest);
  EXPECT_TRUE(ColorNear(PixelOf(dest, 63, 63), 255, 0, 0, 255));
}

TEST_F(TextureDataTest, CopyIntoAMemoryTextureChangesNothing)
{
  boost::shared_ptr<TTexture> slow = TTexture::Get((Image("big1500x800.png") + "?slow").c_str());
  boost::shared_ptr<TTexture> sprite = TTexture::Get(Image("sprite64.png").c_str());
  ASSERT_TRUE(slow && sprite);
  sprite->CopyPixels(0, 0, nullptr, slow);
  EXPECT_TRUE(ColorNear(PixelOf(slow, 0, 0), 10, 20, 30, 255));
}

TEST_F(TextureDataTest, MemoryTextureCopiesIntoGLTextureAndOntoTheScreen)
{
  boost::shared_ptr<TTexture> slow = TTexture::Get((Image("big1500x800.png") + "?slow").c_str());
  ASSERT_TRUE(slow);
  boost::shared_ptr<TTexture> dest = TTexture::Create(64, 64, true);
  TRect part(0, 0, 16, 16);
  slow->CopyPixels(60, 60, &part, dest);
  EXPECT_TRUE(ColorNear(PixelOf(dest, 63, 63), 10, 20, 30, 255));
  EXPECT_EQ(PixelOf(dest, 59, 59).mValue, 0u);

  ClearFrame(TColor(0, 0, 0, 1));
  TRect screenPart(0, 0, 10, 10);
  slow->CopyPixels(5, 5, &screenPart, boost::shared_ptr<TTexture>());
  EXPECT_TRUE(ColorNear(ReadFramePixel(5, 5), 10, 20, 30, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(14, 14), 10, 20, 30, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(15, 15), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(4, 5), 0, 0, 0, 255));
}

TEST_F(TextureDataTest, UnlockKeepsMipLevelsInStep)
{
  boost::shared_ptr<TTexture> mipmapped = TTexture::Get(Image("sprite64.png").c_str(), TTexture::kGetMipmap);
  ASSERT_TRUE(mipmapped);
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  ASSERT_TRUE(mipmapped->Lock(&pixels, &pitch));
  EXPECT_TRUE(ColorNear(pixels[0], 255, 0, 0, 255));
  for (unsigned i = 0; i < pitch * Data(mipmapped)->mInternalHeight; ++i) {
    pixels[i] = TColor32(0, 0, 255, 255);
  }
  mipmapped->Unlock();
  std::vector<TColor32> level1(32 * 32);
  glBindTexture(GL_TEXTURE_2D, Data(mipmapped)->GetGLName());
  glGetTexImage(GL_TEXTURE_2D, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, level1.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_TRUE(ColorNear(level1[0], 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(level1[31 * 32 + 31], 0, 0, 255, 255));
}

namespace {

class SixteenBitHost : public TDisplayHost
{
public:
  void MakeCurrent() override {}
  void SwapBuffers() override {}
  bool IsFullscreen() override { return false; }
  TPoint GetMouse() override { return TPoint(); }
  bool WantsSoftwareCursor() override { return false; }
  unsigned GetPixelSize() override { return 16; }
};

} // namespace

TEST_F(TextureDataTest, SixteenBitDisplayFillsByUpload)
{
  SixteenBitHost host;
  TDisplayHost::Set(&host);
  mRenderer->SetOption("avoid_fillrect_if_16bit", "true");
  boost::shared_ptr<TTexture> texture = TTexture::Create(32, 32, true);
  mRenderer->FillRect(TURect(4, 4, 8, 40), TColor(1, 0, 1, 0.5f), texture);
  TDisplayHost::Set(nullptr);
  EXPECT_TRUE(ColorNear(PixelOf(texture, 4, 31), 255, 0, 255, 127));
  EXPECT_EQ(PixelOf(texture, 8, 4).mValue, 0u);
  EXPECT_EQ(PixelOf(texture, 3, 4).mValue, 0u);
}

// image loading tests: surfaces and offsets, probing and options, masks, alpha detection,
// the three decoders on generated files, and broken or oversized input.
#include <gtest/gtest.h>

#include <string>

#include "core/graphics/texturedata.h"
#include "support/gfxfixture.h"

namespace {

class ImageLoadTest : public GfxTest
{
protected:
  boost::shared_ptr<TTexture> Load(const std::string& name, unsigned flags = 0)
  {
    return TTexture::Get(name.c_str(), flags);
  }

  std::string Captured(std::function<void()> action)
  {
    ::testing::internal::CaptureStderr();
    action();
    return ::testing::internal::GetCapturedStderr();
  }
};

struct TDecodedImage
{
  unsigned char* mPixels = nullptr;
  int mWidth = 0, mHeight = 0, mSide = 0, mHasAlpha = 0;
  ~TDecodedImage() { std::free(mPixels); }
  TColor32 At(int x, int y) const
  {
    const unsigned char* p = mPixels + (static_cast<size_t>(y) * mSide + x) * 4;
    return TColor32(p[2], p[1], p[0], p[3]);
  }
};

bool DecodePng(const std::string& name, TDecodedImage* out)
{
  unsigned long key = 0;
  return EzPngLoadImage(name.c_str(), &out->mPixels, &out->mWidth, &out->mHeight, &out->mSide, &key, &out->mHasAlpha,
                        TTextureData::kMaxSide);
}

} // namespace

TEST_F(ImageLoadTest, RectangleSurfaceOffsetsAndTransparentPadding)
{
  mRenderer->SetOption("texture_rectangle", "1");
  boost::shared_ptr<TTexture> texture = Load(Image("rgba300x200.png"));
  ASSERT_TRUE(texture);
  TTextureData* data = texture->GetTextureData();
  EXPECT_EQ(data->mWidth, 300u);
  EXPECT_EQ(data->mHeight, 200u);
  EXPECT_EQ(data->mInternalWidth, 512u);
  EXPECT_EQ(data->mInternalHeight, 256u);
  EXPECT_EQ(data->mOffsetX, 106u);
  EXPECT_EQ(data->mOffsetY, 28u);
  EXPECT_TRUE(texture->HasAlpha());
  // red = x, green = y, blue = x + y, alpha = 255 - x
  EXPECT_TRUE(ColorNear(PixelOf(texture, 0, 0), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(PixelOf(texture, 10, 20), 10, 20, 30, 245));
  EXPECT_TRUE(ColorNear(PixelOf(texture, 299, 199), 299 & 255, 199, (299 + 199) & 255, (255 - 299) & 255));
  EXPECT_EQ(PixelOf(texture, 300, 0).mValue, 0u);
  EXPECT_EQ(PixelOf(texture, 0, 200).mValue, 0u);
  EXPECT_EQ(PixelOf(texture, 511, 255).mValue, 0u);
}

TEST_F(ImageLoadTest, SquareSurfaceWhenTexturesMustBeSquare)
{
  boost::shared_ptr<TTexture> texture = Load(Image("rgb300x200.png"));
  ASSERT_TRUE(texture);
  TTextureData* data = texture->GetTextureData();
  EXPECT_EQ(data->mInternalWidth, 512u);
  EXPECT_EQ(data->mInternalHeight, 512u);
  EXPECT_EQ(data->mOffsetY, 156u);
  EXPECT_FALSE(texture->HasAlpha());
  EXPECT_EQ(texture->GetInternalSize(), std::make_pair(512, 512));
}

TEST_F(ImageLoadTest, OnePixelImage)
{
  TDecodedImage image;
  ASSERT_TRUE(DecodePng(Image("one.png"), &image));
  EXPECT_EQ(image.mSide, 1);
  boost::shared_ptr<TTexture> texture = Load(Image("one.png"));
  ASSERT_TRUE(texture);
  EXPECT_EQ(texture->GetTextureData()->mInternalWidth, 1u);
  EXPECT_EQ(texture->GetInternalSize(), std::make_pair(2, 2));
}

TEST_F(ImageLoadTest, ProbingPrefersPngThenJpegThenJp2AndKeepsOptions)
{
  boost::shared_ptr<TTexture> a = Load(Image("probe_a") + "?mipmap");
  ASSERT_TRUE(a);
  EXPECT_EQ(std::string(a->GetTextureData()->mName.c_str()), Image("probe_a.png") + "?mipmap");
  EXPECT_TRUE(a->GetTextureData()->HasFlag(TTextureData::kFlagMipmap));
  boost::shared_ptr<TTexture> b = Load(Image("probe_b"));
  ASSERT_TRUE(b);
  EXPECT_EQ(b->GetWidth(), 16u);
  boost::shared_ptr<TTexture> c = Load(Image("probe_c"));
  ASSERT_TRUE(c);
  EXPECT_EQ(c->GetWidth(), 2u);
  EXPECT_FALSE(Load(Image("probe_d")));
}

TEST_F(ImageLoadTest, MissingFileWithExtensionDoesNotProbe)
{
  EXPECT_FALSE(Load(Image("probe_c.png")));
}

TEST_F(ImageLoadTest, AutomaticMaskGivesJpegItsAlpha)
{
  TPlatform::SetConfig("automergemask", "1");
  boost::shared_ptr<TTexture> room = Load(Image("room.jpg"));
  ASSERT_TRUE(room);
  EXPECT_TRUE(room->HasAlpha());
  EXPECT_EQ(PixelOf(room, 0, 5).Alpha(), 0);
  EXPECT_EQ(PixelOf(room, 63, 5).Alpha(), 255);
  EXPECT_EQ(std::string(room->GetTextureData()->mMaskName.c_str()), Image("room.mask.png"));
  boost::shared_ptr<TTexture> plain = Load(Image("plain.jpg"));
  ASSERT_TRUE(plain);
  EXPECT_FALSE(plain->HasAlpha());
}

TEST_F(ImageLoadTest, AutomaticMaskOffLeavesJpegOpaque)
{
  boost::shared_ptr<TTexture> room = Load(Image("room.jpg"));
  ASSERT_TRUE(room);
  EXPECT_FALSE(room->HasAlpha());
  EXPECT_EQ(PixelOf(room, 0, 5).Alpha(), 255);
}

TEST_F(ImageLoadTest, MergedMaskOfTheSameSideSetsAlphaFromRed)
{
  boost::shared_ptr<TTexture> merged =
      TTexture::GetMerged(Image("square512.jpg").c_str(), Image("mask512.png").c_str());
  ASSERT_TRUE(merged);
  EXPECT_TRUE(merged->HasAlpha());
  EXPECT_EQ(PixelOf(merged, 0, 0).Alpha(), 0);
  EXPECT_EQ(PixelOf(merged, 511, 100).Alpha(), 255);
  EXPECT_NEAR(PixelOf(merged, 256, 100).Alpha(), 128, 1);
}

TEST_F(ImageLoadTest, MaskOfAnotherSideKeepsAlphaButFlagsIt)
{
  boost::shared_ptr<TTexture> merged =
      TTexture::GetMerged(Image("square512.jpg").c_str(), Image("mask256.png").c_str());
  ASSERT_TRUE(merged);
  EXPECT_TRUE(merged->HasAlpha());
  EXPECT_EQ(PixelOf(merged, 0, 0).Alpha(), 255);
}

TEST_F(ImageLoadTest, MaskWithoutExtensionIsProbedAndMissingMaskFails)
{
  std::string stem = Image("mask512");
  boost::shared_ptr<TTexture> merged = TTexture::GetMerged(Image("square512.jpg").c_str(), stem.c_str());
  ASSERT_TRUE(merged);
  EXPECT_EQ(std::string(merged->GetTextureData()->mMaskName.c_str()), stem + ".png");
  EXPECT_FALSE(TTexture::GetMerged(Image("square512.jpg").c_str(), Image("nomask.png").c_str()));
}

TEST_F(ImageLoadTest, LargeImageNeedsSlowAndBecomesAMemoryTexture)
{
  EXPECT_FALSE(Load(Image("big1500x800.png")));
  boost::shared_ptr<TTexture> slow = Load(Image("big1500x800.png") + "?slow");
  ASSERT_TRUE(slow);
  TTextureData* data = slow->GetTextureData();
  EXPECT_TRUE(data->HasFlag(TTextureData::kFlagMemory));
  EXPECT_TRUE(slow->IsSimple());
  EXPECT_EQ(data->mWidth, 1500u);
  EXPECT_EQ(data->mHeight, 800u);
  EXPECT_TRUE(ColorNear(PixelOf(slow, 1499, 799), 10, 20, 30, 255));
  boost::shared_ptr<TTexture> jpeg = Load(Image("big1500x800.jpg") + "?slow");
  ASSERT_TRUE(jpeg);
  EXPECT_TRUE(ColorNear(PixelOf(jpeg, 700, 400), 60, 60, 60, 255, 2));
}

TEST_F(ImageLoadTest, ThinImagesAreRefusedBeforeAllocating)
{
  std::string png = Captured([&] { EXPECT_FALSE(Load(Image("wide40000x1.png"))); });
  EXPECT_NE(png.find("ERROR: PNG"), std::string::npos) << png;
  EXPECT_NE(png.find("40000x1 exceeds 1024"), std::string::npos) << png;
  std::string jpeg = Captured([&] { EXPECT_FALSE(Load(Image("wide40000x1.jpg"))); });
  EXPECT_NE(jpeg.find("40000x1 exceeds 1024"), std::string::npos) << jpeg;
  // Even "slow" keeps a cap.
  EXPECT_FALSE(Load(Image("wide40000x1.png") + "?slow"));
}

TEST_F(ImageLoadTest, PaletteAndTransparencyAlpha)
{
  TDecodedImage palette;
  ASSERT_TRUE(DecodePng(Image("palette_trns.png"), &palette));
  EXPECT_EQ(palette.mHasAlpha, 1);
  EXPECT_TRUE(ColorNear(palette.At(0, 0), 255, 0, 0, 0));
  EXPECT_TRUE(ColorNear(palette.At(1, 0), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(palette.At(3, 1), 255, 0, 0, 0));

  TDecodedImage opaquePalette;
  ASSERT_TRUE(DecodePng(Image("palette.png"), &opaquePalette));
  EXPECT_EQ(opaquePalette.mHasAlpha, 0);
  EXPECT_TRUE(ColorNear(opaquePalette.At(2, 0), 0, 0, 255, 255));

  // A transparent colour in an RGB image: the pixel is transparent, the image is not
  // reported as having alpha.
  TDecodedImage keyed;
  ASSERT_TRUE(DecodePng(Image("rgb_trns.png"), &keyed));
  EXPECT_EQ(keyed.mHasAlpha, 0);
  EXPECT_EQ(keyed.At(0, 0).Alpha(), 0);
  EXPECT_TRUE(ColorNear(keyed.At(1, 0), 0, 255, 0, 255));

  boost::shared_ptr<TTexture> paletteTexture = Load(Image("palette_trns.png"));
  ASSERT_TRUE(paletteTexture);
  EXPECT_TRUE(paletteTexture->HasAlpha());
  // The handle does not include the no-alpha flag: drop the first texture so that the
  // second request loads afresh.
  paletteTexture.reset();
  boost::shared_ptr<TTexture> forcedOpaque = Load(Image("palette_trns.png"), TTexture::kGetNoAlpha);
  ASSERT_TRUE(forcedOpaque);
  EXPECT_FALSE(forcedOpaque->HasAlpha());
}

TEST_F(ImageLoadTest, GreySixteenBitAndGamma)
{
  TDecodedImage grey;
  ASSERT_TRUE(DecodePng(Image("grey.png"), &grey));
  EXPECT_EQ(grey.mHasAlpha, 0);
  EXPECT_TRUE(ColorNear(grey.At(2, 0), 128, 128, 128, 255));
  TDecodedImage greyAlpha;
  ASSERT_TRUE(DecodePng(Image("greyalpha.png"), &greyAlpha));
  EXPECT_EQ(greyAlpha.mHasAlpha, 1);
  EXPECT_TRUE(ColorNear(greyAlpha.At(1, 0), 30, 30, 30, 40));
  TDecodedImage grey4;
  ASSERT_TRUE(DecodePng(Image("grey4.png"), &grey4));
  EXPECT_TRUE(ColorNear(grey4.At(1, 0), 255, 255, 255, 255));
  EXPECT_TRUE(ColorNear(grey4.At(2, 0), 136, 136, 136, 255));
  TDecodedImage deep;
  ASSERT_TRUE(DecodePng(Image("rgb16.png"), &deep));
  EXPECT_TRUE(ColorNear(deep.At(0, 0), 0x12, 0x56, 0x9A, 255));
  TDecodedImage gamma;
  ASSERT_TRUE(DecodePng(Image("gamma.png"), &gamma));
  // A linear file shown at gamma 2.2 comes out lighter.
  EXPECT_NEAR(gamma.At(0, 0).Red(), 186, 2);
}

TEST_F(ImageLoadTest, BrokenPngsFailWithADebugLine)
{
  for (const char* name : {"truncated.png", "zero.png", "badsig.png"}) {
    TDecodedImage image;
    std::string log = Captured([&] { EXPECT_FALSE(DecodePng(Image(name), &image)) << name; });
    EXPECT_EQ(log.rfind("ERROR: PNG", 0), 0u) << name << ": " << log;
    EXPECT_EQ(image.mPixels, nullptr);
  }
  EXPECT_FALSE(Load(Image("truncated.png")));
}

TEST_F(ImageLoadTest, JpegErrorsFailTheLoadAndTruncationOnlyWarns)
{
  std::string empty = Captured([&] { EXPECT_FALSE(Load(Image("zero.jpg"))); });
  EXPECT_NE(empty.find("Empty input file"), std::string::npos) << empty;
  std::string cmyk = Captured([&] { EXPECT_FALSE(Load(Image("cmyk.jpg"))); });
  EXPECT_NE(cmyk.find("ERROR: JPEG"), std::string::npos) << cmyk;
  std::string cut = Captured([&] { EXPECT_FALSE(Load(Image("header_only.jpg"))); });
  EXPECT_NE(cut.find("ERROR: JPEG"), std::string::npos) << cut;
  boost::shared_ptr<TTexture> truncated;
  std::string warned = Captured([&] { truncated = Load(Image("truncated.jpg")); });
  EXPECT_TRUE(truncated);
  EXPECT_NE(warned.find("Premature end of JPEG file"), std::string::npos) << warned;
}

TEST_F(ImageLoadTest, JpegColourAndGrey)
{
  boost::shared_ptr<TTexture> colour = Load(Image("rgb.jpg"));
  ASSERT_TRUE(colour);
  EXPECT_EQ(colour->GetWidth(), 64u);
  EXPECT_TRUE(ColorNear(PixelOf(colour, 30, 10), 200, 40, 90, 255, 3));
  boost::shared_ptr<TTexture> grey = Load(Image("grey.jpg"));
  ASSERT_TRUE(grey);
  EXPECT_TRUE(ColorNear(PixelOf(grey, 5, 5), 77, 77, 77, 255, 2));
}

TEST_F(ImageLoadTest, Jp2ComponentsAlphaAndEdgeRepetition)
{
  unsigned char* pixels = nullptr;
  int width = 0, height = 0, side = 0, hasAlpha = -1;
  ASSERT_TRUE(
      EzJp2LoadImage(Image("rgb.jp2").c_str(), &pixels, &width, &height, &side, &hasAlpha, TTextureData::kMaxSide));
  EXPECT_EQ(width, 20);
  EXPECT_EQ(height, 10);
  EXPECT_EQ(side, 32);
  EXPECT_EQ(hasAlpha, 0);
  auto at = [&](int x, int y) {
    const unsigned char* p = pixels + (static_cast<size_t>(y) * side + x) * 4;
    return TColor32(p[2], p[1], p[0], p[3]);
  };
  EXPECT_TRUE(ColorNear(at(0, 0), 200, 100, 50, 255));
  EXPECT_TRUE(ColorNear(at(1, 0), 55, 155, 205, 255));
  EXPECT_EQ(at(25, 0).mValue, at(19, 0).mValue);
  EXPECT_EQ(at(3, 20).mValue, at(3, 9).mValue);
  EzJp2FreeImage(pixels);

  struct Case
  {
    const char* name;
    int alpha;
  } cases[] = {{"rgba.jp2", 1}, {"grey.jp2", 0}, {"greyalpha.jp2", 1}, {"codestream.jp2", 0}};
  for (const Case& c : cases) {
    pixels = nullptr;
    ASSERT_TRUE(
        EzJp2LoadImage(Image(c.name).c_str(), &pixels, &width, &height, &side, &hasAlpha, TTextureData::kMaxSide))
        << c.name;
    EXPECT_EQ(hasAlpha, c.alpha) << c.name;
    if (std::string(c.name) == "rgba.jp2") {
      EXPECT_TRUE(ColorNear(at(0, 0), 200, 100, 50, 128)) << c.name;
    }
    if (std::string(c.name) == "grey.jp2") {
      EXPECT_TRUE(ColorNear(at(0, 0), 200, 200, 200, 255)) << c.name;
    }
    EzJp2FreeImage(pixels);
  }
}

TEST_F(ImageLoadTest, Jp2TwelveBitSamplesAreScaledDown)
{
  boost::shared_ptr<TTexture> texture = Load(Image("grey12.jp2"));
  ASSERT_TRUE(texture);
  EXPECT_FALSE(texture->HasAlpha());
  EXPECT_TRUE(ColorNear(PixelOf(texture, 0, 0), 255, 255, 255, 255));
  EXPECT_TRUE(ColorNear(PixelOf(texture, 5, 2), 250, 250, 250, 255));
}

TEST_F(ImageLoadTest, BrokenJp2FailsWithADebugLine)
{
  std::string log = Captured([&] { EXPECT_FALSE(Load(Image("truncated.jp2"))); });
  EXPECT_NE(log.find("ERROR: JPEG 2000"), std::string::npos) << log;
  std::string wrong = Captured([&] { EXPECT_FALSE(Load(Image("badsig.png") + "?x.jp2")); });
  (void)wrong;
}

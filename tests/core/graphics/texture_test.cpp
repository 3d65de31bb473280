// texture tests: handle naming, one cached object per handle, alpha flags, the registry
// key of created textures, and sprite drawing checked by reading the frame back.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "core/foundation/file.h"
#include "core/graphics/texturedata.h"
#include "support/gfxfixture.h"

namespace {

class TextureTest : public GfxTest
{
protected:
  void SetUp() override
  {
    GfxTest::SetUp();
    if (IsSkipped()) {
      return;
    }
    // "fx/star.png" as a memory file: the four-quadrant sprite.
    std::string path = Image("sprite64.png").substr(2);
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    int c;
    while ((c = std::fgetc(file)) != EOF) {
      mStar.push_back(static_cast<unsigned char>(c));
    }
    std::fclose(file);
    TFile::AddMemoryFile("fx/star.png", mStar.data(), static_cast<unsigned>(mStar.size()));
  }
  void TearDown() override
  {
    TFile::AddMemoryFile("fx/star.png", nullptr, 0);
    GfxTest::TearDown();
  }

  std::vector<unsigned char> mStar;
};

} // namespace

TEST_F(TextureTest, HandlesFollowNameAndOptions)
{
  EXPECT_STREQ(TTextureData::TextureHandle(str("fx\\star.png"), true, true, false).c_str(), "fx/star.png:a:m:tex");
  EXPECT_STREQ(TTextureData::TextureHandle(str("fx/star.png"), false, false, true).c_str(), "fx/star.png:s:tex");
  EXPECT_STREQ(TTextureData::TextureHandle(str("a.jpg"), str("a_mask.png"), false, false).c_str(),
               "a.jpg:a_mask.png:tex");
}

TEST_F(TextureTest, OneObjectPerHandle)
{
  boost::shared_ptr<TTexture> first = TTexture::Get("fx/star.png", 3);
  ASSERT_TRUE(first);
  EXPECT_TRUE(mRegistry->HasEntry("fx/star.png:a:m:tex"));
  boost::shared_ptr<TTexture> backslash = TTexture::Get("fx\\star.png", 3);
  EXPECT_EQ(first, backslash);
  boost::shared_ptr<TTexture> plain = TTexture::Get("fx/star.png", 0);
  ASSERT_TRUE(plain);
  EXPECT_NE(first, plain);
  EXPECT_EQ(plain, TTexture::Get("fx/star.png", 0));
  EXPECT_STREQ(plain->GetName().c_str(), "fx/star.png.");
}

TEST_F(TextureTest, ACachedTextureIsNotLoadedAgain)
{
  boost::shared_ptr<TTexture> first = TTexture::Get("fx/star.png", 0);
  ASSERT_TRUE(first);
  TFile::AddMemoryFile("fx/star.png", nullptr, 0);
  EXPECT_EQ(TTexture::Get("fx/star.png", 0), first);
  // Once dropped, the expired entry makes the next request load again (and fail here).
  first.reset();
  EXPECT_FALSE(TTexture::Get("fx/star.png", 0));
}

TEST_F(TextureTest, AlphaComesFromTheFileUnlessForced)
{
  EXPECT_TRUE(TTexture::Get(Image("rgba300x200.png").c_str(), 0)->HasAlpha());
  EXPECT_FALSE(TTexture::Get(Image("rgb300x200.png").c_str(), 0)->HasAlpha());
  EXPECT_FALSE(TTexture::Get(Image("rgba300x200.png").c_str(), TTexture::kGetNoAlpha)->HasAlpha());
  EXPECT_TRUE(TTexture::Get(Image("rgb300x200.png").c_str(), TTexture::kGetAlpha)->HasAlpha());
  EXPECT_TRUE(TTexture::GetSimple(Image("rgba300x200.png").c_str())->IsSimple());
}

TEST_F(TextureTest, MergedTexturesAlwaysHaveAlpha)
{
  boost::shared_ptr<TTexture> merged =
      TTexture::GetMerged(Image("square512.jpg").c_str(), Image("mask256.png").c_str());
  ASSERT_TRUE(merged);
  EXPECT_TRUE(merged->HasAlpha());
  str handle =
      TTextureData::TextureHandle(str(Image("square512.jpg").c_str()), str(Image("mask256.png").c_str()), false, false);
  EXPECT_TRUE(mRegistry->HasEntry(handle));
}

TEST_F(TextureTest, AnImageThatCannotBeFoundIsLoggedOnceByName)
{
  testing::internal::CaptureStderr();
  EXPECT_FALSE(TTexture::Get("images/nowhere.png", 0));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Image images/nowhere.png cannot be loaded\n");
  // Probing the extensions of a bare name is one lookup, one line.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(TTexture::GetSimple("images/nowhere"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Image images/nowhere cannot be loaded\n");
}

TEST_F(TextureTest, CreatedTextureKeyIsRemovedWithIt)
{
  boost::shared_ptr<TTexture> texture = TTexture::Create(64, 64, true);
  ASSERT_TRUE(texture);
  str key = str::getFormatted("%lx:tex:r", reinterpret_cast<unsigned long>(texture.get()));
  EXPECT_TRUE(mRegistry->HasEntry(key));
  EXPECT_EQ(TTexture::InternalGet(key), texture);
  texture.reset();
  EXPECT_FALSE(mRegistry->HasEntry(key));
}

TEST_F(TextureTest, SpriteIsCentredByDefaultAndPlacedByItsCentreWithFlag8)
{
  boost::shared_ptr<TTexture> star = TTexture::Get("fx/star.png", 0);
  ASSERT_TRUE(star);
  BeginFrame();
  star->DrawSprite(At(100, 100));
  TDrawSpec topLeft = At(200, 100, TDrawSpec::kCenterGiven);
  star->DrawSprite(topLeft);
  EndFrame();
  EXPECT_TRUE(ColorNear(ReadFramePixel(68, 68), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(131, 68), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(68, 131), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(131, 131), 255, 255, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(67, 100), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(132, 100), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(200, 100), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(199, 100), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(263, 163), 255, 255, 255, 255));
}

TEST_F(TextureTest, MirrorsAndSourceRectangle)
{
  boost::shared_ptr<TTexture> star = TTexture::Get("fx/star.png", 0);
  ASSERT_TRUE(star);
  BeginFrame();
  star->DrawSprite(At(0, 0, TDrawSpec::kCenterGiven | TDrawSpec::kMirrorLeftRight));
  star->DrawSprite(At(100, 0, TDrawSpec::kCenterGiven | TDrawSpec::kMirrorTopBottom));
  TDrawSpec part = At(200, 0, TDrawSpec::kCenterGiven | TDrawSpec::kSourceRect);
  part.mSrcRect = TRect(32, 32, 64, 64);
  star->DrawSprite(part);
  EndFrame();
  EXPECT_TRUE(ColorNear(ReadFramePixel(5, 5), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(60, 5), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(105, 5), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(105, 60), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(200, 0), 255, 255, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(231, 31), 255, 255, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(232, 10), 0, 0, 0, 255));
}

TEST_F(TextureTest, ScaledSpriteAndAlpha)
{
  boost::shared_ptr<TTexture> star = TTexture::Get("fx/star.png", 0);
  ASSERT_TRUE(star);
  BeginFrame();
  star->DrawSprite(500, 300, 1.0f, 2.0f, 0.0f, 0);
  star->DrawSprite(100, 400, 0.5f, 1.0f, 0.0f, 0);
  EndFrame();
  EXPECT_TRUE(ColorNear(ReadFramePixel(440, 240), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(560, 360), 255, 255, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(435, 300), 0, 0, 0, 255));
  // Half alpha over opaque black.
  EXPECT_TRUE(ColorNear(ReadFramePixel(120, 420), 127, 127, 127, 191, 2));
}

TEST_F(TextureTest, SimpleTexturesAndDrawsOutside2dDrawNothing)
{
  boost::shared_ptr<TTexture> simple = TTexture::GetSimple("fx/star.png");
  boost::shared_ptr<TTexture> star = TTexture::Get("fx/star.png", 0);
  ASSERT_TRUE(simple && star);
  BeginFrame();
  simple->DrawSprite(At(100, 100));
  mRenderer->End2d();
  star->DrawSprite(At(300, 100));
  mRenderer->EndDraw(false);
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 100), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(300, 100), 0, 0, 0, 255));
}

TEST_F(TextureTest, BlendModeMinusOneKeepsTheCurrentMode)
{
  boost::shared_ptr<TTexture> star = TTexture::Get("fx/star.png", 0);
  BeginFrame();
  mRenderer->SetBlendMode(TRenderer::kBlendMultiplicative);
  star->DrawSprite(At(100, 100));
  EXPECT_EQ(mHandler->GetBlendMode(), TRenderer::kBlendMultiplicative);
  TDrawSpec additive = At(100, 100);
  additive.mBlendMode = TRenderer::kBlendAdditiveAlpha;
  star->DrawSprite(additive);
  EXPECT_EQ(mHandler->GetBlendMode(), TRenderer::kBlendAdditiveAlpha);
  EndFrame();
}

TEST_F(TextureTest, SoftwareCullingDrawsWhatTouchesTheClip)
{
  TPlatform::SetConfig("softwaretextureculling", "1");
  boost::shared_ptr<TTexture> star = TTexture::Get("fx/star.png", 0);
  BeginFrame();
  mRenderer->PushClippingRectangle(TURect(100, 100, 200, 200));
  // The blend mode is set only when the sprite is not culled.
  TDrawSpec touching = At(36, 120, TDrawSpec::kCenterGiven);
  touching.mBlendMode = TRenderer::kBlendAdditiveAlpha;
  star->DrawSprite(touching);
  EXPECT_EQ(mHandler->GetBlendMode(), TRenderer::kBlendAdditiveAlpha);
  mRenderer->SetBlendMode(TRenderer::kBlendNormal);
  TDrawSpec outside = At(35, 120, TDrawSpec::kCenterGiven);
  outside.mBlendMode = TRenderer::kBlendAdditiveAlpha;
  star->DrawSprite(outside);
  EXPECT_EQ(mHandler->GetBlendMode(), TRenderer::kBlendNormal);
  TDrawSpec below = At(120, 201, TDrawSpec::kCenterGiven);
  below.mBlendMode = TRenderer::kBlendAdditiveAlpha;
  star->DrawSprite(below);
  EXPECT_EQ(mHandler->GetBlendMode(), TRenderer::kBlendNormal);
  mRenderer->PopClippingRectangle();
  EndFrame();
}

TEST_F(TextureTest, CopyPixelsIsANoOpInsideAFrame)
{
  boost::shared_ptr<TTexture> star = TTexture::Get("fx/star.png", 0);
  boost::shared_ptr<TTexture> dest = TTexture::Create(64, 64, true);
  mRenderer->BeginDraw(false);
  star->CopyPixels(0, 0, nullptr, dest);
  mRenderer->EndDraw(false);
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  ASSERT_TRUE(dest->Lock(&pixels, &pitch));
  EXPECT_EQ(pixels[0].mValue, 0u);
  dest->Unlock();
  star->CopyPixels(0, 0, nullptr, dest);
  ASSERT_TRUE(dest->Lock(&pixels, &pitch));
  EXPECT_TRUE(ColorNear(pixels[0], 255, 0, 0, 255));
}

TEST(TFont, Defaults)
{
  TFont font;
  EXPECT_STREQ(font.mFace.c_str(), "fonts/arial.mvec");
  EXPECT_EQ(font.mSize, 10);
  EXPECT_EQ(font.mColor.a, 1.0f);
  EXPECT_EQ(font.mColor.r, 0.0f);
}

// render target tests: refusals, placement, the keep-alpha, opaque, over-existing and
// alpha-mask modes, cull sense inside a target, and the one-shot frame capture.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "core/graphics/vertexset.h"
#include "support/gfxfixture.h"

namespace {

class RenderTargetTest : public GfxTest
{
protected:
  void Fill(unsigned l, unsigned t, unsigned r, unsigned b, const TColor& color)
  {
    mRenderer->FillRect(TURect(l, t, r, b), color, boost::shared_ptr<TTexture>());
  }

  static void DrawWhiteQuad(float left, float top, float right, float bottom)
  {
    TLitVert verts[4];
    const float xs[4] = {left, right, right, left};
    const float ys[4] = {top, top, bottom, bottom};
    for (int i = 0; i < 4; ++i) {
      verts[i].mPos = TVec3(xs[i], ys[i], 0.1f);
      verts[i].mColor = TColor32(255, 255, 255, 255);
      verts[i].mSecondColor = TColor32();
    }
    TRenderer::GetInstance()->SetTexture(boost::shared_ptr<TTexture>());
    TRenderer::GetInstance()->DrawVertices(TRenderer::kDrawTriangleFan, TVertexSet(verts, 4));
  }
};

} // namespace

TEST_F(RenderTargetTest, RefusedForSimpleTexturesInsideAFrameAndWhenTooLarge)
{
  boost::shared_ptr<TTexture> simple = TTexture::GetSimple(Image("sprite64.png").c_str());
  ASSERT_TRUE(simple);
  EXPECT_FALSE(mRenderer->BeginRenderTarget(simple, TRenderer::kTargetOpaque));
  EXPECT_FALSE(mRenderer->InDraw());

  boost::shared_ptr<TTexture> texture = TTexture::Create(64, 64, true);
  ASSERT_TRUE(mRenderer->BeginDraw(false));
  EXPECT_FALSE(mRenderer->BeginRenderTarget(texture, TRenderer::kTargetOpaque));
  EXPECT_TRUE(mRenderer->InDraw());
  mRenderer->EndDraw(false);

  boost::shared_ptr<TTexture> large = TTexture::Create(1000, 1000, true);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(mRenderer->BeginRenderTarget(large, TRenderer::kTargetOpaque));
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(log.rfind("ERROR: BeginRenderTarget", 0), 0u) << log;
  EXPECT_FALSE(mRenderer->InDraw());
}

TEST_F(RenderTargetTest, DrawingAtTheOriginLandsInTheTexturesFirstPixel)
{
  boost::shared_ptr<TTexture> target = TTexture::Create(64, 64, true);
  boost::shared_ptr<TTexture> sprite = TTexture::Get(Image("sprite64.png").c_str());
  ASSERT_TRUE(mRenderer->BeginRenderTarget(target, TRenderer::kTargetKeepAlpha));
  EXPECT_TRUE(mRenderer->InDraw());
  ASSERT_TRUE(mRenderer->Begin2d());
  sprite->DrawSprite(TDrawSpec(TVec2(0, 0), 1.0f, 1.0f, TDrawSpec::kCenterGiven));
  Fill(0, 0, 1, 1, TColor(1, 1, 0, 1));
  mRenderer->End2d();
  mRenderer->EndRenderTarget();
  EXPECT_FALSE(mRenderer->InDraw());
  EXPECT_TRUE(ColorNear(PixelOf(target, 0, 0), 255, 255, 0, 255));
  EXPECT_TRUE(ColorNear(PixelOf(target, 1, 1), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(PixelOf(target, 40, 1), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(PixelOf(target, 1, 40), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(PixelOf(target, 63, 63), 255, 255, 255, 255));
}

TEST_F(RenderTargetTest, OpaqueModeForcesAlphaAndKeepAlphaKeepsTheFramesAlpha)
{
  boost::shared_ptr<TTexture> opaque = TTexture::Create(32, 32, true);
  ASSERT_TRUE(mRenderer->BeginRenderTarget(opaque, TRenderer::kTargetOpaque));
  ASSERT_TRUE(mRenderer->Begin2d());
  Fill(0, 0, 32, 32, TColor(0, 0.5f, 1, 0.5f));
  mRenderer->End2d();
  mRenderer->EndRenderTarget();
  EXPECT_TRUE(ColorNear(PixelOf(opaque, 5, 5), 0, 127, 255, 255, 1));

  boost::shared_ptr<TTexture> keep = TTexture::Create(32, 32, true);
  ASSERT_TRUE(mRenderer->BeginRenderTarget(keep, TRenderer::kTargetKeepAlpha));
  ASSERT_TRUE(mRenderer->Begin2d());
  Fill(0, 0, 32, 32, TColor(0, 0.5f, 1, 0.5f));
  mRenderer->End2d();
  mRenderer->EndRenderTarget();
  EXPECT_TRUE(ColorNear(PixelOf(keep, 5, 5), 0, 127, 255, 127, 1));
}

TEST_F(RenderTargetTest, OverExistingKeepsTheOldContent)
{
  boost::shared_ptr<TTexture> target = TTexture::Create(32, 32, true);
  mRenderer->FillRect(TURect(0, 0, 32, 32), TColor(0, 1, 0, 1), target);
  mRenderer->FillRect(TURect(0, 31, 32, 32), TColor(0, 0, 1, 1), target);
  ASSERT_TRUE(mRenderer->BeginRenderTarget(target, TRenderer::kTargetOpaqueOverExisting));
  ASSERT_TRUE(mRenderer->Begin2d());
  Fill(0, 0, 10, 10, TColor(1, 0, 0, 1));
  mRenderer->End2d();
  mRenderer->EndRenderTarget();
  EXPECT_TRUE(ColorNear(PixelOf(target, 5, 5), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(PixelOf(target, 20, 20), 0, 255, 0, 255));
  // Still the right way up.
  EXPECT_TRUE(ColorNear(PixelOf(target, 20, 31), 0, 0, 255, 255));
}

TEST_F(RenderTargetTest, AlphaMaskWritesCoverageAndKeepsTheColours)
{
  boost::shared_ptr<TTexture> target = TTexture::Create(64, 32, true);
  mRenderer->FillRect(TURect(0, 0, 64, 32), TColor(0, 0, 1, 1), target);
  ASSERT_TRUE(mRenderer->BeginRenderTarget(target, TRenderer::kTargetAlphaMask));
  ASSERT_TRUE(mRenderer->Begin2d());
  DrawWhiteQuad(0, 0, 32, 32);
  mRenderer->End2d();
  mRenderer->EndRenderTarget();
  EXPECT_TRUE(ColorNear(PixelOf(target, 10, 10), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(PixelOf(target, 40, 10), 0, 0, 255, 0));
  GLint mode = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
  EXPECT_EQ(mode, GL_MODULATE);
}

TEST_F(RenderTargetTest, CullSenseFlipsInsideATarget)
{
  boost::shared_ptr<TTexture> target = TTexture::Create(16, 16, true);
  mRenderer->SetCullMode(TRenderer::kCullCW);
  GLint front = 0;
  glGetIntegerv(GL_FRONT_FACE, &front);
  EXPECT_EQ(front, GL_CCW);
  ASSERT_TRUE(mRenderer->BeginRenderTarget(target, TRenderer::kTargetOpaque));
  mRenderer->SetCullMode(TRenderer::kCullCW);
  glGetIntegerv(GL_FRONT_FACE, &front);
  EXPECT_EQ(front, GL_CW);
  mRenderer->EndRenderTarget();
  glGetIntegerv(GL_FRONT_FACE, &front);
  EXPECT_EQ(front, GL_CCW);
  mRenderer->SetCullMode(TRenderer::kCullNone);
}

TEST_F(RenderTargetTest, CaptureCopiesOneFrameUprightAndLeavesTheFrameStateAlone)
{
  mRenderer->SetCaptureSize(800, 600);
  boost::shared_ptr<TTexture> wrongSize = TTexture::Create(10, 10, false);
  mRenderer->SetCaptureTexture(wrongSize);
  EXPECT_FALSE(mRenderer->GetCaptureTexture());

  boost::shared_ptr<TTexture> capture = TTexture::Create(800, 600, false);
  ASSERT_TRUE(capture);
  mRenderer->SetCaptureTexture(capture);
  EXPECT_EQ(mRenderer->GetCaptureTexture(), capture);
  mRenderer->ToggleHUD();
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(mRenderer->BeginDraw(false));
  ASSERT_TRUE(mRenderer->Begin2d());
  Fill(0, 0, 800, 600, TColor(0, 0, 0, 1));
  Fill(0, 100, 10, 110, TColor(1, 0, 0, 1));
  Fill(790, 590, 800, 600, TColor(0, 1, 0, 1));
  mRenderer->End2d();
  mRenderer->EndDraw(false);
  std::string log = ::testing::internal::GetCapturedStderr();
  // The HUD's 2D block after the capture still opened: nothing was logged.
  EXPECT_EQ(log, "");
  EXPECT_FALSE(mRenderer->GetCaptureTexture());
  EXPECT_FALSE(mRenderer->InDraw());
  EXPECT_TRUE(ColorNear(PixelOf(capture, 5, 105), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(PixelOf(capture, 5, 95), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(PixelOf(capture, 799, 599), 0, 255, 0, 255));
  // The frame itself is untouched by the capture passes.
  EXPECT_TRUE(ColorNear(ReadFramePixel(5, 105), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(799, 599), 0, 255, 0, 255));
}

TEST_F(RenderTargetTest, CaptureOfASmallerTextureTakesTheTopLeftCorner)
{
  boost::shared_ptr<TTexture> capture = TTexture::Create(100, 50, true);
  mRenderer->SetCaptureTexture(capture);
  ASSERT_TRUE(mRenderer->BeginDraw(false));
  ASSERT_TRUE(mRenderer->Begin2d());
  Fill(0, 0, 800, 600, TColor(0, 0, 0, 0));
  Fill(99, 49, 100, 50, TColor(1, 1, 1, 0));
  mRenderer->End2d();
  mRenderer->EndDraw(false);
  EXPECT_TRUE(ColorNear(PixelOf(capture, 99, 49), 255, 255, 255, 255));
  EXPECT_TRUE(ColorNear(PixelOf(capture, 98, 49), 0, 0, 0, 255));
}

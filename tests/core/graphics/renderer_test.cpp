// renderer tests: call-order checks with their exact log lines, the clipping stack, the
// viewport-relative fill, frame timing and the HUD text, against a real GL context.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "core/graphics/renderer.h"
#include "core/graphics/vertexset.h"
#include "gl/gldisplayhandler.h"
#include "support/gfxfixture.h"

namespace {

class FakeClock : public TTimeSource
{
public:
  uint32_t Now() override { return mNow; }
  uint32_t mNow = 1000;
};

std::string Captured(std::function<void()> action)
{
  ::testing::internal::CaptureStderr();
  action();
  return ::testing::internal::GetCapturedStderr();
}

class RendererTest : public GfxTest
{};

} // namespace

TEST_F(RendererTest, Begin2dOutsideAFrameIsRefusedWithError)
{
  std::string log = Captured([&] { EXPECT_FALSE(mRenderer->Begin2d()); });
  EXPECT_EQ(log, "ERROR: Calling Begin2d outside of a BeginDraw or BeginRenderTarget block!\n");
  EXPECT_FALSE(mRenderer->In2d());
}

TEST_F(RendererTest, Begin2dTwiceKeepsTheBlockOpen)
{
  ASSERT_TRUE(mRenderer->BeginDraw(false));
  ASSERT_TRUE(mRenderer->Begin2d());
  std::string log = Captured([&] { EXPECT_FALSE(mRenderer->Begin2d()); });
  EXPECT_EQ(log, "Begin2d called when already in Begin2d state\n");
  EXPECT_TRUE(mRenderer->In2d());
  mRenderer->End2d();
  mRenderer->EndDraw(false);
}

TEST_F(RendererTest, End2dMisuseIsLoggedAndAfterEndDrawStillCloses)
{
  std::string notIn = Captured([&] { mRenderer->End2d(); });
  EXPECT_EQ(notIn, "End2d called when not in Begin2d state\n");

  ASSERT_TRUE(mRenderer->BeginDraw(false));
  ASSERT_TRUE(mRenderer->Begin2d());
  mRenderer->EndDraw(false);
  EXPECT_FALSE(mRenderer->InDraw());
  std::string after = Captured([&] { mRenderer->End2d(); });
  EXPECT_EQ(after, "ERROR: Calling End2d after EndDraw or EndRenderTarget!\n");
  EXPECT_FALSE(mRenderer->In2d());
}

TEST_F(RendererTest, DrawingOutside2dIsLoggedAndSkipped)
{
  TLitVert verts[3];
  std::string log = Captured([&] {
    mRenderer->DrawVertices(TRenderer::kDrawTriangles, TVertexSet(verts, 3));
    unsigned short indices[3] = {0, 1, 2};
    mRenderer->DrawIndexedVertices(TRenderer::kDrawTriangles, TVertexSet(verts, 3), indices, 3);
  });
  EXPECT_EQ(log, "DrawVertices called when not in Begin2d or Begin3d state\n"
                 "DrawIndexedVertices called when not in Begin2d or Begin3d state\n");
}

TEST_F(RendererTest, ClippingStackKeepsItsLastEntry)
{
  mRenderer->PushClippingRectangle(TURect(1, 2, 3, 4));
  mRenderer->PopClippingRectangle();
  mRenderer->PopClippingRectangle();
  TURect clip = mRenderer->GetClippingRectangle();
  EXPECT_EQ(clip.right, 800u);
  EXPECT_EQ(clip.bottom, 600u);
  mRenderer->SetClippingRectangle(TURect(5, 6, 7, 8));
  EXPECT_EQ(mRenderer->GetClippingRectangle().left, 5u);
}

TEST_F(RendererTest, EmptyClippingStackReadsZero)
{
  TRenderer::ShutDown();
  mRenderer = TRenderer::GetInstance();
  TURect clip = mRenderer->GetClippingRectangle();
  EXPECT_EQ(clip.left + clip.top + clip.right + clip.bottom, 0u);
}

TEST_F(RendererTest, FillRectIsRelativeToTheViewportAndClippedToIt)
{
  ASSERT_TRUE(mRenderer->BeginDraw(false));
  ASSERT_TRUE(mRenderer->Begin2d());
  ClearFrame(TColor(0, 0, 0, 1));
  mRenderer->PushViewport(TRect(100, 50, 300, 150));
  mRenderer->FillRect(TURect(150, 0, 400, 20), TColor(1, 0, 0, 1), boost::shared_ptr<TTexture>());
  mRenderer->PopViewport();
  mRenderer->End2d();
  mRenderer->EndDraw(false);
  EXPECT_TRUE(ColorNear(ReadFramePixel(250, 50), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(299, 69), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(300, 60), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(249, 60), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(260, 70), 0, 0, 0, 255));
}

TEST_F(RendererTest, FillRectOutsideTheViewportDrawsNothing)
{
  ASSERT_TRUE(mRenderer->BeginDraw(false));
  ASSERT_TRUE(mRenderer->Begin2d());
  ClearFrame(TColor(0, 0, 0, 1));
  mRenderer->PushViewport(TRect(100, 100, 200, 200));
  // Past the right edge: the intersection comes out inverted.
  mRenderer->FillRect(TURect(300, 10, 400, 20), TColor(1, 1, 1, 1), boost::shared_ptr<TTexture>());
  mRenderer->PopViewport();
  mRenderer->End2d();
  mRenderer->EndDraw(false);
  for (int x = 150; x < 400; x += 10) {
    EXPECT_TRUE(ColorNear(ReadFramePixel(x, 115), 0, 0, 0, 255)) << x;
  }
}

TEST_F(RendererTest, FrameRateComesOnTheFifteenthFrame)
{
  FakeClock clock;
  TTimeSource* old = TPlatform::SetTimeSource(&clock);
  for (int frame = 1; frame <= 15; ++frame) {
    mRenderer->BeginDraw(false);
    mRenderer->EndDraw(false);
    if (frame < 15) {
      EXPECT_EQ(mRenderer->GetFrameRate(), 0.0f) << frame;
    }
    clock.mNow += 10;
  }
  // Fourteen intervals of 10 ms measured against 15 frames.
  EXPECT_NEAR(mRenderer->GetFrameRate(), 15000.0f / 140.0f, 0.01f);
  TPlatform::SetTimeSource(old);
}

TEST_F(RendererTest, HudTextNamesVersionAndStatistics)
{
  TPlatform::SetConfig("current_sprite_count", "12");
  TPlatform::SetConfig("texture_ram_allocated", "4096");
  mRenderer->ToggleHUD();
  str drawn;
  TRenderer::SetHUDTextDrawer([&](const str& text) { drawn = text; });
  mRenderer->BeginDraw(false);
  mRenderer->EndDraw(false);
  TRenderer::SetHUDTextDrawer(nullptr);
  std::string text = mRenderer->GetHUDText().c_str();
  EXPECT_EQ(text.rfind("Vellumkit Version 4.0.22.1<br>", 0), 0u) << text;
  EXPECT_NE(text.find("<tab pos='150'>Sprites: 12<br>"), std::string::npos) << text;
  EXPECT_NE(text.find("TexMem: 4kB"), std::string::npos) << text;
  EXPECT_EQ(std::string(drawn.c_str()), text);
  // The HUD box is an opaque black fill.
  EXPECT_TRUE(ColorNear(ReadFramePixel(10, 10), 0, 0, 0, 0));
  TPlatform::SetConfig("current_sprite_count", "");
  TPlatform::SetConfig("texture_ram_allocated", "");
}

TEST_F(RendererTest, OptionFpsIsPassedOnAndOthersReachTheBackEnd)
{
  mRenderer->SetOption("texture_rectangle", "1");
  EXPECT_FALSE(mRenderer->GetTextureSquareFlag());
  mRenderer->SetOption("new_subtractive", "1");
  mRenderer->SetOption("fps", "0");
  EXPECT_FALSE(mRenderer->GetTextureSquareFlag());
}

TEST_F(RendererTest, PostDrawHookRunsFirstAtEndOfFrame)
{
  static int calls = 0;
  calls = 0;
  gPostDrawFunc = [] { ++calls; };
  mRenderer->BeginDraw(false);
  mRenderer->EndDraw(false);
  gPostDrawFunc = nullptr;
  EXPECT_EQ(calls, 1);
}

TEST_F(RendererTest, ScopeGuardEndsTheBlock)
{
  mRenderer->BeginDraw(false);
  {
    TBegin2d block;
    EXPECT_TRUE(block.Began());
    EXPECT_TRUE(mRenderer->In2d());
  }
  EXPECT_FALSE(mRenderer->In2d());
  mRenderer->EndDraw(false);
}

TEST_F(RendererTest, HudDrawsItsTextInRedOnTheBlackBox)
{
  mRenderer->ToggleHUD();
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(mRenderer->BeginDraw(false));
  ASSERT_TRUE(mRenderer->Begin2d());
  ClearFrame(TColor(0, 0, 1, 1));
  mRenderer->End2d();
  mRenderer->EndDraw(false);
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(log, "");
  std::vector<TColor32> box = ReadFrameBlock(0, 0, 300, 64);
  int red = 0;
  int blue = 0;
  for (TColor32 pixel : box) {
    red += pixel.Red() > 128 && pixel.Blue() < 64;
    blue += pixel.Blue() > 128;
  }
  EXPECT_GT(red, 50);
  EXPECT_EQ(blue, 0);
  EXPECT_TRUE(ColorNear(ReadFramePixel(400, 300), 0, 0, 255, 255));
}

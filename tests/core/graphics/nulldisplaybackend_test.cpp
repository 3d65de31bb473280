// nulldisplaybackend tests: the renderer's back end comes from the registered factory, else
// the null one, with which frames, viewports and textures work without a GL context.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/foundation/asset.h"
#include "core/graphics/displaybackend.h"
#include "core/graphics/nulldisplaybackend.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "support/pngwrite.h"

namespace {

// Gives the renderer the back end the test names, and the registered one back after.
class NullBackendTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TRenderer::ShutDown();
    mPrevious = TDisplayBackend::GetFactory();
    TDisplayBackend::SetFactory(nullptr);
    mRegistry.reset(new TAssetManager());
  }
  void TearDown() override
  {
    TRenderer::ShutDown();
    mRegistry.reset();
    TDisplayBackend::SetFactory(mPrevious);
  }

  TDisplayBackend::TFactory mPrevious = nullptr;
  std::unique_ptr<TAssetManager> mRegistry;
};

TDisplayBackend* NoBackend()
{
  return nullptr;
}

int gMade = 0;
TDisplayBackend* CountedBackend()
{
  ++gMade;
  return new TNullDisplayBackend();
}

} // namespace

TEST_F(NullBackendTest, TheRendererMakesItsBackEndWithTheRegisteredFactory)
{
  gMade = 0;
  TDisplayBackend::SetFactory(&CountedBackend);
  TRenderer* renderer = TRenderer::GetInstance();
  EXPECT_EQ(gMade, 1);
  EXPECT_NE(renderer->GetDisplayHandler(), nullptr);
  TRenderer::GetInstance();
  EXPECT_EQ(gMade, 1);

  // A factory that fails still leaves the renderer a back end.
  TRenderer::ShutDown();
  TDisplayBackend::SetFactory(&NoBackend);
  EXPECT_NE(dynamic_cast<TNullDisplayBackend*>(TRenderer::GetInstance()->GetDisplayHandler()), nullptr);
}

TEST_F(NullBackendTest, AFrameRunsWithoutOpenGL)
{
  TRenderer* renderer = TRenderer::GetInstance();
  ASSERT_NE(dynamic_cast<TNullDisplayBackend*>(renderer->GetDisplayHandler()), nullptr);
  renderer->GetDisplayHandler()->SetDisplay(640, 480, false);
  renderer->SetClippingRectangle(TURect(0, 0, 640, 480));

  ASSERT_TRUE(renderer->BeginDraw(false));
  ASSERT_TRUE(renderer->Begin2d());
  renderer->PushViewport(TRect(10, 20, 110, 220));
  TRect viewport;
  renderer->GetViewport(&viewport);
  EXPECT_EQ(viewport.left, 10);
  EXPECT_EQ(viewport.bottom, 220);
  renderer->FillRect(TURect(0, 0, 50, 50), TColor(1, 0, 0, 1), boost::shared_ptr<TTexture>());
  renderer->PopViewport();
  renderer->GetViewport(&viewport);
  EXPECT_EQ(viewport.right, 640);
  renderer->End2d();
  renderer->EndDraw(false);
  EXPECT_FALSE(renderer->InDraw());

  unsigned width = 0, height = 0;
  renderer->GetDisplayHandler()->GetDisplay(&width, &height, nullptr);
  EXPECT_EQ(width, 640u);
  EXPECT_EQ(height, 480u);
}

TEST_F(NullBackendTest, TexturesKeepTheirDecodedPixelsInMemory)
{
  const std::string path = ::testing::TempDir() + "nullbackend-green.png";
  ASSERT_TRUE(WriteTestPng(path, 30, 20, [](unsigned x, unsigned y) { return x < 15 ? 0xFF00FF00u : 0x800000FFu; }));
  boost::shared_ptr<TTexture> texture = TTexture::Get(("::" + path).c_str(), 0);
  ASSERT_TRUE(texture);
  EXPECT_EQ(texture->GetWidth(), 30u);
  EXPECT_EQ(texture->GetHeight(), 20u);
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  ASSERT_TRUE(texture->Lock(&pixels, &pitch));
  EXPECT_EQ(pixels[3 * pitch + 2].Green(), 255);
  EXPECT_EQ(pixels[3 * pitch + 20].Blue(), 255);
  EXPECT_EQ(pixels[3 * pitch + 20].Alpha(), 0x80);
  texture->Unlock();

  // A render target opens and closes; nothing is drawn into it.
  boost::shared_ptr<TTexture> target = TTexture::Create(64, 64, true);
  ASSERT_TRUE(target);
  TRenderer* renderer = TRenderer::GetInstance();
  ASSERT_TRUE(renderer->BeginRenderTarget(target, TRenderer::kTargetKeepAlpha));
  EXPECT_FALSE(renderer->GetDisplayHandler()->RenderTargetIsScreen());
  renderer->EndRenderTarget();
  EXPECT_TRUE(renderer->GetDisplayHandler()->RenderTargetIsScreen());
}

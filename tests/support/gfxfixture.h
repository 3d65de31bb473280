// gfxfixture: a test fixture with a GL context, a fresh renderer on an 800 x 600 display,
// an asset registry and helpers for the generated test images and frame read-back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "buildpaths.h"
#include "platform/platform.h"
#include "core/foundation/asset.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "gl/gldisplayhandler.h"
#include "support/glcontext.h"
#include "support/requirement.h"

class GfxTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mContext = TTestGLContext::Get();
    if (!mContext) {
      QV_SKIP_UNLESS_REQUIRED("no OpenGL context available");
    }
    mRegistry.reset(new TAssetManager());
    mRenderer = TRenderer::GetInstance();
    mHandler = TGLDisplayHandler::GetInstance();
    mHandler->SetDisplay(800, 600, false);
    mRenderer->SetClippingRectangle(TURect(0, 0, 800, 600));
  }

  void TearDown() override
  {
    TPlatform::SetConfig("softwaretextureculling", "");
    TPlatform::SetConfig("automergemask", "");
    TRenderer::ShutDown();
    mRegistry.reset();
  }

  // Virtual name of a generated image.
  static std::string Image(const char* name) { return std::string("::") + QV_TEST_BUILD_DIR + "/gfx-images/" + name; }

  // Clears the frame to a colour with an opaque fill.
  void ClearFrame(const TColor& color)
  {
    mRenderer->FillRect(TURect(0, 0, 800, 600), color, boost::shared_ptr<TTexture>());
  }

  // A 2D frame cleared to opaque black; read it back with ReadFramePixel after EndFrame.
  void BeginFrame()
  {
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    ASSERT_TRUE(mRenderer->Begin2d());
    ClearFrame(TColor(0, 0, 0, 1));
  }
  void EndFrame()
  {
    mRenderer->End2d();
    mRenderer->EndDraw(false);
  }

  // An unscaled, opaque sprite at (x, y).
  static TDrawSpec At(float x, float y, unsigned flags = 0) { return TDrawSpec(TVec2(x, y), 1.0f, 1.0f, flags); }

  // Pixel (x, y) of a texture, read back through Lock; 0xDEADBEEF when it cannot be locked.
  static TColor32 PixelOf(const boost::shared_ptr<TTexture>& texture, unsigned x, unsigned y)
  {
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    if (!texture->Lock(&pixels, &pitch)) {
      return TColor32(0xDEADBEEFu);
    }
    return pixels[y * pitch + x];
  }

  TTestGLContext* mContext = nullptr;
  std::unique_ptr<TAssetManager> mRegistry;
  TRenderer* mRenderer = nullptr;
  TGLDisplayHandler* mHandler = nullptr;
};

// Channel comparison within a tolerance, for blended or filtered values.
inline ::testing::AssertionResult ColorNear(TColor32 actual, unsigned char r, unsigned char g, unsigned char b,
                                            unsigned char a, int tolerance = 0)
{
  auto near = [tolerance](int x, int y) { return x - y <= tolerance && y - x <= tolerance; };
  if (near(actual.Red(), r) && near(actual.Green(), g) && near(actual.Blue(), b) && near(actual.Alpha(), a)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "got (" << int(actual.Red()) << "," << int(actual.Green()) << ","
                                       << int(actual.Blue()) << "," << int(actual.Alpha()) << ") expected (" << int(r)
                                       << "," << int(g) << "," << int(b) << "," << int(a) << ") +-" << tolerance;
}

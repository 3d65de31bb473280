// glwidgetfixture: the widget fixture with an OpenGL context, a fresh renderer on an 800 x 600
// display, an asset registry and generated images (state graphics, masks, rails, thumbs).
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/foundation/asset.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "gl/gldisplayhandler.h"
#include "support/glcontext.h"
#include "support/pngwrite.h"
#include "support/widgetfixture.h"
#include "support/requirement.h"

class GLWidgetTest : public WidgetTest
{
protected:
  void SetUp() override
  {
    WidgetTest::SetUp();
    mContext = TTestGLContext::Get();
    if (!mContext) {
      QV_SKIP_UNLESS_REQUIRED("no OpenGL context available");
    }
    mRegistry.reset(new TAssetManager());
    mRenderer = TRenderer::GetInstance();
    mRenderer->GetDisplayHandler()->SetDisplay(800, 600, false);
    mRenderer->SetClippingRectangle(TURect(0, 0, 800, 600));
    WriteImages();
  }

  void TearDown() override
  {
    // Windows let go of their textures while the registry and the renderer still exist.
    if (screen) {
      screen->DestroyAllChildren();
      manager.ClearDestroyedWindows();
    }
    WidgetTest::TearDown();
    TRenderer::ShutDown();
    mRegistry.reset();
  }

  // Draws the window stack into the frame and leaves it there for reading back.
  void DrawFrame()
  {
    manager.SetRenderer(nullptr);
    manager.InvalidateScreen();
    timer.Advance(1000);
    manager.DrawStack();
  }

  static void TearDownTestSuite() { std::filesystem::remove_all(Dir()); }

  static std::string Dir()
  {
    // Inside the program's own temporary folder, which goes when the program ends.
    char const* home = std::getenv("QV_HOME");
    static const std::string dir =
        std::string(home && home[0] ? home : "/tmp") + "/widget-images-" + std::to_string(long(getpid()));
    return dir;
  }
  static std::string Image(const char* name) { return "::" + Dir() + "/" + name; }

  static void WriteImages()
  {
    if (std::filesystem::exists(Dir()))
      return;
    mkdir(Dir().c_str(), 0700);
    const unsigned states[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u};
    for (int i = 0; i < 4; ++i) {
      WriteSolidPng(Dir() + "/state" + std::to_string(i) + ".png", 40, 20, states[i]);
    }
    // Left half dark (19 at most in every channel), right half light.
    WriteTestPng(Dir() + "/mask.png", 20, 10, [](unsigned x, unsigned) { return x < 10 ? 0xFF131313u : 0xFFFFFFFFu; });
    WriteSolidPng(Dir() + "/railcap.png", 20, 10, 0xFF808080u);
    WriteSolidPng(Dir() + "/railmid.png", 20, 30, 0xFF404040u);
    WriteSolidPng(Dir() + "/thumb.png", 30, 30, 0xFFC00000u);
    WriteSolidPng(Dir() + "/thumbroll.png", 30, 30, 0xFF00C000u);
    WriteSolidPng(Dir() + "/photo.png", 100, 50, 0xFF2040A0u);
    WriteTestPng(Dir() + "/split.png", 100, 50,
                 [](unsigned x, unsigned y) { return x < 50 ? (y < 25 ? 0xFFFF0000u : 0xFF00FF00u) : 0xFF0000FFu; });
    WriteSolidPng(Dir() + "/half.png", 200, 150, 0xFF000000u);
    WriteSolidPng(Dir() + "/wide.png", 800, 150, 0xFF000000u);
    WriteSolidPng(Dir() + "/tall.png", 400, 600, 0xFF000000u);
    WriteSolidPng(Dir() + "/translucent.png", 16, 16, 0x80FFFFFFu);
  }

  TTestGLContext* mContext = nullptr;
  std::unique_ptr<TAssetManager> mRegistry;
  TRenderer* mRenderer = nullptr;
};

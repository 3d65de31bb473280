// The demo scene drawn through the real renderer in a headless GL context: the pixels of the
// room, the key, the key's contour glow, the counter's digits and the faded-out room.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "scene/loader.h"
#include "support/demoscene.h"
#include "support/gfxfixture.h"
#include "support/scenetestutil.h"
#include "support/vfssandbox.h"

namespace {

const TPoint kKey(220, 430);
const TPoint kButton(120, 554);
// Two pixels above the key's shaft, inside the glow's second ring.
const TPoint kGlow(228, 424);

bool Near(TColor32 pixel, int r, int g, int b, int tolerance)
{
  return std::abs(pixel.Red() - r) <= tolerance && std::abs(pixel.Green() - g) <= tolerance &&
         std::abs(pixel.Blue() - b) <= tolerance;
}

std::string Rgb(TColor32 pixel)
{
  return std::to_string(pixel.Red()) + "," + std::to_string(pixel.Green()) + "," + std::to_string(pixel.Blue());
}

class DemoSceneDrawTest : public GfxTest
{
protected:
  void SetUp() override
  {
    GfxTest::SetUp();
    if (IsSkipped())
      return;
    mSandbox.reset(new TVfsSandbox);
    mFiles.reset(new TDemoSceneFiles);
    TTextureManager::Create();
    mScene.reset(TLoader::SceneLoad(TDemoSceneFiles::kScene));
    ASSERT_NE(nullptr, mScene);
    Run(500);
  }
  void TearDown() override
  {
    mScene.reset();
    TTextureManager::Destroy();
    mFiles.reset();
    mSandbox.reset();
    GfxTest::TearDown();
  }
  void Run(unsigned ms)
  {
    for (unsigned done = 0; done < ms; done += 20)
      mScene->OnTick(20);
  }
  void Frame()
  {
    BeginFrame();
    mScene->Draw();
    EndFrame();
  }
  // Pixels of the block that are nearly white.
  int WhitePixels(int x, int y, int width, int height)
  {
    int count = 0;
    for (TColor32 pixel : ReadFrameBlock(x, y, width, height))
      if (pixel.Red() > 200 && pixel.Green() > 200 && pixel.Blue() > 200)
        ++count;
    return count;
  }

  std::unique_ptr<TVfsSandbox> mSandbox;
  std::unique_ptr<TDemoSceneFiles> mFiles;
  std::unique_ptr<TScene> mScene;
};

} // namespace

TEST_F(DemoSceneDrawTest, RoomAndKeyShowTheirPictures)
{
  Frame();
  TColor32 wall = ReadFramePixel(400, 300);
  EXPECT_TRUE(Near(wall, 120, 90, 60, 12)) << Rgb(wall);
  TColor32 window = ReadFramePixel(170, 150);
  EXPECT_TRUE(Near(window, 150, 190, 230, 12)) << Rgb(window);
  TColor32 key = ReadFramePixel(kKey.x, kKey.y);
  EXPECT_TRUE(Near(key, 230, 190, 40, 8)) << Rgb(key);
  TColor32 hole = ReadFramePixel(206, 430);
  EXPECT_TRUE(Near(hole, 120, 90, 60, 12)) << "the ring's hole shows the wall: " << Rgb(hole);
  TColor32 lamp = ReadFramePixel(532, 150);
  EXPECT_TRUE(Near(lamp, 80, 80, 90, 8)) << Rgb(lamp);
}

TEST_F(DemoSceneDrawTest, HoveredKeyGlowsAroundItsEdge)
{
  Frame();
  TColor32 before = ReadFramePixel(kGlow.x, kGlow.y);
  EXPECT_TRUE(Near(before, 120, 90, 60, 12)) << Rgb(before);
  mScene->OnMouseMove(kKey);
  Frame();
  // The second ring (alpha 100 of 255) of the default yellow over the wall.
  TColor32 glow = ReadFramePixel(kGlow.x, kGlow.y);
  EXPECT_TRUE(Near(glow, 173, 151, 70, 16)) << Rgb(glow);
  TColor32 key = ReadFramePixel(kKey.x, kKey.y);
  EXPECT_TRUE(Near(key, 230, 190, 40, 8)) << "the glow is behind the key: " << Rgb(key);
  TColor32 far = ReadFramePixel(kGlow.x, kGlow.y - 6);
  EXPECT_TRUE(Near(far, 120, 90, 60, 12)) << "the glow ends within the margin: " << Rgb(far);
}

TEST_F(DemoSceneDrawTest, CounterShowsItsNumberInWhiteDigits)
{
  Frame();
  const int zero = WhitePixels(620, 20, 160, 40);
  EXPECT_GT(zero, 20) << "\"0 \" is drawn";
  mScene->OnMouseDown(kKey);
  Run(400);
  Frame();
  const int hundred = WhitePixels(620, 20, 160, 40);
  EXPECT_GT(hundred, zero * 2) << "\"100 \" has three digits";
  EXPECT_EQ(0, WhitePixels(0, 0, 600, 20)) << "nothing white outside the counter's row";
  TColor32 gone = ReadFramePixel(kKey.x, kKey.y);
  EXPECT_TRUE(Near(gone, 120, 90, 60, 12)) << "the key has gone: " << Rgb(gone);
}

TEST_F(DemoSceneDrawTest, FadedOutRoomDrawsNothing)
{
  Frame();
  mScene->OnMouseDown(kButton);
  mScene->OnMouseUp(kButton);
  Run(260);
  Frame();
  TColor32 half = ReadFramePixel(400, 300);
  EXPECT_TRUE(Near(half, 58, 43, 29, 10)) << "half faded over black: " << Rgb(half);
  Run(240);
  Frame();
  EXPECT_TRUE(Near(ReadFramePixel(400, 300), 0, 0, 0, 0));
}

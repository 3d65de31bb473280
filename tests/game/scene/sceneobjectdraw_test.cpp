// Tests of scene objects drawn through the real renderer: pixel hit tests agree with the
// pixels drawn for plain, mirrored, scaled and rotated objects; text objects render text.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "buildpaths.h"
#include "scene/textobject.h"
#include "support/gfxfixture.h"
#include "support/pngwrite.h"
#include "support/scenetestutil.h"

namespace {

class SceneObjectDrawTest : public GfxTest
{
protected:
  void SetUp() override
  {
    GfxTest::SetUp();
    if (IsSkipped())
      return;
    std::string file = std::string(QV_TEST_BUILD_DIR) + "/scene-half16.png";
    // Left half opaque red, right half transparent.
    ASSERT_TRUE(WriteTestPng(file, 16, 16, [](unsigned x, unsigned) { return x < 8 ? 0xFFFF0000u : 0x000000FFu; }));
    TTextureManager::Create();
    mScene.reset(new TScene);
    std::string resources = "<resources><textures><texture id='t' file='::" + file +
                            "'/></textures><images><image id='half' texture='t' w='16' h='16' "
                            "px='8' py='8'/></images><empties><image id='box' w='64' h='32'/>"
                            "</empties></resources>";
    auto document = ParseElement(resources.c_str());
    mScene->GetImageResource().LoadFromXML(FirstChild(document.get()));
    auto objects = ParseElement("<objects><object id='a' f='half' p='60,60'/></objects>");
    mScene->GetObjects().LoadFromXML(FirstChild(objects.get()), mScene.get(), nullptr);
    mObject = mScene->FindObject("a");
  }
  void TearDown() override
  {
    mScene.reset();
    TTextureManager::Destroy();
    GfxTest::TearDown();
  }

  // Draws the object alone and compares, pixel by pixel around it, whether red was drawn
  // with whether the object is hit there; pixels next to an edge of the drawing (where
  // filtering blends) are left out. Returns the number of disagreements.
  int Mismatches(int* compared)
  {
    BeginFrame();
    mObject->Draw();
    EndFrame();
    const int size = 120;
    std::vector<TColor32> block = ReadFrameBlock(0, 0, size, size);
    auto drawn = [&](int x, int y) { return block[size_t(y) * size + x].Red() > 128; };
    int mismatches = 0;
    *compared = 0;
    for (int y = 1; y < size - 1; ++y) {
      for (int x = 1; x < size - 1; ++x) {
        bool here = drawn(x, y);
        bool edge = false;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            edge = edge || drawn(x + dx, y + dy) != here;
        if (edge)
          continue;
        ++*compared;
        bool hit = mObject->HitTest(TPoint(x, y), true) != nullptr;
        if (hit != here)
          ++mismatches;
      }
    }
    return mismatches;
  }

  std::unique_ptr<TScene> mScene;
  TSceneObject* mObject = nullptr;
};

} // namespace

TEST_F(SceneObjectDrawTest, HitTestsAgreeWithTheDrawnPixels)
{
  int compared = 0;
  EXPECT_EQ(0, Mismatches(&compared));
  EXPECT_EQ(TColor32(0xFFFF0000u).Red(), ReadFramePixel(55, 60).Red());
  EXPECT_EQ(0, ReadFramePixel(64, 60).Red());

  mObject->setWMirror(true);
  EXPECT_EQ(0, Mismatches(&compared));
  EXPECT_EQ(0, ReadFramePixel(55, 60).Red());
  EXPECT_EQ(255, ReadFramePixel(64, 60).Red());

  mObject->setHMirror(true);
  mObject->setScale(TVec2(3, 2));
  EXPECT_EQ(0, Mismatches(&compared));
  EXPECT_GT(compared, 1000);

  mObject->setWMirror(false);
  mObject->setHMirror(false);
  mObject->setRotate(0.6f);
  EXPECT_EQ(0, Mismatches(&compared));
  mObject->setScale(TVec2(-2, 1.5f));
  mObject->setRotate(2.2f);
  EXPECT_EQ(0, Mismatches(&compared));
}

TEST_F(SceneObjectDrawTest, TextObjectsRenderTheirTextIntoTheirTexture)
{
  auto objects = ParseElement("<objects><object type='TTextObject' id='t' f='box' txt='WWW' "
                              "fs='24' fc='1,1,1,1'/></objects>");
  mScene->GetObjects().LoadFromXML(FirstChild(objects.get()), mScene.get(), nullptr);
  TTextObject* text = static_cast<TTextObject*>(mScene->FindObject("t"));
  ASSERT_TRUE(text->GetTexture());
  boost::shared_ptr<TTexture> texture = text->GetTexture()->GetTexture();
  ASSERT_TRUE(texture);
  EXPECT_EQ(64u, texture->GetWidth());
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  ASSERT_TRUE(texture->Lock(&pixels, &pitch));
  int lit = 0;
  for (unsigned y = 0; y < 32; ++y)
    for (unsigned x = 0; x < 64; ++x)
      lit += pixels[y * pitch + x].Alpha() > 0;
  texture->Unlock();
  EXPECT_GT(lit, 20);
  EXPECT_GT(text->GetTextBounds().right, text->GetTextBounds().left);
}

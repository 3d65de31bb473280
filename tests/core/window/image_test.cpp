// Tests of the image window: sizes from texture and scale or from the style, quarter turns,
// auto-scaling to the display, opacity, masks and drawing read back from the frame.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/glwidgetfixture.h"

namespace {

using ImageTest = GLWidgetTest;

std::string Style(const char* name, const std::string& image, const char* extra = "")
{
  return std::string("MakeDialog{ Bitmap{ name = '") + name + "', image = '" + image + "'" + extra + " } }";
}

std::vector<int> Edges(TWindow* window)
{
  if (!window)
    return {};
  const TRect& r = window->GetRect();
  return {r.left, r.top, r.right, r.bottom};
}

} // namespace

TEST_F(ImageTest, SizeFollowsTextureScaleAndRotation)
{
  Run(Style("plain", Image("photo.png")).c_str());
  Run(Style("turned", Image("photo.png"), ", scale = 2, rotate = true").c_str());
  TImage* plain = Find<TImage>("plain");
  ASSERT_NE(plain, nullptr);
  ASSERT_TRUE(plain->GetTexture());
  EXPECT_EQ(plain->GetWindowWidth(), 100);
  EXPECT_EQ(plain->GetWindowHeight(), 50);
  TImage* turned = Find<TImage>("turned");
  EXPECT_EQ(turned->GetWindowWidth(), 100);
  EXPECT_EQ(turned->GetWindowHeight(), 200);
  turned->SetRotate(false);
  EXPECT_EQ(turned->GetWindowWidth(), 200);
  EXPECT_EQ(turned->GetWindowHeight(), 100);
}

TEST_F(ImageTest, AnExplicitWidthOrHeightOverridesTheTexture)
{
  // photo.png is 100 x 50; the box is 400 x 300.
  auto in = [](const char* bitmaps) {
    return std::string("MakeDialog{ Window{ name = 'box', w = 400, h = 300, ") + bitmaps + " } }";
  };
  const std::string photo = Image("photo.png");
  Run(in(("Bitmap{ name = 'both', w = 30, h = 20, image = '" + photo +
          "' }, "
          "Bitmap{ name = 'wide', w = 30, image = '" +
          photo +
          "' }, "
          "Bitmap{ name = 'high', h = 20, image = '" +
          photo +
          "' }, "
          "Bitmap{ name = 'full', x = 10, w = 160000, image = '" +
          photo + "' }")
             .c_str())
          .c_str());
  auto size = [this](const char* name) {
    TImage* image = Find<TImage>(name);
    return image ? std::make_pair(image->GetWindowWidth(), image->GetWindowHeight()) : std::make_pair(-1, -1);
  };
  EXPECT_EQ(size("both"), std::make_pair(30, 20));
  EXPECT_EQ(size("wide"), std::make_pair(30, 50));
  EXPECT_EQ(size("high"), std::make_pair(100, 20));
  // A size relative to the parent runs from the position to the parent's far edge.
  EXPECT_EQ(size("full"), std::make_pair(390, 50));
  EXPECT_EQ(Find<TImage>("full")->GetRect().left, 10);
  // The texture and its scale stay as they were: only the window's extent changes.
  EXPECT_FLOAT_EQ(Find<TImage>("both")->GetScale(), 1.0f);
  EXPECT_TRUE(Find<TImage>("both")->HasImage());
}

TEST_F(ImageTest, CentringUsesTheTextureSizeUnlessOneIsGiven)
{
  const std::string photo = Image("photo.png");
  Run(("MakeDialog{ Window{ name = 'box', w = 400, h = 300, "
       "Bitmap{ name = 'own', x = 80000, y = 80000, image = '" +
       photo +
       "' }, "
       "Bitmap{ name = 'given', x = 80000, y = 159990, w = 200, h = 10, image = '" +
       photo +
       "' }, "
       "Bitmap{ name = 'right', x = 390, y = 5, align = 2, image = '" +
       photo + "' } } }")
          .c_str());
  EXPECT_EQ(Edges(Find<TImage>("own")), (std::vector<int>{150, 125, 250, 175}));
  EXPECT_EQ(Edges(Find<TImage>("given")), (std::vector<int>{100, 290, 300, 300}));
  // Aligned by its right edge, with the texture's width.
  EXPECT_EQ(Edges(Find<TImage>("right")), (std::vector<int>{290, 5, 390, 55}));
}

TEST_F(ImageTest, AnExplicitExtentOverridesScaledTurnedAndAutoscaledSizes)
{
  mRenderer->GetDisplayHandler()->SetDisplay(400, 300, false);
  const std::string photo = Image("photo.png");
  Run(Style("scaled", photo, ", scale = 2, h = 30").c_str());
  Run(Style("turned", photo, ", scale = 2, rotate = true, w = 70").c_str());
  Run(Style("auto", Image("half.png"), ", autoscale = true, h = 100").c_str());
  TImage* scaled = Find<TImage>("scaled");
  ASSERT_NE(scaled, nullptr);
  EXPECT_EQ(scaled->GetWindowWidth(), 200);
  EXPECT_EQ(scaled->GetWindowHeight(), 30);
  TImage* turned = Find<TImage>("turned");
  EXPECT_EQ(turned->GetWindowWidth(), 70);
  EXPECT_EQ(turned->GetWindowHeight(), 200);
  TImage* automatic = Find<TImage>("auto");
  EXPECT_FLOAT_EQ(automatic->GetScale(), 2.0f);
  EXPECT_EQ(automatic->GetWindowWidth(), 400);
  EXPECT_EQ(automatic->GetWindowHeight(), 100);
  // A texture set later sizes the window afresh.
  scaled->SetTexture(scaled->GetTexture(), 1.0f);
  EXPECT_EQ(scaled->GetWindowHeight(), 50);
}

TEST_F(ImageTest, AutoscaleFitsTheDisplay)
{
  mRenderer->GetDisplayHandler()->SetDisplay(400, 300, false);
  Run(Style("half", Image("half.png"), ", autoscale = true").c_str());
  Run(Style("wide", Image("wide.png"), ", autoscale = true").c_str());
  Run(Style("tall", Image("tall.png"), ", autoscale = true").c_str());
  Run(Style("given", Image("half.png"), ", autoscale = true, scale = 1.5").c_str());
  EXPECT_FLOAT_EQ(Find<TImage>("half")->GetScale(), 2.0f);
  EXPECT_FLOAT_EQ(Find<TImage>("wide")->GetScale(), 2.0f);
  EXPECT_FLOAT_EQ(Find<TImage>("tall")->GetScale(), 1.0f);
  EXPECT_FLOAT_EQ(Find<TImage>("given")->GetScale(), 1.5f);
  EXPECT_EQ(Find<TImage>("half")->GetWindowWidth(), 400);
}

TEST_F(ImageTest, OpacityFollowsAlphaAndTheTexture)
{
  Run(Style("opaque", Image("photo.png")).c_str());
  Run(Style("see", Image("translucent.png"), ", alpha = true").c_str());
  TImage* opaque = Find<TImage>("opaque");
  EXPECT_TRUE(opaque->GetFlags() & TWindow::kOpaque);
  opaque->SetAlpha(0.5f);
  EXPECT_FALSE(opaque->GetFlags() & TWindow::kOpaque);
  opaque->SetAlpha(1.0f);
  EXPECT_TRUE(opaque->GetFlags() & TWindow::kOpaque);
  TImage* see = Find<TImage>("see");
  EXPECT_FALSE(see->GetFlags() & TWindow::kOpaque);
  see->SetAlpha(1.0f);
  EXPECT_FALSE(see->GetFlags() & TWindow::kOpaque);
}

TEST_F(ImageTest, AMaskWithoutAnImageShowsNothing)
{
  Run(("MakeDialog{ Bitmap{ name = 'm', w = 20, h = 20, mask = '" + Image("mask.png") + "' } }").c_str());
  TImage* image = Find<TImage>("m");
  EXPECT_FALSE(image->HasImage());
  EXPECT_EQ(image->GetWindowWidth(), 20);
  Run(("MakeDialog{ Bitmap{ name = 'missing', w = 20, h = 10, image = '" + Image("nothing.png") + "' } }").c_str());
  EXPECT_FALSE(Find<TImage>("missing")->HasImage());
  EXPECT_EQ(Find<TImage>("missing")->GetWindowHeight(), 10);
}

TEST_F(ImageTest, DrawsMirroredAndTurnedInsideTheWindow)
{
  Run(("MakeDialog{ Bitmap{ name = 'a', x = 10, y = 20, image = '" + Image("split.png") +
       "' }, "
       "Bitmap{ name = 'b', x = 200, y = 20, hflip = true, image = '" +
       Image("split.png") +
       "' }, "
       "Bitmap{ name = 'c', x = 400, y = 20, rotate = true, image = '" +
       Image("split.png") + "' } }")
          .c_str());
  DrawFrame();
  // Plain: red top-left, green bottom-left, blue right half.
  EXPECT_EQ(ReadFramePixel(15, 25).mValue, 0xFFFF0000u);
  EXPECT_EQ(ReadFramePixel(15, 65).mValue, 0xFF00FF00u);
  EXPECT_EQ(ReadFramePixel(100, 25).mValue, 0xFF0000FFu);
  // Mirrored left to right.
  EXPECT_EQ(ReadFramePixel(205, 25).mValue, 0xFF0000FFu);
  EXPECT_EQ(ReadFramePixel(295, 25).mValue, 0xFFFF0000u);
  // A quarter turn: 50 wide and 100 tall, all of it inside the window.
  TImage* turned = Find<TImage>("c");
  EXPECT_EQ(turned->GetWindowWidth(), 50);
  EXPECT_EQ(turned->GetWindowHeight(), 100);
  int inside = 0;
  for (int y = 20; y < 120; y += 10)
    for (int x = 400; x < 450; x += 10)
      inside += ReadFramePixel(x + 2, y + 2).Alpha() == 255 && ReadFramePixel(x + 2, y + 2).mValue != 0xFF000000u;
  EXPECT_EQ(inside, 50);
  EXPECT_EQ(ReadFramePixel(455, 25).mValue & 0x00FFFFFFu, 0u);
}

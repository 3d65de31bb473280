// Tests of the image window: sizes from texture and scale, quarter turns, auto-scaling to the
// display, opacity, masks and drawing read back from the frame.
#include <gtest/gtest.h>

#include "support/glwidgetfixture.h"

namespace {

using ImageTest = GLWidgetTest;

std::string Style(const char* name, const std::string& image, const char* extra = "")
{
  return std::string("MakeDialog{ Bitmap{ name = '") + name + "', image = '" + image + "'" + extra + " } }";
}

}  // namespace

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
  Run(("MakeDialog{ Bitmap{ name = 'a', x = 10, y = 20, image = '" + Image("split.png") + "' }, "
       "Bitmap{ name = 'b', x = 200, y = 20, hflip = true, image = '" + Image("split.png") + "' }, "
       "Bitmap{ name = 'c', x = 400, y = 20, rotate = true, image = '" + Image("split.png") + "' } }")
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

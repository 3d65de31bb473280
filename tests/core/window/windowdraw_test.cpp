// Tests of the window system drawing through the real renderer: the screen clears the
// frame and a window draws inside its own viewport, read back from the frame.
#include <gtest/gtest.h>

#include "core/window/event.h"
#include "core/window/modalwindow.h"
#include "core/window/screen.h"
#include "core/window/windowmanager.h"
#include "support/faketimer.h"
#include "support/gfxfixture.h"

namespace {

// Fills its top-left 10 x 10 pixels in red, in its own coordinates.
class TRedCorner : public TWindow
{
public:
  void Draw() override
  {
    TRenderer::GetInstance()->FillRect(TURect(0, 0, 10, 10), TColor(1, 0, 0, 1), boost::shared_ptr<TTexture>());
  }
};

// Draws its red corner only the first time, so a later frame can show it only through
// the capture; it takes part in the capture pass.
class TRedOnce : public TRedCorner
{
public:
  TRedOnce() { mFlags |= kCaptureDraw; }
  void Draw() override
  {
    if (draws++ == 0) {
      TRedCorner::Draw();
    }
  }
  int draws = 0;
};

class WindowDrawTest : public GfxTest
{};

TEST_F(WindowDrawTest, IdleEventDrawsTheScreenAndItsWindowsIntoTheFrame)
{
  TFakeTimer timer(1000);
  TWindowManager manager;
  TScreen* screen = new TScreen;
  screen->SetBackgroundColor(TColor(0, 0, 1, 1));
  manager.SetScreen(screen);
  ASSERT_EQ(screen->GetWindowWidth(), 800);
  ASSERT_EQ(screen->GetWindowHeight(), 600);
  TRedCorner* corner = new TRedCorner;
  corner->SetWindowPos(100, 50);
  corner->SetWindowSize(40, 40);
  screen->AdoptChild(corner);

  TEvent idle(TEvent::kIdle, 0, 0, 0, 0);
  manager.HandleEvent(&idle);
  EXPECT_FALSE(manager.IsScreenInvalid());
  mHandler->BindFrameBuffer();
  EXPECT_TRUE(ColorNear(ReadFramePixel(400, 300), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 50), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(109, 59), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(110, 50), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(99, 50), 0, 0, 255, 255));
  // The clipping rectangle and viewport stacks are back where they were.
  TURect clip = TRenderer::GetInstance()->GetClippingRectangle();
  EXPECT_EQ(clip.right, 800u);
  EXPECT_EQ(clip.bottom, 600u);
}

TEST_F(WindowDrawTest, CaptureShowsWhatWasBelowTheTopLayerUprightAtTheOrigin)
{
  TFakeTimer timer(1000);
  TWindowManager manager;
  TScreen* screen = new TScreen;
  screen->SetBackgroundColor(TColor(0, 0, 1, 1));
  screen->SetClearAlways(true);
  manager.SetScreen(screen);
  TRedOnce* corner = new TRedOnce;
  corner->SetWindowPos(100, 50);
  corner->SetWindowSize(40, 40);
  screen->AdoptChild(corner);
  TModalWindow* dialog = new TModalWindow;
  manager.PushModal(dialog);
  dialog->SetWindowSize(20, 20);
  boost::shared_ptr<TTexture> capture = TTexture::Create(800, 600, false);
  ASSERT_TRUE(capture);
  manager.SetCaptureTexture(capture);

  TEvent idle(TEvent::kIdle, 0, 0, 0, 0);
  manager.HandleEvent(&idle);
  EXPECT_FALSE(manager.IsScreenInvalid());
  EXPECT_EQ(corner->draws, 2);
  mHandler->BindFrameBuffer();
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 50), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(109, 59), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(110, 50), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 545), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(400, 300), 0, 0, 255, 255));
}

} // namespace

// Tests of the window system drawing through the real renderer: the screen clears the
// frame and a window draws inside its own viewport, read back from the frame.
#include <gtest/gtest.h>

#include "core/event.h"
#include "core/screen.h"
#include "core/windowmanager.h"
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

class WindowDrawTest : public GfxTest
{
};

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

} // namespace

// Tests of the fades around a full-screen switch: the game's frames read back as they are shown
// go black within half a second and come back over three while the game goes on; a switch
// during a fade does not fade.
#include <algorithm>

#include "core/foundation/task.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "core/window/screen.h"
#include "core/window/windowmanager.h"
#include "core/window/windowrenderer.h"
#include "gl/framepresenter.h"
#include "gl/gldisplayhandler.h"
#include "support/apptestutil.h"
#include "support/faketimer.h"

namespace {

// The window system's frames, read back from the frame buffer as each is shown: the least and
// the greatest channel at a few points away from the cursor (white is 255), and the time.
class TShownFrames : public TWindowRenderer
{
public:
  struct TShown
  {
    uint32_t time;
    int darkest;
    int lightest;
  };

  TShownFrames() { TWindowManager::GetInstance()->SetRenderer(this); }
  ~TShownFrames() override { TWindowManager::GetInstance()->SetRenderer(nullptr); }

  bool BeginDraw(bool copyFront) override { return Drawn()->BeginDraw(copyFront); }
  void EndDraw(bool swap) override
  {
    Drawn()->EndDraw(swap);
    TGLDisplayHandler* handler = TGLDisplayHandler::GetInstance();
    const std::vector<uint8_t> frame = ReadFrameRGBA(handler->GetFrameBuffer(), 800, 600);
    TShown shown = {TPlatform::Timer(), 255, 0};
    for (const TPoint& point : {TPoint(10, 10), TPoint(790, 10), TPoint(10, 590), TPoint(790, 590), TPoint(200, 450)}) {
      for (int channel = 0; channel < 3; ++channel) {
        const int level = frame[(size_t(point.y) * 800 + point.x) * 4 + channel];
        shown.darkest = std::min(shown.darkest, level);
        shown.lightest = std::max(shown.lightest, level);
      }
    }
    mFrames.push_back(shown);
  }
  void PushViewport(const TRect& viewport) override { Drawn()->PushViewport(viewport); }
  void PopViewport() override { Drawn()->PopViewport(); }
  void GetViewport(TRect* viewport) override { Drawn()->GetViewport(viewport); }
  void PushClippingRectangle(const TURect& clip) override { Drawn()->PushClippingRectangle(clip); }
  void PopClippingRectangle() override { Drawn()->PopClippingRectangle(); }
  TURect GetClippingRectangle() override { return Drawn()->GetClippingRectangle(); }
  void FillRect(const TURect& rect, const TColor& color) override { Drawn()->FillRect(rect, color); }

  std::vector<TShown> mFrames;

private:
  static TWindowRenderer* Drawn() { return GetDefaultWindowRenderer(); }
};

// A window of white, in the first frame of an 800 x 600 window.
TPlatform* StartWhite(TAppSandbox& sandbox)
{
  TPlatform* platform = sandbox.Start();
  platform->SetDisplay(800, 600, false);
  TWindowManager::GetInstance()->GetScreen()->SetBackgroundColor(TColor(1.0f, 1.0f, 1.0f, 1.0f));
  return platform;
}

// What the event loop does at an idle event: the idle tasks, then a frame if one is wanted.
// Returns whether a frame was wanted.
bool Idle(TPlatform* platform)
{
  TWindowManager* manager = TWindowManager::GetInstance();
  platform->GetTaskList()->DoAll(TTask::eEventLoop);
  const bool wanted = manager->IsScreenInvalid();
  manager->DrawStack();
  return wanted;
}

// The grey level the veil leaves of white opacity 1 - lightness.
int Level(float lightness)
{
  return int(255.0f * lightness + 0.5f);
}

// A whole platform on a clock of its own, at 10 s.
class DisplayFade : public ::testing::Test
{
protected:
  TAppSandbox mSandbox;
  TFakeTimer mClock{10000};
};

} // namespace

TEST_F(DisplayFade, ASwitchDarkensTheFramesWithinHalfASecondAndBrightensThemOverThreeAsTheGameGoesOn)
{
  TPlatform* platform = StartWhite(mSandbox);
  TShownFrames shown;

  ASSERT_TRUE(platform->SetFullscreen(true));
  // Waited for: frames of a picture that darkens, the last one black, at the half second.
  EXPECT_EQ(10500u, TPlatform::Timer());
  ASSERT_GE(shown.mFrames.size(), 20u);
  EXPECT_GE(shown.mFrames.front().darkest, 250);
  for (size_t i = 0; i < shown.mFrames.size(); ++i) {
    const TShownFrames::TShown& frame = shown.mFrames[i];
    const int expected = Level(1.0f - float(frame.time - 10000) / 500.0f);
    EXPECT_NEAR(expected, frame.darkest, 3) << frame.time;
    EXPECT_NEAR(expected, frame.lightest, 3) << frame.time;
    if (i > 0) {
      EXPECT_LE(frame.lightest, shown.mFrames[i - 1].darkest) << frame.time;
    }
  }
  EXPECT_EQ(10500u, shown.mFrames.back().time);
  EXPECT_EQ(0, shown.mFrames.back().lightest);

  // Not waited for: the event loop draws a frame at every step of the fade back, the picture
  // lighter each time, until it is whole again; then it asks for no more.
  shown.mFrames.clear();
  for (uint32_t after : {20u, 750u, 1500u, 2250u, 3000u}) {
    mClock.Set(10500 + after);
    EXPECT_TRUE(Idle(platform)) << after;
    ASSERT_EQ(1u, shown.mFrames.size()) << after;
    EXPECT_NEAR(Level(float(after) / 3000.0f), shown.mFrames.back().darkest, 3) << after;
    shown.mFrames.clear();
  }
  mClock.Advance(100);
  EXPECT_FALSE(Idle(platform));
  EXPECT_TRUE(platform->IsFullscreen());
}

TEST_F(DisplayFade, ASwitchDuringTheFadeBackSwitchesAtOnceAndTheFadeGoesOn)
{
  TPlatform* platform = StartWhite(mSandbox);
  TShownFrames shown;
  ASSERT_TRUE(platform->SetFullscreen(true));

  // A second of the fade back, then the way back: no wait, no frame, and the fade back
  // in progress goes on from where it was.
  mClock.Advance(1000);
  shown.mFrames.clear();
  ASSERT_TRUE(platform->SetFullscreen(false));
  EXPECT_FALSE(platform->IsFullscreen());
  EXPECT_EQ(11500u, TPlatform::Timer());
  EXPECT_TRUE(shown.mFrames.empty());
  // A capture of that frame (a screen's transition picture) holds the picture without the veil,
  // which would stay in it after the fade.
  boost::shared_ptr<TTexture> capture = TTexture::Create(800, 600, false);
  TRenderer::GetInstance()->SetCaptureTexture(capture);
  mClock.Advance(500);
  EXPECT_TRUE(Idle(platform));
  ASSERT_EQ(1u, shown.mFrames.size());
  EXPECT_NEAR(Level(0.5f), shown.mFrames.back().darkest, 3);
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  ASSERT_TRUE(capture->Lock(&pixels, &pitch));
  EXPECT_EQ(0xFFFFFFu, pixels[10 * pitch + 10].mValue & 0xFFFFFFu);
  capture->Unlock();

  // Once the fade back has ended, a switch fades again.
  mClock.Set(13500);
  Idle(platform);
  ASSERT_TRUE(platform->SetFullscreen(true));
  EXPECT_EQ(14000u, TPlatform::Timer());
  EXPECT_EQ(0, shown.mFrames.back().lightest);
}

TEST_F(DisplayFade, StartingInFullScreenShowsTheFirstFramesComingOutOfBlack)
{
  TPlatform* platform = mSandbox.Start();
  // There is no picture to darken yet: no wait.
  platform->SetDisplay(800, 600, true);
  EXPECT_EQ(10000u, TPlatform::Timer());
  TWindowManager::GetInstance()->GetScreen()->SetBackgroundColor(TColor(1.0f, 1.0f, 1.0f, 1.0f));
  TShownFrames shown;
  for (uint32_t after : {0u, 1500u, 3000u}) {
    mClock.Set(10000 + after);
    Idle(platform);
    ASSERT_FALSE(shown.mFrames.empty()) << after;
    EXPECT_NEAR(Level(float(after) / 3000.0f), shown.mFrames.back().darkest, 3) << after;
  }
}

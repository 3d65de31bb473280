// gldisplayhandler tests: viewport and projection mapping, the y flip, blend modes on a
// known background, the viewport stack, the cursor, the fps log, sprite batches and presenting.
#include <gtest/gtest.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>

#include "core/graphics/displayhost.h"
#include "core/graphics/texturedata.h"
#include "core/graphics/vertexset.h"
#include "support/gfxfixture.h"

namespace {

class FakeClock : public TTimeSource
{
public:
  uint32_t Now() override { return mNow; }
  uint32_t mNow = 1000;
};

class FakeHost : public TDisplayHost
{
public:
  void MakeCurrent() override {}
  void SwapBuffers() override { ++mSwaps; }
  bool IsFullscreen() override { return false; }
  TPoint GetMouse() override { return mMouse; }
  bool WantsSoftwareCursor() override { return true; }
  unsigned GetPixelSize() override { return 32; }
  void GetDrawableSize(int* width, int* height) override
  {
    *width = mDrawableWidth;
    *height = mDrawableHeight;
  }
  TPoint mMouse = TPoint(100, 100);
  int mSwaps = 0;
  int mDrawableWidth = 0;
  int mDrawableHeight = 0;
};

// Pixel (x, y) from the top of the window's back buffer, which is 600 rows high.
TColor32 WindowPixel(int x, int y)
{
  GLint previous = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
  TColor32 pixel;
  glReadPixels(x, 599 - y, 1, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &pixel);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
  return pixel;
}

// An untextured quad of TLitVert in viewport coordinates.
void DrawQuad(float left, float top, float right, float bottom, TColor32 color)
{
  TLitVert verts[4];
  const float xs[4] = {left, right, right, left};
  const float ys[4] = {top, top, bottom, bottom};
  for (int i = 0; i < 4; ++i) {
    verts[i].mPos = TVec3(xs[i], ys[i], 0.1f);
    verts[i].mColor = color;
    verts[i].mSecondColor = TColor32();
  }
  TRenderer::GetInstance()->SetTexture(boost::shared_ptr<TTexture>());
  TRenderer::GetInstance()->DrawVertices(TRenderer::kDrawTriangleFan, TVertexSet(verts, 4));
}

class DisplayHandlerTest : public GfxTest
{};

} // namespace

TEST_F(DisplayHandlerTest, TopLeftOfTheScreenIsTheTopRowOfTheFrame)
{
  BeginFrame();
  mRenderer->FillRect(TURect(0, 0, 1, 1), TColor(1, 0, 0, 1), boost::shared_ptr<TTexture>());
  EndFrame();
  GLubyte pixel[4] = {0, 0, 0, 0};
  glReadPixels(0, 599, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  EXPECT_EQ(pixel[0], 255);
  EXPECT_TRUE(ColorNear(ReadFramePixel(0, 0), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(0, 1), 0, 0, 0, 255));
}

TEST_F(DisplayHandlerTest, ViewportLeftOfTheDisplayKeepsLocalCoordinates)
{
  BeginFrame();
  mRenderer->PushViewport(TRect(-50, 0, 150, 100));
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[0], 0);
  EXPECT_EQ(viewport[1], 500);
  EXPECT_EQ(viewport[2], 150);
  EXPECT_EQ(viewport[3], 100);
  DrawQuad(60, 10, 70, 20, TColor32(0, 255, 0, 255));
  mRenderer->PopViewport();
  EndFrame();
  EXPECT_TRUE(ColorNear(ReadFramePixel(10, 10), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(19, 19), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(20, 15), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(9, 15), 0, 0, 0, 255));
}

TEST_F(DisplayHandlerTest, ClipInsideTheViewportDoesNotStretchDrawing)
{
  BeginFrame();
  mRenderer->PushViewport(TRect(100, 100, 300, 300));
  mRenderer->PushClippingRectangle(TURect(100, 100, 200, 200));
  DrawQuad(0, 0, 50, 50, TColor32(255, 255, 0, 255));
  mRenderer->PopClippingRectangle();
  mRenderer->PopViewport();
  EndFrame();
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 100), 255, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(149, 149), 255, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(151, 151), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(190, 120), 0, 0, 0, 255));
}

TEST_F(DisplayHandlerTest, ScissorClipsToTheClipRectangle)
{
  BeginFrame();
  mRenderer->PushClippingRectangle(TURect(10, 10, 20, 20));
  DrawQuad(0, 0, 100, 100, TColor32(255, 255, 255, 255));
  mRenderer->PopClippingRectangle();
  EndFrame();
  EXPECT_TRUE(ColorNear(ReadFramePixel(10, 10), 255, 255, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(19, 19), 255, 255, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(20, 20), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(9, 12), 0, 0, 0, 255));
}

TEST_F(DisplayHandlerTest, EachBlendModeOnAKnownBackground)
{
  // Source (255, 128, 64) at alpha 128 over (51, 102, 153, 255).
  struct Row
  {
    TRenderer::EBlendMode mode;
    int r, g, b, a;
  };
  const Row rows[] = {
      {TRenderer::kBlendNormal, 153, 115, 108, 191},        {TRenderer::kBlendOpaque, 255, 128, 64, 128},
      {TRenderer::kBlendAdditiveAlpha, 179, 166, 185, 255}, {TRenderer::kBlendSubtractive, 0, 51, 115, 127},
      {TRenderer::kBlendMultiplicative, 51, 51, 38, 128},
  };
  for (const Row& row : rows) {
    BeginFrame();
    mRenderer->FillRect(TURect(0, 0, 40, 40), TColor(0.2f, 0.4f, 0.6f, 1.0f), boost::shared_ptr<TTexture>());
    mRenderer->SetBlendMode(row.mode);
    DrawQuad(0, 0, 40, 40, TColor32(255, 128, 64, 128));
    EndFrame();
    EXPECT_TRUE(ColorNear(ReadFramePixel(20, 20), row.r, row.g, row.b, row.a, 2)) << "blend mode " << row.mode;
  }
}

TEST_F(DisplayHandlerTest, ResizingReplacesTheBottomViewport)
{
  EXPECT_EQ(mHandler->GetViewportDepth(), 1u);
  mHandler->SetDisplay(640, 480, false);
  mHandler->SetDisplay(800, 600, true);
  EXPECT_EQ(mHandler->GetViewportDepth(), 1u);
  TRect viewport;
  mRenderer->GetViewport(&viewport);
  EXPECT_EQ(viewport.right, 800);
  EXPECT_EQ(viewport.bottom, 600);
  mHandler->PopViewport();
  mHandler->PopViewport();
  EXPECT_EQ(mHandler->GetViewportDepth(), 0u);
}

TEST_F(DisplayHandlerTest, EndDrawWithoutFlagOnlyFlushesAndWithItDrawsTheCursor)
{
  FakeHost host;
  TDisplayHost::Set(&host);
  boost::shared_ptr<TTexture> cursor = TTexture::GetSimple(Image("cursor.png").c_str());
  ASSERT_TRUE(cursor);
  mHandler->SetCursor(cursor, TPoint(1, 1), false);
  // The colour key ran: magenta is gone, the rest is opaque.
  EXPECT_TRUE(cursor->HasAlpha());

  mRenderer->BeginDraw(false);
  ASSERT_TRUE(mRenderer->Begin2d());
  ClearFrame(TColor(0, 0, 0, 1));
  mRenderer->End2d();
  mRenderer->EndDraw(false);
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 101), 0, 0, 0, 255));
  EXPECT_EQ(host.mSwaps, 0);

  mRenderer->BeginDraw(false);
  mRenderer->EndDraw(true);
  EXPECT_EQ(host.mSwaps, 1);
  mHandler->BindFrameBuffer();
  // Hot spot (1, 1) at mouse (100, 100): the image's top-left lands at (100, 100).
  // Row 0 is magenta (keyed out) then (254, 0, 255); row 1 is grey then magenta.
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 100), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(101, 100), 254, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 101), 100, 100, 100, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(101, 101), 0, 0, 0, 255));
  TDisplayHost::Set(nullptr);
}

// A host that answers the frame's facts in one call, as the platform's does, and counts
// every question the renderer and the back end ask it.
class TFactsHost : public FakeHost
{
public:
  TFrameFacts BeginFrame() override
  {
    ++mBegins;
    return mFrame;
  }
  void MakeCurrent() override { ++mAsked; }
  TPoint GetMouse() override { return ++mAsked, mMouse; }
  bool WantsSoftwareCursor() override { return ++mAsked, true; }
  bool IsFullscreen() override { return ++mAsked, false; }
  unsigned GetPixelSize() override { return ++mAsked, 32; }
  void GetDrawableSize(int* width, int* height) override
  {
    ++mAsked;
    FakeHost::GetDrawableSize(width, height);
  }
  TFrameFacts mFrame;
  int mBegins = 0;
  int mAsked = 0;
};

TEST_F(DisplayHandlerTest, AFrameAsksItsHostTwiceAndTheBackEndDrawsWithTheFactsItWasHanded)
{
  TFactsHost host;
  host.mFrame.mDrawCursor = true;
  host.mFrame.mPointer = TPoint(200, 150);
  TDisplayHost::Set(&host);
  boost::shared_ptr<TTexture> cursor = TTexture::GetSimple(Image("cursor.png").c_str());
  ASSERT_TRUE(cursor);
  mHandler->SetCursor(cursor, TPoint(1, 1), false);
  BeginFrame();
  mRenderer->End2d();
  mRenderer->EndDraw(true);
  EXPECT_EQ(1, host.mBegins);
  EXPECT_EQ(1, host.mSwaps);
  EXPECT_EQ(0, host.mAsked);
  // The cursor is at the pointer the frame was handed, not at the host's own answer.
  mHandler->BindFrameBuffer();
  EXPECT_TRUE(ColorNear(ReadFramePixel(201, 150), 254, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(200, 151), 100, 100, 100, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(101, 100), 0, 0, 0, 255));
  // A frame handed no cursor draws none.
  host.mFrame.mDrawCursor = false;
  BeginFrame();
  mRenderer->End2d();
  mRenderer->EndDraw(true);
  mHandler->BindFrameBuffer();
  EXPECT_TRUE(ColorNear(ReadFramePixel(201, 150), 0, 0, 0, 255));
  EXPECT_EQ(2, host.mBegins);
  EXPECT_EQ(0, host.mAsked);
  TDisplayHost::Set(nullptr);
}

TEST_F(DisplayHandlerTest, ShowFpsLogsOncePerSecondOfFrames)
{
  TRenderer::ShutDown();
  setenv("VELLUMKIT_SHOWFPS", "1", 1);
  mRenderer = TRenderer::GetInstance();
  mHandler = TGLDisplayHandler::GetInstance();
  mHandler->SetDisplay(800, 600, false);
  FakeClock clock;
  TTimeSource* old = TPlatform::SetTimeSource(&clock);
  ::testing::internal::CaptureStderr();
  for (int frame = 0; frame < 30; ++frame) {
    mHandler->EndDraw(false);
    clock.mNow += 100;
  }
  std::string log = ::testing::internal::GetCapturedStderr();
  TPlatform::SetTimeSource(old);
  unsetenv("VELLUMKIT_SHOWFPS");
  // 15 frames 100 ms apart: 15000 / 1400.
  EXPECT_EQ(log, "fps: 10.714286\nfps: 10.714286\n");
}

TEST_F(DisplayHandlerTest, OptionsAreComparedExactly)
{
  mHandler->SetOption("texture_rectangle", "1");
  EXPECT_FALSE(mHandler->IsSquareOnly());
  mHandler->SetOption("texture_rectangle", "0");
  EXPECT_TRUE(mHandler->IsSquareOnly());
  mHandler->SetOption("avoid_fillrect_if_16bit", "1");
  EXPECT_FALSE(mHandler->AvoidFillIf16Bit());
  mHandler->SetOption("avoid_fillrect_if_16bit", "true");
  EXPECT_TRUE(mHandler->AvoidFillIf16Bit());
  mHandler->SetOption("x", "12");
  EXPECT_EQ(mHandler->GetOptionX(), 12);
}

TEST_F(DisplayHandlerTest, IndexedDrawingAndPreScaledVerticesIgnoreTheViewport)
{
  BeginFrame();
  mRenderer->PushViewport(TRect(200, 200, 400, 400));
  TLitVert lit[4];
  const float xs[4] = {0, 10, 10, 0};
  const float ys[4] = {0, 0, 10, 10};
  TPreScaledTransformedLitVert scaled[4];
  for (int i = 0; i < 4; ++i) {
    lit[i].mPos = TVec3(xs[i], ys[i], 0.1f);
    lit[i].mColor = TColor32(255, 0, 0, 255);
    scaled[i].mPos = TVec3(xs[i] + 20, ys[i] + 20, 0.1f);
    scaled[i].mColor = TColor32(0, 0, 255, 255);
  }
  unsigned short indices[6] = {0, 1, 2, 0, 2, 3};
  mRenderer->SetTexture(boost::shared_ptr<TTexture>());
  mRenderer->DrawIndexedVertices(TRenderer::kDrawTriangles, TVertexSet(lit, 4), indices, 6);
  // Pre-scaled vertices are in display pixels, and still clipped by the viewport.
  mRenderer->DrawVertices(TRenderer::kDrawTriangleFan, TVertexSet(scaled, 4));
  for (int i = 0; i < 4; ++i) {
    scaled[i].mPos = TVec3(xs[i] + 205, ys[i] + 205, 0.1f);
  }
  mRenderer->DrawVertices(TRenderer::kDrawTriangleFan, TVertexSet(scaled, 4));
  mRenderer->PopViewport();
  EndFrame();
  EXPECT_TRUE(ColorNear(ReadFramePixel(205, 205), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(201, 201), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(25, 25), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(214, 214), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(216, 216), 0, 0, 0, 255));
}

TEST_F(DisplayHandlerTest, WrapModesRepeatAndMirror)
{
  boost::shared_ptr<TTexture> sprite = TTexture::Get(Image("sprite64.png").c_str());
  ASSERT_TRUE(sprite);
  auto drawTwice = [&](TRenderer::ETextureMapMode mode) {
    BeginFrame();
    mRenderer->SetTextureMapMode(mode, mode);
    TLitVert verts[4];
    const float xs[4] = {0, 128, 128, 0};
    const float ys[4] = {0, 0, 64, 64};
    const float us[4] = {0, 2, 2, 0};
    const float vs[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) {
      verts[i].mPos = TVec3(xs[i], ys[i], 0.1f);
      verts[i].mColor = TColor32(255, 255, 255, 255);
      verts[i].mUV = TVec2(us[i], vs[i]);
    }
    mRenderer->SetTexture(sprite);
    mRenderer->DrawVertices(TRenderer::kDrawTriangleFan, TVertexSet(verts, 4));
    EndFrame();
  };
  drawTwice(TRenderer::kMapWrap);
  EXPECT_TRUE(ColorNear(ReadFramePixel(70, 5), 255, 0, 0, 255));
  drawTwice(TRenderer::kMapMirror);
  EXPECT_TRUE(ColorNear(ReadFramePixel(70, 5), 0, 255, 0, 255));
  drawTwice(TRenderer::kMapClamp);
  EXPECT_TRUE(ColorNear(ReadFramePixel(120, 5), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(120, 60), 255, 255, 255, 255));
}

// A texture of one opaque colour.
static boost::shared_ptr<TTexture> Solid(const TColor& color)
{
  boost::shared_ptr<TTexture> texture = TTexture::Create(16, 16, true);
  if (texture) {
    TRenderer::GetInstance()->FillRect(TURect(0, 0, 16, 16), color, texture);
  }
  return texture;
}

TEST_F(DisplayHandlerTest, SpritesOfOneTextureGatherAndKeepTheirOrderWithOthers)
{
  boost::shared_ptr<TTexture> red = Solid(TColor(1, 0, 0, 1));
  boost::shared_ptr<TTexture> green = Solid(TColor(0, 1, 0, 1));
  ASSERT_TRUE(red && green);
  BeginFrame();
  red->DrawSprite(At(100, 100));
  red->DrawSprite(At(300, 100));
  EXPECT_EQ(2u, mHandler->GetPendingSprites());
  // Another texture draws the red ones first, then gathers on its own.
  green->DrawSprite(At(104, 100));
  EXPECT_EQ(1u, mHandler->GetPendingSprites());
  red->DrawSprite(At(108, 100));
  // A blend mode of its own is another batch too.
  TDrawSpec additive = At(300, 100);
  additive.mBlendMode = TRenderer::kBlendAdditiveAlpha;
  green->DrawSprite(additive);
  EXPECT_EQ(1u, mHandler->GetPendingSprites());
  EndFrame();
  EXPECT_EQ(0u, mHandler->GetPendingSprites());
  EXPECT_TRUE(ColorNear(ReadFramePixel(93, 100), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(98, 100), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(110, 100), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(300, 100), 255, 255, 0, 255));
}

TEST_F(DisplayHandlerTest, PendingSpritesAreDrawnBeforeTheirTextureOrTheClipChanges)
{
  boost::shared_ptr<TTexture> red = Solid(TColor(1, 0, 0, 1));
  ASSERT_TRUE(red);
  BeginFrame();
  red->DrawSprite(At(100, 100));
  // Filling the texture now must not reach the sprite drawn before.
  mRenderer->FillRect(TURect(0, 0, 16, 16), TColor(0, 0, 1, 1), red);
  red->DrawSprite(At(200, 100));
  // Nor may a clip set after a sprite cut it.
  red->DrawSprite(At(300, 100));
  mRenderer->PushClippingRectangle(TURect(0, 0, 10, 10));
  EndFrame();
  mRenderer->PopClippingRectangle();
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 100), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(200, 100), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(300, 100), 0, 0, 255, 255));
}

// Opaque white sprites show their texels exactly; a tinted or faded sprite after them is still
// tinted or faded, within a batch of white ones or after it.
TEST_F(DisplayHandlerTest, WhiteSpritesShowTheirTexelsAndTintedOnesStayTinted)
{
  boost::shared_ptr<TTexture> grey = Solid(TColor(0.5f, 0.25f, 0.75f, 1));
  boost::shared_ptr<TTexture> white = Solid(TColor(1, 1, 1, 1));
  ASSERT_TRUE(grey && white);
  const TColor32 texel = PixelOf(grey, 4, 4);
  BeginFrame();
  grey->DrawSprite(At(100, 100));
  TDrawSpec tinted = At(200, 100);
  tinted.mColor = TColor(1, 0, 0, 1);
  white->DrawSprite(At(150, 100));
  white->DrawSprite(tinted);
  TDrawSpec faded = At(300, 100, 0);
  faded.mAlpha = 0.5f;
  white->DrawSprite(faded);
  EndFrame();
  const TColor32 shown = ReadFramePixel(100, 100);
  EXPECT_EQ(texel.mValue & 0x00FFFFFFu, shown.mValue & 0x00FFFFFFu);
  EXPECT_TRUE(ColorNear(ReadFramePixel(150, 100), 255, 255, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(200, 100), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(300, 100), 127, 127, 127, 191));
}

TEST_F(DisplayHandlerTest, TheFrameIsPresentedOnceIntoTheDrawableScaledWhenItsSizeDiffers)
{
  FakeHost host;
  TDisplayHost::Set(&host);
  BeginFrame();
  mRenderer->FillRect(TURect(0, 0, 400, 600), TColor(1, 0, 0, 1), boost::shared_ptr<TTexture>());
  mRenderer->FillRect(TURect(400, 0, 800, 600), TColor(0, 0, 1, 1), boost::shared_ptr<TTexture>());
  mRenderer->End2d();
  mRenderer->EndDraw(true);
  EXPECT_EQ(1, host.mSwaps);
  EXPECT_TRUE(ColorNear(WindowPixel(399, 300), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(WindowPixel(400, 300), 0, 0, 255, 255));
  // A drawable of 400 x 400 shows the frame at half size, with bars above and below.
  host.mDrawableWidth = 400;
  host.mDrawableHeight = 400;
  BeginFrame();
  mRenderer->FillRect(TURect(0, 0, 800, 600), TColor(0, 1, 0, 1), boost::shared_ptr<TTexture>());
  mRenderer->End2d();
  mRenderer->EndDraw(true);
  TDisplayHost::Set(nullptr);
  EXPECT_EQ(2, host.mSwaps);
  // Window rows count from its bottom: the 400-row drawable is the lowest 400 of 600.
  EXPECT_TRUE(ColorNear(WindowPixel(200, 200 + 49), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(WindowPixel(200, 200 + 51), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(WindowPixel(200, 200 + 349), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(WindowPixel(200, 200 + 351), 0, 0, 0, 255));
}

TEST_F(DisplayHandlerTest, LinesOfTargetPixelsGatherUntilSomethingElseIsDrawn)
{
  boost::shared_ptr<TTexture> red = Solid(TColor(1, 0, 0, 1));
  ASSERT_TRUE(red);
  auto line = [&](int y, TColor32 color) {
    TPreScaledTransformedLitVert verts[2];
    for (int i = 0; i < 2; ++i) {
      verts[i].mPos = TVec3(i == 0 ? 10.0f : 30.0f, y + 0.5f, 0.0f);
      verts[i].mColor = color;
      verts[i].mSecondColor = TColor32(0u);
    }
    mRenderer->DrawVertices(TRenderer::kDrawLines, TVertexSet(verts, 2));
  };
  BeginFrame();
  line(5, TColor32(0, 255, 0, 255));
  line(6, TColor32(0, 0, 255, 255));
  EXPECT_EQ(4u, mHandler->GetPendingLineVertices());
  // A sprite over the first line draws the lines first, then gathers on its own.
  red->DrawSprite(At(20, 5));
  EXPECT_EQ(0u, mHandler->GetPendingLineVertices());
  EXPECT_EQ(1u, mHandler->GetPendingSprites());
  line(20, TColor32(255, 255, 255, 255));
  EndFrame();
  EXPECT_TRUE(ColorNear(ReadFramePixel(15, 5), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(11, 6), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(15, 20), 255, 255, 255, 255));
}

// A fill of one colour clears its rectangle within the clip; it must leave the pixels a quad
// of that colour drawn as a fill always was (blending off, flat colour) would leave.
TEST_F(DisplayHandlerTest, AFillIsTheQuadItReplacesToTheByte)
{
  const TColor colours[] = {TColor(0.2f, 0.5f, 0.7f, 1.0f), TColor(0.1234f, 0.999f, 0.5f, 0.3f),
                            TColor(1.0f, 0.0f, 0.333f, 0.0f), TColor(0.75f, 0.25f, 0.0039f, 0.5f)};
  for (const TColor& colour : colours) {
    BeginFrame();
    mRenderer->PushClippingRectangle(TURect(30, 20, 500, 400));
    mRenderer->FillRect(TURect(10, 10, 210, 110), colour, boost::shared_ptr<TTexture>());
    mRenderer->PopClippingRectangle();
    // The same rectangle moved by 300 pixels, as a quad.
    mRenderer->PushClippingRectangle(TURect(330, 20, 800, 400));
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 800, 0, 600, 1.0, -1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    glRecti(310, 600 - 10, 510, 600 - 110);
    glColor4f(1, 1, 1, 1);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    mRenderer->PopClippingRectangle();
    EndFrame();
    const std::vector<TColor32> filled = ReadFrameBlock(0, 0, 250, 150);
    const std::vector<TColor32> drawn = ReadFrameBlock(300, 0, 250, 150);
    for (size_t i = 0; i < filled.size(); ++i)
      ASSERT_EQ(filled[i].mValue, drawn[i].mValue) << "pixel " << i;
    EXPECT_NE(ReadFramePixel(40, 30).mValue, ReadFramePixel(20, 30).mValue);
  }
}

// A drawable of the frame's size with a back buffer takes the frame itself: nothing is copied
// at the swap, the frame buffer object keeps what it held, and render targets still draw
// through it. A surface of one buffer (the offscreen driver's) gets the copy.
TEST_F(DisplayHandlerTest, AWindowOfTheFramesSizeTakesTheFrameWithoutACopy)
{
  GLint doubled = 0;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glGetIntegerv(GL_DOUBLEBUFFER, &doubled);
  mHandler->BindFrameBuffer();
  FakeHost host;
  host.mDrawableWidth = 800;
  host.mDrawableHeight = 600;
  BeginFrame();
  mRenderer->FillRect(TURect(0, 0, 800, 600), TColor(0, 0, 1, 1), boost::shared_ptr<TTexture>());
  EndFrame();
  EXPECT_TRUE(ColorNear(ReadFramePixel(5, 5), 0, 0, 255, 255));
  TDisplayHost::Set(&host);
  BeginFrame();
  if (!doubled) {
    EXPECT_EQ(mHandler->GetFrameBuffer(), mHandler->GetDrawnFrameBuffer());
    mRenderer->End2d();
    mRenderer->EndDraw(true);
    TDisplayHost::Set(nullptr);
    return;
  }
  EXPECT_EQ(0u, mHandler->GetDrawnFrameBuffer());
  mRenderer->FillRect(TURect(0, 0, 400, 600), TColor(1, 0, 0, 1), boost::shared_ptr<TTexture>());
  mRenderer->End2d();
  mRenderer->EndDraw(true);
  EXPECT_EQ(1, host.mSwaps);
  EXPECT_TRUE(ColorNear(WindowPixel(100, 300), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(WindowPixel(600, 300), 0, 0, 0, 255));
  // The frame buffer object still holds the frame drawn before.
  glBindFramebuffer(GL_READ_FRAMEBUFFER, mHandler->GetFrameBuffer());
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 300), 0, 0, 255, 255));
  mHandler->BindFrameBuffer();
  // A render target between frames fills its texture, and the next frame is the window's.
  boost::shared_ptr<TTexture> target = TTexture::Create(64, 64, true);
  ASSERT_TRUE(target);
  ASSERT_TRUE(mRenderer->BeginRenderTarget(target, TRenderer::kTargetOpaque));
  EXPECT_EQ(mHandler->GetFrameBuffer(), mHandler->GetDrawnFrameBuffer());
  ASSERT_TRUE(mRenderer->Begin2d());
  mRenderer->FillRect(TURect(0, 0, 64, 64), TColor(0, 1, 0, 1), boost::shared_ptr<TTexture>());
  mRenderer->End2d();
  mRenderer->EndRenderTarget();
  EXPECT_EQ(0u, mHandler->GetDrawnFrameBuffer());
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  ASSERT_TRUE(target->GetTextureData()->Lock(&pixels, &pitch));
  EXPECT_TRUE(ColorNear(pixels[10 * pitch + 10], 0, 255, 0, 255));
  target->GetTextureData()->Unlock();
  BeginFrame();
  mRenderer->FillRect(TURect(0, 0, 800, 600), TColor(1, 1, 0, 1), boost::shared_ptr<TTexture>());
  mRenderer->End2d();
  mRenderer->EndDraw(true);
  TDisplayHost::Set(nullptr);
  EXPECT_TRUE(ColorNear(WindowPixel(700, 500), 255, 255, 0, 255));
}

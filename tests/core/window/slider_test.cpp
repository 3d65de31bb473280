// Tests of the slider: orientation, value and its messages, thickness, the exact vertices of
// the rail pieces, dragging, paging, degenerate sizes and the drawn rail read back.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "support/glwidgetfixture.h"

namespace {

class SliderTest : public GLWidgetTest
{
protected:
  TSlider* Make(const char* place, const char* extra = "")
  {
    const std::string style =
        std::string("MakeDialog{ Recorder{ name = 'box', w = 800, h = 600, Slider{ name = 's', ") + place +
        ", railtop = '" + Image("railcap.png") + "', railmid = '" + Image("railmid.png") + "', railbot = '" +
        Image("railcap.png") + "', sliderimage = '" + Image("thumb.png") + "', sliderrollimage = '" +
        Image("thumbroll.png") + "'" + extra + " } } }";
    Run(style.c_str());
    return Find<TSlider>("s");
  }

  TPoint ThumbCentre(TSlider* slider) { return Centre(slider->GetThumb()); }
};

struct TVertexExpectation
{
  float x, y, u, v;
};

void ExpectQuad(const TTransformedLitVert* vertices, const TVertexExpectation (&expected)[6], unsigned alpha = 255)
{
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(vertices[i].mPos.x, expected[i].x) << i;
    EXPECT_FLOAT_EQ(vertices[i].mPos.y, expected[i].y) << i;
    EXPECT_FLOAT_EQ(vertices[i].mPos.z, 0.1f);
    EXPECT_FLOAT_EQ(vertices[i].mRhw, 0.5f);
    EXPECT_FLOAT_EQ(vertices[i].mUV.x, expected[i].u) << i;
    EXPECT_FLOAT_EQ(vertices[i].mUV.y, expected[i].v) << i;
    EXPECT_EQ(vertices[i].mColor.mValue, (alpha << 24) | 0xFFFFFFu);
    EXPECT_EQ(vertices[i].mSecondColor.mValue, 0xFF000000u);
  }
}

// One vertex as OpenGL received it, y counted from the top of the 600-pixel frame.
struct TDrawnVertex
{
  float x, y, u, v, r, g, b, a;
};

// The triangles of one frame's drawing, caught in OpenGL's feedback mode instead of drawn.
template <class F>
std::vector<TDrawnVertex> CaptureTriangles(TRenderer* renderer, F draw)
{
  std::vector<GLfloat> buffer(8192);
  std::vector<TDrawnVertex> drawn;
  if (!renderer->BeginDraw(false)) {
    ADD_FAILURE() << "no frame";
    return drawn;
  }
  glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  renderer->EndDraw(false);
  EXPECT_GE(used, 0) << "feedback buffer overflowed";
  // Each vertex: x, y, z, r, g, b, a, s, t, r, q.
  for (GLint i = 0; i < used;) {
    if (GLint(buffer[i]) != GL_POLYGON_TOKEN || i + 1 >= used) {
      ADD_FAILURE() << "unexpected feedback token " << buffer[i];
      break;
    }
    const GLint count = GLint(buffer[i + 1]);
    i += 2;
    for (GLint k = 0; k < count && i + 11 <= used; ++k, i += 11) {
      const GLfloat* f = &buffer[i];
      drawn.push_back({f[0], 600.0f - f[1], f[7] / f[10], f[8] / f[10], f[3], f[4], f[5], f[6]});
    }
  }
  return drawn;
}

// The six corners of one rail piece covering left..right and top..bottom, in the order the
// slider gives them; a transposed piece runs its texture's height along x.
void AddQuad(std::vector<TVertexExpectation>* quads, float left, float top, float right, float bottom, float u, float v,
             bool transposed)
{
  static const float kCorners[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};
  for (const auto& c : kCorners) {
    const float fx = transposed ? c[1] : c[0];
    const float fy = transposed ? c[0] : c[1];
    quads->push_back({left + fx * (right - left), top + fy * (bottom - top), c[0] * u, c[1] * v});
  }
}

void ExpectDrawn(const std::vector<TDrawnVertex>& drawn, const std::vector<TVertexExpectation>& expected)
{
  ASSERT_EQ(drawn.size(), expected.size());
  for (size_t i = 0; i < drawn.size(); ++i) {
    EXPECT_NEAR(drawn[i].x, expected[i].x, 1e-3) << i;
    EXPECT_NEAR(drawn[i].y, expected[i].y, 1e-3) << i;
    EXPECT_NEAR(drawn[i].u, expected[i].u, 1e-5) << i;
    EXPECT_NEAR(drawn[i].v, expected[i].v, 1e-5) << i;
    EXPECT_EQ(std::vector<float>({drawn[i].r, drawn[i].g, drawn[i].b, drawn[i].a}),
              std::vector<float>({1.0f, 1.0f, 1.0f, 1.0f}))
        << i;
  }
}

} // namespace

TEST_F(SliderTest, OrientationComesFromTheSizeUnlessGiven)
{
  TSlider* automatic = Make("w = 200, h = 20");
  ASSERT_NE(automatic, nullptr);
  EXPECT_TRUE(automatic->IsHorizontal());
  EXPECT_EQ(automatic->GetWindowWidth(), 200);
  EXPECT_EQ(automatic->GetWindowHeight(), 30); // the thumb is thicker than the rail
  screen->DestroyAllChildren();
  manager.ClearDestroyedWindows();
  TSlider* vertical = Make("w = 200, h = 20, hslider = false");
  EXPECT_FALSE(vertical->IsHorizontal());
}

TEST_F(SliderTest, ValuesAreClampedAndReported)
{
  TSlider* slider = Make("x = 10, y = 10, w = 34, h = 100", ", value = 0.5");
  EXPECT_FLOAT_EQ(slider->GetValue(), 0.5f);
  EXPECT_TRUE(Messages().empty());
  slider->SetValue(1.7f, false);
  EXPECT_FLOAT_EQ(slider->GetValue(), 1.0f);
  EXPECT_EQ(slider->GetThumb()->GetRect().top, 70);
  slider->SetValue(1.0f, false);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"9 s", "9 s"}));
  slider->SetValue(-1.0f, true);
  EXPECT_FLOAT_EQ(slider->GetValue(), 0.0f);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SliderTest, ThicknessCoversTheThumbAndItsOffset)
{
  TSlider* slider = Make("w = 10, h = 100", ", yoffset = -4");
  EXPECT_FALSE(slider->IsHorizontal());
  EXPECT_EQ(slider->GetThickness(), 34);
  EXPECT_EQ(slider->GetWindowWidth(), 34);
  EXPECT_EQ(slider->GetThumb()->GetRect().left, -4);
}

TEST_F(SliderTest, RailPiecesAreExactQuads)
{
  TSlider* slider = Make("w = 34, h = 100");
  boost::shared_ptr<TTexture> cap = TTexture::Get(Image("railcap.png").c_str(), 0);
  boost::shared_ptr<TTexture> middle = TTexture::Get(Image("railmid.png").c_str(), 0);
  ASSERT_TRUE(cap && middle);
  TTransformedLitVert vertices[6];
  // Caps 10 high on a rail 100 long: the middle runs from 10 for 80.
  EXPECT_EQ(slider->BuildTexture(cap, 0, vertices, false), 10);
  const float capU = 1.0f / (float(cap->GetInternalSize().first) / 20.0f);
  const float capV = 1.0f / (float(cap->GetInternalSize().second) / 10.0f);
  // The slider is as thick as its 30-pixel thumb; the 20-pixel rail is centred in it.
  const TVertexExpectation top[6] = {{5, 0, 0, 0},     {25, 0, capU, 0},     {5, 10, 0, capV},
                                     {25, 0, capU, 0}, {25, 10, capU, capV}, {5, 10, 0, capV}};
  ExpectQuad(vertices, top);
  EXPECT_EQ(slider->BuildTexture(middle, 10, vertices, true), 80);
  const float midU = 1.0f / (float(middle->GetInternalSize().first) / 20.0f);
  const float midV = 1.0f / (float(middle->GetInternalSize().second) / 30.0f);
  const TVertexExpectation mid[6] = {{5, 10, 0, 0},     {25, 10, midU, 0},    {5, 90, 0, midV},
                                     {25, 10, midU, 0}, {25, 90, midU, midV}, {5, 90, 0, midV}};
  ExpectQuad(vertices, mid);
  EXPECT_EQ(slider->BuildTexture(boost::shared_ptr<TTexture>(), 0, vertices, false), 0);
}

TEST_F(SliderTest, HorizontalRailsAreTransposed)
{
  TTransformedLitVert vertices[6];
  MakeQuad2d(vertices, TVec2(5, 6), TVec2(20, 10), TVec2(0, 0), TVec2(1, 2), true, 0.5f);
  const TVertexExpectation expected[6] = {{5, 6, 0, 0},  {5, 26, 1, 0},     {15, 6, 0, 0.5f},
                                          {5, 26, 1, 0}, {15, 26, 1, 0.5f}, {15, 6, 0, 0.5f}};
  ExpectQuad(vertices, expected, 127);
}

TEST_F(SliderTest, CapsLongerThanTheRailLeaveNoMiddle)
{
  TSlider* slider = Make("w = 34, h = 15, hslider = false");
  boost::shared_ptr<TTexture> middle = TTexture::Get(Image("railmid.png").c_str(), 0);
  TTransformedLitVert vertices[6];
  EXPECT_EQ(slider->BuildTexture(middle, 10, vertices, true), 0);
}

TEST_F(SliderTest, DraggingSetsTheValueFromThePointer)
{
  TSlider* slider = Make("x = 100, y = 100, w = 34, h = 200");
  const TPoint thumb = ThumbCentre(slider);
  Move(thumb);
  EXPECT_EQ(slider->GetThumb()->GetTexture(), TTexture::Get(Image("thumbroll.png").c_str(), 0));
  Down(thumb);
  EXPECT_TRUE(slider->IsDragging());
  EXPECT_TRUE(manager.IsMouseListener(slider));
  Move(TPoint(thumb.x, 200));
  EXPECT_FLOAT_EQ(slider->GetValue(), 0.5f);
  Move(TPoint(thumb.x, 500));
  EXPECT_FLOAT_EQ(slider->GetValue(), 1.0f);
  Move(TPoint(600, 550));
  EXPECT_FLOAT_EQ(slider->GetValue(), 1.0f);
  Up(TPoint(600, 550));
  EXPECT_FALSE(slider->IsDragging());
  EXPECT_FALSE(manager.IsMouseListener(slider));
  EXPECT_EQ(slider->GetThumb()->GetTexture(), TTexture::Get(Image("thumb.png").c_str(), 0));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"9 s", "9 s", "9 s", "10 s"}));
}

TEST_F(SliderTest, ClicksBesideTheThumbPageWithoutMoving)
{
  TSlider* slider = Make("x = 100, y = 100, w = 34, h = 200", ", value = 0.5");
  const int top = slider->GetThumb()->GetRect().top;
  Down(TPoint(117, 290));
  Up(TPoint(117, 290));
  Down(TPoint(117, 105));
  Up(TPoint(117, 105));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"12 s", "11 s"}));
  EXPECT_EQ(slider->GetThumb()->GetRect().top, top);
  EXPECT_FLOAT_EQ(slider->GetValue(), 0.5f);
}

TEST_F(SliderTest, ARailOfNoLengthDoesNotDivideByZero)
{
  TSlider slider;
  slider.SetWindowSize(34, 0);
  slider.SetSliderTexture(TTexture::Get(Image("thumb.png").c_str(), 0), boost::shared_ptr<TTexture>());
  const TRect thumb = slider.GetThumb()->GetRect();
  ASSERT_TRUE(slider.OnMouseDown(TPoint(thumb.left + 1, thumb.top + 1)));
  EXPECT_TRUE(slider.OnMouseMove(TPoint(5, 7)));
  EXPECT_EQ(slider.GetValue(), 0.0f);
  EXPECT_TRUE(slider.OnMouseUp(TPoint(5, 7)));
}

TEST_F(SliderTest, DrawsItsRailAndThumb)
{
  Make("x = 100, y = 100, w = 200, h = 20", ", value = 0.5");
  DrawFrame();
  // The rail runs along y 105..125 (20 across, centred in 30); caps grey, the middle darker.
  EXPECT_EQ(ReadFramePixel(104, 115).mValue, 0xFF808080u);
  EXPECT_EQ(ReadFramePixel(150, 115).mValue, 0xFF404040u);
  EXPECT_EQ(ReadFramePixel(295, 115).mValue, 0xFF808080u);
  EXPECT_EQ(ReadFramePixel(150, 103).mValue & 0xFFFFFFu, 0u);
  // The thumb at value 0.5 lies over x 185..215.
  EXPECT_EQ(ReadFramePixel(200, 110).mValue, 0xFFC00000u);
  EXPECT_EQ(ReadFramePixel(183, 110).mValue, 0xFF404040u);
}

TEST_F(SliderTest, DrawsThreeExactRailQuadsInOrder)
{
  TSlider* vertical = Make("w = 34, h = 100");
  boost::shared_ptr<TTexture> cap = TTexture::Get(Image("railcap.png").c_str(), 0);
  boost::shared_ptr<TTexture> middle = TTexture::Get(Image("railmid.png").c_str(), 0);
  ASSERT_TRUE(vertical && cap && middle);
  // Only the image part of a padded texture is used.
  const float capU = 20.0f / float(cap->GetInternalSize().first);
  const float capV = 10.0f / float(cap->GetInternalSize().second);
  const float midU = 20.0f / float(middle->GetInternalSize().first);
  const float midV = 30.0f / float(middle->GetInternalSize().second);

  // 30 thick (the thumb), the 20-pixel rail centred; caps of 10 at each end, the middle
  // stretched over the 80 between them.
  std::vector<TVertexExpectation> expected;
  AddQuad(&expected, 5, 0, 25, 10, capU, capV, false);
  AddQuad(&expected, 5, 10, 25, 90, midU, midV, false);
  AddQuad(&expected, 5, 90, 25, 100, capU, capV, false);
  ExpectDrawn(CaptureTriangles(mRenderer, [&] { vertical->Draw(); }), expected);

  screen->DestroyAllChildren();
  manager.ClearDestroyedWindows();
  TSlider* horizontal = Make("w = 200, h = 20");
  ASSERT_TRUE(horizontal && horizontal->IsHorizontal());
  // The same pieces turned: along x, the rail's 20 pixels across y 5..25.
  expected.clear();
  AddQuad(&expected, 0, 5, 10, 25, capU, capV, true);
  AddQuad(&expected, 10, 5, 190, 25, midU, midV, true);
  AddQuad(&expected, 190, 5, 200, 25, capU, capV, true);
  ExpectDrawn(CaptureTriangles(mRenderer, [&] { horizontal->Draw(); }), expected);
}

// A dialog of text, image, buttons, a text entry and a slider built from a window script,
// drawn through the window manager in a real OpenGL context and read back from the frame.
#include <gtest/gtest.h>

#include <cstdlib>

#include "buildpaths.h"
#include "support/glwidgetfixture.h"

namespace {

using WidgetDialogTest = GLWidgetTest;

// Pixels of a rectangle that are not the background.
int Inked(int left, int top, int right, int bottom)
{
  const std::vector<TColor32> block = ReadFrameBlock(left, top, right - left, bottom - top);
  int count = 0;
  for (TColor32 pixel : block)
    count += (pixel.mValue & 0xFFFFFFu) != 0;
  return count;
}

// The same colour up to the rounding of the fill.
bool Near(TColor32 a, TColor32 b)
{
  return std::abs(int(a.Red()) - int(b.Red())) <= 1 && std::abs(int(a.Green()) - int(b.Green())) <= 1 &&
         std::abs(int(a.Blue()) - int(b.Blue())) <= 1;
}

// Keeps the frame as a PNG beside the test program when a check failed, or when asked to.
void DumpFrame(bool failed)
{
  if (!failed && !std::getenv("QV_DUMP_FRAMES"))
    return;
  const std::vector<TColor32> frame = ReadFrameBlock(0, 0, 800, 600);
  WriteTestPng(
      std::string(QV_TEST_BUILD_DIR) + "/widgetdialog_frame.png", 800, 600,
      [&frame](unsigned x, unsigned y) { return frame[y * 800 + x].mValue | 0xFF000000u; }, false);
}

} // namespace

TEST_F(WidgetDialogTest, EveryWidgetOfADialogIsDrawn)
{
  const std::string script =
      "MakeDialog{ Window{ name = 'dialog', x = 0, y = 0, w = 800, h = 600, "
      "  Text{ name = 'title', x = 20, y = 20, w = 300, h = 40, label = 'Case file', font = { '__DEFAULT', 24, { 1, 1, "
      "1, 1 } } }, "
      "  Bitmap{ name = 'photo', x = 400, y = 20, image = '" +
      Image("split.png") +
      "' }, "
      "  Button{ name = 'ok', x = 20, y = 100, graphics = { '" +
      Image("state0.png") + "', '" + Image("state1.png") + "', '" + Image("state2.png") +
      "' }, Text{ name = 'label', w = 40, h = 20, label = 'OK', font = { '__DEFAULT', 12, { 0, 0, 0, 1 } } } }, "
      "  Button{ name = 'opt', type = 1, x = 100, y = 100, on = true, graphics = { '" +
      Image("state0.png") + "', '" + Image("state1.png") + "', '" + Image("state2.png") + "', '" + Image("state3.png") +
      "' } }, "
      "  TextEdit{ name = 'who', x = 20, y = 150, w = 300, h = 30, label = 'Inspector', font = { '__DEFAULT', 20, { 1, "
      "1, 0, 1 } } }, "
      "  Slider{ name = 'volume', x = 20, y = 200, w = 200, h = 20, value = 1, railtop = '" +
      Image("railcap.png") + "', railmid = '" + Image("railmid.png") + "', railbot = '" + Image("railcap.png") +
      "', sliderimage = '" + Image("thumb.png") + "' } } }";
  Run(script.c_str());
  ASSERT_NE(Find<TText>("title"), nullptr);
  ASSERT_NE(Find<TTextEdit>("who"), nullptr);
  EXPECT_EQ(Find<TTextEdit>("who")->GetText(), "Inspector");
  ASSERT_NE(Find<TSlider>("volume"), nullptr);
  DrawFrame();

  // Text: ink inside its box, nothing right of what "Case file" needs at 24 pixels.
  EXPECT_GT(Inked(20, 20, 320, 60), 200);
  EXPECT_EQ(Inked(250, 20, 320, 60), 0);
  // The image, as it is.
  EXPECT_EQ(ReadFramePixel(410, 30).mValue, 0xFFFF0000u);
  EXPECT_EQ(ReadFramePixel(480, 60).mValue, 0xFF0000FFu);
  // The push button shows its up graphic with the black label on it; the toggle is on.
  EXPECT_EQ(ReadFramePixel(21, 101).mValue, 0xFFFF0000u);
  EXPECT_EQ(ReadFramePixel(101, 101).mValue, 0xFF00FF00u);
  int labelInk = 0;
  for (TColor32 pixel : ReadFrameBlock(20, 100, 40, 20))
    labelInk += pixel.mValue != 0xFFFF0000u;
  EXPECT_GT(labelInk, 10);
  // The entry's yellow text.
  int yellow = 0;
  for (TColor32 pixel : ReadFrameBlock(20, 150, 300, 30))
    yellow += pixel.Red() > 100 && pixel.Blue() < 50;
  EXPECT_GT(yellow, 100);
  // The slider: rail on the left, thumb at the far end.
  EXPECT_EQ(ReadFramePixel(60, 215).mValue, 0xFF404040u);
  EXPECT_EQ(ReadFramePixel(205, 215).mValue, 0xFFC00000u);

  DumpFrame(HasFailure());

  // Hovering the push button switches it to its rollover graphic.
  Move(TPoint(30, 110));
  DrawFrame();
  EXPECT_EQ(ReadFramePixel(21, 101).mValue, 0xFF0000FFu);
}

TEST_F(WidgetDialogTest, TextEntriesAreFieldsWhoseFrameShowsTheFocus)
{
  Run("MakeDialog{ Window{ name = 'dialog', x = 0, y = 0, w = 800, h = 600, "
      "  TextEdit{ name = 'who', x = 20, y = 150, w = 300, h = 30, font = { '__DEFAULT', 20, { 1, 1, 0, 1 } } }, "
      "  TextEdit{ name = 'where', x = 20, y = 250, w = 300, h = 30, font = { '__DEFAULT', 20, { 0, 0, 0, 1 } } } } }");
  manager.SetFocus(Find<TTextEdit>("who"));
  DrawFrame();
  // Light text on a dark field; the focused entry's frame has the text's colour.
  EXPECT_TRUE(Near(ReadFramePixel(300, 165), TColor32(TColor(0.08f, 0.08f, 0.1f, 1))));
  EXPECT_EQ(ReadFramePixel(20, 150).mValue, 0xFFFFFF00u);
  EXPECT_EQ(ReadFramePixel(319, 179).mValue, 0xFFFFFF00u);
  // Dark text on a light field, framed dimly while another entry has the focus.
  const TColor32 light(TColor(0.96f, 0.96f, 0.94f, 1));
  EXPECT_TRUE(Near(ReadFramePixel(300, 265), light));
  const TColor32 dimFrame = ReadFramePixel(20, 250);
  EXPECT_LT(dimFrame.Red(), light.Red());
  EXPECT_GT(dimFrame.Red(), 64);

  manager.SetFocus(Find<TTextEdit>("where"));
  DrawFrame();
  EXPECT_EQ(ReadFramePixel(20, 250).mValue, 0xFF000000u);
  EXPECT_NE(ReadFramePixel(20, 150).mValue, 0xFFFFFF00u);
  DumpFrame(HasFailure());
}

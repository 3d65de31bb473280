// Tests of the text window: labels from the string table, font and flag keys, zero-sized
// windows, text changes and redraws, scrolling and links that act for buttons.
#include <gtest/gtest.h>

#include "support/widgetfixture.h"

namespace {

using TextTest = WidgetTest;

} // namespace

TEST_F(TextTest, LabelsComeFromTheStringTableUnlessLiteral)
{
  // Without a platform there is no table: every looked-up label shows the marker text.
  manager.EnableStringTable(true);
  Run("MakeDialog{ Text{ name = 'a', w = 200, h = 40, label = '#greeting' }, "
      "Text{ name = 'b', w = 200, h = 40, label = '12.50' }, "
      "Text{ name = 'c', w = 200, h = 40, label = 'greeting' }, "
      "Text{ name = 'd', w = 200, h = 40, label = 'nolabel' } }");
  EXPECT_EQ(Find<TText>("a")->GetText(), "greeting");
  EXPECT_EQ(Find<TText>("b")->GetText(), "12.50");
  EXPECT_EQ(Find<TText>("c")->GetText(), "#####");
  EXPECT_EQ(Find<TText>("d")->GetText(), "#####");

  manager.EnableStringTable(false);
  Run("MakeDialog{ Text{ name = 'e', w = 200, h = 40, label = 'greeting' }, "
      "Text{ name = 'f', w = 200, h = 40, label = '#greeting' } }");
  EXPECT_EQ(Find<TText>("e")->GetText(), "greeting");
  EXPECT_EQ(Find<TText>("f")->GetText(), "#greeting");
}

TEST_F(TextTest, FontTableAndFlagsReachTheLayout)
{
  Run("MakeDialog{ Text{ name = 'zero', w = 200, h = 40, label = 'x', font = { '__DEFAULT', 0 } }, "
      "Text{ name = 'plain', w = 200, h = 40, label = 'x', defflags = 5 }, "
      "Text{ name = 'own', w = 200, h = 40, label = 'x', defflags = 5, flags = 2, padding = 3, "
      "      font = { 'fonts/none.mvec', 30, { 1, 0, 0 } } } }");
  TTextGraphic* zero = Find<TText>("zero")->GetTextGraphic();
  ASSERT_NE(zero, nullptr);
  EXPECT_EQ(zero->GetLine(0)->mHeight, 12);
  const TColor green = zero->GetLine(0)->mRuns[0].mFontColor;
  EXPECT_EQ(green.r, 0.0f);
  EXPECT_EQ(green.g, 1.0f);
  EXPECT_EQ(green.a, 1.0f);
  TTextGraphic* plain = Find<TText>("plain")->GetTextGraphic();
  EXPECT_EQ(plain->GetFlags(), 5u);
  EXPECT_EQ(plain->GetLine(0)->mHeight, 16);
  EXPECT_EQ(plain->GetFont(), "__DEFAULT");
  TText* own = Find<TText>("own");
  EXPECT_EQ(own->GetTextGraphic()->GetFlags(), 2u);
  EXPECT_EQ(own->GetSpacing(), 3);
  EXPECT_EQ(own->GetTextGraphic()->GetFont(), "fonts/none.mvec");
  EXPECT_EQ(own->GetTextGraphic()->GetLine(0)->mHeight, 30);
  EXPECT_EQ(own->GetTextGraphic()->GetLine(0)->mRuns[0].mFontColor.r, 1.0f);
  // A colour of three numbers keeps the default's alpha.
  EXPECT_EQ(own->GetTextGraphic()->GetLine(0)->mRuns[0].mFontColor.a, 1.0f);
}

TEST_F(TextTest, ZeroSizedWindowsHaveNoText)
{
  Run("MakeDialog{ Text{ name = 'none', label = '#hello' }, Text{ name = 'flat', w = 100, label = '#x' } }");
  for (const char* name : {"none", "flat"}) {
    TText* text = Find<TText>(name);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetTextGraphic(), nullptr);
    EXPECT_EQ(text->GetText(), "");
    text->SetText("later");
    EXPECT_EQ(text->GetText(), "");
    EXPECT_FALSE(text->OnMouseDown(TPoint(1, 1)));
    text->SetScroll(1.0f, 0.0f);
  }
  TText direct;
  EXPECT_FALSE(direct.Create("x", 0, 10, 0, nullptr, 16, TColor()));
}

TEST_F(TextTest, ChangedTextIsRedrawnEvenWhenTheLabelWasEmpty)
{
  Run("MakeDialog{ Text{ name = 't', w = 200, h = 40 } }");
  TText* text = Find<TText>("t");
  manager.DrawStack();
  ASSERT_FALSE(manager.IsScreenInvalid());
  text->SetText("now shown");
  EXPECT_TRUE(manager.IsScreenInvalid());
  EXPECT_EQ(text->GetText(), "now shown");
  timer.Advance(50);
  manager.DrawStack();
  ASSERT_FALSE(manager.IsScreenInvalid());
  text->SetText("now shown");
  EXPECT_FALSE(manager.IsScreenInvalid());
  // The script commands read and write the same text.
  EXPECT_EQ(text->GetScriptLabel(), "now shown");
}

TEST_F(TextTest, ScrollRunsFromTheTopToTheLastPage)
{
  Run("MakeDialog{ Text{ name = 't', w = 200, h = 40, label = '#a<br>b<br>c<br>d<br>e' } }");
  TText* text = Find<TText>("t");
  ASSERT_EQ(text->GetTextGraphic()->GetLineCount(), 5);
  text->SetScroll(1.0f, 123.0f);
  EXPECT_FLOAT_EQ(text->GetTextGraphic()->GetScroll(), 3.5f);
  text->SetScroll(0.0f, 0.0f);
  EXPECT_FLOAT_EQ(text->GetTextGraphic()->GetScroll(), 0.0f);
}

TEST_F(TextTest, LinksRunTheCommandOfTheButtonTheyName)
{
  Run("MakeDialog{ Recorder{ name = 'box', w = 400, h = 300, "
      "  Text{ name = 'links', w = 400, h = 40, label = \"#<a id='go'>GO GO GO</a> plain <a id='lost'>LOST</a> <a "
      "id='box'>BOX</a>\" }, "
      "  Button{ name = 'go', x = 0, y = 100, w = 10, h = 10 } } }");
  TText* text = Find<TText>("links");
  ASSERT_NE(text, nullptr);
  TTextGraphic* graphic = text->GetTextGraphic();
  const TTextLine* line = graphic->GetLine(0);
  auto linkPoint = [&](const char* id) {
    for (const TTextRun& run : line->mRuns) {
      if (run.mLinkId == id) {
        return TPoint(int(line->mX + line->mXOffset + (run.mStartX + run.mEndX) / 2.0f), 5);
      }
    }
    return TPoint(-100, -100);
  };
  const TPoint go = linkPoint("go");
  ASSERT_GE(go.x, 0);
  EXPECT_TRUE(text->OnMouseDown(go));
  EXPECT_TRUE(text->OnMouseUp(go));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"3 go"}));

  // A click beside the links falls through.
  EXPECT_FALSE(text->OnMouseDown(TPoint(399, 5)));
  // Pressed on a link, released elsewhere: nothing runs.
  EXPECT_TRUE(text->OnMouseDown(go));
  EXPECT_TRUE(text->OnMouseUp(TPoint(399, 5)));
  EXPECT_FALSE(text->OnMouseUp(go));
  EXPECT_TRUE(Messages().empty());

  // Links that name no button only log.
  const TPoint lost = linkPoint("lost");
  EXPECT_TRUE(text->OnMouseDown(lost));
  EXPECT_TRUE(text->OnMouseUp(lost));
  const TPoint box = linkPoint("box");
  EXPECT_TRUE(text->OnMouseDown(box));
  EXPECT_TRUE(text->OnMouseUp(box));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(TextTest, RolloverMarksTheLinkAndListensToTheMouse)
{
  Run("MakeDialog{ Text{ name = 't', w = 400, h = 40, label = \"#<a id='one'>ONE</a>\" } }");
  TText* text = Find<TText>("t");
  const TTextLine* line = text->GetTextGraphic()->GetLine(0);
  const TTextRun& run = line->mRuns[1];
  const TPoint over(int(line->mX + line->mXOffset + run.mStartX + 2), 5);
  EXPECT_TRUE(text->OnMouseMove(over));
  EXPECT_EQ(text->GetTextGraphic()->GetRolloverId(), "one");
  EXPECT_TRUE(manager.IsMouseListener(text));
  EXPECT_FALSE(text->OnMouseMove(over));
  EXPECT_TRUE(text->OnMouseLeave());
  EXPECT_TRUE(text->GetTextGraphic()->GetRolloverId().empty());
  EXPECT_FALSE(manager.IsMouseListener(text));
}

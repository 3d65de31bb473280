// Tests of rich-text layout: line breaking, alignment, tags, colours, links, picking,
// rollover, scrolling and font fallback, with a hand-made font of known metrics.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "core/graphics/mvecfont.h"
#include "core/graphics/textgraphic.h"
#include "support/mvecbuilder.h"

namespace {

class TextGraphicTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    sDir = "/tmp/qvtxt-layout-" + std::to_string(long(getpid()));
    mkdir(sDir.c_str(), 0700);
    WriteFontFile(sDir + "/hand.mvec", BuildMvec(HandFontGlyphs()));
    WriteFontFile(sDir + "/lithos.mvec", BuildMvec(HandFontGlyphs()));
    WriteFontFile(sDir + "/empty.mvec", BuildMvec({}));
    WriteFontFile(sDir + "/flat.mvec", BuildMvec({TTestGlyph{'W', 0, 0, 0, 0, 512, {8}}}));
  }

  static void TearDownTestSuite() { std::filesystem::remove_all(sDir); }

  void TearDown() override
  {
    for (TTextGraphic* graphic : mGraphics)
      graphic->Destroy();
    TTextGraphic::mLegacyLineWrap = false;
    TFontData::ShutDown();
  }

  static std::string Font(const char* name) { return "::" + sDir + "/" + name; }

  // Hand font at size 25: 'A' advances 16 pixels (64 quarter pixels), a space 8.
  TTextGraphic* Make(const char* text, unsigned width = 200, unsigned height = 100, unsigned flags = 0,
                     const char* font = "hand.mvec")
  {
    TTextGraphic* graphic =
        TTextGraphic::Create(text, width, height, flags, Font(font).c_str(), 25, TColor(0.25f, 0.5f, 0.75f, 1.0f));
    mGraphics.push_back(graphic);
    return graphic;
  }

  static std::string sDir;
  std::vector<TTextGraphic*> mGraphics;
};

std::string TextGraphicTest::sDir;

} // namespace

TEST_F(TextGraphicTest, OneLineOfGlyphsHasTheFontsMetrics)
{
  TTextGraphic* graphic = Make("AA");
  ASSERT_EQ(graphic->GetLineCount(), 1);
  const TTextLine* line = graphic->GetLine(0);
  EXPECT_EQ(line->mHeight, 25);
  EXPECT_EQ(line->mBaseline, 79); // 8 x (8 + 1.875)
  ASSERT_EQ(line->mRuns.size(), 1u);
  const TTextRun& run = line->mRuns[0];
  EXPECT_FLOAT_EQ(run.mScale, 8.0f);
  EXPECT_EQ(run.mStart, 0);
  EXPECT_EQ(run.mEnd, 1);
  EXPECT_EQ(run.mStartX, 0);
  EXPECT_EQ(run.mEndX, 33); // 1 pixel of first-glyph margin, then 2 x 16
  EXPECT_EQ(line->mX, 0);
  EXPECT_FLOAT_EQ(line->mXOffset, 1.5f);
  EXPECT_EQ(graphic->GetTotalHeight(), 25);
}

TEST_F(TextGraphicTest, BreakTagsMakeLinesAndPadTheirHeight)
{
  TTextGraphic* graphic = Make("A<br pad='5'>A");
  ASSERT_EQ(graphic->GetLineCount(), 2);
  EXPECT_EQ(graphic->GetLine(0)->mHeight, 30);
  EXPECT_EQ(graphic->GetLine(1)->mHeight, 25);
  EXPECT_EQ(graphic->GetLine(1)->mRuns[0].mStart, 13);
  EXPECT_EQ(graphic->GetTotalHeight(), 55);
  EXPECT_EQ(Make("A</p>A\nA")->GetLineCount(), 3);
}

TEST_F(TextGraphicTest, AlignmentTagsEndLinesAndAlignTheNext)
{
  TTextGraphic* graphic = Make("<center>A</center>A");
  ASSERT_EQ(graphic->GetLineCount(), 3);
  EXPECT_EQ(graphic->GetLine(0)->mHeight, 0);
  EXPECT_EQ(graphic->GetLine(1)->mX, 100);
  EXPECT_FLOAT_EQ(graphic->GetLine(1)->mXOffset, -8.5f + 1.5f); // half of 17 pixels, then margin
  EXPECT_EQ(graphic->GetLine(2)->mX, 0);
  EXPECT_FLOAT_EQ(graphic->GetLine(2)->mXOffset, 1.5f);

  TTextGraphic* right = Make("AA", 100, 100, TTextGraphic::kRight);
  EXPECT_EQ(right->GetLine(0)->mX, 99);
  EXPECT_FLOAT_EQ(right->GetLine(0)->mXOffset, -33.0f + 1.5f);
  TTextGraphic* centred = Make("AA", 100, 100, TTextGraphic::kCenter);
  EXPECT_EQ(centred->GetLine(0)->mX, 50);
  EXPECT_FLOAT_EQ(centred->GetLine(0)->mXOffset, -16.5f + 1.5f);
}

TEST_F(TextGraphicTest, LongWordsBreakBetweenCharacters)
{
  TTextGraphic* graphic = Make("AAAA", 40);
  ASSERT_EQ(graphic->GetLineCount(), 2);
  EXPECT_EQ(graphic->GetLine(0)->mRuns[0].mEnd, 1);
  EXPECT_EQ(graphic->GetLine(0)->mRuns[0].mEndX, 33);
  EXPECT_EQ(graphic->GetLine(1)->mRuns[0].mStart, 2);

  TTextGraphic::mLegacyLineWrap = true;
  TTextGraphic* legacy = Make("AAAA", 40);
  ASSERT_EQ(legacy->GetLineCount(), 2);
  EXPECT_EQ(legacy->GetLine(0)->mRuns[0].mEnd, 2);
  EXPECT_EQ(legacy->GetLine(1)->mRuns[0].mStart, 3);

  // The configuration key turns it on whatever its value.
  TTextGraphic::mLegacyLineWrap = false;
  TPlatform::SetConfig("legacylinewrap", "0");
  EXPECT_TRUE(TTextGraphic::mLegacyLineWrap);
  TTextGraphic::mLegacyLineWrap = false;

  // A box narrower than one glyph still takes one glyph per line.
  EXPECT_EQ(Make("AAA", 5)->GetLineCount(), 3);
}

TEST_F(TextGraphicTest, SpaceWhereALineOverflowsBelongsToNeitherLine)
{
  TTextGraphic* graphic = Make("AA AA", 45);
  ASSERT_EQ(graphic->GetLineCount(), 2);
  EXPECT_EQ(graphic->GetLine(0)->mRuns.back().mEnd, 1);
  EXPECT_EQ(graphic->GetLine(0)->mRuns.back().mEndX, 33);
  EXPECT_EQ(graphic->GetLine(1)->mRuns[0].mStart, 3);
  EXPECT_EQ(graphic->GetLine(1)->mRuns[0].mEnd, 4);
  // Tags after the space are laid out again on the next line.
  TTextGraphic* tagged = Make("AA <b>AA", 45);
  ASSERT_EQ(tagged->GetLineCount(), 2);
  EXPECT_EQ(tagged->GetLine(0)->mRuns.back().mEnd, 1);
  EXPECT_TRUE(tagged->GetLine(1)->mRuns.back().mBold);
}

TEST_F(TextGraphicTest, StyleTagsSplitRuns)
{
  TTextGraphic* graphic = Make("A<b>A</b><i>A</i><u>A");
  const std::vector<TTextRun>& runs = graphic->GetLine(0)->mRuns;
  ASSERT_GE(runs.size(), 5u);
  EXPECT_FALSE(runs[0].mBold);
  EXPECT_TRUE(runs[1].mBold);
  EXPECT_EQ(runs[1].mStart, 4);
  EXPECT_EQ(runs[1].mEnd, 4);
  EXPECT_TRUE(runs[3].mItalic);
  EXPECT_TRUE(runs.back().mUnderline);
  // Unknown tags are consumed; a "<" without ">" is text.
  TTextGraphic* unknown = Make("A<blink-not-really>A<zz>A");
  EXPECT_EQ(unknown->GetLine(0)->mRuns.back().mEndX, 49);
  TTextGraphic* open = Make("A<A");
  EXPECT_EQ(open->GetLineCount(), 1);
  EXPECT_EQ(open->GetLine(0)->mRuns.back().mEnd, 2);
}

TEST_F(TextGraphicTest, BackslashShowsATagAsText)
{
  TTextGraphic* graphic = Make("\\<b>A", 400, 100, 0, "none.mvec");
  ASSERT_EQ(graphic->GetLineCount(), 1);
  for (const TTextRun& run : graphic->GetLine(0)->mRuns)
    EXPECT_FALSE(run.mBold);
  EXPECT_GT(graphic->GetLine(0)->mRuns.back().mEndX, 30);
}

TEST_F(TextGraphicTest, FontTagsSetSizeColourAndFaceAndNest)
{
  TTextGraphic* graphic =
      Make("<font size='50' color='ff000080'>A<font color='#00ff0080'>A</font></font>A<a color='ff8000'>A");
  const std::vector<TTextRun>& runs = graphic->GetLine(0)->mRuns;
  ASSERT_GE(runs.size(), 5u);
  EXPECT_EQ(runs[1].mSize, 50);
  EXPECT_FLOAT_EQ(runs[1].mScale, 16.0f);
  EXPECT_FLOAT_EQ(runs[1].mFontColor.r, 1.0f);
  EXPECT_FLOAT_EQ(runs[1].mFontColor.a, 128.0f / 255.0f);
  EXPECT_FLOAT_EQ(runs[2].mFontColor.g, 1.0f);
  EXPECT_FLOAT_EQ(runs[2].mFontColor.a, 128.0f / 255.0f);
  EXPECT_EQ(runs[2].mSize, 50);
  const TTextRun& plain = runs[runs.size() - 2];
  EXPECT_EQ(plain.mSize, 25);
  EXPECT_FLOAT_EQ(plain.mFontColor.b, 0.75f);
  const TTextRun& link = runs.back();
  EXPECT_FLOAT_EQ(link.mCurrentColor.r, 1.0f);
  EXPECT_FLOAT_EQ(link.mCurrentColor.g, 128.0f / 255.0f);
  EXPECT_FLOAT_EQ(link.mCurrentColor.a, 1.0f);
  EXPECT_EQ(graphic->GetLine(0)->mHeight, 50);
}

TEST_F(TextGraphicTest, DeepNestingStaysInsideTheStacks)
{
  std::string text;
  for (int i = 0; i < 40; ++i)
    text += "<font size='10'><center>";
  text += "A";
  for (int i = 0; i < 45; ++i)
    text += "</font></center>";
  text += "A";
  TTextGraphic* graphic = Make(text.c_str());
  const TTextLine* last = graphic->GetLine(graphic->GetLineCount() - 1);
  EXPECT_EQ(last->mRuns.back().mSize, 25);
}

TEST_F(TextGraphicTest, OutlineAndTabTags)
{
  TTextGraphic* graphic = Make("<outline color='102030'>A<outline size='3'>A</outline>A<tab pos='80'>A");
  const std::vector<TTextRun>& runs = graphic->GetLine(0)->mRuns;
  ASSERT_GE(runs.size(), 5u);
  EXPECT_FLOAT_EQ(runs[1].mOutlineSize, 2.0f);
  EXPECT_FLOAT_EQ(runs[1].mOutlineColor.r, 16.0f / 255.0f);
  EXPECT_FLOAT_EQ(runs[2].mOutlineSize, 3.0f);
  EXPECT_FLOAT_EQ(runs[3].mOutlineSize, 0.0f);
  EXPECT_EQ(runs[3].mTabPos, 320);
  EXPECT_EQ(runs[3].mEndX, 80);
  EXPECT_EQ(runs[4].mStartX, 80);
}

TEST_F(TextGraphicTest, EmptyTextHasNoLines)
{
  TTextGraphic* graphic = Make("");
  EXPECT_EQ(graphic->GetLineCount(), 0);
  TRect bounds(5, 5, 5, 5);
  EXPECT_EQ(graphic->GetTextBounds(&bounds, 1.0f), 0);
  EXPECT_EQ(bounds.left, 0);
  EXPECT_EQ(graphic->GetMaxScroll(1.0f, 0), 0);
}

TEST_F(TextGraphicTest, BoundsCoverTheRunsAndTheAnchoredHeight)
{
  TTextGraphic* graphic = Make("AA<br>A", 200, 100, TTextGraphic::kVCenter);
  TRect bounds;
  EXPECT_EQ(graphic->GetTextBounds(&bounds, 1.0f), 75);
  EXPECT_EQ(bounds.left, 1);
  EXPECT_EQ(bounds.right, 34);
  EXPECT_EQ(bounds.top, 25);
  TTextGraphic* bottom = Make("A", 200, 100, TTextGraphic::kBottom);
  EXPECT_EQ(bottom->GetTextBounds(&bounds, 1.0f), 100);
  EXPECT_EQ(bounds.top, 75);
}

TEST_F(TextGraphicTest, MaxScrollCountsTheLinesThatDoNotFit)
{
  TTextGraphic* graphic = Make("A<br>A<br>A<br>A", 200, 60);
  EXPECT_EQ(graphic->GetMaxScroll(1.0f, 0), 2);
  EXPECT_EQ(graphic->GetMaxScroll(1.0f, 10), 3);
  EXPECT_EQ(Make("A", 200, 10)->GetMaxScroll(1.0f, 0), 1);
  EXPECT_EQ(Make("A<br>A", 200, 60)->GetMaxScroll(1.0f, 0), 0);
}

TEST_F(TextGraphicTest, PickAndRolloverFindLinks)
{
  TTextGraphic* graphic = Make("<a id='one'>AA</a> <a id='two'>A</a><br>A");
  EXPECT_EQ(graphic->Pick(TPoint(10, 5), 0), str("one"));
  EXPECT_EQ(graphic->Pick(TPoint(36, 5), 0), str(""));
  EXPECT_EQ(graphic->Pick(TPoint(50, 5), 0), str("two"));
  EXPECT_EQ(graphic->Pick(TPoint(10, 30), 0), str(""));
  EXPECT_EQ(graphic->Pick(TPoint(300, 5), 0), str(""));
  // Spacing widens the band above each line after the first.
  EXPECT_EQ(graphic->Pick(TPoint(10, -3), 4), str("one"));

  TPoint over(10, 5);
  EXPECT_TRUE(graphic->Rollover(&over, 0));
  EXPECT_EQ(graphic->GetRolloverId(), str("one"));
  EXPECT_FALSE(graphic->Rollover(&over, 0));
  EXPECT_TRUE(graphic->Rollover(nullptr, 0));
  EXPECT_TRUE(graphic->GetRolloverId().empty());
  // Scrolled by a line, the first line is gone.
  graphic->SetScroll(1.0f);
  EXPECT_EQ(graphic->Pick(TPoint(10, 5), 0), str(""));
}

TEST_F(TextGraphicTest, SettersLayOutOnlyOnChange)
{
  TTextGraphic* graphic = Make("A");
  graphic->SetText("A<br>A");
  EXPECT_EQ(graphic->GetLineCount(), 2);
  graphic->SetLineHeight(50);
  EXPECT_EQ(graphic->GetLine(0)->mHeight, 50);
  graphic->SetFont(nullptr);
  EXPECT_EQ(graphic->GetFont(), str("__DEFAULT"));
  graphic->SetRotation(0.00001f, 10, 20);
  EXPECT_EQ(graphic->GetLineCount(), 2);
}

TEST_F(TextGraphicTest, MissingGlyphsComeFromTheFallbackFont)
{
  TTextGraphic* graphic = Make("ABA");
  const std::vector<TTextRun>& runs = graphic->GetLine(0)->mRuns;
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[1].mStart, 1);
  EXPECT_EQ(runs[1].mEnd, 1);
  EXPECT_NE(runs[1].mFaceFont, nullptr);
  EXPECT_NE(runs[1].mFont, runs[0].mFont);
  EXPECT_EQ(runs[2].mFaceFont, nullptr);
  EXPECT_EQ(runs[2].mFont, runs[0].mFont);
  // A character neither font has is skipped without advance.
  EXPECT_EQ(Make("A\xEE\x80\x80"
                 "A")
                ->GetLine(0)
                ->mRuns.back()
                .mEndX,
            33);
  // So are malformed bytes, and they never take the character after them with them.
  EXPECT_EQ(Make("A\xC3"
                 "A")
                ->GetLine(0)
                ->mRuns.back()
                .mEndX,
            33);
  EXPECT_EQ(Make("A\xE2\x82"
                 "A")
                ->GetLine(0)
                ->mRuns.back()
                .mEndX,
            33);
}

TEST_F(TextGraphicTest, UnusableFontsFallBackInsteadOfDividingByZero)
{
  for (const char* name : {"empty.mvec", "flat.mvec", "missing.mvec"}) {
    TTextGraphic* graphic = Make("AW", 200, 100, 0, name);
    ASSERT_EQ(graphic->GetLineCount(), 1) << name;
    const TTextRun& run = graphic->GetLine(0)->mRuns[0];
    ASSERT_NE(run.mFont, nullptr);
    EXPECT_TRUE(run.mFont->IsUsable());
    EXPECT_GT(run.mScale, 0.0f);
    EXPECT_LT(run.mScale, 100.0f);
  }
}

TEST_F(TextGraphicTest, AFontThatCannotBeUsedIsNamedWithWhatStandsIn)
{
  const std::string missing = Font("missing.mvec");
  testing::internal::CaptureStderr();
  Make("A", 200, 100, 0, "missing.mvec");
  Make("A", 200, 100, 0, "missing.mvec");
  const std::string log = testing::internal::GetCapturedStderr();
  // Without "fonts/default.mvec" here the built-in font stands in; said once per name, and
  // the fallback file's own absence is no fault (the built-in font is its stand-in).
  const std::string standIn = "ERROR: Font file " + missing + " cannot be used; the built-in font stands in";
  ASSERT_NE(std::string::npos, log.find(standIn)) << log;
  EXPECT_EQ(std::string::npos, log.find(standIn, log.find(standIn) + 1)) << log;
  EXPECT_EQ(std::string::npos, log.find("default.mvec")) << log;
}

TEST_F(TextGraphicTest, LithosFacesAreScaledDown)
{
  TTextGraphic* graphic = Make("A", 200, 100, 0, "lithos.mvec");
  EXPECT_FLOAT_EQ(graphic->GetLine(0)->mRuns[0].mScale, 8.0f * 0.7f);
}

TEST_F(TextGraphicTest, TruncatedTextStopsAtItsEnd)
{
  for (const char* text : {"A\xC3", "A\xE2\x82", "A\xF0", "A\\", "\\", "A<", "<font size='9"}) {
    TTextGraphic* graphic = Make(text);
    EXPECT_EQ(graphic->GetLineCount(), 1) << text;
  }
}

TEST_F(TextGraphicTest, CursorTagMarksItsRun)
{
  TTextGraphic* graphic = Make("A<cursor>A");
  const std::vector<TTextRun>& runs = graphic->GetLine(0)->mRuns;
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_TRUE(runs[0].mCursor);
  EXPECT_FALSE(runs[1].mCursor);
  // A cursor alone still gives the line its height.
  EXPECT_EQ(Make("<cursor>")->GetLine(0)->mHeight, 25);
}

TEST(TextState, AttributesKeepTheirQuotedValues)
{
  char value[TTextState::kTagBufferSize];
  EXPECT_TRUE(TTextState::GetAttribute("<fontface='Fonts/X.mvec'size=\"9\">", "face", value));
  EXPECT_STREQ(value, "Fonts/X.mvec");
  EXPECT_TRUE(TTextState::GetAttribute("<fontface='Fonts/X.mvec'size=\"9\">", "size", value));
  EXPECT_STREQ(value, "9");
  EXPECT_FALSE(TTextState::GetAttribute("<fontsize=9>", "size", value));
  EXPECT_FALSE(TTextState::GetAttribute("<font>", "size", value));
  EXPECT_FALSE(TTextState::GetAttribute("<fontsize='9>", "size", value));
}

TEST(TextState, LongTagsAreCutButConsumedWhole)
{
  TTextState state;
  std::string tag = "<font size='30' face='" + std::string(300, 'x') + "'>";
  int consumed = 0;
  bool lineBreak = false, cursor = false, align = false;
  int pad = 0, tab = 0;
  EXPECT_TRUE(state.ParseTag(tag.c_str(), &consumed, &lineBreak, &pad, &cursor, &align, &tab));
  EXPECT_EQ(consumed, int(tag.size()));
  EXPECT_EQ(state.Font().mSize, 30);
  EXPECT_FALSE(state.ParseTag("<b", &consumed, &lineBreak, &pad, &cursor, &align, &tab));
}

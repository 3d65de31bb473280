// Tests of the credits window: blocks by column count, headers in their colour, dropped
// empty columns, blank lines, "\r\n" line ends, the scroll timing with its intro pause and
// looped passes, a missing or empty file, and the drawn frame.
#include <gtest/gtest.h>

#include "core/foundation/file.h"
#include "shell/credits.h"
#include "support/shellwindowfixture.h"

namespace {

class CreditsTest : public ShellWindowTest
{
protected:
  TCredits* Open(const std::string& text, const char* keys = "speed = 10, intropause = 2000")
  {
    sandbox.WriteFile("assets/credits.txt", text);
    TFile::ScanForResources();
    Run((std::string("MakeDialog{ CreditsWindow{ name = 'credits', x = 100, y = 50, w = 400, h = 300, "
                     "file = 'credits.txt', fontsize = 20, fontcolor = { 1, 1, 1, 1 }, "
                     "headercolor = { 1, 0, 0, 1 }, ") +
         keys + " } }")
            .c_str());
    return Find<TCredits>("credits");
  }
  str Column(TCredits* credits, int block, int column) { return credits->GetBlock(block).GetColumn(column).GetText(); }
};

} // namespace

TEST_F(CreditsTest, LinesWithTheSameColumnCountFormOneBlockAndHeadersGetTheirColour)
{
  TCredits* credits = Open("[Directors]\nAnn|Bo\nCy|Dee\n");
  ASSERT_NE(nullptr, credits);
  ASSERT_EQ(2, credits->GetBlockCount());
  EXPECT_EQ(1, credits->GetBlock(0).GetColumnCount());
  EXPECT_EQ(str("<font color='ff0000ff'>Directors</font>\n"), Column(credits, 0, 0));
  ASSERT_EQ(2, credits->GetBlock(1).GetColumnCount());
  EXPECT_EQ(str("Ann\nCy\n"), Column(credits, 1, 0));
  EXPECT_EQ(str("Bo\nDee\n"), Column(credits, 1, 1));
  EXPECT_GT(credits->GetBlock(1).GetHeight(), credits->GetBlock(0).GetHeight());
  EXPECT_EQ(credits->GetBlock(0).GetHeight() + credits->GetBlock(1).GetHeight(), credits->GetTotalHeight());
}

TEST_F(CreditsTest, EmptyColumnsAreDroppedAndBlankLinesSpaceEveryColumn)
{
  TCredits* credits = Open("  A | | B \t\n\nC|D\n");
  ASSERT_EQ(1, credits->GetBlockCount());
  EXPECT_EQ(str("A\n\nC\n"), Column(credits, 0, 0));
  EXPECT_EQ(str("B\n\nD\n"), Column(credits, 0, 1));
}

TEST_F(CreditsTest, EachBlankLineAddsOneLineOfHeightInsideAndAtTheEndOfABlock)
{
  TCredits* credits = Open("A\nB\n\nC\n\n\nD|E\n");
  ASSERT_EQ(2, credits->GetBlockCount());
  EXPECT_EQ(str("A\nB\n\nC\n\n\n"), Column(credits, 0, 0));
  const int line = credits->GetBlock(1).GetHeight();
  EXPECT_GT(line, 0);
  // A, B, a blank line, C and two blank lines: six lines.
  EXPECT_EQ(6 * line, credits->GetBlock(0).GetHeight());
  EXPECT_EQ(7 * line, credits->GetTotalHeight());
}

TEST_F(CreditsTest, CarriageReturnLineEndsGiveAnEmptyLineAndStayInTheLastColumn)
{
  TCredits* credits = Open("A|B\r\nC|D\r\n");
  ASSERT_EQ(1, credits->GetBlockCount());
  EXPECT_EQ(str("A\n\nC\n\n"), Column(credits, 0, 0));
  EXPECT_EQ(str("B\r\n\nD\r\n\n"), Column(credits, 0, 1));
}

TEST_F(CreditsTest, TheTextStandsStillForTheIntroThenScrollsAndLoopsFromBelow)
{
  TCredits* credits = Open("[Cast]\nAnn|Bo\nCy|Dee\n\nEve\nFay\n");
  const uint32_t start = timer.Now();
  const int total = credits->GetTotalHeight();
  ASSERT_GT(total, 0);
  const int firstPass = total * 100; // ms at 10 pixels a second
  int top = 99;
  // The first frame comes as the window opens.
  ASSERT_TRUE(credits->ScrollTop(start, &top));
  ASSERT_TRUE(credits->ScrollTop(start + 1500, &top));
  EXPECT_EQ(0, top);
  ASSERT_TRUE(credits->ScrollTop(start + 2000 + firstPass / 2, &top));
  EXPECT_NEAR(-total / 2, top, 1);
  EXPECT_FALSE(credits->IsLooped());
  // The first pass is over: later passes start below the window, without the pause.
  ASSERT_TRUE(credits->ScrollTop(start + 2000 + firstPass + 1, &top));
  EXPECT_TRUE(credits->IsLooped());
  // The looped passes are timed from the moment the first one ended.
  const uint32_t loopStart = start + 2000 + firstPass + 1;
  const int loop = (300 + total) * 100;
  ASSERT_TRUE(credits->ScrollTop(loopStart + loop / 4, &top));
  EXPECT_NEAR(300 - (300 + total) / 4, top, 1);
  ASSERT_TRUE(credits->ScrollTop(loopStart + loop + 10, &top));
  EXPECT_NEAR(300, top, 1);
}

TEST_F(CreditsTest, ThePauseCountsFromTheFirstFrameHoweverLateItComes)
{
  TCredits* credits = Open("[Cast]\nAnn\nBo\n");
  const uint32_t shown = timer.Now() + 5000;
  const int firstPass = credits->GetTotalHeight() * 100;
  int top = 99;
  ASSERT_TRUE(credits->ScrollTop(shown, &top));
  EXPECT_EQ(0, top);
  ASSERT_TRUE(credits->ScrollTop(shown + 1999, &top));
  EXPECT_EQ(0, top);
  ASSERT_TRUE(credits->ScrollTop(shown + 2000 + firstPass / 2, &top));
  EXPECT_NEAR(-credits->GetTotalHeight() / 2, top, 1);
}

TEST_F(CreditsTest, AMissingOrEmptyFileOrNoSpeedDrawsNothingAndDoesNotFail)
{
  Run("MakeDialog{ CreditsWindow{ name = 'gone', w = 400, h = 300, file = 'nothere.txt' } }");
  TCredits* gone = Find<TCredits>("gone");
  EXPECT_EQ(0, gone->GetBlockCount());
  int top = 0;
  EXPECT_FALSE(gone->ScrollTop(timer.Now() + 5000, &top));
  DrawFrame();

  TCredits* empty = Open("", "speed = 10");
  EXPECT_EQ(0, empty->GetTotalHeight());
  EXPECT_FALSE(empty->ScrollTop(timer.Now() + 5000, &top));
  DrawFrame();
}

TEST_F(CreditsTest, StandingStillWithoutSpeed)
{
  TCredits* still = Open("Ann\n", "speed = 0");
  int top = 0;
  EXPECT_FALSE(still->ScrollTop(timer.Now() + 5000, &top));
  DrawFrame();
}

TEST_F(CreditsTest, TheFrameShowsTheHeaderInItsColourInsideTheWindowOnly)
{
  Open("[HEADER LINE]\nplain names here\n", "speed = 10, intropause = 100000");
  DrawFrame();
  std::vector<TColor32> inside = ReadFrameBlock(100, 50, 400, 18);
  int red = 0;
  int white = 0;
  for (TColor32 pixel : inside) {
    const int r = (pixel.mValue >> 16) & 0xFF, g = (pixel.mValue >> 8) & 0xFF, b = pixel.mValue & 0xFF;
    red += r > 150 && g < 80 && b < 80;
    white += r > 150 && g > 150 && b > 150;
  }
  EXPECT_GT(red, 20);
  EXPECT_EQ(0, white);
  std::vector<TColor32> second = ReadFrameBlock(100, 76, 400, 30);
  white = 0;
  for (TColor32 pixel : second) {
    white += ((pixel.mValue >> 16) & 0xFF) > 150 && ((pixel.mValue >> 8) & 0xFF) > 150;
  }
  EXPECT_GT(white, 20);
  // Nothing outside the window.
  for (TColor32 pixel : ReadFrameBlock(0, 0, 90, 40)) {
    ASSERT_EQ(0u, pixel.mValue & 0x00FFFFFFu);
  }
}

TEST_F(CreditsTest, AnEmptyOrGarbageFileIsReportedUnderItsName)
{
  struct Case
  {
    const char* name;
    std::string text;
    const char* line;
    int blocks;
  };
  const Case cases[] = {
      {"empty", "", "ERROR: The credits file 'credits.txt' is empty", 0},
      {"binary", std::string("Cast|Ann\n\x89PNG\x1a\x01\x02", 16),
       "ERROR: The credits file 'credits.txt' is damaged at line 2 (not text)", 1},
      {"zero byte", std::string("\0\0garbage\n", 10), "ERROR: The credits file 'credits.txt' is damaged at line 1", 0},
      {"broken character", "Ann\n\xC3(\n", "ERROR: The credits file 'credits.txt' is damaged at line 2", 1},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    TCredits* credits = Open(c.text);
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_NE(nullptr, credits) << c.name;
    EXPECT_NE(std::string::npos, log.find(c.line)) << c.name << ": " << log;
    // What came before the damage still shows.
    EXPECT_EQ(c.blocks, credits->GetBlockCount()) << c.name;
    Run("DestroyWindow('credits')");
    manager.ClearDestroyedWindows();
  }

  // A long line is cut into reads inside a character without being taken for damage.
  std::string longLine(1022, 'a');
  longLine += "\xC3\xA9 end\n";
  testing::internal::CaptureStderr();
  Open(longLine);
  EXPECT_EQ(std::string::npos, testing::internal::GetCapturedStderr().find("ERROR"));
}

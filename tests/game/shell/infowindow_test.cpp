// Tests of the round result window: the six lines from the game's scores at the moment the
// script builds it, and a script that leaves a line out.
#include <map>

#include <gtest/gtest.h>

#include "shell/infowindow.h"
#include "support/shellwindowfixture.h"

namespace {

class TFixedScores : public TRoundScores
{
public:
  uint32_t GetScore(const str& category) override { return mScores[std::string(category.c_str())]; }
  std::map<std::string, uint32_t> mScores;
};

class InfoWindowTest : public ShellWindowTest
{
protected:
  void SetUp() override
  {
    ShellWindowTest::SetUp();
    TInfoWindow::SetScoreSource(&scores);
  }
  void TearDown() override
  {
    TInfoWindow::SetScoreSource(nullptr);
    ShellWindowTest::TearDown();
  }
  str Line(const char* name) { return Find<TText>(name)->GetText(); }

  TFixedScores scores;
};

const char kResult[] = "MakeDialog{ InfoWindow{ name = 'result', w = 400, h = 300, "
                       "Text{ name = 'objects', y = 0, w = 300, h = 30, label = '' }, "
                       "Text{ name = 'extra_time', y = 40, w = 300, h = 30, label = '' }, "
                       "Text{ name = 'no_hints', y = 80, w = 300, h = 30, label = '' }, "
                       "Text{ name = 'decals', y = 120, w = 300, h = 30, label = '' }, "
                       "Text{ name = 'puzzles', y = 160, w = 300, h = 30, label = '' }, "
                       "Text{ name = 'total', y = 200, w = 300, h = 30, label = '' } } }";

} // namespace

TEST_F(InfoWindowTest, TheLinesShowTheScoresAsTheyAreWhenTheWindowIsBuilt)
{
  scores.mScores["Object_Found"] = 1200;
  Run(kResult);
  EXPECT_EQ(str("Objects: 1200"), Line("objects"));
  EXPECT_EQ(str("Extra time: 0"), Line("extra_time"));
  EXPECT_EQ(str("No hints: 0"), Line("no_hints"));
  EXPECT_EQ(str("Decals: 0"), Line("decals"));
  EXPECT_EQ(str("Puzzles: 0"), Line("puzzles"));
  EXPECT_EQ(str("Total: 0"), Line("total"));
  scores.mScores["Total_round"] = 5;
  EXPECT_EQ(str("Total: 0"), Line("total"));
}

TEST_F(InfoWindowTest, AMissingLineLeavesTheOthersFilled)
{
  scores.mScores["Total_round"] = 4321;
  scores.mScores["Puzzles"] = 7;
  Run("MakeDialog{ InfoWindow{ name = 'result', x = 10, y = 10, w = 400, h = 300, "
      "Text{ name = 'puzzles', w = 300, h = 30, label = '' }, "
      "Text{ name = 'total', y = 40, w = 300, h = 30, label = '' } } }");
  EXPECT_EQ(str("Puzzles: 7"), Line("puzzles"));
  EXPECT_EQ(str("Total: 4321"), Line("total"));
}

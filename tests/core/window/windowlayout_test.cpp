// Tests of window layout from styles: every position and size encoding resolved against
// the parent, the align bits, and when a style leaves a window alone.
#include <gtest/gtest.h>

#include "core/window/window.h"
#include "support/windowtestutil.h"

namespace {

class LayoutTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    parent.SetWindowSize(800, 600);
    parent.AdoptChild(child, false);
  }

  // Resolves one horizontal axis against the parent's width of 800.
  std::pair<int, int> X(int pos, int size, int align = -1)
  {
    const bool given = align != -1;
    child->FixSize(&pos, &size, &TWindow::GetWindowWidth, given && (align & 1), given && (align & 2), given);
    return {pos, size};
  }

  TWindow parent;
  TWindow* child = new TWindow;
};

typedef std::pair<int, int> PosSize;

TEST_F(LayoutTest, FixedSize_AbsoluteCentreAndFarEdgePositions)
{
  EXPECT_EQ(X(25, 100), PosSize(25, 100));
  EXPECT_EQ(X(80000, 100), PosSize(350, 100));
  EXPECT_EQ(X(80010, 100), PosSize(360, 100));
  EXPECT_EQ(X(159990, 100), PosSize(790, 100));
  EXPECT_EQ(X(160000, 100), PosSize(800, 100));
}

TEST_F(LayoutTest, FixedSize_NegativePositionWrapsUnlessAlignIsGiven)
{
  EXPECT_EQ(X(-20, 100), PosSize(780, 100));
  EXPECT_EQ(X(-20, 100, 0), PosSize(-20, 100));
}

TEST_F(LayoutTest, Align_CentreAndFarEdgeOfTheWindow)
{
  EXPECT_EQ(X(400, 100, 1), PosSize(350, 100));
  EXPECT_EQ(X(400, 100, 2), PosSize(300, 100));
  // Inside the centre range the position is already centred.
  EXPECT_EQ(X(80000, 100, 1), PosSize(350, 100));
  // A far-edge position aligned right puts the window's right edge there.
  EXPECT_EQ(X(160000, 100, 2), PosSize(700, 100));
  // Nothing to align without a size.
  EXPECT_EQ(X(400, 0, 1), PosSize(400, 0));
}

TEST_F(LayoutTest, RelativeSize_FromTheNearEdge)
{
  EXPECT_EQ(X(0, 160000), PosSize(0, 800));
  EXPECT_EQ(X(10, 159990), PosSize(10, 780));
  EXPECT_EQ(X(-20, 160000), PosSize(780, 20));
}

TEST_F(LayoutTest, RelativeSize_CentreRangeOffsetsDoubleAtTheNearEdge)
{
  EXPECT_EQ(X(79990, 160000), PosSize(0, 780));
  EXPECT_EQ(X(80010, 160000), PosSize(20, 780));
  EXPECT_EQ(X(80000, 160000), PosSize(0, 800));
}

TEST_F(LayoutTest, NegativeSize_PositionNamesTheFarEdge)
{
  EXPECT_EQ(X(100, -50), PosSize(50, 50));
  EXPECT_EQ(X(159990, -50), PosSize(740, 50));
  EXPECT_EQ(X(80000, -100), PosSize(250, 100));
  EXPECT_EQ(X(-10, -50), PosSize(740, 50));
}

TEST_F(LayoutTest, NoParent_OnlyAlignApplies)
{
  TWindow loose;
  int pos = 80000, size = 100;
  loose.FixSize(&pos, &size, &TWindow::GetWindowWidth, false, false, false);
  EXPECT_EQ(pos, 80000);
  pos = 400;
  loose.FixSize(&pos, &size, &TWindow::GetWindowWidth, true, false, true);
  EXPECT_EQ(pos, 350);
}

TEST_F(LayoutTest, Style_PlacesAFreshWindowOnBothAxes)
{
  TMapStyle style;
  style.Set("x", 80000).Set("y", 159990).Set("w", 100).Set("h", 50);
  child->SizeAndPositionFromStyle(style);
  EXPECT_EQ(child->GetRect().left, 350);
  EXPECT_EQ(child->GetRect().top, 590);
  EXPECT_EQ(child->GetWindowWidth(), 100);
  EXPECT_EQ(child->GetWindowHeight(), 50);
}

TEST_F(LayoutTest, Style_AlignBitsOfTheYAxis)
{
  TMapStyle style;
  style.Set("x", 100).Set("y", 300).Set("w", 100).Set("h", 50).Set("align", 4 | 2);
  child->SizeAndPositionFromStyle(style);
  EXPECT_EQ(child->GetRect().left, 0);
  EXPECT_EQ(child->GetRect().top, 275);
}

TEST_F(LayoutTest, Style_WaitsForTheParentsExtent)
{
  TWindow empty;
  TWindow* inner = new TWindow;
  empty.AdoptChild(inner, false);
  TMapStyle style;
  style.Set("x", 80000).Set("w", 100).Set("h", 10);
  inner->SizeAndPositionFromStyle(style);
  EXPECT_EQ(inner->GetWindowWidth(), 0);
  empty.SetWindowSize(200, 100);
  inner->SizeAndPositionFromStyle(style);
  EXPECT_EQ(inner->GetRect().left, 50);
  EXPECT_EQ(inner->GetWindowWidth(), 100);
}

TEST_F(LayoutTest, Style_RelativePositionWithoutSizeChangesNothing)
{
  TMapStyle style;
  style.Set("x", 80000).Set("h", 10);
  child->SizeAndPositionFromStyle(style);
  EXPECT_EQ(child->GetRect().left, 0);
  EXPECT_EQ(child->GetWindowHeight(), 0);
}

TEST_F(LayoutTest, Style_SecondPassFillsOnlyWhatIsStillZero)
{
  TMapStyle style;
  style.Set("x", 30).Set("y", 40).Set("w", 100).Set("h", 50);
  child->SizeAndPositionFromStyle(style);
  TMapStyle other;
  other.Set("x", 80000).Set("y", 0).Set("w", 300).Set("h", 20);
  child->SizeAndPositionFromStyle(other);
  EXPECT_EQ(child->GetRect().left, 30);
  EXPECT_EQ(child->GetRect().top, 40);
  EXPECT_EQ(child->GetWindowWidth(), 100);
  EXPECT_EQ(child->GetWindowHeight(), 50);
}

TEST_F(LayoutTest, PostChildrenInit_FitGrowsToTheChildrenFirst)
{
  TWindow* grandchild = new TWindow;
  child->AdoptChild(grandchild, false);
  grandchild->SetWindowPos(10, 20);
  grandchild->SetWindowSize(90, 30);
  TMapStyle style;
  style.Set("fit", 1).Set("x", 80000);
  child->PostChildrenInit(style);
  EXPECT_EQ(child->GetWindowWidth(), 100);
  EXPECT_EQ(child->GetWindowHeight(), 50);
  EXPECT_EQ(child->GetRect().left, 350);
}

} // namespace

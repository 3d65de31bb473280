// Tests of the rollover area: its target shows with the text while the mouse is over it
// and hides when it leaves; without a target it only has the screen redrawn.
#include <gtest/gtest.h>

#include "shell/rolloverwindow.h"
#include "support/shellwindowfixture.h"

namespace {

class RolloverTest : public ShellWindowTest
{
protected:
  void SetUp() override
  {
    ShellWindowTest::SetUp();
    if (IsSkipped())
      return;
    Run("MakeDialog{ RolloverWindow{ name = 'area', x = 10, y = 10, w = 100, h = 50, "
        "  activate = 'tip', text = 'Opens the options' }, "
        "RolloverWindow{ name = 'blind', x = 300, y = 10, w = 100, h = 50 }, "
        "Text{ name = 'tip', x = 10, y = 200, w = 300, h = 30, label = 'old' } }");
    Run("EnableWindow('tip', false)");
    area = Find<TRolloverWindow>("area");
    tip = Find<TText>("tip");
  }
  TRolloverWindow* area = nullptr;
  TText* tip = nullptr;
};

} // namespace

TEST_F(RolloverTest, TheTargetShowsWithTheTextWhileTheMouseIsOverTheArea)
{
  EXPECT_FALSE(tip->IsVisible());
  Move(TPoint(50, 30));
  EXPECT_TRUE(area->IsHovering());
  EXPECT_TRUE(tip->IsVisible());
  EXPECT_EQ(str("Opens the options"), tip->GetText());
  EXPECT_TRUE(manager.IsMouseListener(area));
  Move(TPoint(60, 40));
  EXPECT_TRUE(tip->IsVisible());
  Move(TPoint(500, 400));
  EXPECT_FALSE(area->IsHovering());
  EXPECT_FALSE(tip->IsVisible());
  EXPECT_FALSE(manager.IsMouseListener(area));
}

TEST_F(RolloverTest, AnAreaWithoutATargetOnlyRedraws)
{
  TRolloverWindow* blind = Find<TRolloverWindow>("blind");
  manager.DrawStack();
  EXPECT_FALSE(manager.IsScreenInvalid());
  Move(TPoint(350, 30));
  EXPECT_TRUE(blind->IsHovering());
  EXPECT_TRUE(manager.IsScreenInvalid());
  EXPECT_FALSE(tip->IsVisible());
}

TEST_F(RolloverTest, AnAreaDestroyedWhileHoveredLeavesNoListenerBehind)
{
  Move(TPoint(50, 30));
  Run("DestroyWindow('area')");
  manager.ClearDestroyedWindows();
  EXPECT_FALSE(manager.IsMouseListener(area));
  Move(TPoint(500, 400));
}

// Tests of the timer-mode window: hovering a choice shows its description, other buttons
// leave the text alone.
#include <gtest/gtest.h>

#include "shell/timermode.h"
#include "support/shellwindowfixture.h"

namespace {

class TimerModeTest : public ShellWindowTest
{
protected:
  void SetUp() override
  {
    ShellWindowTest::SetUp();
    if (IsSkipped())
      return;
    Run("MakeDialog{ TTimerMode{ name = 'mode', w = 600, h = 300, "
        "GButtonEx{ name = 'timeyesname', x = 10, y = 10, w = 100, h = 40 }, "
        "GButtonEx{ name = 'timenoname', x = 200, y = 10, w = 100, h = 40 }, "
        "GButtonEx{ name = 'back', x = 400, y = 10, w = 100, h = 40 }, "
        "Text{ name = 'time_mode_txt', x = 10, y = 100, w = 500, h = 40, label = '' } } }");
  }
  str Description() { return Find<TText>("time_mode_txt")->GetText(); }
};

} // namespace

TEST_F(TimerModeTest, HoveringAChoiceShowsItsDescriptionAndItStaysAfterwards)
{
  Move(Centre(Find<TButton>("timenoname")));
  EXPECT_EQ(str("Take your time"), Description());
  Move(Centre(Find<TButton>("back")));
  EXPECT_EQ(str("Take your time"), Description());
  Move(Centre(Find<TButton>("timeyesname")));
  EXPECT_EQ(str("Race the clock"), Description());
  Move(TPoint(5, 500));
  EXPECT_EQ(str("Race the clock"), Description());
}

TEST_F(TimerModeTest, OnlyTheTwoChoicesAreDescribed)
{
  TTimerMode* mode = Find<TTimerMode>("mode");
  mode->OnButtonHighlight(Find<TButton>("back"));
  mode->OnButtonHighlight(nullptr);
  EXPECT_EQ(str(), Description());
}

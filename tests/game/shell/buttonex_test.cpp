// Tests of the label button: the label sinks while the button is held and comes back on
// release or when the mouse leaves; without a label it is a plain button.
#include <gtest/gtest.h>

#include "shell/buttonex.h"
#include "support/shellwindowfixture.h"

namespace {

class ButtonExTest : public ShellWindowTest
{
protected:
  void SetUp() override
  {
    ShellWindowTest::SetUp();
    if (IsSkipped())
      return;
    Run("MakeDialog{ Recorder{ w = 600, h = 300, "
        "GButtonEx{ name = 'go', x = 10, y = 10, w = 100, h = 40, "
        "  Text{ name = 'label', x = 5, y = 8, w = 90, h = 24, label = 'Go' } }, "
        "GButtonEx{ name = 'bare', x = 200, y = 10, w = 100, h = 40 } } }");
    button = Find<GButtonEx>("go");
    label = Find<TText>("label");
  }
  GButtonEx* button = nullptr;
  TText* label = nullptr;
};

} // namespace

TEST_F(ButtonExTest, TheLabelSinksTwoPixelsWhileHeldAndComesBackOnRelease)
{
  Move(Centre(button));
  Down(Centre(button));
  EXPECT_TRUE(button->IsPressed());
  EXPECT_EQ(5, label->GetRect().left);
  EXPECT_EQ(10, label->GetRect().top);
  Up(Centre(button));
  EXPECT_FALSE(button->IsPressed());
  EXPECT_EQ(8, label->GetRect().top);
  EXPECT_EQ(std::vector<std::string>{"3 go"}, Messages());
}

TEST_F(ButtonExTest, LeavingWhileHeldPutsTheLabelBackAndSendsNothing)
{
  Move(Centre(button));
  Down(Centre(button));
  Move(TPoint(500, 250));
  EXPECT_FALSE(button->IsPressed());
  EXPECT_EQ(8, label->GetRect().top);
  Up(TPoint(500, 250));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ButtonExTest, WithoutALabelItIsAPlainButton)
{
  GButtonEx* bare = Find<GButtonEx>("bare");
  Move(Centre(bare));
  Down(Centre(bare));
  Up(Centre(bare));
  EXPECT_EQ(std::vector<std::string>{"3 bare"}, Messages());
}

// Tests of the disabled look of buttons: pictures saved and restored once, no state window
// for buttons never disabled, a missing first picture, and the two Lua functions.
#include <gtest/gtest.h>

#include "shell/buttontools.h"
#include "support/glwidgetfixture.h"

namespace {

class ButtonToolsTest : public GLWidgetTest
{
protected:
  void SetUp() override
  {
    GLWidgetTest::SetUp();
    if (IsSkipped())
      return;
    ButtonTools::RegisterInScript(&script);
  }
  // A push button with the three state pictures, or without the first.
  TButton* MakeButton(const char* name, bool withFirst = true)
  {
    std::string graphics = withFirst ? "'" + Image("state0.png") + "'" : "nil";
    graphics += ", '" + Image("state1.png") + "', '" + Image("state2.png") + "'";
    Run(("MakeDialog{ Button{ name = '" + std::string(name) + "', x = 10, y = 10, graphics = { " + graphics +
         " }, Text{ name = 'label', w = 40, h = 20, label = 'OK' } } }")
            .c_str());
    return Find<TButton>(name);
  }
  boost::shared_ptr<TTexture> Picture(TButton* button, int index)
  {
    TImage* image = TWindow::GetCast<TImage>(button->GetChildWindow(str::getFormatted("image%d", index), -1));
    return image ? image->GetTexture() : boost::shared_ptr<TTexture>();
  }
  float Alpha(TButton* button, int index)
  {
    return TWindow::GetCast<TImage>(button->GetChildWindow(str::getFormatted("image%d", index), -1))->GetAlpha();
  }
};

} // namespace

TEST_F(ButtonToolsTest, DisablingTwiceAndEnablingOnceRestoresThePictures)
{
  TButton* button = MakeButton("ok");
  ASSERT_NE(nullptr, button);
  boost::shared_ptr<TTexture> before[3] = {Picture(button, 0), Picture(button, 1), Picture(button, 2)};
  ASSERT_NE(before[0], before[1]);

  ButtonTools::DisabledButton(button, true);
  ButtonTools::DisabledButton(button, true);
  EXPECT_TRUE(ButtonTools::isDisabledButton(button));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(before[0], Picture(button, i)) << i;
    EXPECT_FLOAT_EQ(0.5f, Alpha(button, i));
  }
  ButtonTools::DisabledButton(button, false);
  EXPECT_FALSE(ButtonTools::isDisabledButton(button));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(before[i], Picture(button, i)) << i;
    EXPECT_FLOAT_EQ(1.0f, Alpha(button, i));
  }
}

TEST_F(ButtonToolsTest, EnablingAButtonNeverDisabledAddsNoStateWindow)
{
  TButton* button = MakeButton("ok");
  ButtonTools::DisabledButton(button, false);
  EXPECT_EQ(nullptr, button->GetChildWindow(ButtonTools::kStateName, -1));
  EXPECT_FALSE(ButtonTools::isDisabledButton(button));
  ButtonTools::DisabledButton(nullptr, true);
  EXPECT_FALSE(ButtonTools::isDisabledButton(nullptr));
}

TEST_F(ButtonToolsTest, WithoutTheFirstPictureTheSecondStandsForAll)
{
  TButton* button = MakeButton("ok", false);
  ASSERT_EQ(boost::shared_ptr<TTexture>(), Picture(button, 0));
  boost::shared_ptr<TTexture> second = Picture(button, 1);
  ButtonTools::DisabledButton(button, true);
  EXPECT_EQ(second, Picture(button, 1));
  EXPECT_EQ(second, Picture(button, 2));
}

TEST_F(ButtonToolsTest, ScriptsDisableByNameAndAskWhichAreDisabled)
{
  MakeButton("ok");
  Run("MakeDialog{ Text{ name = 'note', w = 40, h = 20, label = 'x' } }");
  Run("DisabledButton('ok', true) DisabledButton('note', true) DisabledButton('nobody', true) "
      "gOk = isDisabled('ok') gNote = isDisabled('note') gNobody = isDisabled('nobody')");
  EXPECT_TRUE(Truth("gOk"));
  EXPECT_FALSE(Truth("gNote"));
  EXPECT_FALSE(Truth("gNobody"));
  EXPECT_EQ(nullptr, Find<TText>("note")->GetChildWindow(ButtonTools::kStateName, -1));
  // The button still sends its press: only the look changed.
  Run(("MakeDialog{ Recorder{ w = 200, h = 100, Button{ name = 'grey', x = 10, y = 10, graphics = { '" +
       Image("state0.png") + "' } } } }")
          .c_str());
  Run("DisabledButton('grey', true)");
  Messages();
  Click(Find<TButton>("grey"));
  EXPECT_EQ(std::vector<std::string>{"3 grey"}, Messages());
}

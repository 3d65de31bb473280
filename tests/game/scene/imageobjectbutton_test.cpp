// Tests of the scene button: its first text label sinks by 2 pixels while it is held
// down and rises again on release; without a label it is a plain image object.
#include <gtest/gtest.h>

#include "scene/imageobjectbutton.h"
#include "support/scenetestutil.h"

namespace {

const char kButton[] = "<objects><object type='TImageObjectButton' id='button' f='solid' p='40,530'>"
                       "<on_mouse_up><sets><set object='button' t='7'/></sets></on_mouse_up><objects>"
                       "<object id='icon' p='1,1'/>"
                       "<object type='TTextObject' id='label' f='box' p='0,0' txt='Back'/>"
                       "<object type='TTextObject' id='second' f='box' p='5,5'/>"
                       "</objects></object></objects>";

} // namespace

TEST_F(SceneTest, ButtonLowersItsLabelWhilePressedAndRestoresIt)
{
  LoadObjects(kButton);
  TSceneObject* button = Find("button");
  EXPECT_STREQ("TImageObjectButton", button->getDynamicId());
  EXPECT_TRUE(button->OnMouseDown(TPoint(41, 531)));
  EXPECT_EQ(TVec2(0, 2), Find("label")->GetPosition());
  EXPECT_EQ(TVec2(40, 532), Find("label")->getAbsolutePosition());
  EXPECT_EQ(TVec2(5, 5), Find("second")->GetPosition());
  EXPECT_EQ(TVec2(1, 1), Find("icon")->GetPosition());
  EXPECT_TRUE(button->OnMouseUp(TPoint(41, 531)));
  EXPECT_EQ(TVec2(0, 0), Find("label")->GetPosition());
  // The button's own action still runs.
  EXPECT_EQ(7, button->GetTag());
  // A release that had no press raises the label.
  button->OnMouseUp(TPoint(0, 0));
  EXPECT_EQ(TVec2(0, -2), Find("label")->GetPosition());
}

TEST_F(SceneTest, ButtonWithoutALabelActsAsAnImage)
{
  LoadObjects("<objects><object type='TImageObjectButton' id='b' f='solid'>"
              "<on_mouse_down><sets><set t='3'/></sets></on_mouse_down>"
              "<objects><object id='icon' p='1,1'/></objects></object></objects>");
  EXPECT_TRUE(Find("b")->OnMouseDown(TPoint(0, 0)));
  EXPECT_EQ(3, Find("b")->GetTag());
  EXPECT_EQ(TVec2(1, 1), Find("icon")->GetPosition());
  EXPECT_TRUE(Find("b")->OnMouseUp(TPoint(0, 0)));
}

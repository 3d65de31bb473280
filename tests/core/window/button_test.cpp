// Tests of the button: state layers of push, toggle and radio buttons, the light under a
// pointer at rest, click masks, the press and click rules, commands and their messages, close
// buttons, hot keys and radio groups.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/foundation/file.h"
#include "core/window/modalwindow.h"
#include "support/glwidgetfixture.h"

namespace {

class ButtonTest : public GLWidgetTest
{
protected:
  std::string Graphics(int count)
  {
    std::string text = "graphics = { ";
    for (int i = 0; i < count; ++i)
      text += "'" + Image(("state" + std::to_string(i) + ".png").c_str()) + "', ";
    return text + "}";
  }

  // The images of the layer that is shown.
  std::vector<std::string> Shown(TButton* button)
  {
    std::vector<std::string> names;
    for (TWindow* child : button->GetChildren()) {
      if (child->IsVisible())
        names.push_back(child->GetName().c_str());
    }
    return names;
  }

  void Click(TButton* button)
  {
    const TPoint at = Centre(button);
    Move(at);
    Down(at);
    Up(at);
  }
};

// Counts the clicks a native command sees.
struct TClickCounter
{
  void OnClick(TButton* button) { clicks.push_back(button->GetName().c_str()); }
  std::vector<std::string> clicks;
};

} // namespace

TEST_F(ButtonTest, PushButtonWithOneGraphicShowsItInEveryState)
{
  Run(("MakeDialog{ Button{ name = 'b', x = 10, y = 10, " + Graphics(1) + " } }").c_str());
  TButton* button = Find<TButton>("b");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetWindowWidth(), 40);
  EXPECT_EQ(button->GetWindowHeight(), 20);
  for (unsigned layer = 0; layer < 3; ++layer) {
    ASSERT_EQ(button->GetLayer(layer).size(), 1u) << layer;
    EXPECT_EQ(button->GetLayer(layer).front()->GetName(), "image0");
  }
  EXPECT_TRUE(button->GetLayer(3).empty());
  button->SetState(TButton::kRollover);
  EXPECT_EQ(Shown(button), (std::vector<std::string>{"image0"}));
}

TEST_F(ButtonTest, PushButtonLayersFollowTheMouse)
{
  Run(("MakeDialog{ Recorder{ name = 'box', w = 800, h = 600, Button{ name = 'b', x = 10, y = 10, " + Graphics(3) +
       " } } }")
          .c_str());
  TButton* button = Find<TButton>("b");
  EXPECT_EQ(Shown(button), (std::vector<std::string>{"image0"}));
  const TPoint at = Centre(button);
  Move(at);
  EXPECT_EQ(button->GetState(), TButton::kRollover);
  EXPECT_EQ(Shown(button), (std::vector<std::string>{"image2"}));
  EXPECT_TRUE(manager.IsMouseListener(button));
  Down(at);
  EXPECT_EQ(Shown(button), (std::vector<std::string>{"image1"}));
  Up(at);
  EXPECT_EQ(button->GetState(), TButton::kRollover);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"3 b"}));
  Move(TPoint(500, 500));
  EXPECT_EQ(button->GetState(), TButton::kUp);
  EXPECT_FALSE(manager.IsMouseListener(button));
}

TEST_F(ButtonTest, AJumpFromOneButtonOntoTheNextLeavesTheOneAndEntersTheNext)
{
  Run(("MakeDialog{ Recorder{ name = 'box', w = 800, h = 600, Button{ name = 'a', x = 10, y = 10, " + Graphics(3) +
       " }, Button{ name = 'b', x = 10, y = 30, " + Graphics(3) + " } } }")
          .c_str());
  TButton* first = Find<TButton>("a");
  TButton* next = Find<TButton>("b");
  Move(Centre(first));
  ASSERT_EQ(first->GetState(), TButton::kRollover);
  Move(Centre(next));
  EXPECT_EQ(first->GetState(), TButton::kUp);
  EXPECT_EQ(next->GetState(), TButton::kRollover);
  EXPECT_EQ(Shown(next), (std::vector<std::string>{"image2"}));
  EXPECT_TRUE(manager.IsMouseListener(next));
  EXPECT_FALSE(manager.IsMouseListener(first));
}

TEST_F(ButtonTest, AButtonThatComesUnderAPointerAtRestIsLitWithoutAMove)
{
  const std::string button = ", x = 10, y = 10, " + Graphics(3) + " }";
  auto idle = [this] {
    TEvent event(TEvent::kIdle, 0, 0, 0, 0);
    manager.HandleEvent(&event);
  };
  Run(("MakeDialog{ Recorder{ name = 'box', w = 800, h = 600, Button{ name = 'menu'" + button + " } }").c_str());
  TButton* menu = Find<TButton>("menu");
  const TPoint at = Centre(menu);
  Move(at);
  ASSERT_EQ(menu->GetState(), TButton::kRollover);

  // A question opens with its Yes under the pointer.
  Run(("PushModal('question') MakeDialog{ Recorder{ name = 'q', w = 800, h = 600, Button{ name = 'yes'" + button +
       " } }")
          .c_str());
  TButton* yes = Find<TButton>("yes");
  EXPECT_EQ(menu->GetState(), TButton::kUp);
  idle();
  EXPECT_EQ(yes->GetState(), TButton::kRollover);
  // Closed again, the button below is lit again.
  manager.PopModal("question");
  idle();
  EXPECT_EQ(menu->GetState(), TButton::kRollover);

  // A button built into the layer where the pointer rests.
  Move(TPoint(300, 300));
  ASSERT_EQ(menu->GetState(), TButton::kUp);
  Run(("MakeDialog{ Button{ name = 'late', x = 290, y = 290, " + Graphics(3) + " } }").c_str());
  TButton* late = Find<TButton>("late");
  ASSERT_NE(late, nullptr);
  idle();
  EXPECT_EQ(late->GetState(), TButton::kRollover);
  idle();
  EXPECT_EQ(late->GetState(), TButton::kRollover);

  // With the pointer out of the application's window nothing is lit.
  Mouse(TEvent::kMouseLeave, TPoint(300, 300));
  ASSERT_EQ(late->GetState(), TButton::kUp);
  Run(("PushModal('question') MakeDialog{ Recorder{ name = 'q', w = 800, h = 600, Button{ name = 'no', x = 290, "
       "y = 290, " +
       Graphics(3) + " } } }")
          .c_str());
  idle();
  EXPECT_EQ(Find<TButton>("no")->GetState(), TButton::kUp);
}

TEST_F(ButtonTest, ToggleButtonFlipsAndShowsWhatAReleaseWouldGive)
{
  Run(("MakeDialog{ Recorder{ name = 'box', w = 800, h = 600, Button{ name = 't', type = 1, x = 10, y = 10, " +
       Graphics(4) + " } } }")
          .c_str());
  TButton* toggle = Find<TButton>("t");
  EXPECT_EQ(Shown(toggle), (std::vector<std::string>{"image0"}));
  const TPoint at = Centre(toggle);
  Move(at);
  EXPECT_EQ(Shown(toggle), (std::vector<std::string>{"image2"}));
  Down(at);
  EXPECT_EQ(Shown(toggle), (std::vector<std::string>{"image1"}));
  Up(at);
  EXPECT_TRUE(toggle->IsOn());
  EXPECT_EQ(Shown(toggle), (std::vector<std::string>{"image3"}));
  Down(at);
  EXPECT_EQ(Shown(toggle), (std::vector<std::string>{"image0"}));
  Up(at);
  EXPECT_FALSE(toggle->IsOn());
  EXPECT_EQ(Messages(), (std::vector<std::string>{"3 t", "3 t"}));
}

TEST_F(ButtonTest, PressedInsideReleasedOutsidePostsNothing)
{
  Run(("MakeDialog{ Recorder{ name = 'box', w = 800, h = 600, Button{ name = 'b', x = 10, y = 10, " + Graphics(3) +
       " } } }")
          .c_str());
  TButton* button = Find<TButton>("b");
  Down(Centre(button));
  Move(TPoint(300, 300));
  Up(TPoint(300, 300));
  EXPECT_EQ(button->GetState(), TButton::kUp);
  EXPECT_TRUE(Messages().empty());
  // Pressed elsewhere, released over a hovered button: no press.
  Move(Centre(button));
  EXPECT_EQ(button->GetState(), TButton::kRollover);
  EXPECT_TRUE(button->OnMouseUp(TPoint(5, 5)));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ButtonTest, MaskPixelsDecideClicksAtEitherScaling)
{
  Run(("MakeDialog{ Recorder{ name = 'box', w = 800, h = 600, Button{ name = 'm', x = 100, y = 100, mask = '" +
       Image("mask.png") + "', " + Graphics(3) + " } } }")
          .c_str());
  TButton* button = Find<TButton>("m");
  ASSERT_EQ(button->GetWindowWidth(), 40);
  // The mask is half the button's size; unfixed, offsets are multiplied by 2.
  EXPECT_TRUE(button->ReleaseCapture(TPoint(2, 2)));  // mask (4, 4): dark
  EXPECT_FALSE(button->ReleaseCapture(TPoint(7, 2))); // mask (14, 4): light
  EXPECT_TRUE(button->ReleaseCapture(TPoint(12, 2))); // mask x 24: outside the mask
  EXPECT_TRUE(button->ReleaseCapture(TPoint(7, 6)));  // mask y 12: outside the mask
  EXPECT_TRUE(button->ReleaseCapture(TPoint(40, 2))); // outside the button
  TPlatform::SetConfig(TPlatform::kFixButtonMaskScaling, "1");
  EXPECT_TRUE(button->ReleaseCapture(TPoint(7, 2)));    // mask (3, 1): dark
  EXPECT_FALSE(button->ReleaseCapture(TPoint(30, 15))); // mask (15, 7): light
  TPlatform::SetConfig(TPlatform::kFixButtonMaskScaling, "");
  // A click on a dark pixel is no click.
  Down(TPoint(102, 102));
  Up(TPoint(102, 102));
  EXPECT_EQ(button->GetState(), TButton::kUp);
  EXPECT_TRUE(Messages().empty());
  Down(TPoint(107, 102));
  Up(TPoint(107, 102));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"3 m"}));
}

TEST_F(ButtonTest, RadioGroupsSwitchOffOnlyTheirOwnButtons)
{
  Run("MakeDialog{ BeginGroup(), Button{ name = 'r1', type = 2, on = true }, "
      "Button{ name = 'r2', type = 2 }, "
      "BeginGroup(), Button{ name = 'r3', type = 2, on = true }, "
      "Button{ name = 'r4', type = 2 } }");
  TButton* r1 = Find<TButton>("r1");
  TButton* r2 = Find<TButton>("r2");
  TButton* r3 = Find<TButton>("r3");
  TButton* r4 = Find<TButton>("r4");
  // The second group starting on leaves the first group alone.
  EXPECT_TRUE(r1->GetFlags() & TWindow::kBeginGroup);
  EXPECT_TRUE(r1->IsOn());
  EXPECT_TRUE(r3->IsOn());
  r2->SetOn(true);
  EXPECT_FALSE(r1->IsOn());
  EXPECT_TRUE(r2->IsOn());
  EXPECT_TRUE(r3->IsOn());
  r4->SetOn(true);
  EXPECT_FALSE(r3->IsOn());
  EXPECT_TRUE(r2->IsOn());
  r1->SetOn(true);
  EXPECT_FALSE(r2->IsOn());
  EXPECT_TRUE(r4->IsOn());
  // The script commands see the same state.
  EXPECT_TRUE(r1->GetToggleState());
}

TEST_F(ButtonTest, CommandsConsumeClicksOutsideTheScreenUnlessSentToTheParent)
{
  // A layer of its own, not under the screen.
  TModalWindow dialog;
  dialog.SetWindowSize(800, 600);
  TClickCounter counter;
  auto make = [&](const char* name, TWindow* parent, bool sendToParent) {
    TButton* button = new TButton();
    button->SetName(name);
    button->SetType(TButton::kToggle);
    button->SetWindowSize(40, 20);
    if (sendToParent)
      button->AddFlags(TButton::kAddSendToParent);
    button->SetCommand(CreateButtonListener(&counter, &TClickCounter::OnClick));
    parent->AdoptChild(button, true);
    return button;
  };
  TButton* kept = make("kept", &dialog, false);
  TButton* sent = make("sent", &dialog, true);
  EXPECT_FALSE(kept->Press());
  EXPECT_FALSE(kept->IsOn());
  EXPECT_FALSE(sent->Press());
  EXPECT_FALSE(sent->IsOn());
  EXPECT_EQ(counter.clicks, (std::vector<std::string>{"kept", "sent"}));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"3 sent"}));

  // Under the screen the message is posted and the toggle flips.
  Run("MakeDialog{ Recorder{ name = 'box', w = 800, h = 600 } }");
  TButton* onScreen = make("screen", Find<TWindow>("box"), false);
  Click(onScreen);
  EXPECT_TRUE(onScreen->IsOn());
  EXPECT_EQ(counter.clicks.back(), "screen");
  EXPECT_EQ(Messages(), (std::vector<std::string>{"3 screen"}));
  dialog.DestroyAllChildren();
  manager.ClearDestroyedWindows();
}

TEST_F(ButtonTest, CloseButtonsCloseTheirDialogFirst)
{
  TModalWindow* dialog = new TModalWindow();
  dialog->SetWindowSize(800, 600);
  manager.PushModal(dialog);
  TRecorderWindow* box = new TRecorderWindow();
  dialog->AdoptChild(box, true);
  TButton* button = new TButton();
  button->SetName("okay");
  button->SetWindowSize(40, 20);
  button->AddFlags(TButton::kAddClose);
  box->AdoptChild(button, true);
  EXPECT_FALSE(button->DoCommand());
  std::vector<std::string> log = Messages();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "1 " + std::string(dialog->GetIdString().c_str()));
  EXPECT_EQ(log[1], "3 okay");
  EXPECT_EQ(Global("gReturnValue"), "okay");
}

TEST_F(ButtonTest, LuaCommandsRunWithTheButtonsName)
{
  Run("function cmd() calledBy = GetButtonName() end");
  Run("return function() while true do WaitForMessage() end end");
  Run("MakeDialog{ Button{ name = \"odd]]name\", w = 20, h = 20, command = cmd } }");
  TButton* button = Find<TButton>("odd]]name");
  ASSERT_NE(button, nullptr);
  ASSERT_NE(button->GetCommand(), nullptr);
  button->DoCommand();
  EXPECT_EQ(Global("calledBy"), "odd]]name");
}

TEST_F(ButtonTest, AFailingLuaCommandIsReportedOnceAndTheDialogGoesOn)
{
  sandbox.WriteFile("assets/scripts/desk.lua", "function Broken()\n"
                                               "  local record = nil\n"
                                               "  return record.name\n"
                                               "end\n"
                                               "function Fine() fineRuns = ( fineRuns or 0 ) + 1 end\n"
                                               "function Native() string.rep() end\n");
  TFile::ScanForResources();
  Run("ReadFile( 'scripts/desk.lua' )");
  Run("return function() while true do local m = WaitForMessage(); if m then seen = ( seen or 0 ) + 1 end end end");
  Run("MakeDialog{ Button{ name = 'broken', w = 20, h = 20, command = Broken }, "
      "Button{ name = 'native', y = 30, w = 20, h = 20, command = Native }, "
      "Button{ name = 'fine', y = 60, w = 20, h = 20, default = true, command = Fine } }");
  testing::internal::CaptureStderr();
  Find<TButton>("broken")->DoCommand();
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(log, "ERROR: assets/scripts/desk.lua:3: attempt to index a nil value (local 'record')\n");

  // A native function that refuses its arguments is placed at the line that called it.
  testing::internal::CaptureStderr();
  Find<TButton>("native")->DoCommand();
  log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(log.rfind("ERROR: assets/scripts/desk.lua:6: ", 0), 0u) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;

  // The loop still waits for messages: other buttons and Return still act.
  Find<TButton>("fine")->DoCommand();
  Key(TEvent::kChar, TEvent::kEnter);
  Messages();
  EXPECT_EQ(Global("fineRuns"), "2");
}

TEST_F(ButtonTest, HotKeysAndTheDefaultButtonPressButtons)
{
  Run("MakeDialog{ Recorder{ name = 'box', w = 800, h = 600, Button{ name = 'ok', w = 20, h = 20, default = true }, "
      "Button{ name = 'no', y = 30, w = 20, h = 20, cancel = true }, "
      "Button{ name = 'hot', y = 60, w = 20, h = 20 } } }");
  EXPECT_TRUE(Find<TButton>("ok")->IsDefaultButton());
  EXPECT_TRUE(Find<TButton>("no")->IsCancelButton());
  screen->AddHotkey("H", "hot");
  Key(TEvent::kKeyDown, 'H');
  Key(TEvent::kChar, 'h'); // the hot key's own character is swallowed
  Key(TEvent::kChar, TEvent::kEnter);
  Key(TEvent::kChar, TEvent::kEscape);
  const std::vector<std::string> log = Messages();
  EXPECT_NE(std::find(log.begin(), log.end(), "3 hot"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "3 ok"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "3 no"), log.end());
}

TEST_F(ButtonTest, LabelsAreTheTextChildNamedLabel)
{
  Run("MakeDialog{ Button{ name = 'b', w = 100, h = 20, Text{ name = 'label', w = 100, h = 20, label = 'Start' } } }");
  TButton* button = Find<TButton>("b");
  EXPECT_EQ(button->GetLabel(), "Start");
  button->SetLabel("Stop");
  EXPECT_EQ(button->GetScriptLabel(), "Stop");
  TButton bare;
  EXPECT_EQ(bare.GetLabel(), "");
  bare.SetLabel("ignored");
}

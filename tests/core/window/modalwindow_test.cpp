// Tests of modal windows: hot keys and their normalisation, Enter and Escape with default
// and cancel buttons, default focus and the close message.
#include "core/window/modalwindow.h"

#include <gtest/gtest.h>

#include "core/window/windowscript.h"
#include "support/faketimer.h"
#include "support/windowtestutil.h"

namespace {

class TFakeButton : public TProbeWindow, public TButtonRole
{
public:
  TFakeButton(const char* name, std::vector<std::string>* log, bool isDefault, bool isCancel)
      : TProbeWindow(name, log, 0, 0, 10, 10), mLog(log), mDefault(isDefault), mCancel(isCancel)
  {}
  bool IsDefaultButton() const override { return mDefault; }
  bool IsCancelButton() const override { return mCancel; }
  bool DoCommand() override
  {
    mLog->push_back(std::string(GetName().c_str()) + " command");
    return acts;
  }
  bool Press() override
  {
    mLog->push_back(std::string(GetName().c_str()) + " press");
    return true;
  }
  bool acts = true;

private:
  std::vector<std::string>* mLog;
  bool mDefault, mCancel;
};

class ModalTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    manager.SetRenderer(&renderer);
    manager.SetScreen(new TScreen);
    manager.AttachWindowScript(&script);
    layer = new TProbeLayer("layer", &log);
    manager.PushModal(layer);
    gIgnoreNextChar = false;
  }
  void TearDown() override { gIgnoreNextChar = false; }

  void Send(int type, int code, unsigned modifiers = 0)
  {
    TEvent event(type, code, 0, 0, modifiers);
    manager.HandleEvent(&event);
  }

  std::vector<std::string> log;
  TRecordingRenderer renderer;
  TRecordingScript script;
  TFakeTimer timer{1000};
  TWindowManager manager;
  TProbeLayer* layer = nullptr;
};

TEST(NormalizeKeyString, ModifiersInFixedOrderAndUpperCaseKey)
{
  EXPECT_EQ(TModalWindow::NormalizeKeyString("Control-Shift-s"), "shift-ctrl-S");
  EXPECT_EQ(TModalWindow::NormalizeKeyString("CTRL-q"), "ctrl-Q");
  EXPECT_EQ(TModalWindow::NormalizeKeyString("alt-ctrl-x"), "ctrl-alt-X");
  EXPECT_EQ(TModalWindow::NormalizeKeyString("@x"), "@X");
  EXPECT_EQ(TModalWindow::NormalizeKeyString("q"), "Q");
  EXPECT_EQ(TModalWindow::NormalizeKeyString("@"), "@");
  EXPECT_EQ(TModalWindow::NormalizeKeyString(""), "");
}

TEST_F(ModalTest, Hotkey_ControlQPressesTheButtonAndSwallowsTheCharacter)
{
  TFakeButton* quit = new TFakeButton("quit", &log, false, false);
  layer->AdoptChild(quit);
  layer->AddHotkey("CTRL-q", "quit");
  log.clear();
  Send(TEvent::kKeyDown, 'Q', TEvent::kControl);
  EXPECT_EQ(log, std::vector<std::string>{"quit press"});
  EXPECT_TRUE(gIgnoreNextChar);
  Send(TEvent::kUTF8Char, 0x11, TEvent::kControl);
  EXPECT_FALSE(gIgnoreNextChar);
  // Without Control the key is not the hot key.
  log.clear();
  Send(TEvent::kKeyDown, 'Q');
  EXPECT_EQ(std::find(log.begin(), log.end(), "quit press"), log.end());
  EXPECT_FALSE(gIgnoreNextChar);
}

TEST_F(ModalTest, Hotkey_ExactModifiersWinOverTheAnyModifierKey)
{
  layer->AdoptChild(new TFakeButton("any", &log, false, false));
  layer->AdoptChild(new TFakeButton("shifted", &log, false, false));
  layer->AddHotkey("@p", "any");
  layer->AddHotkey("shift-p", "shifted");
  log.clear();
  Send(TEvent::kKeyDown, 'P', TEvent::kShift);
  Send(TEvent::kKeyDown, 'P', TEvent::kControl);
  Send(TEvent::kKeyDown, 'P');
  const std::vector<std::string> expected{"shifted press", "any press", "any press"};
  EXPECT_EQ(log, expected);
}

TEST_F(ModalTest, Hotkey_EmptyButtonNameRemovesIt)
{
  layer->AddHotkey("q", "quit");
  EXPECT_EQ(layer->GetHotkey("Q"), "quit");
  layer->AddHotkey("q", "");
  EXPECT_EQ(layer->GetHotkey("Q"), "");
}

TEST_F(ModalTest, Hotkey_MissingButtonLogsAndStillSwallowsTheCharacter)
{
  layer->AddHotkey("x", "nowhere");
  testing::internal::CaptureStderr();
  Send(TEvent::kKeyDown, 'X');
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("ERROR: Hot key button not found. Button:'nowhere'"), std::string::npos);
  EXPECT_TRUE(gIgnoreNextChar);
}

TEST_F(ModalTest, Enter_PressesTheVisibleDefaultButton)
{
  TFakeButton* ok = new TFakeButton("ok", &log, true, false);
  layer->AdoptChild(ok);
  log.clear();
  Send(TEvent::kChar, TEvent::kEnter);
  EXPECT_EQ(log, std::vector<std::string>{"ok command"});
  EXPECT_TRUE(script.names.empty());
}

TEST_F(ModalTest, Enter_HiddenDefaultButtonSendsDefaultActionToTheFocus)
{
  TFakeButton* ok = new TFakeButton("ok", &log, true, false);
  TProbeWindow* panel = new TProbeWindow("panel", &log, 0, 0, 10, 10);
  layer->AdoptChild(panel);
  panel->AdoptChild(ok);
  panel->SetFlags(0);
  TProbeWindow* field = new TProbeWindow("field", &log, 0, 0, 10, 10);
  layer->AdoptChild(field);
  field->MakeFocusable();
  manager.SetFocus(field);
  log.clear();
  // The field declines the character; it bubbles to the layer.
  Send(TEvent::kChar, TEvent::kEnter);
  const std::vector<std::string> expected{"field char \r", "field msg ", "layer msg "};
  EXPECT_EQ(log, expected);
  ASSERT_EQ(script.types.size(), 1u);
  EXPECT_EQ(script.types[0], int(TMessage::kDefaultAction));
}

TEST_F(ModalTest, Escape_UsesTheCancelButtonOrElseDefaultAction)
{
  TFakeButton* cancel = new TFakeButton("cancel", &log, false, true);
  layer->AdoptChild(cancel);
  log.clear();
  Send(TEvent::kChar, TEvent::kEscape);
  EXPECT_EQ(log, std::vector<std::string>{"cancel command"});
  cancel->acts = false;
  log.clear();
  Send(TEvent::kChar, TEvent::kEscape);
  EXPECT_EQ(script.types, std::vector<int>{TMessage::kDefaultAction});
  // Other characters are not the layer's.
  EXPECT_FALSE(layer->OnChar('a'));
}

TEST_F(ModalTest, DefaultFocus_TakesTheFocusWhenTheLayerGetsIt)
{
  TProbeWindow* field = new TProbeWindow("field", &log, 0, 0, 10, 10);
  layer->AdoptChild(field);
  layer->SetDefaultFocus(field);
  EXPECT_EQ(manager.GetFocus(), field);
  TProbeLayer* above = new TProbeLayer("above", &log);
  manager.PushModal(above);
  EXPECT_EQ(manager.GetFocus(), above);
  manager.PopModal("above");
  EXPECT_EQ(manager.GetFocus(), field);
}

TEST_F(ModalTest, CloseWindowMessagePopsTheNamedLayer)
{
  TMessage close(TMessage::kCloseWindow, "layer");
  EXPECT_TRUE(layer->OnMessage(&close));
  EXPECT_NE(manager.GetTopModalWindow(), layer);
  TMessage unnamed(TMessage::kCloseWindow, "");
  EXPECT_TRUE(manager.GetTopModalWindow()->OnMessage(&unnamed));
  TMessage other(TMessage::kGeneric, "layer");
  EXPECT_FALSE(manager.GetTopModalWindow()->OnMessage(&other));
}

TEST_F(ModalTest, Destroying_PostsModalClosedNamedWithTheId)
{
  const str id = layer->GetIdString();
  manager.PopModal("layer");
  TEvent redraw(TEvent::kRedraw, 0, 0, 0, 0);
  manager.HandleEvent(&redraw);
  ASSERT_FALSE(script.names.empty());
  EXPECT_EQ(script.names.back(), id.c_str());
  EXPECT_EQ(script.types.back(), int(TMessage::kModalClosed));
}

} // namespace

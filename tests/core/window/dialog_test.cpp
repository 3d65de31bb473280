// Tests of dialogs: what the script host is handed when a dialog opens, links opened from
// "http=" messages, and closing through the close message.
#include "core/window/dialog.h"

#include <gtest/gtest.h>

#include "core/window/windowscript.h"
#include "support/faketimer.h"
#include "support/windowtestutil.h"

namespace {

class TDialogScript : public IWindowScript
{
public:
  void StartDialog(TDialog* dialog, const str& scriptFile, const str& body, const str& title,
                   const str& closeName) override
  {
    started = dialog;
    file = scriptFile.c_str();
    this->body = body.c_str();
    this->title = title.c_str();
    close = closeName.c_str();
    clockRunningAtStart = !dialog->GetClock()->IsPaused();
  }
  TDialog* started = nullptr;
  std::string file, body, title, close;
  bool clockRunningAtStart = true;
};

class DialogTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    manager.SetRenderer(&renderer);
    manager.SetScreen(new TScreen);
    manager.AttachWindowScript(&script);
    TDialog::SetBrowserOpener([this](const str& url) { opened.push_back(url.c_str()); });
  }
  void TearDown() override { TDialog::SetBrowserOpener(nullptr); }

  std::vector<std::string> opened;
  TRecordingRenderer renderer;
  TDialogScript script;
  TFakeTimer timer{1000};
  TWindowManager manager;
};

TEST_F(DialogTest, Opening_HandsBodyTitleAndCloseNameToTheScriptUnchanged)
{
  const char* body = "He said \"]]\"; os.exit() --[[";
  TDialog* dialog = manager.DisplayDialog("scripts/dialog.lua", body, "Title ]=]", "confirm");
  ASSERT_EQ(script.started, dialog);
  EXPECT_EQ(script.file, "scripts/dialog.lua");
  EXPECT_EQ(script.body, body);
  EXPECT_EQ(script.title, "Title ]=]");
  EXPECT_EQ(script.close, dialog->GetIdString().c_str());
  // The script runs before the layer's clock starts.
  EXPECT_FALSE(script.clockRunningAtStart);
  EXPECT_FALSE(dialog->GetClock()->IsPaused());
  EXPECT_STREQ(dialog->GetTypeName(), "TDialog");
  EXPECT_TRUE(dialog->IsKindOf(TModalWindow::ClassId()));
}

TEST_F(DialogTest, HttpMessages_OpenTheLinkAndAreConsumed)
{
  TDialog* dialog = manager.DisplayDialog("d.lua", "", "", "d");
  TMessage link(TMessage::kButtonPress, "http=https://example.org/a?b=1&c=2");
  EXPECT_TRUE(dialog->OnMessage(&link));
  TMessage empty(TMessage::kGeneric, "http=");
  EXPECT_TRUE(dialog->OnMessage(&empty));
  EXPECT_EQ(opened, std::vector<std::string>{"https://example.org/a?b=1&c=2"});
  TMessage other(TMessage::kButtonPress, "ok");
  EXPECT_FALSE(dialog->OnMessage(&other));
}

TEST_F(DialogTest, CloseWindowMessageNamingTheDialogPopsIt)
{
  manager.DisplayDialog("d.lua", "", "", "d");
  manager.PostWindowMessage(new TMessage(TMessage::kCloseWindow, "d"));
  TEvent idle(TEvent::kIdle, 0, 0, 0, 0);
  manager.HandleEvent(&idle);
  EXPECT_EQ(manager.GetTopModalWindow(), manager.GetScreen());
}

} // namespace

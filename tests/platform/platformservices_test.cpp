// platformservices_test: what the platform hands in to the engine: the machine's services for
// the whole run, the platform as the window stack's host only while it lives; a window script
// and the glyph rasteriser let go of a window manager that goes.
#include <gtest/gtest.h>

#include "core/foundation/services.h"
#include "core/foundation/task.h"
#include "core/graphics/qvminivecdraw.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"
#include "platform/platform.h"
#include "platform/platformservices.h"

namespace {

class NoTask : public TTask
{
public:
  bool DoTask() override { return true; }
};

} // namespace

TEST(PlatformServices, TheHostLivesWithItsPlatformAndTheMachinesServicesStay)
{
  HandInPlatformServices();
  const TServices before = TServices::Get();
  ASSERT_NE(before.browser, nullptr);
  ASSERT_NE(before.clipboard, nullptr);
  ASSERT_NE(before.identity, nullptr);
  ASSERT_NE(before.http, nullptr);
  ASSERT_NE(before.sound, nullptr);
  EXPECT_EQ(before.host, nullptr);
  {
    TPlatform platform;
    IAppHost* host = TServices::Get().host;
    ASSERT_NE(host, nullptr);
    // The host is this platform: its task list and its foreground.
    EXPECT_EQ(host->GetTaskList(), platform.GetTaskList());
    EXPECT_EQ(host->IsForeground(), platform.IsForeground());
    NoTask* task = new NoTask;
    host->GetTaskList()->AdoptTask(task);
    EXPECT_TRUE(platform.GetTaskList()->Contains(task));
    // A second platform is refused and hands in nothing of its own.
    {
      TPlatform second;
      EXPECT_EQ(TServices::Get().host, host);
    }
    EXPECT_EQ(TServices::Get().host, host);
  }
  const TServices after = TServices::Get();
  EXPECT_EQ(after.host, nullptr);
  EXPECT_EQ(after.browser, before.browser);
  EXPECT_EQ(after.sound, before.sound);
  // Without a platform the browser and the copy to the clipboard do nothing, as before.
  EXPECT_FALSE(after.browser->OpenBrowser("http://localhost/"));
  EXPECT_FALSE(after.clipboard->SetClipboardText("text"));
  // GUIDs differ from one call to the next.
  EXPECT_NE(after.identity->GenerateGUIDText(), after.identity->GenerateGUIDText());
  std::unique_ptr<IHttpRequest> request = after.http->NewRequest();
  ASSERT_TRUE(request);
  EXPECT_EQ(request->GetContents(), nullptr);
}

TEST(PlatformServices, AScriptAndTheRasteriserLetGoOfAManagerThatGoes)
{
  TPlatform platform;
  TWindowScript* script = new TWindowScript();
  {
    TWindowManager manager;
    manager.AttachWindowScript(script);
    EXPECT_EQ(TQvMiniVecDraw::GetDrawnHookContext(), &manager);
    // The newest manager takes the hook, and its going clears it.
    {
      TWindowManager other;
      EXPECT_EQ(TQvMiniVecDraw::GetDrawnHookContext(), &other);
    }
    EXPECT_EQ(TQvMiniVecDraw::GetDrawnHookContext(), nullptr);
  }
  EXPECT_EQ(TQvMiniVecDraw::GetDrawnHookContext(), nullptr);
  // The script outlives its manager: its calls find no manager instead of a dead one, and
  // its end does not reach back into it.
  script->DoLuaString("UpdateWindow()");
  EXPECT_EQ(script->GetWindowDepth(), 0);
  platform.GetTaskList()->OrphanTask(script);
  delete script;
}

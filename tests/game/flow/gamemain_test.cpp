// Tests of the game's outermost layer: the configuration it fills before the engine
// starts and how its event loop passes events on.
#include <vector>

#include <gtest/gtest.h>

#include "core/app/event.h"
#include "core/app/platform.h"
#include "core/foundation/file.h"
#include "core/window/screen.h"
#include "core/window/window.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"
#include "core/foundation/prefsdb.h"
#include "flow/gamemain.h"
#include "flow/settings.h"
#include "flow/vellumkitinit.h"
#include "support/vfssandbox.h"

namespace {

class TKeyRecorder : public TWindow
{
public:
  TKeyRecorder() { mFlags |= kFocusable; }
  bool OnKeyDown(char key, unsigned modifiers) override
  {
    mKeys.push_back(key);
    return true;
  }
  std::vector<int> mKeys;
};

// A platform without a window, a window manager with a screen and the window script,
// and a focus window that records the keys it gets.
class GameLoopTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mSandbox.WriteFile("assets/scripts/quitverify.lua", "gQuitAsked = (gQuitAsked or 0) + 1\n");
    TFile::ScanForResources();
    mManager.SetScreen(new TScreen);
    mManager.GetScreen()->SetWindowSize(800, 600);
    mScript = new TWindowScript();
    mManager.AttachWindowScript(mScript);
    mRecorder = new TKeyRecorder;
    mManager.GetScreen()->AdoptChild(mRecorder, true);
    mManager.SetFocus(mRecorder);
  }

  int QuitAsked()
  {
    lua_State* L = mScript->GetState();
    lua_getglobal(L, "gQuitAsked");
    int asked = int(lua_tointeger(L, -1));
    lua_pop(L, 1);
    return asked;
  }

  TVfsSandbox mSandbox;
  TPlatform mPlatform;
  TWindowManager mManager;
  TWindowScript* mScript = nullptr;
  TKeyRecorder* mRecorder = nullptr;
};

} // namespace

TEST(VellumkitInit, FillsTheGameNamesModesAndMedalsCountingFromOne)
{
  VellumkitInit();
  EXPECT_EQ(str("quillmoor-sleuth-bureau"), TPlatform::GetConfig(TPlatform::kGameName, ""));
  EXPECT_EQ(str("quillmoor-sleuth-bureau"), TPlatform::GetConfig(TPlatform::kQVGameHandle, ""));
  EXPECT_EQ(str("m8JtQzRkLAAA"), TPlatform::GetConfig(TPlatform::kEncryptionKey, ""));
  for (const char* key : {"utf8mode", "automergemask", "verbosedebug", "hittestchildren"}) {
    EXPECT_EQ(str("1"), TPlatform::GetConfig(key, "")) << key;
  }
  EXPECT_EQ(str("quillmoor-sleuth-bureau_story"), TPlatform::GetConfig("qvgamemodename1", ""));
  EXPECT_EQ(str("quillmoor-sleuth-bureau_freeplay"), TPlatform::GetConfig("qvgamemodename2", ""));
  EXPECT_EQ(str("quillmoor-sleuth-bureau_gumshoe"), TPlatform::GetConfig("qvgamemedalname1", ""));
  EXPECT_EQ(str("quillmoor-sleuth-bureau_solosleuth"), TPlatform::GetConfig("qvgamemedalname10", ""));
  EXPECT_EQ(str("none"), TPlatform::GetConfig("qvgamemedalname0", "none"));
  EXPECT_EQ(str("none"), TPlatform::GetConfig("qvgamemodename0", "none"));
}

TEST_F(GameLoopTest, KeyDownEighteenIsDroppedAndOtherKeysReachTheFocus)
{
  TEvent dropped(TEvent::kKeyDown, 18, 0, 0, 0);
  EXPECT_TRUE(DispatchGameEvent(&mPlatform, &dropped));
  TEvent passed(TEvent::kKeyDown, 'A', 0, 0, 0);
  EXPECT_TRUE(DispatchGameEvent(&mPlatform, &passed));
  ASSERT_EQ(1u, mRecorder->mKeys.size());
  EXPECT_EQ('A', mRecorder->mKeys[0]);
}

TEST_F(GameLoopTest, QuitEndsTheLoopAndGoesNowhereElse)
{
  TEvent quit(TEvent::kQuit, 0, 0, 0, 0);
  EXPECT_FALSE(DispatchGameEvent(&mPlatform, &quit));
  EXPECT_EQ(0, QuitAsked());
}

TEST_F(GameLoopTest, CloseRunsTheQuitScriptAndStillReachesTheWindows)
{
  TEvent close(TEvent::kClose, 0, 0, 0, 0);
  EXPECT_TRUE(DispatchGameEvent(&mPlatform, &close));
  EXPECT_EQ(1, QuitAsked());
  EXPECT_TRUE(RunGameScript("scripts/quitverify.lua"));
  EXPECT_EQ(2, QuitAsked());
  EXPECT_FALSE(RunGameScript("scripts/nothere.lua"));
}

TEST_F(GameLoopTest, TheFullScreenToggleIsStoredInThePreferences)
{
  VellumkitInit();
  TSettings* settings = TSettings::CreateSettings();
  settings->mPrefs->SetInt(TSettings::kFullScreen, 1, -1, true);
  TEvent toggled(TEvent::kFullscreenToggled, 0, 0, 0, 0);
  EXPECT_TRUE(DispatchGameEvent(&mPlatform, &toggled));
  // A platform without a display is never in full screen.
  EXPECT_EQ(0, settings->mPrefs->GetInt(TSettings::kFullScreen, -5, -1));
  EndGame();
  EXPECT_EQ(nullptr, TSettings::GetInstance());
}

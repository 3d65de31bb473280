// settingsfixture: a throw-away user folder, a plain platform, the window manager with its
// script and a screen, recorded sound levels and the game's configuration, for tests of
// the settings and of the game's windows without a display.
#pragma once

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "core/foundation/prefsdb.h"
#include "core/script/script.h"
#include "core/window/screen.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"
#include "shell/gamedefs.h"
#include "shell/settings.h"
#include "app/vellumkitinit.h"
#include "support/faketimer.h"
#include "support/recordinglevels.h"
#include "support/vfssandbox.h"

class SettingsTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    // The platform's construction empties the configuration, so it comes first.
    VellumkitInit();
    TPlatform::SetConfig(TPlatform::kVerboseDebug, "0");
    mScript = new TWindowScript();
    mManager.SetScreen(new TScreen);
    mManager.GetScreen()->SetWindowSize(800, 600);
    mManager.AttachWindowScript(mScript);
  }
  void TearDown() override { TSettings::DeleteSettings(); }

  TSettings* Make() { return TSettings::CreateSettings(); }
  // Deletes the settings and makes them again over the same files, as a restart does.
  TSettings* Restart()
  {
    TSettings::DeleteSettings();
    return TSettings::CreateSettings();
  }

  void Run(const char* code) { mScript->DoLuaString(code); }
  double Number(const char* global)
  {
    lua_State* L = mScript->GetState();
    lua_getglobal(L, global);
    double value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return value;
  }
  str Text(const char* global)
  {
    lua_getglobal(mScript->GetState(), global);
    return mScript->PopString();
  }

  TVfsSandbox mSandbox;
  TFakeTimer mTimer{1000};
  TPlatform mPlatform;
  TRecordingLevels mLevels;
  // Owned by the platform's idle tasks once attached.
  TWindowScript* mScript = nullptr;
  TWindowManager mManager;
};

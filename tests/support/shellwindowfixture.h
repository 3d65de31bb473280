// shellwindowfixture: the widget fixture with an OpenGL context plus what the game's menus
// and dialogs need: their window types, the settings over a throw-away user folder and
// recorded sound levels.
#pragma once

#include "core/foundation/stringtable.h"
#include "shell/gamedefs.h"
#include "shell/settings.h"
#include "shell/shellglue.h"
#include "shell/shellwindows.h"
#include "app/vellumkitinit.h"
#include "support/apptestutil.h"
#include "support/glwidgetfixture.h"
#include "support/recordinglevels.h"

class ShellWindowTest : public GLWidgetTest
{
protected:
  void SetUp() override
  {
    GLWidgetTest::SetUp();
    if (IsSkipped())
      return;
    VellumkitInit();
    TPlatform::SetConfig(TPlatform::kVerboseDebug, "0");
    RegisterShellWindows();
    settings = TSettings::CreateSettings();
    const std::string table = StringTableXml({{"timer_mode_descr", "Race the clock"},
                                              {"relaxed_mode_decr", "Take your time"},
                                              {"gamemode1", "Story"},
                                              {"gamemode2", "Free play"},
                                              {"yourrank", "Your rank: %1%"},
                                              {"menu_play", "Play"}});
    strings.MergeStringBuffer(table.data(), table.size(), "test strings");
    UseGameStringTable(&strings);
  }
  void TearDown() override
  {
    GLWidgetTest::TearDown();
    TSettings::DeleteSettings();
    UseGameStringTable(nullptr);
  }

  TStringTable strings;
  TRecordingLevels levels;
  TSettings* settings = nullptr;
};

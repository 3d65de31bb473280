// shellwindows: the registration of the shell's window types.
#include "shell/shellwindows.h"

#include "core/window/slider.h"
#include "core/window/windowmanager.h"
#include "shell/buttonex.h"
#include "shell/chooseplayer.h"
#include "shell/credits.h"
#include "shell/customtextedit.h"
#include "shell/hiscorewindow.h"
#include "shell/infowindow.h"
#include "shell/listbox.h"
#include "shell/mainmenu.h"
#include "shell/options.h"
#include "shell/rolloverwindow.h"
#include "shell/serversubmit.h"
#include "shell/timermode.h"

void RegisterShellWindows()
{
  TWindowManager* manager = TWindowManager::GetInstance();
  if (!manager) {
    return;
  }
  manager->AddWindowType("MainMenu", TMainMenu::ClassId());
  manager->AddWindowType("OptionsWindow", TOptions::ClassId());
  manager->AddWindowType("Slider", TSlider::ClassId());
  manager->AddWindowType("HiscoreWindow", THiscore::ClassId());
  TServerSubmit::Register();
  manager->AddWindowType("CreditsWindow", TCredits::ClassId());
  manager->AddWindowType("ChoosePlayerWindow", TChoosePlayer::ClassId());
  manager->AddWindowType("RolloverWindow", TRolloverWindow::ClassId());
  manager->AddWindowType("GButtonEx", GButtonEx::ClassId());
  manager->AddWindowType("TTimerMode", TTimerMode::ClassId());
  manager->AddWindowType("InfoWindow", TInfoWindow::ClassId());
  TListBox::Registration();
  manager->AddWindowType("TextEdit", TCustomTextEdit::ClassId());
}

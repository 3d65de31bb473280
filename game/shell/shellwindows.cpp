// shellwindows: the registration of the shell's window types.
#include "flow/shellwindows.h"

#include "core/window/widgets/slider.h"
#include "core/window/windowmanager.h"
#include "flow/buttonex.h"
#include "flow/chooseplayer.h"
#include "flow/credits.h"
#include "flow/customtextedit.h"
#include "flow/hiscorewindow.h"
#include "flow/infowindow.h"
#include "flow/listbox.h"
#include "flow/mainmenu.h"
#include "flow/options.h"
#include "flow/rolloverwindow.h"
#include "flow/serversubmit.h"
#include "flow/timermode.h"

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

// gameloop: the turn of the event loop; talks to the game controller, the settings, the
// window manager, the platform's event queue and the start-up's script runner.
#include "app/gameloop.h"

#include "platform/platform.h"
#include "core/script/luabind.h"
#include "core/script/script.h"
#include "core/window/modalwindow.h"
#include "core/window/windowmanager.h"
#include "app/gamemain.h"
#include "controller/gamewindow.h"
#include "shell/options.h"
#include "shell/settings.h"
#include "shell/shellglue.h"
#include "controller/thegame.h"
#include "core/foundation/debug.h"
#include "platform/display/event.h"
#include "platform/display/signals.h"

namespace {

const char kQuitScript[] = "scripts/quitverify.lua";
const char* const kLuaNames[] = {"AnswerCloseRequest", "IsSessionEnding", "SaveBeforeQuit"};

} // namespace

TGameLoop::TGameLoop(TPlatform* platform) : mPlatform(platform)
{
  if (lua_State* L = GameLuaState()) {
    LuaBind(L, "AnswerCloseRequest", this, &TGameLoop::AnswerCloseRequest);
    LuaBind(L, "IsSessionEnding", this, &TGameLoop::IsSessionEnding);
    LuaBind(L, "SaveBeforeQuit", this, &TGameLoop::SaveBeforeQuit);
  }
  // A script that never hands control back is stopped, and at once when the program must
  // close: the close box and SIGTERM keep working whatever the scripts do.
  TEventQueue* queue = platform ? platform->GetEventQueue() : nullptr;
  if (queue) {
    TScript::SetInterruptCheck([queue] { return queue->MustStopScripts(); });
  }
  TScript::StartRunBudget();
}

TGameLoop::~TGameLoop()
{
  TScript::SetInterruptCheck(nullptr);
  UnbindLuaFrom(this, kLuaNames, sizeof kLuaNames / sizeof kLuaNames[0]);
}

void TGameLoop::AnswerCloseRequest(str answer)
{
  if (answer == "asking" || answer == "stay") {
    mCloseUnanswered = false;
    if (answer == "stay") {
      RearmInterruptSignal();
    }
  } else {
    WriteDbg("ERROR: AnswerCloseRequest: '%s' is no answer (\"asking\" or \"stay\")", answer.c_str());
  }
}

bool TGameLoop::IsSessionEnding()
{
  TEventQueue* queue = mPlatform ? mPlatform->GetEventQueue() : nullptr;
  return queue && queue->IsTerminating();
}

str TGameLoop::SaveBeforeQuit()
{
  // The quit saves the game too, but only after the player has answered.
  if (TTheGame* game = TTheGame::Peek()) {
    game->SaveGame();
  }
  TSettings* settings = TSettings::GetInstance();
  return settings ? settings->SaveBeforeQuit() : str();
}

void TGameLoop::OnCloseRequest()
{
  // The first request that waits for an answer keeps its time.
  if (!mCloseUnanswered) {
    mCloseUnanswered = true;
    mCloseTime = TPlatform::Timer();
  }
  // The script asks the player; without a script that can ask, the request is the answer.
  if (!RunGameScript(kQuitScript)) {
    Quit();
  }
}

void TGameLoop::Quit()
{
  mCloseUnanswered = false;
  if (mPlatform) {
    mPlatform->Exit(0);
  }
}

bool TGameLoop::IsDroppedKey(const TEvent& event)
{
  return event.type == TEvent::kKeyDown && event.code == 'R' && (event.modifiers & TEvent::kControl) != 0;
}

bool TGameLoop::Dispatch(TEvent* event)
{
  TScript::StartRunBudget();
  if (mCloseUnanswered && int32_t(TPlatform::Timer() - mCloseTime) >= int32_t(kCloseAnswerMs)) {
    WriteDbg("ERROR: Script %s neither quit nor asked the player within %u ms of the close request; quitting",
             kQuitScript, unsigned(kCloseAnswerMs));
    Quit();
  }
  switch (event->type) {
  case TEvent::kMouseDown:
  case TEvent::kExtendedMouse:
  case TEvent::kMouseUp:
  case TEvent::kMouseMove:
  case TEvent::kMouseLeave:
  case TEvent::kMouseHover:
    TTheGame::GetInstance()->SetCurrentMousePosition(TPoint(event->x, event->y));
    break;
  case TEvent::kQuit:
    return false;
  case TEvent::kClose:
    // The request also reaches the windows below.
    OnCloseRequest();
    break;
  case TEvent::kFullscreenToggled:
    if (TSettings* settings = TSettings::GetInstance()) {
      settings->UpdateFullScreen();
    }
    TOptions::ShowDisplayMode();
    break;
  default:
    break;
  }
  if (IsDroppedKey(*event)) {
    return true;
  }
  TrackGameFocus();
  if (TWindowManager* manager = mPlatform ? mPlatform->GetWindowManager() : nullptr) {
    manager->HandleEvent(event);
  }
  return true;
}

void TGameLoop::TrackGameFocus()
{
  TTheGame* game = TTheGame::Peek();
  TGameWindow* window = game ? game->GetGameWindow() : nullptr;
  TWindowManager* manager = TWindowManager::GetInstance();
  if (!window || !manager) {
    return;
  }
  const bool onTop = manager->GetTopModalWindow() == window->FindParentModal();
  if (mGameFocus && !onTop) {
    window->OnKillFocus(nullptr);
    mGameFocus = false;
  } else if (!mGameFocus && onTop) {
    window->OnSetFocus(nullptr);
    mGameFocus = true;
  }
}

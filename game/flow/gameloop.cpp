// gameloop: the turn of the event loop; talks to the game controller, the settings, the
// window manager and the start-up's script runner.
#include "flow/gameloop.h"

#include "core/app/platform.h"
#include "core/window/modalwindow.h"
#include "core/window/windowmanager.h"
#include "flow/gamemain.h"
#include "flow/gamewindow.h"
#include "flow/options.h"
#include "flow/settings.h"
#include "flow/thegame.h"

bool TGameLoop::IsDroppedKey(const TEvent& event)
{
  return event.type == TEvent::kKeyDown && event.code == 'R' && (event.modifiers & TEvent::kControl) != 0;
}

bool TGameLoop::Dispatch(TEvent* event)
{
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
    // The script asks the player; the request also reaches the windows below. Without
    // a script that can ask, the request is the answer.
    if (!RunGameScript("scripts/quitverify.lua")) {
      return false;
    }
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

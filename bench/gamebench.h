// gamebench: the in-process start of the whole game for benches: the start-up to the first
// frame, turns of the event loop until the game reaches a point (a story case's search room
// among them), and the end of a run.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "core/window/event.h"
#include "platform/platform.h"
#include "core/window/windowmanager.h"
#include "app/gameloop.h"
#include "app/gamemain.h"
#include "app/vellumkitinit.h"
#include "controller/overlayscreen.h"
#include "controller/thegame.h"
#include "screenbase/scenescreen.h"
#include "shell/settings.h"
#include "shell/shellglue.h"
#include "platform/platformdata.h"

// Lets the frame pacing through at every idle event (it allows one frame per 12 ms).
class TSteppingClock : public TTimeSource
{
public:
  uint32_t Now() override { return mNow += 20; }

private:
  uint32_t mNow = 0;
};

// The start-up that QuorvantExec and Main do, up to the dialog's first frame.
inline TPlatform* StartToFirstFrame()
{
  static char programName[] = "quillmoor";
  static char* arguments[] = {programName, nullptr};
  VellumkitInit();
  TPlatformData* data = new TPlatformData(1, arguments, false);
  data->mCommandLine = BuildCommandLine(1, arguments);
  TPlatform* platform = new TPlatform(data);
  StartGame(platform);
  TEvent idle;
  platform->GetWindowManager()->InvalidateScreen();
  platform->GetWindowManager()->HandleEvent(&idle);
  return platform;
}

// Turns of the event loop until reached() holds; false when it does not within a bound of turns.
inline bool RunUntil(TPlatform* platform, const std::function<bool(TTheGame*)>& reached)
{
  TGameLoop loop(platform);
  for (int turn = 0; turn < 20000; ++turn) {
    TEvent event;
    platform->GetEvent(&event);
    loop.Dispatch(&event);
    TTheGame* game = TTheGame::Peek();
    if (game && reached(game)) {
      return true;
    }
  }
  return false;
}

// The game in a state with its screen shown whole (no fade under way).
inline bool Settled(TTheGame* game, int state)
{
  return game->GetState() == state && game->GetCurrentScreen() && !game->GetCurrentScreen()->IsFading();
}

// The game has loaded and shows its title with the main menu.
inline bool RunToTitle(TPlatform* platform)
{
  return RunUntil(platform, [](TTheGame* game) { return Settled(game, stMainMenu) && IsWindowExists("menu"); });
}

// Turns of the event loop, for the fades and intros that follow a change of state.
inline void Settle(TPlatform* platform, int turns)
{
  int left = turns;
  RunUntil(platform, [&left](TTheGame*) { return --left <= 0; });
}

inline bool ReachState(TPlatform* platform, int state)
{
  const bool reached = RunUntil(platform, [state](TTheGame* game) { return Settled(game, state); });
  // The journal's fade and the room's intro take a few more frames.
  Settle(platform, 80);
  return reached;
}

// What the player's click on the overlay's dialog does.
inline void CloseDialog(TPlatform* platform, TTheGame* game)
{
  if (game->GetOverlayScreen() && game->GetOverlayScreen()->IsDialogShown()) {
    game->GetOverlayScreen()->CloseDialog();
  }
  Settle(platform, 40);
}

// The case at the location chosen on the map, its intro closed: true once its journal shows.
inline bool OpenCase(TPlatform* platform, TTheGame* game, const char* location)
{
  game->ChooseLocation(location);
  Settle(platform, 40);
  CloseDialog(platform, game);
  return ReachState(platform, stJournal);
}

inline void Click(TTheGame* game, const TPoint& point)
{
  game->OnMouseMove(point);
  game->OnMouseDown(point);
  game->OnMouseUp(point);
}

inline void EndRun(TPlatform* platform);

// A new story's case at the location, in its search room with the room's dialog closed, for
// a detective signed in (by a first start when there is none); null, with what was not
// reached in *failed, when the game does not get there.
inline TPlatform* StartInStoryRoom(const char* location, const char** failed)
{
  // A first start makes the detective, so the next one comes to the title without the register.
  TPlatform* platform = StartToFirstFrame();
  if (TSettings::GetInstance()->GetNumUsers() == 0) {
    TSettings::GetInstance()->CreateNewUser("Bench");
    TSettings::GetInstance()->SetCurrentUser(0);
    EndRun(platform);
    platform = StartToFirstFrame();
  }
  TTheGame* game = nullptr;
  *failed = nullptr;
  if (!RunToTitle(platform) || !(game = TTheGame::Peek())) {
    *failed = "the title";
  } else {
    game->DeleteSavedGame(kControllerStory);
    game->PostEvent(evStoryChosen);
    if (!ReachState(platform, stMap)) {
      *failed = "the map";
    }
  }
  if (!*failed && !OpenCase(platform, game, location)) {
    *failed = "the case's journal";
  }
  if (!*failed) {
    game->PostEvent(evStartSearch);
    if (!ReachState(platform, stSearch)) {
      *failed = "the search room";
    }
    CloseDialog(platform, game);
  }
  if (*failed) {
    EndRun(platform);
    return nullptr;
  }
  return platform;
}

inline void EndRun(TPlatform* platform)
{
  EndGame();
  delete platform;
}

// No display, no sound device, a window rather than the whole screen at the first start, and a
// user folder of the run's own (gone at its end) unless QV_HOME names one.
inline void PrepareHeadlessRun()
{
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("ALSOFT_DRIVERS", "null", 0);
  setenv("QV_WINDOWED", "1", 0);
  if (!std::getenv("QV_HOME")) {
    static char home[] = "/tmp/qvbench-home-XXXXXX";
    if (mkdtemp(home)) {
      setenv("QV_HOME", home, 1);
      std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(home, ignored);
      });
    }
  }
}

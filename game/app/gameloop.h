// gameloop: one turn of the game's event loop: the pointer remembered for the game, the close
// request and its answer, full-screen changes, the dropped Control+R, the game window's focus
// and dispatch.
#pragma once

#include <cstdint>

#include "core/window/event.h"
#include "core/foundation/str.h"

class TPlatform;

class TGameLoop
{
public:
  // Registers the Lua functions "AnswerCloseRequest", "IsSessionEnding" and "SaveBeforeQuit",
  // and holds the scripts to the run budget from here on.
  explicit TGameLoop(TPlatform* platform);
  ~TGameLoop();

  // Handles one event taken from the platform; false for the quit event, which goes
  // nowhere else.
  bool Dispatch(TEvent* event);

  // Control+R as the event translation reports it: a key-down of 'R' with Control held.
  static bool IsDroppedKey(const TEvent& event);
  // Whether the game window was last told that its layer is on top.
  bool HasGameFocus() const { return mGameFocus; }

  // Lua "AnswerCloseRequest": the quit script's answer other than quitting: "asking" (the
  // player is being asked) or "stay" (the game goes on).
  void AnswerCloseRequest(str answer);
  // A close request that the quit script neither grants nor answers in this time quits.
  static const uint32_t kCloseAnswerMs = 2000;
  // Lua "IsSessionEnding": the close request comes from the session, which ends the program
  // within seconds whatever the scripts do: no time to ask the player.
  bool IsSessionEnding();
  // Lua "SaveBeforeQuit": saves the game and tries once more what waits in memory; what could
  // still not be written, in the words of the quit question, or "" when all is written.
  str SaveBeforeQuit();

private:
  TGameLoop(const TGameLoop&) = delete;
  TGameLoop& operator=(const TGameLoop&) = delete;

  void OnCloseRequest();
  void Quit();
  void TrackGameFocus();

  TPlatform* mPlatform;
  bool mGameFocus = true;
  // A close request waits for the quit script's answer since mCloseTime.
  bool mCloseUnanswered = false;
  uint32_t mCloseTime = 0;
};

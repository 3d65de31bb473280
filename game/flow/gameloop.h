// gameloop: one turn of the game's event loop: the pointer remembered for the game, the close
// request, full-screen changes, the dropped Control+R, the game window's focus and dispatch.
#pragma once

#include "core/app/event.h"

class TPlatform;

class TGameLoop
{
public:
  explicit TGameLoop(TPlatform* platform) : mPlatform(platform) {}

  // Handles one event taken from the platform; false for the quit event, which goes
  // nowhere else, and for a close request that no script can ask about.
  bool Dispatch(TEvent* event);

  // Control+R as the event translation reports it: a key-down of 'R' with Control held.
  static bool IsDroppedKey(const TEvent& event);
  // Whether the game window was last told that its layer is on top.
  bool HasGameFocus() const { return mGameFocus; }

private:
  void TrackGameFocus();

  TPlatform* mPlatform;
  bool mGameFocus = true;
};

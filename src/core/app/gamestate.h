// gamestate: the process-wide store of named game states (text under text names) that
// the game sets and scripts read; the state "mute" silences the sound manager's master volume.
#pragma once

#include <list>
#include <map>

#include <lua.hpp>

#include "core/foundation/str.h"

// An application's extension of the store, consulted in list order.
class TGameStateHandler
{
public:
  virtual ~TGameStateHandler() {}
  // True: handled, the rest of SetState is skipped.
  virtual bool OnSetState(char const* name, char const* value) = 0;
  // The value to use in place of the stored one.
  virtual char const* OnGetState(char const* name, char const* value) = 0;
  virtual bool QueryRestartMode() = 0;
  virtual bool QueryJumpToMenu() = 0;
  virtual bool QueryMuteGame() = 0;
};

class TGameState;

class TGameStateData
{
public:
  std::map<str, str> mStates;
  // The master volume in force when the game was muted.
  float mSavedVolume = 0;

  static TGameState* mGameState;
  // Owned by the store; nothing in the engine adds to it, an application may.
  static std::list<TGameStateHandler*> mHandlers;
};

class TGameState
{
public:
  static constexpr char kMute[] = "mute";

  // Creates the store when a platform exists (it hands in the host) and there is none
  // yet; null without both.
  static TGameState* GetInstance();

  TGameState();
  virtual ~TGameState();

  str GetState(const str& name);
  void SetState(const str& name, const str& value);
  void SetState(const str& name, int value);
  bool QueryMuteGame();
  bool QueryRestartMode();
  bool QueryJumpToMenu();

  // Registers "GetState", "_SetState", "QueryMuteGame", "QueryRestartMode" and
  // "QueryJumpToMenu" in the state (the constructor does so in the window script).
  void BindLua(lua_State* L);

private:
  TGameState(const TGameState&) = delete;
  TGameState& operator=(const TGameState&) = delete;

  TGameStateData* mData;
};

// Sets the state in the store (created on demand); ignored while there is no platform.
void SetState(const str& name, const str& value);

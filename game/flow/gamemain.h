// gamemain: the game's start function that the engine calls once it is up: sets up the
// display, title, cursor and start-up scripts, then runs the event loop until quit.
#pragma once

#include "core/app/event.h"
#include "core/foundation/str.h"

class TPlatform;

void Main(TPlatform* platform, char const* commandLine);

// What Main does before its loop: title, settings and display, cursor, window types, Lua
// functions, start-up scripts.
void StartGame(TPlatform* platform);
// What Main does after its loop: lets go of the music and deletes the settings.
void EndGame();

// One turn of the event loop for an event already taken: false for the quit event
// (which goes nowhere else), true otherwise.
bool DispatchGameEvent(TPlatform* platform, TEvent* event);

// Runs a script file on the window manager's script; false when there is no script or
// the file is missing or fails, with what went wrong in *error (also logged).
bool RunGameScript(char const* name, str* error = nullptr);

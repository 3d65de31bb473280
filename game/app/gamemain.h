// gamemain: the game's start function that the engine calls once it is up: prepares the
// renderer, analytics, settings, textures, cursor, window types and start-up scripts, runs
// the event loop until quit, then lets go of the game before the engine tears down.
#pragma once

#include "core/foundation/str.h"

class TPlatform;

// The start function handed to the engine; runs SubMain.
void Main(TPlatform* platform, char const* commandLine);
// Start-up, the event loop until the quit event, and the game's end.
void SubMain(TPlatform* platform, char const* commandLine);

// What SubMain does before its loop, up to the start-up scripts.
void StartGame(TPlatform* platform);
// What the quit event does: frees the game, the texture manager and the settings, and
// stops the music and the cinematics, whose managers outlive the platform.
void EndGame();

// Runs a script file on the window manager's script; false when there is no script or
// the file is missing or fails, with what went wrong in *error (also logged).
bool RunGameScript(char const* name, str* error = nullptr);

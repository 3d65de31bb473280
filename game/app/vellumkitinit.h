// vellumkitinit: the function that puts the game's names (game handle, game modes, medals,
// encryption key; declared in gamedefs) into the engine's configuration before it starts.
#pragma once

#include "shell/gamedefs.h"

// Fills the configuration; touches nothing else, so it runs before any engine object.
void VellumkitInit();

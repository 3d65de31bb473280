// startuperror: the plain screen shown when a start-up script is missing or fails: the
// script's name and Lua's message on the bottom layer, so the player sees what went wrong.
#pragma once

#include "core/foundation/str.h"

class TWindowManager;

// Takes down what the failed script built and shows the message; the event loop goes on,
// so the program still closes normally.
void ShowStartupError(TWindowManager* manager, const str& script, const str& message);

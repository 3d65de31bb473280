// scriptfailure: the plain screen shown when a start-up script is missing or fails, or the
// window script's coroutine dies: the script and Lua's message, so the player sees why.
#pragma once

#include "core/foundation/str.h"

class TWindowManager;

// Takes down what the failed script built and shows the message; the event loop goes on,
// so the program still closes normally.
void ShowScriptFailure(TWindowManager* manager, const str& script, const str& message);

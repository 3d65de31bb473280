// signals: SIGTERM and Control+C (SIGINT) become close requests of the event queue instead
// of ending the program outright; a second one while the first is answered ends it at once.
#pragma once

enum EQuitSignal
{
  kNoQuitSignal = 0,
  kInterruptSignal, // Control+C: the player is asked, like with the close box
  kTerminateSignal  // the session ends: the program has a few seconds to close
};

// Installs the handlers; called once before the video (whose library would install its own).
void InstallQuitSignals();
// The player refused to leave: the next Control+C asks again instead of ending the program.
void RearmInterruptSignal();
// The signal that arrived since the last call, if any.
EQuitSignal TakeQuitSignal();
// Seconds after a SIGTERM at which the program is ended even when the loop is stuck (a
// script that never returns); the event loop closes it cleanly well before.
const unsigned kTerminateHardLimitSeconds = 8;
// The quit is under way: the program closes in its own time, whatever its saves take.
void CancelHardQuitLimit();

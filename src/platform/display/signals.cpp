// signals: SIGTERM and Control+C (SIGINT) become close requests of the event queue instead
// of ending the program outright; a second one while the first is answered ends it at once.
#include "platform/display/signals.h"

#include <csignal>

#include <unistd.h>

namespace {

volatile sig_atomic_t gPendingSignal = 0;
// Set when Control+C went back to its default action.
volatile sig_atomic_t gInterruptTaken = 0;

void OnQuitSignal(int signalNumber)
{
  gPendingSignal = signalNumber;
  // The next one of the same kind takes the default action: the program ends at once.
  std::signal(signalNumber, SIG_DFL);
  if (signalNumber == SIGTERM) {
    alarm(kTerminateHardLimitSeconds);
  } else {
    gInterruptTaken = 1;
  }
}

void Install(int signalNumber)
{
  struct sigaction action = {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  sigaction(signalNumber, &action, nullptr);
}

} // namespace

void InstallQuitSignals()
{
  Install(SIGINT);
  Install(SIGTERM);
}

void RearmInterruptSignal()
{
  if (gInterruptTaken) {
    gInterruptTaken = 0;
    Install(SIGINT);
  }
}

void CancelHardQuitLimit()
{
  alarm(0);
}

EQuitSignal TakeQuitSignal()
{
  const int pending = gPendingSignal;
  if (pending == 0) {
    return kNoQuitSignal;
  }
  gPendingSignal = 0;
  return pending == SIGTERM ? kTerminateSignal : kInterruptSignal;
}

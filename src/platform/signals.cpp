// signals: SIGTERM and Control+C (SIGINT) become close requests of the event queue instead
// of ending the program outright; a second one of either ends it at once.
#include "platform/signals.h"

#include <csignal>

#include <unistd.h>

namespace {

volatile sig_atomic_t gPendingSignal = 0;

void OnQuitSignal(int signalNumber)
{
  gPendingSignal = signalNumber;
  // The next one of the same kind takes the default action: the program ends at once.
  std::signal(signalNumber, SIG_DFL);
  if (signalNumber == SIGTERM) {
    alarm(kTerminateHardLimitSeconds);
  }
}

}  // namespace

void InstallQuitSignals()
{
  struct sigaction action = {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
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

// browser: starts a helper program (the desktop's URL opener) with one argument, without
// a shell, and without waiting for it.
#pragma once

#include <sys/types.h>

// Starts program (searched on PATH) with the single argument; returns its process id,
// or -1 after an "ERROR: " line. The child is reaped by later calls (or by the system
// when the game ends); it never becomes a shell command.
pid_t LaunchProgram(char const* program, char const* argument);

// Opens the URL with "xdg-open"; false when it cannot be started or the URL is empty.
bool LaunchBrowser(char const* url);

// How the last LaunchBrowser went, without waiting: the opener still runs, it opened the
// address, or it could not (not started, or it ended in failure: no browser, say).
enum EBrowserStatus
{
  kBrowserOpening = 1,
  kBrowserOpened = 0,
  kBrowserFailed = 2
};
EBrowserStatus LastBrowserStatus();

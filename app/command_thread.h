// Start, Stop and Remove run off the window's thread: a call to the service
// manager can block for half a minute, and following a service takes as
// long as it takes, while the window answers. One runs at a time; the
// window's thread shows what became of it.
#pragma once

#include "service/service_command.h"

#include <windows.h>

// Posted to the window when a command has ended.
constexpr UINT ServiceCommandDone = WM_APP + 1;

// Begins the command on the service keyName, stopping the services of
// stopFirst (a double-NUL list of LongFieldSize bytes) first; false when
// one runs already or no thread can be had.
bool BeginServiceCommand(HWND window, unsigned operation, const char *keyName, const char *stopFirst);
bool ServiceCommandRunning();
// Answers ServiceCommandDone: the command that ended, false for a message
// of none that runs.
bool EndServiceCommand(WPARAM wParam, LPARAM lParam, unsigned *operation, char *keyName, ServiceOutcome *outcome);
// The window goes while a command runs: the command ends by itself, its
// outcome unseen, and the process need not wait for it.
void AbandonServiceCommand();

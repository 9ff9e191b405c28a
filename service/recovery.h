// What Windows does when a service fails, as the Services console's
// Recovery page shows it: the service manager keeps it as the service's
// failure actions and their flag.
#pragma once

#include <windows.h>

// The program's own limits of a recovery's texts, in characters.
constexpr DWORD RecoveryProgramLength = MAX_PATH;
constexpr DWORD RecoveryParametersLength = 1024;

struct RecoverySettings {
    SC_ACTION_TYPE actions[3];  // on the first, the second and every later failure
    DWORD resetDays;            // the failure count starts anew after so many days without one
    DWORD restartMinutes;       // Restart the Service waits so long
    DWORD rebootMinutes;        // Restart the Computer waits so long
    bool onStopsWithErrors;     // a stop with an error counts as a failure
    WCHAR program[RecoveryProgramLength];        // Run a Program's program
    WCHAR parameters[RecoveryParametersLength];  // and its command line's parameters
    bool appendFailCount;       // " /fail=%1%" ends the command line
};

// The largest counts of days and minutes whose seconds and milliseconds a
// DWORD holds.
constexpr DWORD MostResetDays = 0xFFFFFFFFu / 86400;
constexpr DWORD MostDelayMinutes = 0xFFFFFFFFu / 60000;

// Whether any failure has an action, and whether one of them is action.
bool HasRecovery(const RecoverySettings *settings);
bool HasAction(const RecoverySettings *settings, SC_ACTION_TYPE action);

// The service manager's actions of settings, with their delays.
void RecoveryActions(const RecoverySettings *settings, SC_ACTION actions[3]);

// The command line Run a Program runs: the program (quoted when it has a
// blank), its parameters and the fail count.
void RecoveryCommandLine(const RecoverySettings *settings, WCHAR *line, DWORD count);

// What the service manager holds for keyName; 0, or the error with
// settings left as they were (ERROR_INVALID_LEVEL from a system that keeps
// no failure actions, as Wine).
DWORD ReadRecovery(const char *keyName, RecoverySettings *settings);
// Sets settings for keyName, the flag only when it is set or was
// (wasOnStopsWithErrors); 0, or the error of the call that failed. A
// Restart the Computer action is set with the caller's shutdown privilege
// enabled for that call.
DWORD ApplyRecovery(const char *keyName, const RecoverySettings *settings, bool wasOnStopsWithErrors);

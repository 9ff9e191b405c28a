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
    // As the service manager keeps them, though the Recovery page shows
    // whole days and minutes: what was not changed goes back as it was.
    DWORD resetSeconds;         // the failure count starts anew after so long without one
    DWORD restartDelay;         // Restart the Service waits so many milliseconds
    DWORD rebootDelay;          // Restart the Computer waits so many milliseconds
    bool onStopsWithErrors;     // a stop with an error counts as a failure
    WCHAR program[RecoveryProgramLength];        // Run a Program's program
    WCHAR parameters[RecoveryParametersLength];  // and its command line's parameters
    bool appendFailCount;       // " /fail=%1%" ends the command line
};

// A day in seconds and a minute in milliseconds, and the largest counts of
// them that a DWORD holds.
constexpr DWORD SecondsPerDay = 86400, MillisecondsPerMinute = 60000;
constexpr DWORD MostResetDays = 0xFFFFFFFFu / SecondsPerDay;
constexpr DWORD MostDelayMinutes = 0xFFFFFFFFu / MillisecondsPerMinute;

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
// no failure actions, as Wine; ERROR_INVALID_DATA for an action this
// program does not know).
DWORD ReadRecovery(const char *keyName, RecoverySettings *settings);
// Sets settings for keyName, the flag only when it is set or was
// (wasOnStopsWithErrors); 0, or the error of the call that failed. A
// Restart the Computer action is set with the caller's shutdown privilege
// enabled for that call.
DWORD ApplyRecovery(const char *keyName, const RecoverySettings *settings, bool wasOnStopsWithErrors);

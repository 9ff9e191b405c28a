// Start, Stop and Remove, each followed to what became of the service, not
// only to what the service manager accepted. They block for as long as the
// service manager and the service take (a program that never connects
// holds StartService for 30 s): the program runs them off its window's
// thread, and reports on it.
#pragma once

#include "service/settings.h"

#include <windows.h>

// The title of a start's failure.
extern const char StartFailure[];

// What became of a command.
struct ServiceOutcome {
    unsigned operation;    // Start, Stop or Remove
    char keyName[FieldSize];  // the service
    LONG result;           // 1 when the service reached what was asked, else 0
    const char *caption;   // the failure's title; null when there is none
    DWORD error;           // its code: of a refused call, or the service's exit code
    DWORD serviceError;    // the service's own code, with ERROR_SERVICE_SPECIFIC_ERROR
    DWORD state;           // the state it was left in, when not the one asked for
    DWORD wanted;          // the one asked for
    bool stillPending;     // still starting or stopping when the command gave up following it
    bool markedForDeletion;  // Remove: deleted, but held open by another program, or still stopping
    char dependent[FieldSize];  // the dependent that failed to stop first; empty for the service itself
    FILETIME keyWritten;   // Remove: when the deleted service's key was last written, to know it from a new one
};

// Runs Start, Stop or Remove on the service keyName, and for Stop and
// Remove first stops the services of stopFirst (a double-NUL list, or
// null) in its order. Shows nothing. Remove deletes a service still
// stopping: it goes once stopped.
void RunServiceCommand(const char *keyName, unsigned operation, const char *stopFirst, ServiceOutcome *outcome);

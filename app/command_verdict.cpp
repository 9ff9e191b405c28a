// The verdict of Start, Stop and Remove, in the program's words.
#include "app/command_verdict.h"

#include "service/error_report.h"
#include "service/service_manager.h"

#include <string.h>

static const char *StateName(DWORD state)
{
    static const char *const names[] = {"stopped", "starting", "stopping", "running",
                                        "continuing", "pausing", "paused"};
    return state >= SERVICE_STOPPED && state <= SERVICE_PAUSED ? names[state - SERVICE_STOPPED] : "in an unknown state";
}

// The program's own line of help for the failures administrators meet
// first at a start; null for the others.
static const char *HelpFor(DWORD code)
{
    switch (code) {
    case ERROR_SERVICE_REQUEST_TIMEOUT:
        return "The program did not connect to the service manager in time: it may not be a service program.";
    case ERROR_SERVICE_LOGON_FAILED:
        return "The logon failed: check the account and its password, and that the account may log on as a "
               "service.";
    case ERROR_PROCESS_ABORTED:
        return "The service's process ended unexpectedly: the Event Viewer's System log may say why.";
    }
    return nullptr;
}

// The failure names the service it is about: the form may show another by
// the time it comes.
static void ShowFailure(HWND owner, const ServiceOutcome *outcome)
{
    char text[2 * FieldSize + FailureTextSize + 256];
    char *end = text;
    static const char *const verbs[] = {"Starting", "Stopping", "Removing"};
    if (outcome->dependent[0])
        end += wsprintfA(end, "Stopping %s, which depends on %s:\r\n", outcome->dependent, outcome->keyName);
    else
        end += wsprintfA(end, "%s %s:\r\n",
                         verbs[outcome->operation == Start ? 0 : outcome->operation == Stop ? 1 : 2],
                         outcome->keyName);
    if (outcome->stillPending) {
        wsprintfA(end, "The service is still %s: it has not reported being %s in time. It goes on by itself; the form "
                       "shows its state.",
                  StateName(outcome->state), StateName(outcome->wanted));
    } else if (outcome->error) {
        FormatSystemError(outcome->error, end);
        end += strlen(end);
        const char *help = outcome->operation == Start ? HelpFor(outcome->error) : nullptr;
        if (outcome->error == ERROR_SERVICE_SPECIFIC_ERROR)
            wsprintfA(end, "\r\nThe service's own code: %lu.", outcome->serviceError);
        else if (help)
            lstrcpyA(end, help);
    } else {
        wsprintfA(end, "The service is %s, not %s.", StateName(outcome->state), StateName(outcome->wanted));
    }
    ReportFailure(owner, outcome->caption, text);
}

void ShowVerdict(HWND owner, const ServiceOutcome *outcome)
{
    if (!outcome->result) {
        if (outcome->caption)
            ShowFailure(owner, outcome);
        return;
    }
    char text[FieldSize + 256];
    if (outcome->markedForDeletion)
        wsprintfA(text,
                  outcome->stillPending
                      ? "Service Operation Succeeds! The service %s is marked for deletion: it is still stopping, and "
                        "goes once it has stopped."
                      : "Service Operation Succeeds! The service %s is marked for deletion: it goes once every "
                        "program that holds it open (the Services console, a monitoring tool) has closed it, or at "
                        "the next restart.",
                  outcome->keyName);
    else
        wsprintfA(text, "Service Operation Succeeds!\r\nThe service %s is %s.", outcome->keyName,
                  outcome->operation == Start ? "running" : outcome->operation == Stop ? "stopped" : "removed");
    MessageBoxA(owner, text, "Tarnex", MB_OK | (outcome->markedForDeletion ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
}

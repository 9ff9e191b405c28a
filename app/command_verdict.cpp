// The verdict of Start, Stop and Remove, in the program's words.
#include "app/command_verdict.h"

#include "service/error_report.h"
#include "service/service_manager.h"

#include <string.h>

void ShowSuccess(HWND owner)
{
    MessageBoxA(owner, "Service Operation Succeeds!", "Tarnex", MB_OK | MB_ICONEXCLAMATION);
}

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

static void ShowFailure(HWND owner, const ServiceOutcome *outcome)
{
    char text[FieldSize + FailureTextSize + 256];
    char *end = text;
    if (outcome->service[0])
        end += wsprintfA(end, "Stopping %s first:\r\n", outcome->service);
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
    if (outcome->markedForDeletion)
        MessageBoxA(owner,
                    "Service Operation Succeeds! The service is marked for deletion: it goes once every program "
                    "that holds it open (the Services console, a monitoring tool) has closed it, or at the next "
                    "restart.",
                    "Tarnex", MB_OK | MB_ICONINFORMATION);
    else if (outcome->result == 1)
        ShowSuccess(owner);
    else if (outcome->caption)
        ShowFailure(owner, outcome);
}

// A service for the tests, whose behaviour is chosen by the first argument in
// its binary path (see TestServiceCommand); the second names the service, so
// that the tests' quit event ends it whatever its mode.
#include <windows.h>

#include <string.h>

static SERVICE_STATUS_HANDLE statusHandle;
static SERVICE_STATUS status;
static HANDLE stopRequested;
static HANDLE quitRequested;
static const char *mode = "run";

// No test service outlives a test run by much, even if nobody ends it.
constexpr DWORD LongestLife = 120000;
// The wait hint of the pending states: short, so that a stalled service is
// seen to have stalled soon.
constexpr DWORD WaitHint = 400;
// How long the "slowstop" mode stays STOP_PENDING after a stop request, and
// each of the "slowstart" mode's steps.
constexpr DWORD SlowStop = 500;
constexpr DWORD SlowStep = 150;
constexpr DWORD SlowSteps = 6;
// The code the "fails" mode stops with.
constexpr DWORD OwnExitCode = 42;
// How long the "cleanup" mode cleans up after a failed start, and the
// "quietstop" mode takes to stop, both without checkpoints.
constexpr DWORD Cleanup = 300;
constexpr DWORD QuietStop = 1500;

static bool Is(const char *name)
{
    return !strcmp(mode, name);
}

static void Report(DWORD state, DWORD accepted, DWORD checkPoint = 0)
{
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = accepted;
    status.dwWaitHint = pending ? WaitHint : 0;
    status.dwCheckPoint = pending ? checkPoint + 1 : 0;
    SetServiceStatus(statusHandle, &status);
}

// A pending state with no checkpoint and no wait hint, as many services
// report one.
static void ReportQuietly(DWORD state)
{
    status.dwCurrentState = state;
    status.dwControlsAccepted = 0;
    status.dwWaitHint = status.dwCheckPoint = 0;
    SetServiceStatus(statusHandle, &status);
}

static DWORD WINAPI Handler(DWORD control, DWORD, void *, void *)
{
    if (control == SERVICE_CONTROL_STOP) {
        SetEvent(stopRequested);
        return NO_ERROR;
    }
    if (control == SERVICE_CONTROL_INTERROGATE)
        return NO_ERROR;
    return ERROR_CALL_NOT_IMPLEMENTED;
}

static void WINAPI ServiceMain(DWORD, char **)
{
    statusHandle = RegisterServiceCtrlHandlerExA("", Handler, nullptr);
    HANDLE ends[] = {stopRequested, quitRequested};
    if (Is("nostop")) {
        Report(SERVICE_RUNNING, 0);
    } else if (Is("paused")) {
        Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE);
        Report(SERVICE_PAUSED, SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE);
    } else if (Is("pending")) {
        Report(SERVICE_START_PENDING, 0);  // and no progress
    } else if (Is("fails")) {
        Report(SERVICE_START_PENDING, 0);
        status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
        status.dwServiceSpecificExitCode = OwnExitCode;
        Report(SERVICE_STOPPED, 0);
        return;
    } else if (Is("cleanup")) {
        Report(SERVICE_START_PENDING, 0);
        ReportQuietly(SERVICE_STOP_PENDING);
        Sleep(Cleanup);
        status.dwWin32ExitCode = ERROR_EXCEPTION_IN_SERVICE;
        Report(SERVICE_STOPPED, 0);
        return;
    } else {
        for (DWORD step = 0; Is("slowstart") && step < SlowSteps; step++) {
            Report(SERVICE_START_PENDING, 0, step);
            Sleep(SlowStep);
        }
        Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP);
    }

    WaitForMultipleObjects(2, ends, FALSE, LongestLife);
    if (Is("slowstop")) {
        Sleep(SlowStep);  // still running a moment after its handler took the stop
        Report(SERVICE_STOP_PENDING, 0);
        Sleep(SlowStop);
    } else if (Is("quietstop")) {
        ReportQuietly(SERVICE_STOP_PENDING);
        Sleep(QuietStop);
    } else if (Is("hangstop")) {
        Report(SERVICE_STOP_PENDING, 0);  // and no progress until the tests end it
        WaitForSingleObject(quitRequested, LongestLife);
    }
    Report(SERVICE_STOPPED, 0);
}

int main(int argc, char **argv)
{
    if (argc > 1)
        mode = argv[1];
    if (Is("exit"))
        return 0;
    char quitName[MAX_PATH] = "Global\\TarnexTestQuit_";
    if (argc > 2)
        strncat(quitName, argv[2], sizeof(quitName) - strlen(quitName) - 1);
    quitRequested = CreateEventA(nullptr, TRUE, FALSE, quitName);
    // Not a service program at all: it never connects to the service manager.
    if (Is("noconnect")) {
        WaitForSingleObject(quitRequested, LongestLife);
        return 0;
    }
    stopRequested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    char name[] = "";
    SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    StartServiceCtrlDispatcherA(table);
    return 0;
}

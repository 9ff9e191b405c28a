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
// How long the "slowstop" mode stays STOP_PENDING after a stop request.
constexpr DWORD SlowStop = 500;

static void Report(DWORD state, DWORD accepted)
{
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = accepted;
    status.dwWaitHint = state == SERVICE_START_PENDING ? LongestLife : 0;
    status.dwCheckPoint = state == SERVICE_START_PENDING ? 1 : 0;
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
    if (!strcmp(mode, "nostop"))
        Report(SERVICE_RUNNING, 0);
    else if (!strcmp(mode, "paused")) {
        Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE);
        Report(SERVICE_PAUSED, SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE);
    }
    else if (!strcmp(mode, "pending"))
        Report(SERVICE_START_PENDING, 0);
    else
        Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP);

    HANDLE ends[] = {stopRequested, quitRequested};
    WaitForMultipleObjects(2, ends, FALSE, LongestLife);
    if (!strcmp(mode, "slowstop")) {
        Report(SERVICE_STOP_PENDING, 0);
        Sleep(SlowStop);
    }
    Report(SERVICE_STOPPED, 0);
}

int main(int argc, char **argv)
{
    if (argc > 1)
        mode = argv[1];
    if (!strcmp(mode, "exit"))
        return 0;
    stopRequested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    char quitName[MAX_PATH] = "Global\\TarnexTestQuit_";
    if (argc > 2)
        strncat(quitName, argv[2], sizeof(quitName) - strlen(quitName) - 1);
    quitRequested = CreateEventA(nullptr, TRUE, FALSE, quitName);

    char name[] = "";
    SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    StartServiceCtrlDispatcherA(table);
    return 0;
}

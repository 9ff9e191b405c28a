// Start, Stop and Remove, followed as Windows documents it: the service's
// checkpoint and wait hint while it is pending, its exit code when it stops.
#include "service/service_command.h"

#include "service/service_manager.h"

#include <string.h>

// How long a command follows a service, as Microsoft's "Stopping a Service"
// waits for one: a service still on its way is then said to be so.
constexpr DWORD FollowLimit = 30000;
// A service whose checkpoint has not advanced for its wait hint, and at
// least this long, has stalled.
constexpr DWORD ShortestStall = 1000;
// The pauses between two looks at a pending service: a tenth of its wait
// hint, within these; notified of its end, a command looks at once, and
// without notifications it looks often enough to answer within a quarter
// of a second.
constexpr DWORD ShortestPause = 50, LongestPause = 1000, LongestUnnotifiedPause = 250;
// How long Remove lets the name go once deleted: another program (the
// window's own refresh among them) may hold the service open a moment.
constexpr DWORD DeletionGrace = 1000;
constexpr DWORD DeletionLook = 50;
constexpr DWORD EndStates = SERVICE_NOTIFY_STOPPED | SERVICE_NOTIFY_RUNNING | SERVICE_NOTIFY_PAUSED;

static const char StartFailure[] = "Error Installing Service";
static const char StopFailure[] = "Error Stopping Service";

// A status-change notification, kept across a command: the callback runs
// when the thread waits alertably. And when the following of the current
// service began.
struct Follower {
    SERVICE_NOTIFYW notify;
    bool registered;
    DWORD begun;
};

// The following of another service begins: the last one's handle is closed,
// which cancels its notification.
static void FollowAnew(Follower *follower)
{
    follower->registered = false;
    follower->begun = GetTickCount();
}

static void CALLBACK Notified(void *parameter)
{
    static_cast<Follower *>(parameter)->registered = false;
}

static void Fail(ServiceOutcome *outcome, const char *caption, DWORD error)
{
    outcome->result = 0;
    outcome->caption = caption;
    outcome->error = error;
}

static bool Pending(DWORD state)
{
    return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING || state == SERVICE_CONTINUE_PENDING ||
           state == SERVICE_PAUSE_PENDING;
}

// A state as a bit of a set of states.
static constexpr DWORD Bit(DWORD state)
{
    return 1u << state;
}

// The calls that do not wait on a service hold the service manager's lock
// (see LockServiceManager).
static bool QueryState(SC_HANDLE service, SERVICE_STATUS_PROCESS *status)
{
    DWORD needed;
    LockServiceManager();
    const BOOL queried = QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE *>(status),
                                              sizeof(*status), &needed);
    UnlockServiceManager();
    return queried != FALSE;
}

static void CloseLocked(SC_HANDLE handle)
{
    LockServiceManager();
    scmCalls.closeServiceHandle(handle);
    UnlockServiceManager();
}

static bool QueryOrFail(SC_HANDLE service, SERVICE_STATUS_PROCESS *status, ServiceOutcome *outcome)
{
    if (QueryState(service, status))
        return true;
    Fail(outcome, StatusFailure, GetLastError());
    return false;
}

// Follows a service while its state is one of waiting (Bit); false,
// with the outcome said, when it is still on its way at the limit, or
// pending with a checkpoint that stopped advancing past its wait hint.
static bool FollowWhile(SC_HANDLE service, DWORD waiting, DWORD wanted, SERVICE_STATUS_PROCESS *status,
                        Follower *follower, ServiceOutcome *outcome, const char *caption)
{
    DWORD progressed = GetTickCount(), checkPoint = status->dwCheckPoint;
    while (waiting & Bit(status->dwCurrentState)) {
        const DWORD now = GetTickCount();
        const DWORD stall = status->dwWaitHint > ShortestStall ? status->dwWaitHint : ShortestStall;
        if (now - follower->begun > FollowLimit || (Pending(status->dwCurrentState) && now - progressed > stall)) {
            Fail(outcome, caption, 0);
            outcome->state = status->dwCurrentState;
            outcome->wanted = wanted;
            outcome->stillPending = true;
            return false;
        }
        if (!follower->registered) {
            follower->notify = {};
            follower->notify.dwVersion = SERVICE_NOTIFY_STATUS_CHANGE;
            follower->notify.pfnNotifyCallback = Notified;
            follower->notify.pContext = follower;
            LockServiceManager();
            follower->registered = NotifyServiceStatusChangeW(service, EndStates, &follower->notify) == ERROR_SUCCESS;
            UnlockServiceManager();
        }
        DWORD pause = status->dwWaitHint / 10;
        const DWORD longest = follower->registered ? LongestPause : LongestUnnotifiedPause;
        pause = pause < ShortestPause ? ShortestPause : pause > longest ? longest : pause;
        SleepEx(pause, TRUE);
        if (!QueryOrFail(service, status, outcome))
            return false;
        if (status->dwCheckPoint != checkPoint) {
            checkPoint = status->dwCheckPoint;
            progressed = GetTickCount();
        }
    }
    return true;
}

// The outcome of a service that ended in state when wanted was asked for;
// one that stopped says why with its exit code.
static void EndedIn(const SERVICE_STATUS_PROCESS &status, DWORD wanted, ServiceOutcome *outcome,
                    const char *caption)
{
    if (status.dwCurrentState == wanted) {
        outcome->result = 1;
        return;
    }
    Fail(outcome, caption, status.dwCurrentState == SERVICE_STOPPED ? status.dwWin32ExitCode : 0);
    outcome->state = status.dwCurrentState;
    outcome->wanted = wanted;
    if (outcome->error == ERROR_SERVICE_SPECIFIC_ERROR)
        outcome->serviceError = status.dwServiceSpecificExitCode;
}

// A service that is stopping is started once it has stopped, as Microsoft's
// "Starting a Service" does.
static void StartAndFollow(SC_HANDLE service, Follower *follower, ServiceOutcome *outcome)
{
    FollowAnew(follower);
    SERVICE_STATUS_PROCESS status;
    if (!QueryOrFail(service, &status, outcome) ||
        !FollowWhile(service, Bit(SERVICE_STOP_PENDING), SERVICE_RUNNING, &status, follower, outcome,
                     StartFailure))
        return;
    const DWORD state = status.dwCurrentState;
    if (state != SERVICE_RUNNING && state != SERVICE_START_PENDING && state != SERVICE_CONTINUE_PENDING) {
        if (!StartServiceA(service, 0, nullptr)) {
            Fail(outcome, StartFailure, GetLastError());
            return;
        }
        if (!QueryOrFail(service, &status, outcome))
            return;
    }
    if (FollowWhile(service, Bit(SERVICE_START_PENDING) | Bit(SERVICE_CONTINUE_PENDING), SERVICE_RUNNING, &status,
                    follower, outcome, StartFailure))
        EndedIn(status, SERVICE_RUNNING, outcome, StartFailure);
}

// Once asked to stop, a service may still run a moment before it reports
// that it is stopping: it is followed until it has stopped.
static bool StopAndFollow(SC_HANDLE service, Follower *follower, ServiceOutcome *outcome)
{
    FollowAnew(follower);
    SERVICE_STATUS_PROCESS status;
    if (!QueryOrFail(service, &status, outcome))
        return false;
    if (status.dwCurrentState != SERVICE_STOPPED && status.dwCurrentState != SERVICE_STOP_PENDING) {
        SERVICE_STATUS sent;
        if (!ControlService(service, SERVICE_CONTROL_STOP, &sent)) {
            Fail(outcome, StopFailure, GetLastError());
            return false;
        }
        if (!QueryOrFail(service, &status, outcome))
            return false;
    }
    const DWORD stopping = ~Bit(SERVICE_STOPPED);
    if (!FollowWhile(service, stopping, SERVICE_STOPPED, &status, follower, outcome, StopFailure))
        return false;
    EndedIn(status, SERVICE_STOPPED, outcome, StopFailure);
    return outcome->result == 1;
}

static SC_HANDLE OpenForCommand(SC_HANDLE scm, const char *name, DWORD access, ServiceOutcome *outcome)
{
    ScmFailure failure;
    LockServiceManager();
    SC_HANDLE service = OpenNamedService(scm, name, access, &failure);
    UnlockServiceManager();
    if (!service)
        Fail(outcome, failure.caption, failure.error);
    return service;
}

// The services of names, one after the other; false at the first that does
// not stop.
static bool StopEach(SC_HANDLE scm, const char *names, Follower *follower, ServiceOutcome *outcome)
{
    for (const char *name = names; name && *name; name += strlen(name) + 1) {
        SC_HANDLE service = OpenForCommand(scm, name, SERVICE_STOP | SERVICE_QUERY_STATUS, outcome);
        const bool stopped = service && StopAndFollow(service, follower, outcome);
        if (service)
            CloseLocked(service);
        if (!stopped) {
            lstrcpynA(outcome->service, name, sizeof(outcome->service));
            return false;
        }
    }
    return true;
}

// After DeleteService the service is gone once no program holds it open;
// till then Windows has only marked it for deletion.
static bool StillThere(SC_HANDLE scm, const char *keyName)
{
    for (DWORD waited = 0;; waited += DeletionLook) {
        LockServiceManager();
        SC_HANDLE service = scmCalls.openService(scm, keyName, SERVICE_QUERY_STATUS);
        if (service)
            scmCalls.closeServiceHandle(service);
        UnlockServiceManager();
        if (!service)
            return false;
        if (waited >= DeletionGrace)
            return true;
        Sleep(DeletionLook);
    }
}

// The rights each command needs and no more: protected services refuse
// administrators the right to stop or delete them, but can still be
// started.
static DWORD CommandAccess(unsigned operation)
{
    switch (operation) {
    case Start:
        return SERVICE_START | SERVICE_QUERY_STATUS;
    case Stop:
        return SERVICE_STOP | SERVICE_QUERY_STATUS;
    }
    return DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS;
}

void RunServiceCommand(const char *keyName, unsigned operation, const char *stopFirst, ServiceOutcome *outcome)
{
    *outcome = {};
    outcome->operation = operation;
    Follower follower = {};
    SC_HANDLE service = nullptr;
    ScmFailure failure;
    LockServiceManager();
    SC_HANDLE scm = ConnectServiceManager(SC_MANAGER_CONNECT, &failure);
    UnlockServiceManager();
    if (!scm) {
        Fail(outcome, failure.caption, failure.error);
        return;
    }
    service = OpenForCommand(scm, keyName, CommandAccess(operation), outcome);
    if (!service)
        goto done;
    if (operation == Start) {
        StartAndFollow(service, &follower, outcome);
        goto done;
    }
    if (!StopEach(scm, stopFirst, &follower, outcome) || !StopAndFollow(service, &follower, outcome))
        goto done;
    if (operation == Remove) {
        LockServiceManager();
        const BOOL deleted = DeleteService(service);
        const DWORD deleteError = GetLastError();
        scmCalls.closeServiceHandle(service);
        UnlockServiceManager();
        service = nullptr;
        if (!deleted) {
            Fail(outcome, "Error Deleting Service", deleteError);
            goto done;
        }
        outcome->markedForDeletion = StillThere(scm, keyName);
    }

done:
    if (service)
        CloseLocked(service);
    CloseLocked(scm);
    // Closed, the handles queue no more notifications: those queued already
    // run now, while the follower they point at lives.
    SleepEx(0, TRUE);
}

// Start, Stop and Remove, followed as Windows documents it: the service's
// checkpoint and wait hint while it is pending, its exit code when it stops.
#include "service/service_command.h"

#include "service/registry_lists.h"
#include "service/service_manager.h"

#include <stdlib.h>
#include <string.h>

// How long a command follows a service, at most: as long as the service
// manager itself waits for a service (its ServicesPipeTimeout, which
// administrators raise for slow services; 30 s unless set). A service still
// on its way is then said to be so.
constexpr DWORD DefaultFollowLimit = 30000;
// A starting service whose checkpoint has not advanced for its wait hint,
// and at least this long, has stalled. A stopping one is not judged so:
// many report no checkpoints while they shut down.
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

const char StartFailure[] = "Error Installing Service";
static const char StopFailure[] = "Error Stopping Service";

// The status notices of every command, as long as the program runs: the
// service manager writes into one until its callback has run, and Wine's a
// moment after the handle it was asked on was closed. One is taken again
// once its callback ran, or a while after its handle closed (the callback
// of a request that closing cancelled never runs).
constexpr int NoticeCount = 16;
constexpr DWORD NoticeGrace = 1000;
static struct {
    SERVICE_NOTIFYW notify;
    volatile LONG waiting;  // asked for, its callback not run
    bool closed;            // its handle closed while it waited, at closedAt
    DWORD closedAt;
} notices[NoticeCount];

// The following of one service: the notice it waits on (-1: none yet),
// when it began, and for how long it may go on.
struct Follower {
    int notice;
    DWORD begun;
    DWORD limit;
};

static DWORD FollowLimit()
{
    DWORD value = 0, size = sizeof(value);
    char text[16];
    DWORD type, textSize = sizeof(text);
    const char *const key = "SYSTEM\\CurrentControlSet\\Control";
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, "ServicesPipeTimeout", RRF_RT_REG_DWORD, nullptr, &value, &size) ==
        ERROR_SUCCESS)
        return value ? value : DefaultFollowLimit;
    // Written as text, it is still meant as a count of milliseconds.
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, "ServicesPipeTimeout", RRF_RT_REG_SZ, &type, text, &textSize) ==
            ERROR_SUCCESS &&
        (value = strtoul(text, nullptr, 10)))
        return value;
    return DefaultFollowLimit;
}

// The handle of the service followed has closed, which cancels its
// notification; its notice is left alone a while, as the service manager
// may still be writing into it.
static void LetNoticeGo(Follower *follower)
{
    if (follower->notice >= 0) {
        LockServiceManager();
        auto &notice = notices[follower->notice];
        notice.closed = notice.waiting != 0;
        notice.closedAt = GetTickCount();
        UnlockServiceManager();
    }
    follower->notice = -1;
}

// The following of another service begins; the last one's handle is
// closed.
static void FollowAnew(Follower *follower)
{
    LetNoticeGo(follower);
    follower->begun = GetTickCount();
}

static void CALLBACK Notified(void *parameter)
{
    InterlockedExchange(static_cast<volatile LONG *>(static_cast<SERVICE_NOTIFYW *>(parameter)->pContext), 0);
}

// Asks to be told when the service reaches an end state, in a notice no
// request may still write into; false when none is free or the service
// manager takes no request, and the service is then looked at more often.
static bool Notify(SC_HANDLE service, Follower *follower)
{
    LockServiceManager();
    int taken = follower->notice;
    if (taken >= 0 && notices[taken].waiting) {
        UnlockServiceManager();
        return true;
    }
    for (int i = 0; taken < 0 && i < NoticeCount; i++)
        if (!notices[i].waiting || (notices[i].closed && GetTickCount() - notices[i].closedAt > NoticeGrace))
            taken = i;
    bool asked = false;
    if (taken >= 0) {
        follower->notice = taken;
        auto &notice = notices[taken];
        notice.notify.dwVersion = SERVICE_NOTIFY_STATUS_CHANGE;
        notice.notify.pfnNotifyCallback = Notified;
        notice.notify.pContext = const_cast<LONG *>(&notice.waiting);
        notice.waiting = 1;
        notice.closed = false;
        asked = NotifyServiceStatusChangeW(service, EndStates, &notice.notify) == ERROR_SUCCESS;
        if (!asked)
            notice.waiting = 0;
    }
    UnlockServiceManager();
    return asked;
}

static void Fail(ServiceOutcome *outcome, const char *caption, DWORD error)
{
    outcome->result = 0;
    outcome->caption = caption;
    outcome->error = error;
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
// starting with a checkpoint that stopped advancing past its wait hint.
static bool FollowWhile(SC_HANDLE service, DWORD waiting, DWORD wanted, SERVICE_STATUS_PROCESS *status,
                        Follower *follower, ServiceOutcome *outcome, const char *caption)
{
    DWORD progressed = GetTickCount(), checkPoint = status->dwCheckPoint;
    while (waiting & Bit(status->dwCurrentState)) {
        const DWORD now = GetTickCount();
        const DWORD stall = status->dwWaitHint > ShortestStall ? status->dwWaitHint : ShortestStall;
        const bool starting =
            status->dwCurrentState == SERVICE_START_PENDING || status->dwCurrentState == SERVICE_CONTINUE_PENDING;
        if (now - follower->begun > follower->limit || (starting && now - progressed > stall)) {
            Fail(outcome, caption, 0);
            outcome->state = status->dwCurrentState;
            outcome->wanted = wanted;
            outcome->stillPending = true;
            return false;
        }
        DWORD pause = status->dwWaitHint / 10;
        const DWORD longest = Notify(service, follower) ? LongestPause : LongestUnnotifiedPause;
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
// "Starting a Service" does; one that another program started meanwhile is
// followed as if this start had begun it. A start that fails may clean up
// through STOP_PENDING: it is followed until it has stopped, to its exit
// code.
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
        if (!scmCalls.startService(service, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
            Fail(outcome, StartFailure, GetLastError());
            return;
        }
        if (!QueryOrFail(service, &status, outcome))
            return;
    }
    const DWORD starting = Bit(SERVICE_START_PENDING) | Bit(SERVICE_CONTINUE_PENDING) | Bit(SERVICE_STOP_PENDING);
    if (FollowWhile(service, starting, SERVICE_RUNNING, &status, follower, outcome, StartFailure))
        EndedIn(status, SERVICE_RUNNING, outcome, StartFailure);
}

// Asks the service to stop, unless it is stopped or stopping already, or
// stopped meanwhile; false with the refusal said.
static bool AskToStop(SC_HANDLE service, Follower *follower, SERVICE_STATUS_PROCESS *status,
                      ServiceOutcome *outcome)
{
    FollowAnew(follower);
    if (!QueryOrFail(service, status, outcome))
        return false;
    if (status->dwCurrentState == SERVICE_STOPPED || status->dwCurrentState == SERVICE_STOP_PENDING)
        return true;
    // Stopped or stopping meanwhile, it is followed as if this stop had
    // begun it.
    SERVICE_STATUS sent;
    if (!scmCalls.controlService(service, SERVICE_CONTROL_STOP, &sent)) {
        const DWORD error = GetLastError();
        if (error != ERROR_SERVICE_NOT_ACTIVE && error != ERROR_SERVICE_CANNOT_ACCEPT_CTRL) {
            Fail(outcome, StopFailure, error);
            return false;
        }
        if (!QueryOrFail(service, status, outcome))
            return false;
        if (status->dwCurrentState != SERVICE_STOPPED && status->dwCurrentState != SERVICE_STOP_PENDING) {
            Fail(outcome, StopFailure, error);
            return false;
        }
        return true;
    }
    return QueryOrFail(service, status, outcome);
}

// Once asked to stop, a service may still run a moment before it reports
// that it is stopping: it is followed until it has stopped.
static bool FollowStop(SC_HANDLE service, Follower *follower, SERVICE_STATUS_PROCESS *status,
                       ServiceOutcome *outcome)
{
    if (!FollowWhile(service, ~Bit(SERVICE_STOPPED), SERVICE_STOPPED, status, follower, outcome, StopFailure))
        return false;
    EndedIn(*status, SERVICE_STOPPED, outcome, StopFailure);
    return outcome->result == 1;
}

static bool StopAndFollow(SC_HANDLE service, Follower *follower, ServiceOutcome *outcome)
{
    SERVICE_STATUS_PROCESS status;
    return AskToStop(service, follower, &status, outcome) && FollowStop(service, follower, &status, outcome);
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
            lstrcpynA(outcome->dependent, name, sizeof(outcome->dependent));
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

// Remove deletes the service once it was asked to stop: one that takes its
// time stopping goes when it has stopped, and is never left installed for
// being slow.
static void StopAndDelete(SC_HANDLE scm, SC_HANDLE *service, const char *keyName, Follower *follower,
                          ServiceOutcome *outcome)
{
    SERVICE_STATUS_PROCESS status;
    if (!AskToStop(*service, follower, &status, outcome))
        return;
    LockServiceManager();
    const BOOL deleted = DeleteService(*service);
    const DWORD deleteError = GetLastError();
    UnlockServiceManager();
    if (!deleted) {
        Fail(outcome, "Error Deleting Service", deleteError);
        return;
    }
    ServiceKeyWritten(keyName, &outcome->keyWritten);
    const bool stopped = FollowStop(*service, follower, &status, outcome);
    // The program's own handle would keep the service.
    CloseLocked(*service);
    *service = nullptr;
    if (stopped) {
        outcome->markedForDeletion = StillThere(scm, keyName);
    } else if (outcome->stillPending) {
        // Deleted all the same: the service manager lets it go once stopped.
        outcome->result = 1;
        outcome->caption = nullptr;
        outcome->markedForDeletion = true;
    }
}

void RunServiceCommand(const char *keyName, unsigned operation, const char *stopFirst, ServiceOutcome *outcome)
{
    *outcome = {};
    outcome->operation = operation;
    lstrcpynA(outcome->keyName, keyName, sizeof(outcome->keyName));
    Follower follower = {-1, 0, FollowLimit()};
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
    if (!StopEach(scm, stopFirst, &follower, outcome))
        goto done;
    if (operation == Stop)
        StopAndFollow(service, &follower, outcome);
    else
        StopAndDelete(scm, &service, keyName, &follower, outcome);

done:
    if (service)
        CloseLocked(service);
    CloseLocked(scm);
    // Closed, the handles queue no more notifications: those queued already
    // run now.
    SleepEx(0, TRUE);
    LetNoticeGo(&follower);
}

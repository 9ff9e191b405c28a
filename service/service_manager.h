// The service manager as every part of the program reaches it: the calls
// that tests may point elsewhere, the lock of its client, and opening it and
// its services with the rights a caller names.
#pragma once

#include <windows.h>

// What the program asks of the service manager.
enum ServiceOperation : unsigned {
    Install = 0,
    Remove = 1,
    LoadConfig = 2,
    QueryStatus = 3,
    Start = 4,
    Stop = 5,
};

// The SCM calls whose failures and answers Wine cannot produce (a refused
// open, a configuration with dependencies, a failing configuration query),
// and those that make and close SCM handles, whose count Wine cannot
// report. The program uses the platform's own; tests may point these
// elsewhere.
struct ScmCalls {
    decltype(&OpenServiceA) openService;
    decltype(&QueryServiceConfigW) queryServiceConfig;
    decltype(&OpenSCManagerA) openSCManager;
    decltype(&CreateServiceA) createService;
    decltype(&CloseServiceHandle) closeServiceHandle;
    // Wine never lists the services that depend on a service.
    decltype(&EnumDependentServicesW) enumDependentServices;
    // A service that another program starts or stops between a look at it
    // and the command.
    decltype(&StartServiceA) startService;
    decltype(&ControlService) controlService;
    // Settings Wine's service manager does not keep: the delayed start.
    decltype(&QueryServiceConfig2W) queryServiceConfig2;
    decltype(&ChangeServiceConfig2W) changeServiceConfig2;
};
extern ScmCalls scmCalls;

// One thread at a time talks to the service manager, but for the calls
// that wait on a service (StartService, ControlService) and the waits
// between looks at one: Wine's client of the service manager loses handles
// when two threads of a process open or close them at once. Windows' does
// not; there the lock is held for the moments the calls take.
void LockServiceManager();
void UnlockServiceManager();

// The titles of the failures that any operation may meet.
extern const char ConnectFailure[];
extern const char OpenFailure[];
extern const char StatusFailure[];

// A call that failed: the title of its report and its error code.
struct ScmFailure {
    const char *caption;
    DWORD error;
};

// The local service manager opened with access, or null with the failure
// said. The caller holds the lock.
SC_HANDLE ConnectServiceManager(DWORD access, ScmFailure *failure);
// The service name opened with access, or null with the failure said. The
// caller holds the lock.
SC_HANDLE OpenNamedService(SC_HANDLE scm, const char *name, DWORD access, ScmFailure *failure);

// Opens the service keyName with access under the lock, runs use on its
// handle, and closes it; 0, or the error of the open or of use (its last
// error when it returns false).
template <typename Use>
DWORD WithService(const char *keyName, DWORD access, Use use)
{
    ScmFailure failure = {};
    DWORD error = 0;
    LockServiceManager();
    SC_HANDLE scm = ConnectServiceManager(SC_MANAGER_CONNECT, &failure);
    SC_HANDLE service = scm ? OpenNamedService(scm, keyName, access, &failure) : nullptr;
    if (!service)
        error = failure.error;
    else if (!use(service))
        error = GetLastError() ? GetLastError() : ERROR_INVALID_FUNCTION;
    if (service)
        scmCalls.closeServiceHandle(service);
    if (scm)
        scmCalls.closeServiceHandle(scm);
    UnlockServiceManager();
    return error;
}

// Whether an automatic start of the service (opened with
// SERVICE_QUERY_CONFIG) is delayed; false when the service manager cannot
// say (Wine's refuses to). The caller holds the lock.
bool DelayedAutoStartOf(SC_HANDLE service);

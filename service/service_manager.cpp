// The service manager's shared access.
#include "service/service_manager.h"

ScmCalls scmCalls = {OpenServiceA,       QueryServiceConfigW,    OpenSCManagerA, CreateServiceA,
                     CloseServiceHandle, EnumDependentServicesW, StartServiceA,  ControlService,
                     QueryServiceConfig2W, ChangeServiceConfig2W};

const char ConnectFailure[] = "Error 0pening a Connection to the SCM!";
const char OpenFailure[] = "Error 0pening a Service of the SCM!";
const char StatusFailure[] = "Error at Query Service Status of the SCM";

static SRWLOCK serviceManagerLock = SRWLOCK_INIT;

void LockServiceManager()
{
    AcquireSRWLockExclusive(&serviceManagerLock);
}

void UnlockServiceManager()
{
    ReleaseSRWLockExclusive(&serviceManagerLock);
}

SC_HANDLE ConnectServiceManager(DWORD access, ScmFailure *failure)
{
    SC_HANDLE scm = scmCalls.openSCManager(nullptr, nullptr, access);
    if (!scm)
        *failure = {ConnectFailure, GetLastError()};
    return scm;
}

SC_HANDLE OpenNamedService(SC_HANDLE scm, const char *name, DWORD access, ScmFailure *failure)
{
    SC_HANDLE service = scmCalls.openService(scm, name, access);
    if (!service)
        *failure = {OpenFailure, GetLastError()};
    return service;
}

bool DelayedAutoStartOf(SC_HANDLE service)
{
    SERVICE_DELAYED_AUTO_START_INFO info = {};
    DWORD needed;
    return scmCalls.queryServiceConfig2(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, reinterpret_cast<BYTE *>(&info),
                                        sizeof(info), &needed) &&
           info.fDelayedAutostart;
}

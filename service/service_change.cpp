// A service changed in place.
#include "service/service_change.h"

#include "service/service_manager.h"

// Opens keyName to change it, runs change on its handle, and closes it;
// 0 or the first error.
template <typename Change>
static DWORD WithServiceToChange(const char *keyName, Change change)
{
    ScmFailure failure = {};
    DWORD error = 0;
    LockServiceManager();
    SC_HANDLE scm = ConnectServiceManager(SC_MANAGER_CONNECT, &failure);
    SC_HANDLE service = scm ? OpenNamedService(scm, keyName, SERVICE_CHANGE_CONFIG, &failure) : nullptr;
    if (!service)
        error = failure.error;
    else if (!change(service))
        error = GetLastError();
    if (service)
        scmCalls.closeServiceHandle(service);
    if (scm)
        scmCalls.closeServiceHandle(scm);
    UnlockServiceManager();
    return error;
}

DWORD ChangeService(const char *keyName, const ServiceChange *c)
{
    return WithServiceToChange(keyName, [c](SC_HANDLE service) {
        if (!ChangeServiceConfigW(service, c->serviceType, c->startType, c->errorControl, c->binaryPath,
                                  c->loadOrderGroup, nullptr, c->dependencies, c->accountName, c->password,
                                  c->displayName))
            return false;
        SERVICE_DESCRIPTIONW description = {const_cast<WCHAR *>(c->description)};
        return !c->description ||
               scmCalls.changeServiceConfig2(service, SERVICE_CONFIG_DESCRIPTION, &description) != FALSE;
    });
}

DWORD SetDelayedAutoStart(const char *keyName, bool delayed)
{
    return WithServiceToChange(keyName, [delayed](SC_HANDLE service) {
        SERVICE_DELAYED_AUTO_START_INFO info = {delayed};
        return scmCalls.changeServiceConfig2(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &info) != FALSE;
    });
}

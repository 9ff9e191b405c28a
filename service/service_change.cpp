// A service changed in place.
#include "service/service_change.h"

#include "service/service_manager.h"

DWORD ChangeService(const char *keyName, const ServiceChange *c)
{
    return WithService(keyName, SERVICE_CHANGE_CONFIG, [c](SC_HANDLE service) {
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
    return WithService(keyName, SERVICE_CHANGE_CONFIG, [delayed](SC_HANDLE service) {
        SERVICE_DELAYED_AUTO_START_INFO info = {delayed};
        return scmCalls.changeServiceConfig2(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &info) != FALSE;
    });
}

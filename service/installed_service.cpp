// The configuration of an installed service, wide and whole.
#include "service/installed_service.h"

#include "service/registry_lists.h"
#include "service/service_manager.h"

// The stored description as written, an indirect one ("@file,-id") too:
// a copy of the service stores the same. Null when there is none.
static WCHAR *ReadDescription(const char *keyName)
{
    HKEY key;
    if (OpenServiceKey(keyName, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    DWORD type, size = 0;
    WCHAR *text = nullptr;
    if (RegQueryValueExW(key, L"Description", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) &&
        (text = static_cast<WCHAR *>(GlobalAlloc(GPTR, size + sizeof(WCHAR)))) &&
        RegQueryValueExW(key, L"Description", nullptr, &type, reinterpret_cast<BYTE *>(text), &size) !=
            ERROR_SUCCESS) {
        GlobalFree(text);
        text = nullptr;
    }
    RegCloseKey(key);
    return text;
}

DWORD ReadInstalledService(const char *keyName, InstalledService *service)
{
    ScmFailure failure = {};
    QUERY_SERVICE_CONFIGW fixed, *config = nullptr;
    bool delayed = false;
    DWORD needed = 0, error = ERROR_SUCCESS;
    LockServiceManager();
    SC_HANDLE scm = ConnectServiceManager(SC_MANAGER_CONNECT, &failure);
    SC_HANDLE handle = scm ? OpenNamedService(scm, keyName, SERVICE_QUERY_CONFIG, &failure) : nullptr;
    if (!handle) {
        error = failure.error;
        goto done;
    }
    // The fixed part alone never holds the texts: the size they take is
    // asked for first.
    if (!scmCalls.queryServiceConfig(handle, &fixed, sizeof(fixed), &needed) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        error = GetLastError();
        goto done;
    }
    if (needed < sizeof(fixed))
        needed = sizeof(fixed);
    config = static_cast<QUERY_SERVICE_CONFIGW *>(GlobalAlloc(GPTR, needed));
    if (!config) {
        error = GetLastError();
        goto done;
    }
    if (!scmCalls.queryServiceConfig(handle, config, needed, &needed)) {
        error = GetLastError();
        GlobalFree(config);
        config = nullptr;
    } else {
        delayed = config->dwStartType == SERVICE_AUTO_START && DelayedAutoStartOf(handle);
    }

done:
    if (handle)
        scmCalls.closeServiceHandle(handle);
    if (scm)
        scmCalls.closeServiceHandle(scm);
    UnlockServiceManager();
    if (config)
        *service = {config, ReadDescription(keyName), delayed};
    return error;
}

void FreeInstalledService(InstalledService *service)
{
    if (service->config)
        GlobalFree(service->config);
    if (service->description)
        GlobalFree(service->description);
    *service = {};
}

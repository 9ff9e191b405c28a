// The checks before Install, Apply and Start.
#include "service/service_checks.h"

#include "service/binary_path.h"
#include "service/error_report.h"
#include "service/executable_image.h"
#include "service/installed_service.h"
#include "service/registry_lists.h"
#include "service/service_account.h"
#include "service/service_manager.h"
#include "service/settings.h"

#include <stdarg.h>

// Adds one line; at most 1,024 characters of it, as wsprintf writes.
static void Find(Findings *findings, const char *format, ...)
{
    char line[1024];
    va_list arguments;
    va_start(arguments, format);
    wvsprintfA(line, format, arguments);
    va_end(arguments);
    const int used = lstrlenA(findings->text);
    if (used + lstrlenA(line) + 5 >= int(FindingsSize))
        return;
    wsprintfA(findings->text + used, "- %s\r\n", line);
    findings->count++;
}

// A name for a message in the program's code page.
static void Shown(const WCHAR *text, char *shown, int size)
{
    if (!WideCharToMultiByte(ProgramCodePage(), 0, text, -1, shown, size, nullptr, nullptr))
        lstrcpynA(shown, "?", size);
    shown[size - 1] = '\0';
}

void CheckProgram(const WCHAR *binaryPath, DWORD serviceType, Findings *findings)
{
    WCHAR program[MAX_PATH];
    if (!(serviceType & SERVICE_WIN32) || !ProgramOfBinaryPath(binaryPath, program, MAX_PATH))
        return;
    char name[MAX_PATH * 3];
    Shown(program, name, sizeof(name));
    switch (InspectExecutable(program)) {
    case ImageMissing:
        Find(findings, "The program %s is not there: the start would fail with error 2.", name);
        break;
    case ImageIsDirectory:
        Find(findings, "%s is a folder, not a program.", name);
        break;
    case ImageScript:
        Find(findings,
             "%s is a script: Windows runs programs as services, and a script's interpreter is no service "
             "program. It needs a service wrapper.",
             name);
        break;
    case ImageNotWindowsProgram:
        Find(findings, "%s is not a Windows program: the start would fail with error 193.", name);
        break;
    case ImageForeignMachine:
        Find(findings, "%s is a program for a processor this Windows does not run.", name);
        break;
    case ImageNotServiceProgram:
        Find(findings,
             "%s imports no StartServiceCtrlDispatcher: unless it looks it up as it runs, it is no service program, "
             "and Windows ends it after its start timeout with error 1053. Such a program needs a service wrapper.",
             name);
        break;
    case ImageServiceProgram:
    case ImageDotNet:
    case ImageUnknown:
        break;
    }
}

// Whether the service keyName is there, and its start type.
static DWORD StartTypeOf(SC_HANDLE scm, const WCHAR *keyName, bool *installed)
{
    *installed = false;
    DWORD startType = 0, needed = 0;
    SC_HANDLE service = OpenServiceW(scm, keyName, SERVICE_QUERY_CONFIG);
    if (!service)
        return 0;
    *installed = true;
    QUERY_SERVICE_CONFIGW fixed;
    if (!QueryServiceConfigW(service, &fixed, sizeof(fixed), &needed) && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        auto *config = static_cast<QUERY_SERVICE_CONFIGW *>(GlobalAlloc(GPTR, needed));
        if (config && QueryServiceConfigW(service, config, needed, &needed))
            startType = config->dwStartType;
        if (config)
            GlobalFree(config);
    } else {
        startType = fixed.dwStartType;
    }
    CloseServiceHandle(service);
    return startType;
}

void CheckDependencies(const WCHAR *dependencies, Findings *findings)
{
    if (!dependencies || !dependencies[0])
        return;
    ScmFailure failure;
    LockServiceManager();
    SC_HANDLE scm = ConnectServiceManager(SC_MANAGER_CONNECT, &failure);
    for (const WCHAR *name = dependencies; scm && *name; name += lstrlenW(name) + 1) {
        char shown[MAX_PATH * 3];
        Shown(name[0] == SERVICE_GROUP_PREFIX ? name + 1 : name, shown, sizeof(shown));
        if (name[0] == SERVICE_GROUP_PREFIX) {
            if (!GroupKnown(name + 1))
                Find(findings,
                     "The group %s is neither in the service group order nor any service's: no service of it "
                     "starts first.",
                     shown);
            continue;
        }
        bool installed;
        const DWORD startType = StartTypeOf(scm, name, &installed);
        if (!installed)
            Find(findings, "The dependency %s is no installed service: the start would fail with error 1075.",
                 shown);
        else if (startType == SERVICE_DISABLED)
            Find(findings, "The dependency %s is disabled: Windows starts neither it nor this service.", shown);
    }
    if (scm)
        CloseServiceHandle(scm);
    UnlockServiceManager();
}

void CheckDisplayName(const WCHAR *displayName, const char *keyName, Findings *findings)
{
    if (!displayName || !displayName[0])
        return;
    WCHAR owner[MAX_PATH];
    DWORD length = MAX_PATH;
    ScmFailure failure;
    LockServiceManager();
    SC_HANDLE scm = ConnectServiceManager(SC_MANAGER_CONNECT, &failure);
    // Windows refuses a display name that is another service's display name
    // or key name.
    bool taken = scm && GetServiceKeyNameW(scm, displayName, owner, &length);
    if (scm && !taken) {
        SC_HANDLE named = OpenServiceW(scm, displayName, SERVICE_QUERY_STATUS);
        if ((taken = named != nullptr)) {
            lstrcpynW(owner, displayName, MAX_PATH);
            CloseServiceHandle(named);
        }
    }
    if (scm)
        CloseServiceHandle(scm);
    UnlockServiceManager();
    char ownerName[MAX_PATH * 3], shown[MAX_PATH * 3];
    if (!taken)
        return;
    Shown(owner, ownerName, sizeof(ownerName));
    if (keyName && !lstrcmpiA(ownerName, keyName))
        return;
    Shown(displayName, shown, sizeof(shown));
    Find(findings, "The display name %s is the service %s's already: Windows refuses it with error 1078.", shown,
         ownerName);
}

void CheckAccount(const WCHAR *account, bool starting, Findings *findings)
{
    if (!account || !NeedsServiceLogonRight(KindOfAccount(account)))
        return;
    char shown[MAX_PATH * 3], failure[FailureTextSize];
    Shown(account, shown, sizeof(shown));
    PSID sid;
    const DWORD error = ResolveAccount(account, &sid);
    if (error) {
        FormatSystemError(error, failure);
        Find(findings, "The account %s was not found: %s The service cannot start until it logs on with one that is.",
             shown, failure);
        return;
    }
    LocalFree(sid);
    bool held = false;
    const bool told = starting && HoldsServiceLogonRight(account, &held) == ERROR_SUCCESS;
    // The right may still come through a group the account is in.
    if (told && !held)
        Find(findings,
             "The account %s itself is not granted the right to log on as a service: unless a group of it is, "
             "the start fails with error 1069. Change the service (which grants it), or grant it by policy.",
             shown);
}

void CheckStart(const char *keyName, Findings *findings)
{
    InstalledService installed;
    if (ReadInstalledService(keyName, &installed))
        return;
    const QUERY_SERVICE_CONFIGW *c = installed.config;
    if (c->dwStartType == SERVICE_DISABLED)
        Find(findings, "The service is disabled: Windows refuses to start it (error 1058).");
    if (DeleteFlagSet(keyName))
        Find(findings, "The service is marked for deletion: Windows refuses to start it (error 1072).");
    if (c->lpBinaryPathName)
        CheckProgram(c->lpBinaryPathName, c->dwServiceType, findings);
    CheckDependencies(c->lpDependencies, findings);
    CheckAccount(c->lpServiceStartName, true, findings);
    FreeInstalledService(&installed);
}

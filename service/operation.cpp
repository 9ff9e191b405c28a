// Install, remove, load, query, start and stop a service through the SCM.
#include "service/operation.h"

#include "service/error_report.h"
#include "service/registry_lists.h"
#include "service/service_command.h"

#include <string.h>

#ifndef _WIN64
static_assert(sizeof(QUERY_SERVICE_CONFIGW) == 36, "the first configuration query holds the fixed part only");
#endif

LONG keyNameRejected;
LONG scmAccessDenied;

static const char DescriptionValue[] = "Description";

// Copies text into a field of size bytes, cut to fit between two
// characters; no text clears it.
static void CopyField(char *field, const char *text, DWORD size)
{
    const size_t length = text ? CharacterBoundary(text, size - 1) : 0;
    if (length)
        memcpy(field, text, length);
    field[length] = '\0';
}

// Converts text exactly into a field of size bytes, cut to fit between two
// characters; a text the program's code page cannot hold exactly clears it,
// as does no text: a look-alike in a field of the form (a program's path,
// an account, a group) would install a copy of the service with another.
static void CopyWideField(char *field, const WCHAR *text, DWORD size)
{
    field[0] = '\0';
    const int bytes = text ? ExactProgramText(text, nullptr, 0) : 0;
    char *whole = bytes ? static_cast<char *>(GlobalAlloc(GMEM_FIXED, bytes)) : nullptr;
    if (!whole)
        return;
    ExactProgramText(text, whole, bytes);
    CopyField(field, whole, size);
    GlobalFree(whole);
}

// Copies a double-NUL list of names into a field, each whole and exactly
// as the program's code page holds it: a look-alike, or a name cut to fit,
// would name another service or group. What cannot be so is left out.
static void CopyList(char *field, const WCHAR *list, DWORD size)
{
    DWORD used = 0;
    field[0] = '\0';
    for (const WCHAR *name = list; name && *name; name += lstrlenW(name) + 1)
        AppendExactName(field, &used, size - 1, name);
    field[used + 1] = '\0';
}

// A Win32 service's path with a blank that names an existing file as a whole
// is quoted: unquoted, the SCM would try "C:\Program.exe" for
// "C:\Program Files\x.exe" first, a program anybody who can write to the
// drive's root could plant. Paths that are quoted already, name no file (they carry
// arguments), have no blank, would not fit the field quoted, or belong to a
// driver (whose path is read literally) pass unchanged.
const char *QuotedBinaryPath(const char *path, DWORD serviceType, char *quoted)
{
    if (!(serviceType & SERVICE_WIN32) || !strchr(path, ' ') || path[0] == '"' ||
        strlen(path) + 2 > FieldSize - 1)
        return path;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return path;
    quoted[0] = '"';
    strcpy(quoted + 1, path);
    strcat(quoted, "\"");
    return quoted;
}

static void WriteDescription(const char *keyName, const char *description)
{
    HKEY key;
    if (OpenServiceKey(keyName, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, DescriptionValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(description),
                   DWORD(strlen(description)));
    RegCloseKey(key);
}

// The services that come with Windows store their description as a
// reference into a DLL's string table, "@file,-id"; the form shows the text
// it names, as the Services console does, cut to the field between two
// characters. False when it cannot be had, or the program's code page
// cannot hold it exactly.
static bool ResolveIndirectText(HKEY key, char *text, DWORD size)
{
    WCHAR shortText[LongFieldSize];
    WCHAR *wide = shortText;
    DWORD length = sizeof(shortText);
    LONG result = RegLoadMUIStringW(key, L"Description", wide, length, &length, 0, nullptr);
    if (result == ERROR_MORE_DATA && (wide = static_cast<WCHAR *>(GlobalAlloc(GPTR, length + sizeof(WCHAR)))))
        result = RegLoadMUIStringW(key, L"Description", wide, length, &length, 0, nullptr);
    const int bytes = wide && result == ERROR_SUCCESS ? ExactProgramText(wide, nullptr, 0) : 0;
    char *whole = bytes ? static_cast<char *>(GlobalAlloc(GMEM_FIXED, bytes)) : nullptr;
    if (whole) {
        ExactProgramText(wide, whole, bytes);
        CopyField(text, whole, size);
        GlobalFree(whole);
    }
    if (wide && wide != shortText)
        GlobalFree(wide);
    return whole != nullptr;
}

// Reads the "Description" value whatever its type. The field changes only
// when the whole value fits, and always ends terminated inside the field.
// An indirect text that cannot be resolved is shown as stored. Windows
// keeps "DeleteFlag" in the key of a service marked for deletion.
static void ReadServiceKey(const char *keyName, char *description, bool *markedForDeletion)
{
    HKEY key;
    if (OpenServiceKey(keyName, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    DWORD deleteFlag = 0, flagSize = sizeof(deleteFlag);
    if (RegQueryValueExA(key, "DeleteFlag", nullptr, nullptr, reinterpret_cast<BYTE *>(&deleteFlag), &flagSize) ==
            ERROR_SUCCESS &&
        deleteFlag)
        *markedForDeletion = true;
    char value[LongFieldSize];
    DWORD type;
    DWORD size = sizeof(value);
    if (RegQueryValueExA(key, DescriptionValue, nullptr, &type, reinterpret_cast<BYTE *>(value), &size) ==
        ERROR_SUCCESS) {
        value[size < sizeof(value) ? size : CharacterBoundary(value, sizeof(value) - 1)] = '\0';
        if ((type != REG_SZ && type != REG_EXPAND_SZ) || value[0] != '@' ||
            !ResolveIndirectText(key, description, LongFieldSize))
            strcpy(description, value);
    }
    RegCloseKey(key);
}

static void LoadServiceConfig(SC_HANDLE service, char *binaryPath, char *displayName, char *description,
                              const char *keyName, DWORD *serviceType, DWORD *startType, DWORD *errorControl,
                              char *loadOrderGroup, char *dependencies, char *accountName,
                              bool *markedForDeletion)
{
    QUERY_SERVICE_CONFIGW fixed;
    QUERY_SERVICE_CONFIGW *config = &fixed;
    HGLOBAL block = nullptr;
    DWORD needed = 0;
    if (!scmCalls.queryServiceConfig(service, &fixed, sizeof(fixed), &needed)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return;
        block = GlobalAlloc(GPTR, needed);
        if (!block)
            return;
        config = static_cast<QUERY_SERVICE_CONFIGW *>(block);
        if (!scmCalls.queryServiceConfig(service, config, needed, &needed)) {
            GlobalFree(block);
            return;
        }
    }

    CopyWideField(binaryPath, config->lpBinaryPathName, FieldSize);
    CopyWideField(displayName, config->lpDisplayName, FieldSize);
    ReadServiceKey(keyName, description, markedForDeletion);
    *serviceType = config->dwServiceType;
    *startType = config->dwStartType;
    *errorControl = config->dwErrorControl;
    CopyWideField(loadOrderGroup, config->lpLoadOrderGroup, FieldSize);
    CopyList(dependencies, config->lpDependencies, LongFieldSize);
    DependencyListToText(dependencies, LongFieldSize);
    CopyWideField(accountName, config->lpServiceStartName, FieldSize);

    if (block)
        GlobalFree(block);
}

// The failure of an open: LoadConfig keeps quiet about a missing service
// and flags an invalid name or refused access for the main window.
static bool ReportedOpenFailure(unsigned operation, DWORD code)
{
    if (operation != LoadConfig)
        return true;
    if (code == ERROR_INVALID_NAME)
        keyNameRejected = 1;
    else if (code == ERROR_ACCESS_DENIED)
        scmAccessDenied = 1;
    return code != ERROR_SERVICE_DOES_NOT_EXIST;
}

// Start, Stop and Remove, each followed to its end on the calling thread;
// a service that did not reach what was asked in time is reported so.
static LONG RunCommandHere(const char *keyName, unsigned operation)
{
    ServiceOutcome outcome;
    RunServiceCommand(keyName, operation, nullptr, &outcome);
    if (!outcome.result) {
        SetLastError(outcome.error ? outcome.error : ERROR_SERVICE_REQUEST_TIMEOUT);
        ReportSystemError(outcome.caption);
    }
    return outcome.result;
}

// A failure is shown once the handles are closed and the service manager is
// free for other threads: a refresh runs inside the box.
static LONG RunOperation(char *binaryPath, char *keyName, char *displayName, char *description,
                         DWORD *desiredAccess, DWORD *serviceType, DWORD *startType, DWORD *errorControl,
                         char *loadOrderGroup, char *dependencies, char *accountName, char *password,
                         unsigned operation, bool *markedForDeletion)
{
    operation &= 0xFF;
    if (operation == Start || operation == Stop || operation == Remove)
        return RunCommandHere(keyName, operation);
    const char *account = accountName && accountName[0] ? accountName : nullptr;
    LONG result = 0;
    SC_HANDLE service = nullptr;
    ScmFailure failure = {};

    LockServiceManager();
    SC_HANDLE scm = ConnectServiceManager(operation == Install ? SC_MANAGER_CREATE_SERVICE : SC_MANAGER_CONNECT,
                                          &failure);
    if (!scm)
        goto done;

    if (operation == Install) {
        char quoted[FieldSize + 2];
        service = scmCalls.createService(scm, keyName, displayName, *desiredAccess, *serviceType, *startType,
                                         *errorControl, QuotedBinaryPath(binaryPath, *serviceType, quoted),
                                         loadOrderGroup, nullptr, dependencies, account, password);
        if (!service) {
            failure = {"Error Creating the new service!", GetLastError()};
            goto done;
        }
        result = 1;
        WriteDescription(keyName, description);
        goto done;
    }

    // Only the rights each operation needs: protected services refuse
    // administrators more than querying them.
    service = OpenNamedService(scm, keyName, operation == LoadConfig ? SERVICE_QUERY_CONFIG : SERVICE_QUERY_STATUS,
                               &failure);
    if (!service) {
        if (!ReportedOpenFailure(operation, failure.error))
            failure.caption = nullptr;
        goto done;
    }

    if (operation == LoadConfig) {
        LoadServiceConfig(service, binaryPath, displayName, description, keyName, serviceType, startType,
                          errorControl, loadOrderGroup, dependencies, accountName, markedForDeletion);
        result = 1;
    } else {
        SERVICE_STATUS status;
        if (QueryServiceStatus(service, &status))
            result = status.dwCurrentState == SERVICE_STOPPED ? 0 : 1;
        else
            failure = {StatusFailure, GetLastError()};
    }

done:
    if (service)
        scmCalls.closeServiceHandle(service);
    if (scm)
        scmCalls.closeServiceHandle(scm);
    UnlockServiceManager();
    if (operation == Install && password)
        SecureZeroMemory(password, FieldSize);
    if (failure.caption) {
        SetLastError(failure.error);
        ReportSystemError(failure.caption);
    }
    return result;
}

LONG RunServiceOperation(char *binaryPath, char *keyName, char *displayName, char *description,
                         DWORD *desiredAccess, DWORD *serviceType, DWORD *startType, DWORD *errorControl,
                         char *loadOrderGroup, char *dependencies, char *accountName, char *password,
                         unsigned operation)
{
    bool markedForDeletion = false;
    return RunOperation(binaryPath, keyName, displayName, description, desiredAccess, serviceType, startType,
                        errorControl, loadOrderGroup, dependencies, accountName, password, operation,
                        &markedForDeletion);
}

LONG LoadServiceSettings(ServiceSettings *s, bool *markedForDeletion)
{
    *markedForDeletion = false;
    return RunOperation(s->binaryPath, s->keyName, s->displayName, s->description, &s->desiredAccess,
                        &s->serviceType, &s->startType, &s->errorControl, s->loadOrderGroup, s->dependencies,
                        s->accountName, s->password, LoadConfig, markedForDeletion);
}

LONG RunOnSettings(ServiceSettings *s, unsigned operation)
{
    return RunServiceOperation(s->binaryPath, s->keyName, s->displayName, s->description, &s->desiredAccess,
                               &s->serviceType, &s->startType, &s->errorControl, s->loadOrderGroup, s->dependencies,
                               s->accountName, s->password, operation);
}

LONG RunOnKeyName(char *keyName, unsigned operation)
{
    return RunServiceOperation(nullptr, keyName, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, operation);
}

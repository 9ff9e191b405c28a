// Install, remove, load, query, start and stop a service through the SCM.
#include "service/operation.h"

#include "service/error_report.h"
#include "service/registry_lists.h"

#include <string.h>

#ifndef _WIN64
static_assert(sizeof(QUERY_SERVICE_CONFIGW) == 36, "the first configuration query holds the fixed part only");
#endif

LONG keyNameRejected;
LONG scmAccessDenied;

ScmCalls scmCalls = {OpenServiceA, QueryServiceConfigW, OpenSCManagerA, CreateServiceA, CloseServiceHandle};

static const char DescriptionValue[] = "Description";
constexpr DWORD RemoveStopPause = 1000;

// Copies text into a field of size bytes, cut to fit between two
// characters; no text clears it.
static void CopyField(char *field, const char *text, DWORD size)
{
    const size_t length = text ? CharacterBoundary(text, size - 1) : 0;
    if (length)
        memcpy(field, text, length);
    field[length] = '\0';
}

// Converts text as the ANSI functions would (a look-alike for what the code
// page lacks) into a field of size bytes, cut to fit between two
// characters; no text clears it.
static void CopyWideField(char *field, const WCHAR *text, DWORD size)
{
    field[0] = '\0';
    const UINT codePage = ProgramCodePage();
    if (!text || WideCharToMultiByte(codePage, 0, text, -1, field, int(size), nullptr, nullptr))
        return;
    const int bytes = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    char *whole = bytes > 0 ? static_cast<char *>(GlobalAlloc(GMEM_FIXED, bytes)) : nullptr;
    if (!whole)
        return;
    WideCharToMultiByte(codePage, 0, text, -1, whole, bytes, nullptr, nullptr);
    CopyField(field, whole, size);
    GlobalFree(whole);
}

// Copies a double-NUL list of names into a field, each whole and exactly
// as the program's code page holds it: a look-alike, or a name cut to fit,
// would name another service or group. What cannot be so is left out.
static void CopyList(char *field, const WCHAR *list, DWORD size)
{
    DWORD used = 0;
    for (const WCHAR *name = list; name && *name; name += lstrlenW(name) + 1) {
        const int bytes = ExactProgramText(name, field + used, int(size - 1 - used));
        used += DWORD(bytes);
    }
    field[used] = '\0';
    field[used + 1 < size ? used + 1 : used] = '\0';
}

// A Win32 service's path with a blank that names an existing file as a whole
// is quoted: unquoted, the SCM would try "C:\Program.exe" for
// "C:\Program Files\x.exe" first, a program anybody who can write to the
// drive's root could plant. Paths that are quoted already, name no file (they carry
// arguments), have no blank, would not fit the field quoted, or belong to a
// driver (whose path is read literally) pass unchanged.
static const char *QuotedBinaryPath(const char *path, DWORD serviceType, char *quoted)
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
// An indirect text that cannot be resolved is shown as stored.
static void ReadDescription(const char *keyName, char *description)
{
    HKEY key;
    if (OpenServiceKey(keyName, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
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
                              char *loadOrderGroup, char *dependencies, char *accountName)
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
    ReadDescription(keyName, description);
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

// The rights each operation needs and no more: protected services refuse
// administrators the right to change, stop or delete them, but can still be
// shown and started.
static DWORD ServiceAccess(unsigned operation)
{
    switch (operation) {
    case LoadConfig:
        return SERVICE_QUERY_CONFIG;
    case Start:
        return SERVICE_START | SERVICE_QUERY_STATUS;
    case Stop:
        return SERVICE_STOP | SERVICE_QUERY_STATUS;
    case Remove:
        return DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS;
    }
    return SERVICE_QUERY_STATUS;
}

// Reports a failed open; LoadConfig keeps quiet about a missing service and
// flags an invalid name or refused access for the main window.
static void ReportOpenFailure(unsigned operation)
{
    const DWORD code = GetLastError();
    if (operation == LoadConfig) {
        if (code == ERROR_SERVICE_DOES_NOT_EXIST)
            return;
        if (code == ERROR_INVALID_NAME)
            keyNameRejected = 1;
        else if (code == ERROR_ACCESS_DENIED)
            scmAccessDenied = 1;
    }
    ReportSystemError("Error 0pening a Service of the SCM!");
}

static LONG SendStop(SC_HANDLE service)
{
    SERVICE_STATUS status;
    if (ControlService(service, SERVICE_CONTROL_STOP, &status))
        return 1;
    ReportSystemError("Error Stopping Service");
    return 0;
}

// Remove, QueryStatus, Start and Stop: act on the service's current state.
static LONG ControlByState(SC_HANDLE service, unsigned operation)
{
    SERVICE_STATUS status;
    if (!QueryServiceStatus(service, &status)) {
        ReportSystemError("Error at Query Service Status of the SCM");
        return 0;
    }
    const bool stopped = status.dwCurrentState == SERVICE_STOPPED;

    switch (operation) {
    case QueryStatus:
        return stopped ? 0 : 1;
    case Start:
        if (!stopped || StartServiceA(service, 0, nullptr))
            return 1;
        ReportSystemError("Error Installing Service");
        return 0;
    case Stop:
        return stopped ? 1 : SendStop(service);
    case Remove:
        if (!stopped && !SendStop(service))
            return 0;
        Sleep(RemoveStopPause);
        if (DeleteService(service))
            return 1;
        ReportSystemError("Error Deleting Service");
        return 0;
    }
    return 0;
}

LONG RunServiceOperation(char *binaryPath, char *keyName, char *displayName, char *description,
                         DWORD *desiredAccess, DWORD *serviceType, DWORD *startType, DWORD *errorControl,
                         char *loadOrderGroup, char *dependencies, char *accountName, char *password,
                         unsigned operation)
{
    operation &= 0xFF;
    const char *account = accountName && accountName[0] ? accountName : nullptr;
    LONG result = 0;
    SC_HANDLE service = nullptr;

    SC_HANDLE scm = scmCalls.openSCManager(nullptr, nullptr,
                                           operation == Install ? SC_MANAGER_CREATE_SERVICE : SC_MANAGER_CONNECT);
    if (!scm) {
        ReportSystemError("Error 0pening a Connection to the SCM!");
        goto done;
    }

    if (operation == Install) {
        char quoted[FieldSize + 2];
        service = scmCalls.createService(scm, keyName, displayName, *desiredAccess, *serviceType, *startType,
                                         *errorControl, QuotedBinaryPath(binaryPath, *serviceType, quoted),
                                         loadOrderGroup, nullptr, dependencies, account, password);
        if (!service) {
            ReportSystemError("Error Creating the new service!");
            goto done;
        }
        result = 1;
        WriteDescription(keyName, description);
        goto done;
    }

    service = scmCalls.openService(scm, keyName, ServiceAccess(operation));
    if (!service) {
        ReportOpenFailure(operation);
        goto done;
    }

    if (operation == LoadConfig) {
        LoadServiceConfig(service, binaryPath, displayName, description, keyName, serviceType, startType,
                          errorControl, loadOrderGroup, dependencies, accountName);
        result = 1;
    } else {
        result = ControlByState(service, operation);
    }

done:
    if (service)
        scmCalls.closeServiceHandle(service);
    if (scm)
        scmCalls.closeServiceHandle(scm);
    if (operation == Install && password)
        SecureZeroMemory(password, FieldSize);
    return result;
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

// Install, remove, load, query, start and stop a service through the SCM.
#include "service/operation.h"

#include "service/binary_path.h"
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
// False when the field does not hold the text whole.
static bool CopyWideField(char *field, const WCHAR *text, DWORD size)
{
    field[0] = '\0';
    if (!text || !text[0])
        return true;
    const int bytes = ExactProgramText(text, nullptr, 0);
    char *whole = bytes ? static_cast<char *>(GlobalAlloc(GMEM_FIXED, bytes)) : nullptr;
    if (!whole)
        return false;
    ExactProgramText(text, whole, bytes);
    CopyField(field, whole, size);
    GlobalFree(whole);
    return DWORD(bytes) <= size;
}

// Copies a double-NUL list of names into a field, each whole and exactly
// as the program's code page holds it: a look-alike, or a name cut to fit,
// would name another service or group. What cannot be so is left out, and
// the list is unheld (false).
static bool CopyList(char *field, const WCHAR *list, DWORD size)
{
    DWORD used = 0;
    bool whole = true;
    field[0] = '\0';
    for (const WCHAR *name = list; name && *name; name += lstrlenW(name) + 1)
        whole &= AppendExactName(field, &used, size - 1, name);
    field[used + 1] = '\0';
    return whole;
}

const char *InstalledBinaryPath(const char *path, DWORD serviceType, char *quoted, const char **installed)
{
    *installed = path;
    WCHAR wide[FieldSize], wideQuoted[FieldSize + 2];
    if (!MultiByteToWideChar(ProgramCodePage(), MB_ERR_INVALID_CHARS, path, -1, wide, FieldSize))
        return nullptr;
    switch (QuoteBinaryPath(wide, serviceType, true, wideQuoted)) {
    case PathUnclear:
        return "Binary Path holds blanks, and where its program ends cannot be told: put the program's path in "
               "quotes.";
    case PathAsWritten:
        break;
    case PathQuoted:
        if (WideCharToMultiByte(ProgramCodePage(), 0, wideQuoted, -1, quoted, FieldSize + 2, nullptr, nullptr))
            *installed = quoted;
        break;
    }
    return nullptr;
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

// A text value read wide and whole into a block of its own (freed by the
// caller), terminated whether or not it was stored so; null when there is
// none, or it is not text.
static WCHAR *ReadWideText(HKEY key, const WCHAR *name)
{
    DWORD type, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return nullptr;
    auto *text = static_cast<WCHAR *>(GlobalAlloc(GPTR, size + sizeof(WCHAR)));
    if (text && RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE *>(text), &size) != ERROR_SUCCESS) {
        GlobalFree(text);
        text = nullptr;
    }
    return text;
}

// Reads the "Description" value whatever its type: text exactly as the
// program's code page holds it (else nothing, and unheld), other data as its
// bytes. The field changes only when the whole value fits, and always ends
// terminated inside the field. An indirect text that cannot be resolved is
// shown as stored. Windows keeps "DeleteFlag" in the key of a service marked
// for deletion.
static void ReadServiceKey(const char *keyName, char *description, LoadedService *loaded)
{
    HKEY key;
    if (OpenServiceKey(keyName, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    DWORD deleteFlag = 0, flagSize = sizeof(deleteFlag);
    if (RegQueryValueExA(key, "DeleteFlag", nullptr, nullptr, reinterpret_cast<BYTE *>(&deleteFlag), &flagSize) ==
            ERROR_SUCCESS &&
        deleteFlag)
        loaded->markedForDeletion = true;
    if (WCHAR *text = ReadWideText(key, L"Description")) {
        const int bytes = ExactProgramText(text, nullptr, 0);
        if (!bytes || DWORD(bytes) > LongFieldSize)
            loaded->unheld |= UnheldDescription;
        else if (text[0] != L'@' || !ResolveIndirectText(key, description, LongFieldSize))
            CopyWideField(description, text, LongFieldSize);
        GlobalFree(text);
    } else {
        char value[LongFieldSize];
        DWORD type;
        DWORD size = sizeof(value);
        if (RegQueryValueExA(key, DescriptionValue, nullptr, &type, reinterpret_cast<BYTE *>(value), &size) ==
            ERROR_SUCCESS) {
            value[size < sizeof(value) ? size : CharacterBoundary(value, sizeof(value) - 1)] = '\0';
            strcpy(description, value);
        }
    }
    RegCloseKey(key);
}

static void LoadServiceConfig(SC_HANDLE service, char *binaryPath, char *displayName, char *description,
                              const char *keyName, DWORD *serviceType, DWORD *startType, DWORD *errorControl,
                              char *loadOrderGroup, char *dependencies, char *accountName,
                              LoadedService *loaded)
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

    const struct {
        bool held;
        DWORD bit;
    } fields[] = {
        {CopyWideField(binaryPath, config->lpBinaryPathName, FieldSize), UnheldBinaryPath},
        {CopyWideField(displayName, config->lpDisplayName, FieldSize), UnheldDisplayName},
        {CopyWideField(loadOrderGroup, config->lpLoadOrderGroup, FieldSize), UnheldGroup},
        {CopyList(dependencies, config->lpDependencies, LongFieldSize), UnheldDependencies},
        {CopyWideField(accountName, config->lpServiceStartName, FieldSize), UnheldAccountName},
    };
    for (const auto &field : fields)
        if (!field.held)
            loaded->unheld |= field.bit;
    ReadServiceKey(keyName, description, loaded);
    *serviceType = config->dwServiceType;
    *startType = config->dwStartType == SERVICE_AUTO_START && DelayedAutoStartOf(service) ? DelayedAutoStart
                                                                                          : config->dwStartType;
    *errorControl = config->dwErrorControl;
    DependencyListToText(dependencies, LongFieldSize);

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
                         unsigned operation, LoadedService *loaded)
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
        const char *path;
        InstalledBinaryPath(binaryPath, *serviceType, quoted, &path);
        // Delayed, it is created automatic: the delay is a setting of its own.
        service = scmCalls.createService(scm, keyName, displayName, *desiredAccess, *serviceType,
                                         *startType == DelayedAutoStart ? SERVICE_AUTO_START : *startType,
                                         *errorControl, path, loadOrderGroup, nullptr, dependencies, account,
                                         password);
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
                          errorControl, loadOrderGroup, dependencies, accountName, loaded);
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
    LoadedService loaded = {};
    return RunOperation(binaryPath, keyName, displayName, description, desiredAccess, serviceType, startType,
                        errorControl, loadOrderGroup, dependencies, accountName, password, operation, &loaded);
}

LONG LoadServiceSettings(ServiceSettings *s, LoadedService *loaded)
{
    *loaded = {};
    return RunOperation(s->binaryPath, s->keyName, s->displayName, s->description, &s->desiredAccess,
                        &s->serviceType, &s->startType, &s->errorControl, s->loadOrderGroup, s->dependencies,
                        s->accountName, s->password, LoadConfig, loaded);
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

// The services' keys, the load-order groups and the installed services.
#include "service/registry_lists.h"

#include "service/service_manager.h"
#include "service/settings.h"

RegistryCalls registryCalls = {RegOpenKeyExA};

static const char GroupOrderKeyPath[] = "SYSTEM\\CurrentControlSet\\Control\\ServiceGroupOrder";
static const char ServicesKeyPath[] = "SYSTEM\\CurrentControlSet\\Services\\";

// Names are read as the registry holds them, in UTF-16, and listed only
// when the program's code page holds them exactly within a settings field:
// the ANSI functions would list a look-alike (plain letters for full-width
// ones), and choosing it would name another service or group.
static void AddExactName(HWND list, UINT addString, const WCHAR *name)
{
    char text[MAX_PATH];
    if (ExactProgramText(name, text, sizeof(text)))
        SendMessageA(list, addString, 0, LPARAM(text));
}

// Adds each text of data (count characters), also those after a run of
// empty ones; two zero characters past the data end the last text even when
// the stored data does not.
template <typename Char>
static void AddEachText(HWND list, UINT addString, const Char *data, DWORD count)
{
    DWORD at = 0;
    while (at < count) {
        const Char *text = data + at;
        if constexpr (sizeof(Char) == 1) {
            // A damaged value of another type: its bytes in the program's
            // code page, as the ANSI functions would read it.
            WCHAR name[MAX_PATH];
            if (MultiByteToWideChar(ProgramCodePage(), MB_ERR_INVALID_CHARS, text, -1, name, MAX_PATH))
                AddExactName(list, addString, name);
        } else {
            AddExactName(list, addString, text);
        }
        while (at < count && data[at])
            at++;
        while (at < count && !data[at])
            at++;
    }
}

void ReadServiceGroupOrder(HWND list, int listKind)
{
    const UINT addString = listKind == GroupListCombo ? CB_ADDSTRING : LB_ADDSTRING;
    HKEY key;
    if (registryCalls.openKey(HKEY_LOCAL_MACHINE, GroupOrderKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;

    DWORD type;
    DWORD size = 0;
    if (RegQueryValueExW(key, L"List", nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return;
    }
    // Texts are read as UTF-16; the data of another type as it is stored.
    const bool text = type == REG_MULTI_SZ || type == REG_SZ || type == REG_EXPAND_SZ;
    auto *block = static_cast<BYTE *>(GlobalAlloc(GPTR, size + 2 * sizeof(WCHAR)));
    if (!block) {
        RegCloseKey(key);
        return;
    }
    // The walk stays inside the block even if the value grew since its size
    // was asked for.
    DWORD readSize = size;
    if (text) {
        RegQueryValueExW(key, L"List", nullptr, &type, block, &readSize);
        AddEachText(list, addString, reinterpret_cast<const WCHAR *>(block), size / sizeof(WCHAR));
    } else {
        RegQueryValueExA(key, "List", nullptr, &type, block, &readSize);
        AddEachText(list, addString, reinterpret_cast<const char *>(block), size);
    }
    GlobalFree(block);
    RegCloseKey(key);
}

void ListInstalledServices(HWND list)
{
    HKEY key;
    if (registryCalls.openKey(HKEY_LOCAL_MACHINE, ServicesKeyPath, 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
        return;

    // Any failure but a name too long ends the walk, not only the end of
    // the subkeys: the name buffer holds nothing then.
    WCHAR name[256];  // a key name has at most 255 characters
    for (DWORD index = 0;; index++) {
        DWORD nameLength = sizeof(name) / sizeof(name[0]);
        const LONG result = RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        AddExactName(list, LB_ADDSTRING, name);
    }
    RegCloseKey(key);
}

bool ActiveDependents(const char *keyName, char *names)
{
    names[0] = names[1] = '\0';
    ScmFailure failure;
    LockServiceManager();
    SC_HANDLE scm = ConnectServiceManager(SC_MANAGER_CONNECT, &failure);
    SC_HANDLE service = scm ? OpenNamedService(scm, keyName, SERVICE_ENUMERATE_DEPENDENTS, &failure) : nullptr;
    DWORD needed = 0, count = 0;
    BYTE *block = nullptr;
    if (service && !scmCalls.enumDependentServices(service, SERVICE_ACTIVE, nullptr, 0, &needed, &count) &&
        GetLastError() == ERROR_MORE_DATA && (block = static_cast<BYTE *>(GlobalAlloc(GPTR, needed))) &&
        scmCalls.enumDependentServices(service, SERVICE_ACTIVE, reinterpret_cast<ENUM_SERVICE_STATUSW *>(block),
                                       needed, &needed, &count)) {
        const auto *dependents = reinterpret_cast<const ENUM_SERVICE_STATUSW *>(block);
        DWORD used = 0;
        for (DWORD i = 0; i < count; i++)
            AppendExactName(names, &used, LongFieldSize - 1, dependents[i].lpServiceName);
        names[used + 1] = '\0';
    }
    if (block)
        GlobalFree(block);
    if (service)
        scmCalls.closeServiceHandle(service);
    if (scm)
        scmCalls.closeServiceHandle(scm);
    UnlockServiceManager();
    return names[0] != '\0';
}

// Opened relative to the services key: the full path of a long key name
// would pass the 260 characters a registry path may have. A protected
// service's key refuses administrators anything more than reading.
LONG OpenServiceKey(const char *keyName, REGSAM access, HKEY *key)
{
    HKEY services;
    LONG result = registryCalls.openKey(HKEY_LOCAL_MACHINE, ServicesKeyPath, 0, KEY_ENUMERATE_SUB_KEYS, &services);
    if (result != ERROR_SUCCESS)
        return result;
    char name[MAX_PATH];
    lstrcpynA(name, keyName, sizeof(name));
    result = registryCalls.openKey(services, name, 0, access, key);
    RegCloseKey(services);
    return result;
}

bool ServiceKeyWritten(const char *keyName, FILETIME *written)
{
    HKEY key;
    if (OpenServiceKey(keyName, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const LONG result = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, written);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// A text value read whole; null when there is none.
static WCHAR *ReadText(HKEY key, const WCHAR *name)
{
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return nullptr;
    auto *text = static_cast<WCHAR *>(GlobalAlloc(GPTR, size + 2 * sizeof(WCHAR)));
    if (text && RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size) != ERROR_SUCCESS) {
        GlobalFree(text);
        text = nullptr;
    }
    return text;
}

static bool InList(const WCHAR *list, const WCHAR *name)
{
    for (const WCHAR *entry = list; entry && *entry; entry += lstrlenW(entry) + 1)
        if (!lstrcmpiW(entry, name))
            return true;
    return false;
}

bool GroupKnown(const WCHAR *group)
{
    HKEY key;
    bool known = false;
    if (registryCalls.openKey(HKEY_LOCAL_MACHINE, GroupOrderKeyPath, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        WCHAR *list = ReadText(key, L"List");
        known = InList(list, group);
        if (list)
            GlobalFree(list);
        RegCloseKey(key);
    }
    if (known ||
        registryCalls.openKey(HKEY_LOCAL_MACHINE, ServicesKeyPath, 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
        return known;
    WCHAR name[256];
    for (DWORD index = 0; !known; index++) {
        DWORD length = sizeof(name) / sizeof(name[0]);
        const LONG result = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        HKEY service;
        if (RegOpenKeyExW(key, name, 0, KEY_QUERY_VALUE, &service) != ERROR_SUCCESS)
            continue;
        if (WCHAR *own = ReadText(service, L"Group")) {
            known = !lstrcmpiW(own, group);
            GlobalFree(own);
        }
        RegCloseKey(service);
    }
    RegCloseKey(key);
    return known;
}

bool DeleteFlagSet(const char *keyName)
{
    HKEY key;
    if (OpenServiceKey(keyName, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD flag = 0, size = sizeof(flag);
    const bool set =
        RegQueryValueExA(key, "DeleteFlag", nullptr, nullptr, reinterpret_cast<BYTE *>(&flag), &size) == ERROR_SUCCESS &&
        flag;
    RegCloseKey(key);
    return set;
}

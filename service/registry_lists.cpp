// The services' keys, the load-order groups and the installed services.
#include "service/registry_lists.h"

#include <string.h>

RegistryCalls registryCalls = {RegOpenKeyExA};

static const char GroupOrderKeyPath[] = "SYSTEM\\CurrentControlSet\\Control\\ServiceGroupOrder";
static const char ServicesKeyPath[] = "SYSTEM\\CurrentControlSet\\Services\\";

void ReadServiceGroupOrder(HWND list, int listKind)
{
    const UINT addString = listKind == GroupListCombo ? CB_ADDSTRING : LB_ADDSTRING;
    HKEY key;
    if (registryCalls.openKey(HKEY_LOCAL_MACHINE, GroupOrderKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;

    DWORD type;
    DWORD size = 0;
    if (RegQueryValueExA(key, "List", nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return;
    }
    // Two zero bytes past the data end the last text even when the stored
    // data does not.
    char *block = static_cast<char *>(GlobalAlloc(GPTR, size + 2));
    if (!block) {
        RegCloseKey(key);
        return;
    }
    // The walk stays inside the block even if the value grew since its size
    // was asked for.
    DWORD readSize = size;
    RegQueryValueExA(key, "List", nullptr, &type, reinterpret_cast<BYTE *>(block), &readSize);

    // Every text in the data is added, also those after a run of empty ones;
    // the form's list leaves out a group too long for the settings' field,
    // which could not be installed as chosen.
    DWORD at = 0;
    while (at < size) {
        if (listKind != GroupListCombo || strnlen(block + at, MAX_PATH) < MAX_PATH)
            SendMessageA(list, addString, 0, LPARAM(block + at));
        while (at < size && block[at])
            at++;
        while (at < size && !block[at])
            at++;
    }

    GlobalFree(block);
    RegCloseKey(key);
}

void ListInstalledServices(HWND list)
{
    HKEY key;
    if (registryCalls.openKey(HKEY_LOCAL_MACHINE, ServicesKeyPath, 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
        return;

    char name[MAX_PATH] = {};
    // Any failure ends the walk, not only the end of the subkeys: the
    // name buffer holds nothing then. A name of up to 255 characters may
    // take more bytes than a key name holds (in UTF-8, three a character):
    // it is passed over, not listed cut, and the walk goes on.
    for (DWORD index = 0;; index++) {
        DWORD nameSize = sizeof(name);
        const LONG result = RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        SendMessageA(list, LB_ADDSTRING, 0, LPARAM(name));
        memset(name, 0, sizeof(name));
    }
    RegCloseKey(key);
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

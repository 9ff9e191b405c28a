// Files of the system folder.
#include "skin/system_library.h"

#include <string.h>

bool SystemFilePath(const char *file, char *path, DWORD pathSize)
{
    const UINT folder = GetSystemDirectoryA(path, pathSize);
    if (!folder || folder + 1 + strlen(file) >= pathSize)
        return false;
    strcat(path, "\\");
    strcat(path, file);
    return true;
}

void (*SystemProcedure(const char *library, const char *name))()
{
    // By name, so that the program's manifest still picks the version of a
    // side-by-side DLL (the common controls), searched for in the system
    // folder alone, as are the DLLs it imports in turn. Systems that know
    // no such search take the system folder's file by its full path.
    HMODULE module = LoadLibraryExA(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    char path[MAX_PATH];
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER && SystemFilePath(library, path, sizeof(path)))
        module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module ? reinterpret_cast<void (*)()>(GetProcAddress(module, name)) : nullptr;
}

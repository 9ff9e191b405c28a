// The system's own consoles, opened from the tray menu.
#include "app/system_tools.h"

#include <shellapi.h>
#include <string.h>

bool SystemToolPath(const char *file, char *path, DWORD pathSize)
{
    const UINT folder = GetSystemDirectoryA(path, pathSize);
    if (!folder || folder + 1 + strlen(file) >= pathSize)
        return false;
    strcat(path, "\\");
    strcat(path, file);
    return true;
}

void OpenSystemTool(const char *file, const char *parameters)
{
    char path[MAX_PATH];
    if (SystemToolPath(file, path, sizeof(path)))
        ShellExecuteA(nullptr, nullptr, path, parameters, nullptr, SW_SHOWDEFAULT);
}

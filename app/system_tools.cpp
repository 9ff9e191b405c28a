// The system's own consoles, opened from the tray menu.
#include "app/system_tools.h"

#include "skin/system_library.h"

#include <shellapi.h>

void OpenSystemTool(const char *file, const char *parameters)
{
    char path[MAX_PATH];
    if (SystemFilePath(file, path, sizeof(path)))
        ShellExecuteA(nullptr, nullptr, path, parameters, nullptr, SW_SHOWDEFAULT);
}

// Start-up of the process, before any window exists.
#include "app/startup.h"

#include "app/command_line.h"
#include "resources/resource_ids.h"
#include "service/operation.h"

#include <commctrl.h>
#include <objbase.h>

HINSTANCE moduleInstance;
HICON mainIcon;
char programPath[MAX_PATH];

void StartProgram()
{
    // An elevated program loads system DLLs from the system folder only,
    // never from the current or the program's folder.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    CoInitialize(nullptr);
    moduleInstance = GetModuleHandleA(nullptr);
    mainIcon = LoadIconA(moduleInstance, MAKEINTRESOURCEA(IDI_PROGRAM));
    InitCommonControls();
    keyNameRejected = 0;
    scmAccessDenied = 0;
    GetCommandLineArgument(0, programPath, sizeof(programPath));
}

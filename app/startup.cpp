// Start-up of the process, before any window exists.
#include "app/startup.h"

#include "resources/resource_ids.h"
#include "service/operation.h"
#include "skin/system_library.h"

#include <commctrl.h>
#include <objbase.h>

HINSTANCE moduleInstance;
HICON mainIcon;
WCHAR programPath[UNICODE_STRING_MAX_CHARS + 1];

void StartProgram()
{
    // An elevated program loads DLLs from the system folder only, never from
    // the current or the program's folder; systems without the call load
    // every DLL the program asks for by its full path all the same.
    const auto setDefaultDllDirectories = reinterpret_cast<decltype(&SetDefaultDllDirectories)>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories)
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    CoInitialize(nullptr);
    moduleInstance = GetModuleHandleA(nullptr);
    mainIcon = LoadIconA(moduleInstance, MAKEINTRESOURCEA(IDI_PROGRAM));
    // The common controls are no known system DLL either; loading them
    // registers the tooltip class.
    static decltype(&InitCommonControls) initCommonControls;
    if (SystemFunction(initCommonControls, "comctl32.dll", "InitCommonControls"))
        initCommonControls();
    keyNameRejected = 0;
    scmAccessDenied = 0;
    // The program's own file, however it was started: run as "tarnex" from
    // its folder, the command line names neither the folder nor ".exe". A
    // path cut to fit would name another file, or none.
    const DWORD capacity = sizeof(programPath) / sizeof(programPath[0]);
    if (GetModuleFileNameW(nullptr, programPath, capacity) >= capacity)
        programPath[0] = L'\0';
}

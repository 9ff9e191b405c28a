// A stand-in for a DLL of the system folder, placed beside a copy of the
// program: when it is loaded it writes "<its own path>.loaded".
#include <windows.h>

#include <string.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH];
        const DWORD length = GetModuleFileNameA(instance, path, MAX_PATH - 8);
        strcpy(path + length, ".loaded");
        CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    return TRUE;
}

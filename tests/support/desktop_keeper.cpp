// Holds a hidden window on Wine's desktop for the whole test run, so that one
// explorer.exe serves every test instead of one starting per test.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HWND keeper = CreateWindowExA(0, "STATIC", "Tarnex test desktop keeper", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, nullptr, nullptr);
    MSG message;
    while (keeper && GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

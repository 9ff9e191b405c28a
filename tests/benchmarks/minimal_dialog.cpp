// The smallest dialog program, for comparing start-up times with Tarnex's.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    alignas(4) static const WORD dialog[] = {
        LOWORD(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER), HIWORD(WS_POPUP | WS_VISIBLE | WS_CAPTION |
                                                                                 WS_SYSMENU | DS_CENTER),
        0, 0, 0, 0, 0, 0, 200, 100, 0, 0,
        'M', 'i', 'n', 'i', 'm', 'a', 'l', 0,
    };
    DialogBoxIndirectParamA(instance, reinterpret_cast<const DLGTEMPLATE *>(dialog), nullptr,
                            [](HWND window, UINT message, WPARAM, LPARAM) -> INT_PTR {
                                if (message == WM_CLOSE)
                                    EndDialog(window, 0);
                                return 0;
                            },
                            0);
    return 0;
}

// The main window's template with nothing else: no skin, no texture, no
// lists, no tray. Tarnex's start-up cannot be faster than this.
#include "app/dialog_template.h"
#include "app/main_window.h"
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    moduleInstance = instance;
    DialogTemplate dialog;
    if (!BuildMainWindowTemplate(&dialog))
        return 1;
    RunDialog(&dialog, nullptr,
              [](HWND window, UINT message, WPARAM, LPARAM) -> INT_PTR {
                  if (message == WM_CLOSE)
                      EndDialog(window, 0);
                  return 0;
              },
              0);
    return 0;
}

// Saves a picture of one of Tarnex's windows, for the README and for the run
// command when there is no display to look at.
//   window_shot MAIN_CAPTION PRESS_ID CAPTION_PREFIX OUTPUT.bmp
// Waits for the main window, presses the button PRESS_ID in it (0: none),
// waits for a window whose caption begins with CAPTION_PREFIX, saves it from
// the screen, and closes it unless it is the main window.
#include "tests/support/bitmap_file.h"
#include "tests/support/gui_driver.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HWND FindByCaptionPrefix(const char *prefix)
{
    struct Search {
        const char *prefix;
        HWND found;
    } search = {prefix, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(
                [](HWND window, LPARAM parameter) -> BOOL {
                    auto *s = reinterpret_cast<Search *>(parameter);
                    char caption[256] = {};
                    GetWindowTextA(window, caption, sizeof(caption));
                    if (IsWindowVisible(window) && !strncmp(caption, s->prefix, strlen(s->prefix)))
                        s->found = window;
                    return !s->found;
                },
                LPARAM(&search));
            return search.found != nullptr;
        },
        15000);
    return search.found;
}

int main(int argc, char **argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: window_shot MAIN_CAPTION PRESS_ID CAPTION_PREFIX OUTPUT.bmp\n");
        return 2;
    }
    HWND main = FindByCaptionPrefix(argv[1]);
    if (!main) {
        fprintf(stderr, "no window \"%s\"\n", argv[1]);
        return 1;
    }
    if (const int press = atoi(argv[2]))
        PostMessageA(main, WM_COMMAND, press, 0);
    HWND window = FindByCaptionPrefix(argv[3]);
    if (!window) {
        fprintf(stderr, "no window \"%s\"\n", argv[3]);
        return 1;
    }
    SetForegroundWindow(window);
    SetCursorPos(0, 0);  // no hover look, no tooltip
    Sleep(1500);         // the first refresh, and the paint after it

    RECT area;
    GetWindowRect(window, &area);
    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC copy = CreateCompatibleDC(screen);
    HBITMAP bits = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(copy, bits);
    BitBlt(copy, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(copy, old);
    const bool saved = SaveBitmapFile(bits, argv[4]);
    DeleteObject(bits);
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    if (window != main)
        PostMessageA(window, WM_CLOSE, 0, 0);
    printf(saved ? "saved %s\n" : "could not save %s\n", argv[4]);
    return saved ? 0 : 1;
}

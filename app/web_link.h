// Opening a web address from the elevated program.
#pragma once

#include <windows.h>

// The two ways an address is opened: through the desktop's own shell, whose
// process runs unelevated, so that the browser does not get the
// administrator's full rights; and directly, only where the desktop's shell
// cannot be had. The program uses the platform's own; tests may point these
// elsewhere.
struct WebLinkCalls {
    bool (*openThroughDesktop)(const char *address);
    void (*openDirectly)(HWND owner, const char *address);
};
extern WebLinkCalls webLinkCalls;

void OpenWebAddress(HWND owner, const char *address);

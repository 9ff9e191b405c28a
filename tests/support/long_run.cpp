#include "tests/support/long_run.h"

#include "app/main_window_parts.h"
#include "app/tray_icon.h"
#include "tests/support/gdi_objects.h"
#include "tests/support/gui_driver.h"
#include "tests/support/services.h"

#include <ostream>

static int CountThreadWindows()
{
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM counted) -> BOOL {
            ++*reinterpret_cast<int *>(counted);
            EnumChildWindows(
                window,
                [](HWND, LPARAM children) -> BOOL {
                    ++*reinterpret_cast<int *>(children);
                    return TRUE;
                },
                counted);
            return TRUE;
        },
        LPARAM(&count));
    return count;
}

Holdings TakeHoldings()
{
    return {CountGdiObjects(), CountThreadWindows(), CountKernelHandles(), OpenScmHandles()};
}

void PrintTo(const Holdings &h, std::ostream *out)
{
    *out << h.gdiObjects << " GDI objects, " << h.windows << " windows, " << h.kernelHandles
         << " kernel handles, " << h.scmHandles << " SCM handles";
}

static struct {
    std::string service;
    TicksPerState ticks;
    Holdings *first, *end;
} run;

static void Tick(HWND window)
{
    SendMessageA(window, WM_TIMER, RefreshTimerId, 0);
}

static void Repaint(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// On the window's own thread, inside its modal loop.
static void CALLBACK DriveRefreshes(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND window = FindMainWindow();
    if (!window || !TrayIconShown(window))
        return;  // not all made yet
    KillTimer(nullptr, timer);
    const std::string names[] = {run.service, run.service + "Missing", std::string()};
    // Each state once first: the buttons keep what their first paint makes.
    for (const std::string &name : names) {
        SetDlgItemTextA(window, KeyNameField, name.c_str());
        Tick(window);
        Repaint(window);
    }
    *run.first = TakeHoldings();
    const int counts[] = {run.ticks.shown, run.ticks.missing, run.ticks.empty};
    for (int state = 0; state < 3; state++) {
        SetDlgItemTextA(window, KeyNameField, names[state].c_str());
        for (int i = 0; i < counts[state]; i++) {
            Tick(window);
            if (i % 1000 == 0)
                Repaint(window);
        }
    }
    SetDlgItemTextA(window, KeyNameField, run.service.c_str());
    Tick(window);
    *run.end = TakeHoldings();
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void RunRefreshes(const std::string &service, TicksPerState ticks, Holdings *first, Holdings *end)
{
    run = {service, ticks, first, end};
    ScmHandleCount counted;
    SetTimer(nullptr, 0, 20, DriveRefreshes);
    RunMainWindow();
}

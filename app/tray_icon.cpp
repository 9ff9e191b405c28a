// The tray icon: its data, its menu, adding and removing it, and what its
// clicks and keys do.
#include "app/tray_icon.h"

#include "app/system_tools.h"

#include <stddef.h>

// The record with the fields version 4 added, without which Windows shows
// no tooltip for the icon.
static_assert(offsetof(NOTIFYICONDATAA, hBalloonIcon) + sizeof(HICON) == sizeof(NOTIFYICONDATAA));
#ifndef _WIN64
static_assert(sizeof(NOTIFYICONDATAA) == 508, "the version 4 record");
#endif

TrayCalls trayCalls = {Shell_NotifyIconA};

static HMENU trayMenu;
static NOTIFYICONDATAA trayIconData;
// Where the icon is: not made yet, made but not taken by the shell, in the
// notification area (as far as known), or removed for good, after which
// nothing adds it again or answers its clicks.
static enum { IconNotMade, IconOutside, IconInTray, IconRemoved } trayIcon;
// When the icon last heard the right button's release: the context menu it
// opens follows at once.
static DWORD rightReleaseTime;
static bool rightReleased;
// Sent to every top-level window when the shell (re)starts its taskbar.
static UINT taskbarCreatedMessage;
// Start and Stop as bits, as the menu shows them; -1: not known.
static int shownCommands = -1;
// The menu's own loop dispatches the tray's notifications: one that comes
// while the menu is open (a second Enter, say) opens nothing more.
static bool trayMenuOpen;

static const struct {
    UINT id;  // 0 for a separator
    const char *text;
} trayItems[] = {
    {TrayStart, "Start"},         {TrayStop, "Stop"},
    {0, nullptr},                 {TrayEventViewer, "Event Viewer"},
    {0, nullptr},                 {TrayServicesConsole, "Services Console"},
    {0, nullptr},                 {TrayRestore, "Restore Window"},
    {TrayAbout, "About Tarnex"},  {0, nullptr},
    {TrayClose, "Close Tarnex"},
};

void CreateTrayMenu()
{
    trayMenu = CreatePopupMenu();
    for (const auto &item : trayItems) {
        if (item.id)
            AppendMenuA(trayMenu, MF_STRING, item.id, item.text);
        else
            AppendMenuA(trayMenu, MF_SEPARATOR, 0, nullptr);
    }
    trayIconData = {};
    trayIcon = IconNotMade;
    rightReleased = false;
    trayMenuOpen = false;
    ForgetTrayCommands();
}

// The icon then reports in version 4's form: the anchor point of a click or
// of the keyboard comes with every notification. An icon the shell still
// has is refused a second addition, and is changed instead.
bool ShowTrayIcon()
{
    if (trayIcon == IconNotMade || trayIcon == IconRemoved)
        return false;
    if (trayIcon == IconInTray && trayCalls.notifyIcon(NIM_MODIFY, &trayIconData))
        return true;
    const bool taken =
        trayCalls.notifyIcon(NIM_ADD, &trayIconData) || trayCalls.notifyIcon(NIM_MODIFY, &trayIconData);
    trayIcon = taken ? IconInTray : IconOutside;
    if (taken)
        trayCalls.notifyIcon(NIM_SETVERSION, &trayIconData);
    return taken;
}

// An elevated window hears that the taskbar was made only when it lets the
// message through.
void AddTrayIcon(HWND window, HICON icon)
{
    taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    ChangeWindowMessageFilterEx(window, taskbarCreatedMessage, MSGFLT_ALLOW, nullptr);
    trayIconData.cbSize = sizeof(trayIconData);
    trayIconData.hWnd = window;
    trayIconData.uID = TrayIconId;
    trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    trayIconData.uCallbackMessage = TrayNotifyMessage;
    trayIconData.hIcon = icon;
    lstrcpynA(trayIconData.szTip, "Tarnex", sizeof(trayIconData.szTip));
    trayIconData.uVersion = NOTIFYICON_VERSION_4;
    if (trayIcon == IconNotMade)
        trayIcon = IconOutside;
    ShowTrayIcon();
}

bool IsTaskbarCreated(UINT message)
{
    return taskbarCreatedMessage && message == taskbarCreatedMessage;
}

// Deleted even when the shell said it did not take it: busy, as at its
// start, it may answer so and show the icon all the same.
void RemoveTrayIcon()
{
    if (trayIcon == IconOutside || trayIcon == IconInTray)
        trayCalls.notifyIcon(NIM_DELETE, &trayIconData);
    trayIcon = IconRemoved;
}

void DestroyTray()
{
    RemoveTrayIcon();
    DestroyMenu(trayMenu);
    trayMenu = nullptr;
}

void ForgetTrayCommands()
{
    shownCommands = -1;
}

void EnableTrayCommands(BOOL start, BOOL stop)
{
    const int wanted = (start ? 1 : 0) | (stop ? 2 : 0);
    if (shownCommands < 0 || ((shownCommands ^ wanted) & 1))
        EnableMenuItem(trayMenu, TrayStart, MF_BYCOMMAND | (start ? MF_ENABLED : MF_GRAYED));
    if (shownCommands < 0 || ((shownCommands ^ wanted) & 2))
        EnableMenuItem(trayMenu, TrayStop, MF_BYCOMMAND | (stop ? MF_ENABLED : MF_GRAYED));
    shownCommands = wanted;
}

// The tray's own commands are carried out here; the others go back to the
// window as the command the item stands for.
static UINT RunTrayCommand(HWND window, UINT command)
{
    switch (command) {
    case TrayRestore:
        ShowWindowAsync(window, SW_RESTORE);
        return 0;
    case TrayEventViewer:
        OpenSystemTool("eventvwr.msc", "/s");
        return 0;
    case TrayServicesConsole:
        OpenSystemTool("services.msc", nullptr);
        return 0;
    }
    return command;
}

static UINT OpenTrayMenu(HWND window, POINT anchor)
{
    if (trayMenuOpen)
        return 0;
    trayMenuOpen = true;
    SetForegroundWindow(window);
    const UINT command = UINT(TrackPopupMenu(trayMenu, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_RIGHTALIGN, anchor.x,
                                             anchor.y, 0, window, nullptr));
    trayMenuOpen = false;
    // Lets the menu of a background window close when focus moves away.
    PostMessageA(window, WM_NULL, 0, 0);
    // A window closed while its menu was open takes no command from it.
    return trayIcon == IconRemoved ? 0 : RunTrayCommand(window, command);
}

// The icon's notification as version 4 sends it (the event and the icon in
// lParam, the anchor point in wParam), or as a shell that took no version
// does (the mouse message in lParam, the icon in wParam; a right click's
// release stands for the context menu). False when it is not the icon's.
// The anchor is for the keyboard: a menu the mouse asked for opens at the
// cursor, in the program's own scale whatever the display's scaling.
static bool DecodeTrayNotify(WPARAM wParam, LPARAM lParam, UINT *event, POINT *anchor)
{
    if (HIWORD(lParam) == TrayIconId) {
        *event = LOWORD(lParam);
        *anchor = {short(LOWORD(wParam)), short(HIWORD(wParam))};
        if (*event == WM_RBUTTONUP) {
            rightReleased = true;
            rightReleaseTime = GetTickCount();
        } else if (*event == WM_CONTEXTMENU && rightReleased &&
                   GetTickCount() - rightReleaseTime <= GetDoubleClickTime()) {
            rightReleased = false;
            GetCursorPos(anchor);
        }
        return true;
    }
    if (wParam != TrayIconId)
        return false;
    *event = lParam == WM_RBUTTONUP ? WM_CONTEXTMENU : UINT(lParam);
    GetCursorPos(anchor);
    return true;
}

// A right click (on its release) or the keyboard (Enter, Space or the
// context-menu key on the selected icon) opens the menu; a double click
// restores the window. A single left click opens nothing: a menu's modal
// loop would swallow the second click of a double click.
UINT AnswerTrayNotify(HWND window, WPARAM wParam, LPARAM lParam)
{
    UINT event;
    POINT anchor;
    if (trayIcon == IconRemoved || !DecodeTrayNotify(wParam, lParam, &event, &anchor))
        return 0;
    switch (event) {
    case WM_CONTEXTMENU:
    case NIN_KEYSELECT:
        return OpenTrayMenu(window, anchor);
    case WM_LBUTTONDBLCLK:
        SetForegroundWindow(window);
        ShowWindowAsync(window, SW_SHOW);
        ShowWindowAsync(window, SW_RESTORE);
        break;
    }
    return 0;
}

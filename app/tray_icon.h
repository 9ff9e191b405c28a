// The tray icon and its menu: the program lives on in the notification area
// while its window is minimised.
#pragma once

#include <windows.h>

#include <shellapi.h>

constexpr UINT TrayNotifyMessage = WM_USER + 5;
constexpr UINT TrayIconId = 500;

enum TrayCommand : int {
    TrayRestore = 501,
    TrayAbout = 502,
    TrayStart = 503,
    TrayStop = 504,
    TrayEventViewer = 505,
    TrayServicesConsole = 506,
    TrayClose = 507,
};

// Makes the menu for a new window.
void CreateTrayMenu();
// Adds the icon for window, showing icon.
void AddTrayIcon(HWND window, HICON icon);
// Puts the icon into the notification area, again if the shell forgot it
// (after a restart of its taskbar); false when the shell has no
// notification area to take it, when the window must not hide behind it.
bool ShowTrayIcon();
// Whether message tells every top-level window that the taskbar was made.
bool IsTaskbarCreated(UINT message);
// Removes the icon for good; once is enough, later calls do nothing.
void RemoveTrayIcon();
// Removes the icon if it is still there, and destroys the menu.
void DestroyTray();

// Enables or greys the menu's Start and Stop.
void EnableTrayCommands(BOOL start, BOOL stop);
// The enabling is set anew at the next call, whatever it was.
void ForgetTrayCommands();

// Answers a notification of the icon: opens the menu or restores the window
// and carries out the tray's own commands. Returns the command chosen that
// the window carries out (About, Start, Stop, Close), or 0.
UINT AnswerTrayNotify(HWND window, WPARAM wParam, LPARAM lParam);

// The shell's notification area, which Wine always has and whose tooltip
// flag it ignores. The program asks the platform; tests may point this
// elsewhere.
struct TrayCalls {
    decltype(&Shell_NotifyIconA) notifyIcon;
};
extern TrayCalls trayCalls;

// The main window: the form of one service's settings, kept in step with the
// SCM once a second, its commands, and the tray icon with its menu.
#pragma once

#include "service/settings.h"

#include <windows.h>

// Controls of the main window that the program addresses.
enum MainControl : int {
    KeyNameField = 3,
    KeyNamePicker = 4,
    BinaryPathField = 6,
    BinaryPathPicker = 7,
    DisplayNameField = 9,
    DescriptionField = 11,
    DesiredAccessList = 14,
    ServiceTypeList = 16,
    StartTypeList = 18,
    ErrorControlList = 20,
    LoadOrderGroupList = 22,
    DependenciesField = 24,
    DependencyPicker = 25,
    AccountNameField = 27,
    PasswordField = 29,
    AboutButton = 30,
    InstallButton = 31,
    RemoveButton = 32,
    StartButton = 33,
    StopButton = 34,
    CloseButton = 35,
};
// The form body: every field but the key-name row, enabled and greyed as one.
constexpr int FormBodyFirst = 5;
constexpr int FormBodyLast = 29;

// The text fields of the form: the bytes their record fields hold, the
// terminating zero included, and their names as the labels give them.
struct FormTextField {
    int id;
    DWORD size;
    const char *name;
};
constexpr int FormTextFieldCount = 7;
// Positions in formTextFields, which lists the fields in the form's order.
enum FormTextIndex : int { KeyNameText = 0, DependenciesText = 4 };
extern const FormTextField formTextFields[FormTextFieldCount];

enum TrayCommand : int {
    TrayRestore = 501,
    TrayAbout = 502,
    TrayStart = 503,
    TrayStop = 504,
    TrayEventViewer = 505,
    TrayServicesConsole = 506,
    TrayClose = 507,
};
constexpr UINT TrayNotifyMessage = WM_USER + 5;
constexpr UINT TrayIconId = 500;
constexpr UINT_PTR RefreshTimerId = 0;
constexpr UINT_PTR ShownTimerId = 1;
constexpr UINT RefreshInterval = 1000;

// The working copy of the form, and the picker's answer.
extern ServiceSettings serviceSettings;
extern char pickedName[FieldSize];
// What the installed-services picker lists: 1 services, 0 load-order groups;
// 3 after the group-or-service question got neither answer.
extern LONG pickerMode;
extern HWND mainWindow;
extern HMENU trayMenu;
// Install, Remove, Start and Stop, kept from initialisation.
extern HWND commandButtons[4];
// From the moment the window is closed until it has ended: its tray icon is
// gone, its refresh stopped.
extern bool mainWindowClosing;

// Builds the main window's template and runs it; 0 when the window has ended.
int RunMainWindow();
INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Builds the main window's template into dialog (which the caller runs or frees).
bool BuildMainWindowTemplate(struct DialogTemplate *dialog);

// Reads the key name and shows the service's state in the form.
void RefreshForm(HWND window);
// A new main window, or a form written by a command: the refresh sets every
// part of the form anew.
void ForgetFormState(HWND window);
void EnableControlRange(HWND window, int first, int last, BOOL enable);
void FillBytes(void *buffer, DWORD count, DWORD value);

// The command and tray handling of the main window.
void OnMainCommand(HWND window, WPARAM wParam);
void OnTrayNotify(HWND window, WPARAM wParam, LPARAM lParam);
void CloseMainWindow(HWND window);

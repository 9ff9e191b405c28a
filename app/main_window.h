// The main window: the form of one service's settings, kept in step with the
// SCM once a second, its commands, and the tray icon with its menu. This
// header holds what the process entry and other windows call.
#pragma once

#include <windows.h>

// Every control of the main window, in the template's order.
enum MainControl : int {
    GeneralFrame = 1,
    KeyNameLabel = 2,
    KeyNameField = 3,
    KeyNamePicker = 4,
    BinaryPathLabel = 5,
    BinaryPathField = 6,
    BinaryPathPicker = 7,
    DisplayNameLabel = 8,
    DisplayNameField = 9,
    DescriptionLabel = 10,
    DescriptionField = 11,
    AdvancedFrame = 12,
    DesiredAccessLabel = 13,
    DesiredAccessList = 14,
    ServiceTypeLabel = 15,
    ServiceTypeList = 16,
    StartTypeLabel = 17,
    StartTypeList = 18,
    ErrorControlLabel = 19,
    ErrorControlList = 20,
    GroupLabel = 21,
    LoadOrderGroupList = 22,
    DependenciesLabel = 23,
    DependenciesField = 24,
    DependencyPicker = 25,
    AccountNameLabel = 26,
    AccountNameField = 27,
    PasswordLabel = 28,
    PasswordField = 29,
    AboutButton = 30,
    InstallButton = 31,
    RemoveButton = 32,
    StartButton = 33,
    StopButton = 34,
    CloseButton = 35,
};

// The system menu's commands (WM_SYSCOMMAND): copy the commands which
// create the service the form describes, and set what Windows does when the
// service fails.
constexpr UINT CopyAsCommandsCommand = 0x0100;
constexpr UINT RecoveryCommand = 0x0110;

// Builds the main window's template and runs it; 0 when the window has ended.
int RunMainWindow();
INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Builds the main window's template into dialog (which the caller runs or frees).
bool BuildMainWindowTemplate(struct DialogTemplate *dialog);

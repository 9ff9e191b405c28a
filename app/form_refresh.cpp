// The once-a-second refresh: the key-name field decides which of the five
// form states (Empty, New, Stopped, Active, Denied) the window shows.
#include "app/main_window.h"

#include "service/operation.h"

#include <string.h>

// Keeps the refresh from running inside itself: message boxes and pickers
// opened during a refresh or a command keep dispatching WM_TIMER.
static LONG refreshBusy;

void FillBytes(void *buffer, DWORD count, DWORD value)
{
    memset(buffer, int(value & 0xFF), count);
}

void EnableControlRange(HWND window, int first, int last, BOOL enable)
{
    int id = first;
    do
        EnableWindow(GetDlgItem(window, id), enable);
    while (++id <= last);
}

// The form body as the refresh last set it (-1: not yet). A lookup of 25
// controls costs a server round trip each under Wine, so the refresh walks
// the range only when the body changes state.
static int formBodyEnabled = -1;

void ForgetFormState()
{
    formBodyEnabled = -1;
}

static void EnableFormBody(HWND window, BOOL enable)
{
    if (formBodyEnabled == (enable ? 1 : 0))
        return;
    EnableControlRange(window, FormBodyFirst, FormBodyLast, enable);
    formBodyEnabled = enable ? 1 : 0;
}

static void EnableCommands(BOOL install, BOOL remove, BOOL start, BOOL stop)
{
    EnableWindow(commandButtons[0], install);
    EnableWindow(commandButtons[1], remove);
    EnableWindow(commandButtons[2], start);
    EnableWindow(commandButtons[3], stop);
}

static void EnableTrayItems(BOOL start, BOOL stop)
{
    EnableMenuItem(trayMenu, TrayStart, MF_BYCOMMAND | (start ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(trayMenu, TrayStop, MF_BYCOMMAND | (stop ? MF_ENABLED : MF_GRAYED));
}

// Writes a field only when its text changes, so the shown service's form
// does not flicker with every refresh.
static void ShowFieldText(HWND window, int id, const char *text)
{
    char shown[LongFieldSize];
    GetDlgItemTextA(window, id, shown, sizeof(shown));
    if (strcmp(shown, text))
        SetDlgItemTextA(window, id, text);
}

// Selects a list's row (-1: none) only when it changes: a selection repaints
// the list, which costs more than asking.
static void ShowListRow(HWND window, int id, int row)
{
    HWND list = GetDlgItem(window, id);
    if (SendMessageA(list, CB_GETCURSEL, 0, 0) != row)
        SendMessageA(list, CB_SETCURSEL, row, 0);
}

static void PrepareForLoad(ServiceSettings &s)
{
    FillBytes(s.binaryPath, sizeof(s.binaryPath), 0);
    FillBytes(s.displayName, sizeof(s.displayName), 0);
    FillBytes(s.description, sizeof(s.description), 0);
    FillBytes(s.loadOrderGroup, sizeof(s.loadOrderGroup), 0);
    FillBytes(s.dependencies, sizeof(s.dependencies), 0);
    FillBytes(s.accountName, sizeof(s.accountName), 0);
    s.desiredAccess = s.serviceType = s.startType = s.errorControl = 0xFFFFFFFF;
}

static void ShowLoadedService(HWND window, ServiceSettings &s)
{
    EnableFormBody(window, FALSE);
    ShowFieldText(window, BinaryPathField, s.binaryPath);
    ShowFieldText(window, DisplayNameField, s.displayName);
    ShowFieldText(window, DescriptionField, s.description);
    ShowListRow(window, ServiceTypeList, OptionIndexForValue(ServiceTypeOptions, s.serviceType));
    ShowListRow(window, StartTypeList, OptionIndexForValue(StartTypeOptions, s.startType));
    ShowListRow(window, ErrorControlList, OptionIndexForValue(ErrorControlOptions, s.errorControl));
    ShowListRow(window, LoadOrderGroupList, GroupIndexForName(GetDlgItem(window, LoadOrderGroupList), s.loadOrderGroup));
    ShowFieldText(window, DependenciesField, s.dependencies);

    const bool running = RunServiceOperation(s.binaryPath, s.keyName, s.displayName, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, QueryStatus) == 1;
    EnableCommands(FALSE, TRUE, !running, running);
    EnableTrayItems(!running, running);
}

// No service has the name: the form describes a new one, its last contents
// kept as a template.
static void ShowNewService(HWND window, ServiceSettings &s)
{
    EnableFormBody(window, TRUE);
    EnableTrayItems(FALSE, FALSE);
    GetDlgItemTextA(window, BinaryPathField, s.binaryPath, sizeof(s.binaryPath));
    EnableCommands(s.binaryPath[0] != '\0', FALSE, FALSE, FALSE);
}

void RefreshForm(HWND window)
{
    if (refreshBusy)
        return;
    refreshBusy = 1;
    ServiceSettings &s = serviceSettings;
    GetDlgItemTextA(window, KeyNameField, s.keyName, sizeof(s.keyName));

    if (!s.keyName[0]) {
        EnableFormBody(window, TRUE);
        EnableTrayItems(FALSE, FALSE);
        EnableCommands(FALSE, FALSE, FALSE, FALSE);
    } else {
        PrepareForLoad(s);
        const LONG loaded = RunServiceOperation(s.binaryPath, s.keyName, s.displayName, s.description,
                                                &s.desiredAccess, &s.serviceType, &s.startType, &s.errorControl,
                                                s.loadOrderGroup, s.dependencies, s.accountName, s.password,
                                                LoadConfig);
        if (loaded) {
            ShowLoadedService(window, s);
        } else {
            if (keyNameRejected) {
                // The report has no owner: the name may have been corrected
                // while it was shown.
                char shown[FieldSize];
                GetDlgItemTextA(window, KeyNameField, shown, sizeof(shown));
                if (!strcmp(shown, s.keyName))
                    SetDlgItemTextA(window, KeyNameField, "");
                s.keyName[0] = '\0';
                keyNameRejected = 0;
            }
            if (scmAccessDenied) {
                // Denied: the refresh stops until the key name changes.
                KillTimer(window, RefreshTimerId);
                EnableFormBody(window, FALSE);
            } else {
                ShowNewService(window, s);
            }
        }
    }
    refreshBusy = 0;
}

// The main window's commands: its buttons and the tray icon's menu.
#include "app/main_window.h"

#include "app/about_box.h"
#include "app/file_picker.h"
#include "app/services_picker.h"
#include "app/startup.h"
#include "app/system_tools.h"
#include "service/operation.h"

#include <shellapi.h>

static void ShowSuccess(HWND window)
{
    MessageBoxA(window, "Service Operation Succeeds!", "Tarnex", MB_OK | MB_ICONEXCLAMATION);
}

// Remove, Start and Stop need the names only; the rest is passed as null.
static LONG RunByName(HWND window, unsigned operation)
{
    ServiceSettings &s = serviceSettings;
    GetDlgItemTextA(window, KeyNameField, s.keyName, sizeof(s.keyName));
    GetDlgItemTextA(window, BinaryPathField, s.binaryPath, sizeof(s.binaryPath));
    GetDlgItemTextA(window, DisplayNameField, s.displayName, sizeof(s.displayName));
    return RunServiceOperation(s.binaryPath, s.keyName, s.displayName, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, operation);
}

static void RunNamedOperation(HWND window, unsigned operation)
{
    if (RunByName(window, operation) == 1)
        ShowSuccess(window);
    RefreshForm(window);
}

static DWORD SelectedOption(HWND window, int id, const OptionTable &table)
{
    return OptionValueForIndex(table, int(SendDlgItemMessageA(window, id, CB_GETCURSEL, 0, 0)));
}

// The group of the selection; position 0 (or none) is no group. A name too
// long for the field is cut to it.
static void ReadGroup(HWND window, char *group)
{
    FillBytes(group, FieldSize, 0);
    HWND list = GetDlgItem(window, LoadOrderGroupList);
    const LRESULT selected = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (selected <= 0)
        return;
    const LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, selected, 0);
    if (length == CB_ERR)
        return;
    char *text = static_cast<char *>(GlobalAlloc(GPTR, length + 1));
    if (!text)
        return;
    SendMessageA(list, CB_GETLBTEXT, selected, LPARAM(text));
    lstrcpynA(group, text, FieldSize);
    GlobalFree(text);
}

// The text fields of the form, with the size of their record fields.
static const struct {
    int id;
    DWORD size;
    const char *name;
} textFields[] = {
    {KeyNameField, FieldSize, "Key Name"},
    {BinaryPathField, FieldSize, "Binary Path"},
    {DisplayNameField, FieldSize, "Display Name"},
    {DescriptionField, LongFieldSize, "Description"},
    {DependenciesField, LongFieldSize - 1, "Dependencies"},
    {AccountNameField, FieldSize, "Account Name"},
    {PasswordField, FieldSize, "Password"},
};

// True when the field's text survives the conversion to the ANSI code page
// whole: no character replaced, nothing cut to fit the record.
static bool FitsCodePage(HWND field, DWORD size)
{
    const int length = GetWindowTextLengthW(field);
    auto *wide = static_cast<WCHAR *>(GlobalAlloc(GMEM_FIXED, (length + 1) * sizeof(WCHAR)));
    auto *narrow = static_cast<char *>(GlobalAlloc(GMEM_FIXED, size));
    bool fits = false;
    if (wide && narrow) {
        GetWindowTextW(field, wide, length + 1);
        // A UTF-8 code page holds every character and takes no flags.
        const bool utf8 = GetACP() == CP_UTF8;
        BOOL replaced = FALSE;
        fits = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, narrow, int(size), nullptr,
                                   utf8 ? nullptr : &replaced) &&
               !replaced;
    }
    if (narrow)
        GlobalFree(narrow);
    if (wide)
        GlobalFree(wide);
    return fits;
}

// Refuses, with a box naming the field, a form that the record would hold
// other than as typed: a service of another name or settings would result.
static bool FormFitsRecord(HWND window)
{
    for (const auto &field : textFields) {
        if (FitsCodePage(GetDlgItem(window, field.id), field.size))
            continue;
        char text[160];
        wsprintfA(text, "%s holds text that the system's ANSI code page cannot represent in full. Nothing was "
                        "installed.",
                  field.name);
        MessageBoxA(window, text, "Tarnex", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

static void InstallFromForm(HWND window)
{
    if (!FormFitsRecord(window))
        return;
    ServiceSettings &s = serviceSettings;
    GetDlgItemTextA(window, KeyNameField, s.keyName, sizeof(s.keyName));
    GetDlgItemTextA(window, BinaryPathField, s.binaryPath, sizeof(s.binaryPath));
    GetDlgItemTextA(window, DisplayNameField, s.displayName, sizeof(s.displayName));
    GetDlgItemTextA(window, DescriptionField, s.description, sizeof(s.description));
    s.desiredAccess = SelectedOption(window, DesiredAccessList, DesiredAccessOptions);
    s.serviceType = SelectedOption(window, ServiceTypeList, ServiceTypeOptions);
    s.startType = SelectedOption(window, StartTypeList, StartTypeOptions);
    s.errorControl = SelectedOption(window, ErrorControlList, ErrorControlOptions);
    ReadGroup(window, s.loadOrderGroup);
    GetDlgItemTextA(window, DependenciesField, s.dependencies, sizeof(s.dependencies));
    DependencyTextToList(s.dependencies, sizeof(s.dependencies));
    GetDlgItemTextA(window, AccountNameField, s.accountName, sizeof(s.accountName));
    GetDlgItemTextA(window, PasswordField, s.password, sizeof(s.password));

    if (RunServiceOperation(s.binaryPath, s.keyName, s.displayName, s.description, &s.desiredAccess, &s.serviceType,
                            &s.startType, &s.errorControl, s.loadOrderGroup, s.dependencies, s.accountName,
                            s.password, Install) == 1)
        ShowSuccess(window);
    RefreshForm(window);
}

static void RemoveAfterQuestion(HWND window)
{
    if (MessageBoxA(window, "Do You REALLY Want To Delete the Service?", "Please Confirm!",
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    RunNamedOperation(window, Remove);
}

static void PickKeyName(HWND window)
{
    pickerMode = 1;
    RunServicesPicker(window, mainIcon);
    if (!pickedName[0])
        return;
    SetDlgItemTextA(window, KeyNameField, pickedName);
    FillBytes(pickedName, sizeof(pickedName), 0);
    // The chosen service's own values replace those of the last one.
    SetDlgItemTextA(window, BinaryPathField, pickedName);
    SetDlgItemTextA(window, DisplayNameField, pickedName);
    SetDlgItemTextA(window, DescriptionField, pickedName);
    ForgetFormState(window);
    RefreshForm(window);
}

// A chosen executable's file name is proposed as key name, display name and
// description while all three are empty.
static void PickBinaryPath(HWND window)
{
    ServiceSettings &s = serviceSettings;
    if (!PickFile(window, "Selecting a File", s.binaryPath, sizeof(s.binaryPath), AllFilesFilter))
        return;
    SetDlgItemTextA(window, BinaryPathField, s.binaryPath);
    // The refresh inside the dialog may have shown a service meanwhile.
    ForgetFormState(window);
    if (GetDlgItemTextA(window, KeyNameField, s.keyName, sizeof(s.keyName)) ||
        GetDlgItemTextA(window, DisplayNameField, s.displayName, sizeof(s.displayName)) ||
        GetDlgItemTextA(window, DescriptionField, s.description, sizeof(s.description)))
        return;
    KeyNameFromBinaryPath(s.binaryPath, pickedName, sizeof(pickedName));
    SetDlgItemTextA(window, KeyNameField, pickedName);
    SetDlgItemTextA(window, DisplayNameField, pickedName);
    SetDlgItemTextA(window, DescriptionField, pickedName);
    RefreshForm(window);
}

static void AddDependency(HWND window)
{
    switch (MessageBoxA(window, "Is it a request for a Service?", "Please Confirm: Group or Service?",
                        MB_YESNO | MB_ICONQUESTION)) {
    case IDYES:
        pickerMode = 1;
        break;
    case IDNO:
        pickerMode = 0;
        break;
    default:
        pickerMode = 3;
        return;
    }
    ServiceSettings &s = serviceSettings;
    FillBytes(s.dependencies, sizeof(s.dependencies), 0);
    RunServicesPicker(window, mainIcon);
    if (!pickedName[0])
        return;
    GetDlgItemTextA(window, DependenciesField, s.dependencies, sizeof(s.dependencies));
    // A name that would not fit the field leaves the text as it was.
    if (AppendDependency(s.dependencies, sizeof(s.dependencies), pickedName, pickerMode == 0)) {
        SetDlgItemTextA(window, DependenciesField, s.dependencies);
        ForgetFormState(window);
    }
}

// A refused service stops the refresh; a new key name starts it again.
static void OnKeyNameChange(HWND window)
{
    if (!scmAccessDenied)
        return;
    scmAccessDenied = 0;
    SetTimer(window, RefreshTimerId, RefreshInterval, nullptr);
}

void OnMainCommand(HWND window, WPARAM wParam)
{
    if (wParam == MAKEWPARAM(KeyNameField, EN_CHANGE)) {
        OnKeyNameChange(window);
        return;
    }
    // Otherwise only clicks: the whole of wParam is the control's identifier.
    switch (wParam) {
    case KeyNamePicker:
        PickKeyName(window);
        break;
    case BinaryPathPicker:
        PickBinaryPath(window);
        break;
    case DependencyPicker:
        AddDependency(window);
        break;
    case AboutButton:
        ShowAboutBox(window, mainIcon);
        break;
    case InstallButton:
        InstallFromForm(window);
        break;
    case RemoveButton:
        RemoveAfterQuestion(window);
        break;
    case StartButton:
        RunNamedOperation(window, Start);
        break;
    case StopButton:
        RunNamedOperation(window, Stop);
        break;
    case CloseButton:
        CloseMainWindow(window);
        break;
    }
}

static void RunTrayCommand(HWND window, UINT command)
{
    switch (command) {
    case TrayRestore:
        ShowWindowAsync(window, SW_RESTORE);
        break;
    case TrayAbout:
        ShowAboutBox(window, mainIcon);
        break;
    case TrayStart:
        RunNamedOperation(window, Start);
        break;
    case TrayStop:
        RunNamedOperation(window, Stop);
        break;
    case TrayEventViewer:
        OpenSystemTool("eventvwr.msc", "/s");
        break;
    case TrayServicesConsole:
        OpenSystemTool("services.msc", nullptr);
        break;
    case TrayClose:
        CloseMainWindow(window);
        break;
    }
}

// The icon's notification as version 4 sends it (the event and the icon in
// lParam, the anchor point in wParam), or as a shell that took no version
// does (the mouse message in lParam, the icon in wParam; a right click's
// release stands for the context menu). False when it is not the icon's.
static bool DecodeTrayNotify(WPARAM wParam, LPARAM lParam, UINT *event, POINT *anchor)
{
    if (HIWORD(lParam) == TrayIconId) {
        *event = LOWORD(lParam);
        *anchor = {short(LOWORD(wParam)), short(HIWORD(wParam))};
        return true;
    }
    if (wParam != TrayIconId)
        return false;
    *event = lParam == WM_RBUTTONUP ? WM_CONTEXTMENU : UINT(lParam);
    GetCursorPos(anchor);
    return true;
}

// The menu's own loop dispatches the tray's notifications: one that comes
// while the menu is open (a second Enter, say) opens nothing more.
static bool trayMenuOpen;

static void OpenTrayMenu(HWND window, POINT anchor)
{
    if (trayMenuOpen)
        return;
    trayMenuOpen = true;
    SetForegroundWindow(window);
    const UINT command = UINT(TrackPopupMenu(trayMenu, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_RIGHTALIGN, anchor.x,
                                             anchor.y, 0, window, nullptr));
    trayMenuOpen = false;
    // Lets the menu of a background window close when focus moves away.
    PostMessageA(window, WM_NULL, 0, 0);
    RunTrayCommand(window, command);
}

// A right click (on its release) or the keyboard (Enter, Space or the
// context-menu key on the selected icon) opens the menu; a double click
// restores the window. A single left click opens nothing: a menu's modal
// loop would swallow the second click of a double click.
void OnTrayNotify(HWND window, WPARAM wParam, LPARAM lParam)
{
    UINT event;
    POINT anchor;
    if (!DecodeTrayNotify(wParam, lParam, &event, &anchor))
        return;
    switch (event) {
    case WM_CONTEXTMENU:
    case NIN_KEYSELECT:
        OpenTrayMenu(window, anchor);
        break;
    case WM_LBUTTONDBLCLK:
        SetForegroundWindow(window);
        ShowWindowAsync(window, SW_SHOW);
        ShowWindowAsync(window, SW_RESTORE);
        break;
    }
}

// The main window's commands: its buttons and the tray icon's menu.
#include "app/main_window.h"

#include "app/about_box.h"
#include "app/file_picker.h"
#include "app/form_text.h"
#include "app/services_picker.h"
#include "app/startup.h"
#include "app/system_tools.h"
#include "service/operation.h"

#include <shellapi.h>

static void ShowSuccess(HWND window)
{
    MessageBoxA(window, "Service Operation Succeeds!", "Tarnex", MB_OK | MB_ICONEXCLAMATION);
}

static const char *const OperationVerbs[] = {"Install", "Remove", "Load", "Query", "Start", "Stop"};

// Refuses a command whose field the record cannot hold as typed, naming the
// field and why; the form stays as it is.
static void RefuseField(HWND window, unsigned operation, const FormTextField &field, TextFit fit)
{
    char caption[64], text[256];
    wsprintfA(caption, "Tarnex Cannot %s the Service", OperationVerbs[operation]);
    if (fit == TextTooLong)
        wsprintfA(text, "%s is too long: it takes more than the %lu bytes the field holds. Nothing was done.",
                  field.name, field.size - 1);
    else
        wsprintfA(text, "%s holds characters that the system's code page cannot represent. Nothing was done.",
                  field.name);
    MessageBoxA(window, text, caption, MB_OK | MB_ICONERROR);
}

// Reads a text field into the record; false, after refusing the command,
// when the record cannot hold its text as typed.
static bool ReadField(HWND window, unsigned operation, int index, char *text)
{
    const FormTextField &field = formTextFields[index];
    const TextFit fit = ReadFormText(GetDlgItem(window, field.id), text, field.size);
    if (fit == TextFits)
        return true;
    RefuseField(window, operation, field, fit);
    return false;
}

// Remove, Start and Stop need the names only; the rest is passed as null.
// The key name is taken only as typed: a look-alike would be another service.
static LONG RunByName(HWND window, unsigned operation)
{
    ServiceSettings &s = serviceSettings;
    if (!ReadField(window, operation, KeyNameText, s.keyName))
        return 0;
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

// The record's text fields in the order of formTextFields.
static char *RecordText(ServiceSettings &s, int index)
{
    char *const texts[FormTextFieldCount] = {s.keyName,      s.binaryPath,  s.displayName, s.description,
                                             s.dependencies, s.accountName, s.password};
    return texts[index];
}

// Refuses, with a box naming the field, a form that the record would hold
// other than as typed: a service of another name or settings would result.
static void InstallFromForm(HWND window)
{
    ServiceSettings &s = serviceSettings;
    for (int i = 0; i < FormTextFieldCount; i++)
        if (!ReadField(window, Install, i, RecordText(s, i))) {
            SecureZeroMemory(s.password, sizeof(s.password));
            return;
        }
    s.desiredAccess = SelectedOption(window, DesiredAccessList, DesiredAccessOptions);
    s.serviceType = SelectedOption(window, ServiceTypeList, ServiceTypeOptions);
    s.startType = SelectedOption(window, StartTypeList, StartTypeOptions);
    s.errorControl = SelectedOption(window, ErrorControlList, ErrorControlOptions);
    ReadGroup(window, s.loadOrderGroup);
    DependencyTextToList(s.dependencies, sizeof(s.dependencies));

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
    const int proposedTo[] = {KeyNameField, DisplayNameField, DescriptionField};
    for (int id : proposedTo)
        if (GetWindowTextLengthW(GetDlgItem(window, id)))
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
    // A text the record cannot hold as typed, or a name that would not fit
    // the field, leaves the text as it was.
    const FormTextField &field = formTextFields[DependenciesText];
    if (ReadFormText(GetDlgItem(window, field.id), s.dependencies, field.size) == TextFits &&
        AppendDependency(s.dependencies, sizeof(s.dependencies), pickedName, pickerMode == 0)) {
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
    if (HIWORD(wParam) == EN_CHANGE) {
        for (const auto &field : formTextFields)
            if (field.id == LOWORD(wParam))
                KeepFormTextWithin(GetDlgItem(window, field.id), field.size);
        if (LOWORD(wParam) == KeyNameField)
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

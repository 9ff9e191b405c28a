// The main window's commands: its buttons, and the tray menu's items that
// stand for them.
#include "app/main_window_parts.h"

#include "app/about_box.h"
#include "app/command_checks.h"
#include "app/command_thread.h"
#include "app/command_verdict.h"
#include "app/file_picker.h"
#include "app/form_text.h"
#include "app/service_setup.h"
#include "app/services_picker.h"
#include "app/startup.h"
#include "service/command_script.h"
#include "service/error_report.h"
#include "service/operation.h"
#include "service/registry_lists.h"

// A command's question is open.
static bool asking;

bool CommandsHeld()
{
    return asking || ServiceCommandRunning();
}

int AskAboutCommand(HWND window, const char *text, const char *caption, UINT type)
{
    asking = true;
    RefreshForm(window);
    const int answer = MessageBoxA(window, text, caption, type);
    asking = false;
    RefreshForm(window);
    return answer;
}

// Asks, as the Services console does, whether the running services that
// depend on the service may stop with it; false on No.
static bool StopDependentsToo(HWND window, const char *keyName, const char *dependents)
{
    // A name takes one byte more as a line than in the list: two at most
    // for each of its bytes.
    char text[FieldSize + 2 * LongFieldSize + 160];
    char *end = text + wsprintfA(text, "These running services depend on %s, and stop before it:\r\n\r\n", keyName);
    for (const char *name = dependents; *name; name += lstrlenA(name) + 1)
        end += wsprintfA(end, "%s\r\n", name);
    lstrcpyA(end, "\r\nStop them, and then the service?");
    return AskAboutCommand(window, text, "Please Confirm!", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The cursor follows the start or end of a command at once, as it would at
// the next move of the mouse.
static void RefreshCursor(HWND window)
{
    POINT at;
    HWND under = GetCursorPos(&at) ? WindowFromPoint(at) : nullptr;
    if (under && (under == window || IsChild(window, under)))
        SendMessageA(under, WM_SETCURSOR, WPARAM(under),
                     MAKELPARAM(SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)), WM_MOUSEMOVE));
}

// Remove, Start and Stop need the key name only, and take it only as typed:
// a look-alike would be another service. They run off the window's thread,
// the commands greyed meanwhile.
// A question answered after the window was closed (from the tray, say)
// begins nothing.
static void BeginNamedCommand(HWND window, unsigned operation, const char *verb)
{
    if (CommandsHeld() || MainWindowClosing())
        return;
    ServiceSettings &s = serviceSettings;
    char dependents[LongFieldSize] = {};
    if (ReadFormField(window, verb, KeyNameText, s.keyName) &&
        (operation == Start ? StartChecksAllow(window, s.keyName)
                            : !ActiveDependents(s.keyName, dependents) ||
                                  StopDependentsToo(window, s.keyName, dependents)) &&
        !MainWindowClosing() && !BeginServiceCommand(window, operation, s.keyName, dependents))
        ReportSystemError("Tarnex Cannot Run the Command");
    RefreshForm(window);
    RefreshCursor(window);
}

void OnServiceCommandDone(HWND window, WPARAM wParam, LPARAM lParam)
{
    unsigned operation;
    char keyName[FieldSize];
    ServiceOutcome outcome;
    if (!EndServiceCommand(wParam, lParam, &operation, keyName, &outcome))
        return;
    if (outcome.markedForDeletion)
        KeepMarkedForDeletion(keyName, &outcome.keyWritten);
    RefreshForm(window);
    RefreshCursor(window);
    ShowVerdict(window, &outcome);
}

static void InstallFromForm(HWND window)
{
    ServiceSettings &s = serviceSettings;
    if (CommandsHeld() || !ReadFormSettings(window, "Install", &s))
        return;
    if (!PasswordFitsAccount(window, "Install", s.accountName, s.password) || !InstallChecksAllow(window, &s)) {
        SecureZeroMemory(s.password, sizeof(s.password));
        return;
    }
    char account[FieldSize];
    lstrcpynA(account, s.accountName, sizeof(account));
    const SetupDone done = {s.keyName, "created", account[0] ? account : nullptr,
                            s.startType == DelayedAutoStart ? 1 : -1, nullptr, FormRecovery()};
    if (RunOnSettings(&s, Install) == 1)
        FinishSetup(window, &done, RefreshForm);
    else
        RefreshForm(window);
}

static void RemoveAfterQuestion(HWND window)
{
    if (CommandsHeld() ||
        AskAboutCommand(window, "Do You REALLY Want To Delete the Service?", "Please Confirm!",
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    BeginNamedCommand(window, Remove, "Remove");
}

static void PickKeyName(HWND window)
{
    pickerMode = PickServices;
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

// The Open dialog starts on the field's program. A chosen executable's file
// name is proposed as key name, display name and description while all
// three are empty.
static void PickBinaryPath(HWND window)
{
    ServiceSettings &s = serviceSettings;
    ReadFormText(GetDlgItem(window, BinaryPathField), s.binaryPath, sizeof(s.binaryPath));
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
        pickerMode = PickServices;
        break;
    case IDNO:
        pickerMode = PickGroups;
        break;
    default:
        pickerMode = PickedNeither;
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
        AppendDependency(s.dependencies, sizeof(s.dependencies), pickedName, pickerMode == PickGroups)) {
        SetDlgItemTextA(window, DependenciesField, s.dependencies);
        ForgetFormState(window);
    }
}

void OnMainCommand(HWND window, WPARAM wParam)
{
    if (HIWORD(wParam) == CBN_SELCHANGE) {
        ForgetUnheldField(LOWORD(wParam));
        return;
    }
    if (HIWORD(wParam) == EN_CHANGE) {
        ForgetUnheldField(LOWORD(wParam));
        for (const auto &field : formTextFields)
            if (field.id == LOWORD(wParam))
                KeepFormTextWithin(GetDlgItem(window, field.id), field.size);
        if (LOWORD(wParam) == KeyNameField)
            OnKeyNameEdited(window);
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
        if (Editing())
            ApplyChange(window);
        else if (ShownService()[0])
            BeginChange(window);
        else
            InstallFromForm(window);
        break;
    case IDCANCEL:
        CancelChange(window);
        break;
    case RemoveButton:
        RemoveAfterQuestion(window);
        break;
    case StartButton:
        BeginNamedCommand(window, Start, "Start");
        break;
    case StopButton:
        BeginNamedCommand(window, Stop, "Stop");
        break;
    }
}

// The commands that create the service the form describes go on the
// clipboard as Unicode text, and nothing beside them: a shown service as the
// service manager holds it, whole; a new one as Install would make it from
// the form, its password wiped unused.
void CopyAsCommands(HWND window)
{
    RefreshForm(window);
    const char *failure = nullptr;
    char refusal[RefusalSize];
    auto *script = static_cast<WCHAR *>(GlobalAlloc(GPTR, ScriptLength * sizeof(WCHAR)));
    HGLOBAL block = nullptr;
    bool written = false;
    if (!script) {
        failure = "There is not memory enough for the commands.";
    } else if (ShownService()[0] || scmAccessDenied) {
        // A service refused to the refresh is refused to the copy too.
        written = WriteInstalledServiceScript(ShownService()[0] ? ShownService() : serviceSettings.keyName, script,
                                              refusal);
    } else {
        ServiceSettings s;
        if (!ReadFormSettings(window, "Copy", &s)) {
            GlobalFree(script);
            return;
        }
        SecureZeroMemory(s.password, sizeof(s.password));
        written = WriteNewServiceScript(&s, FormRecovery(), script, refusal);
    }
    if (script && !written && !failure) {
        failure = refusal;
    } else if (written) {
        const SIZE_T size = (lstrlenW(script) + 1) * sizeof(WCHAR);
        block = GlobalAlloc(GMEM_MOVEABLE, size);
        void *copy = block ? GlobalLock(block) : nullptr;
        if (copy) {
            CopyMemory(copy, script, size);
            GlobalUnlock(block);
        }
        if (copy && OpenClipboard(window)) {
            if (EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, block))
                block = nullptr;  // the clipboard's now
            CloseClipboard();
        }
        if (block)
            failure = "The clipboard could not be had.";
    }
    if (block)
        GlobalFree(block);
    if (script)
        GlobalFree(script);
    if (failure) {
        char text[RefusalSize + 32];
        wsprintfA(text, "%s Nothing was copied.", failure);
        MessageBoxA(window, text, "Tarnex Cannot Copy the Service", MB_OK | MB_ICONERROR);
    }
}

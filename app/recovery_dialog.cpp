// The Recovery dialog: the actions on a service's failures, their delays,
// and the program that Run a Program runs, read back exactly as typed.
#include "app/recovery_dialog.h"

#include "app/accessible_names.h"
#include "app/dialog_template.h"
#include "app/file_picker.h"
#include "app/form_text.h"
#include "service/settings.h"
#include "skin/skin.h"
#include "skin/texture.h"

#include <wchar.h>

// What the dialog is opened with; it lives in RunRecoveryDialog's frame
// while the dialog runs, and the dialog keeps it in DWLP_USER.
struct RecoveryDialog {
    HICON icon;
    RecoverySettings *settings;
};

static const char RefusalCaption[] = "Tarnex Cannot Set the Recovery";

// The lists' rows, in the Services console's order.
static const struct {
    SC_ACTION_TYPE action;
    const char *name;
} actionRows[] = {
    {SC_ACTION_NONE, "Take No Action"},
    {SC_ACTION_RESTART, "Restart the Service"},
    {SC_ACTION_RUN_COMMAND, "Run a Program"},
    {SC_ACTION_REBOOT, "Restart the Computer"},
};
constexpr int ActionRowCount = sizeof(actionRows) / sizeof(actionRows[0]);
// The lists of the first, the second and every later failure.
static const int actionLists[3] = {FirstFailureList, SecondFailureList, LaterFailuresList};

constexpr DWORD RecoveryStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
// Every control starts a group of its own but Cancel, which shares OK's:
// the arrow keys move between the two buttons and nowhere else.
constexpr DWORD Label = WS_CHILD | WS_VISIBLE | WS_GROUP;
constexpr DWORD NoteLine = Label | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD ActionList = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | WS_GROUP | CBS_DROPDOWNLIST |
                             CBS_HASSTRINGS;
constexpr DWORD TextField = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL;
constexpr DWORD NumberField = TextField | ES_NUMBER;
constexpr DWORD CheckBox = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX;
constexpr DWORD Frame = WS_CHILD | WS_VISIBLE | WS_GROUP | BS_GROUPBOX;
constexpr DWORD PushButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_FLAT;
constexpr DWORD SecondButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_FLAT;

// Labels at x 8 (16 inside the frame), fields at x 112, rows 16 units
// apart, below the note.
static const ControlRow recoveryControls[] = {
    {FirstFailureLabel, StaticClass, Label, 8, 22, 100, 8, "&First failure:"},
    {FirstFailureList, ComboBoxClass, ActionList, 112, 20, 164, 72, nullptr},
    {SecondFailureLabel, StaticClass, Label, 8, 38, 100, 8, "&Second failure:"},
    {SecondFailureList, ComboBoxClass, ActionList, 112, 36, 164, 72, nullptr},
    {LaterFailuresLabel, StaticClass, Label, 8, 54, 100, 8, "S&ubsequent failures:"},
    {LaterFailuresList, ComboBoxClass, ActionList, 112, 52, 164, 72, nullptr},
    {ResetLabel, StaticClass, Label, 8, 72, 100, 8, "&Reset fail count after:"},
    {ResetField, EditClass, NumberField, 112, 70, 36, 12, nullptr},
    {ResetUnit, StaticClass, Label, 152, 72, 60, 8, "days"},
    {RestartLabel, StaticClass, Label, 8, 88, 100, 8, "Restart ser&vice after:"},
    {RestartField, EditClass, NumberField, 112, 86, 36, 12, nullptr},
    {RestartUnit, StaticClass, Label, 152, 88, 60, 8, "minutes"},
    {StopsWithErrorsBox, ButtonClass, CheckBox, 8, 104, 268, 10, "&Enable actions for stops with errors"},
    {ProgramFrame, ButtonClass, Frame, 8, 120, 268, 64, "Run program"},
    {ProgramLabel, StaticClass, Label, 16, 134, 92, 8, "&Program:"},
    {ProgramField, EditClass, TextField, 112, 132, 140, 12, nullptr},
    {ProgramBrowse, ButtonClass, PushButton, 254, 132, 16, 12, "..."},
    {ParametersLabel, StaticClass, Label, 16, 150, 92, 8, "Command &line parameters:"},
    {ParametersField, EditClass, TextField, 112, 148, 158, 12, nullptr},
    {AppendFailCountBox, ButtonClass, CheckBox, 16, 166, 254, 10,
     "&Append fail count to end of command line (/fail=%1%)"},
    {RebootLabel, StaticClass, Label, 8, 192, 100, 8, "Restart &computer after:"},
    {RebootField, EditClass, NumberField, 112, 190, 36, 12, nullptr},
    {RebootUnit, StaticClass, Label, 152, 192, 60, 8, "minutes"},
    {IDOK, ButtonClass, PushButton | BS_DEFPUSHBUTTON, 162, 208, 54, 16, "OK"},
    {IDCANCEL, ButtonClass, SecondButton, 222, 208, 54, 16, "Cancel"},
};
// The table's, and the note above them, whose text is the caller's.
constexpr WORD RecoveryControlCount = sizeof(recoveryControls) / sizeof(recoveryControls[0]) + 1;

// The controls that apply only with an action chosen somewhere; AnyAction
// stands for any action at all.
constexpr SC_ACTION_TYPE AnyAction = SC_ACTION_NONE;
static const struct {
    int id;
    SC_ACTION_TYPE needs;
} actionControls[] = {
    {ResetLabel, AnyAction},
    {ResetField, AnyAction},
    {ResetUnit, AnyAction},
    {RestartLabel, SC_ACTION_RESTART},
    {RestartField, SC_ACTION_RESTART},
    {RestartUnit, SC_ACTION_RESTART},
    {StopsWithErrorsBox, AnyAction},
    {ProgramFrame, SC_ACTION_RUN_COMMAND},
    {ProgramLabel, SC_ACTION_RUN_COMMAND},
    {ProgramField, SC_ACTION_RUN_COMMAND},
    {ProgramBrowse, SC_ACTION_RUN_COMMAND},
    {ParametersLabel, SC_ACTION_RUN_COMMAND},
    {ParametersField, SC_ACTION_RUN_COMMAND},
    {AppendFailCountBox, SC_ACTION_RUN_COMMAND},
    {RebootLabel, SC_ACTION_REBOOT},
    {RebootField, SC_ACTION_REBOOT},
    {RebootUnit, SC_ACTION_REBOOT},
};

static INT_PTR CALLBACK RecoveryDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

INT_PTR RunRecoveryDialog(HWND owner, HICON icon, const char *serviceName, RecoverySettings *settings,
                          const char *note)
{
    RecoveryDialog parameter = {icon, settings};
    // The program's key names take at most FieldSize bytes.
    char caption[FieldSize + 16];
    wsprintfA(caption, "Recovery of %.259s", serviceName);
    if (!note)
        note = "";
    // Every byte of a text takes at most one character of the template.
    const DWORD capacity = 3072 + 2 * DWORD(lstrlenA(caption) + lstrlenA(note));
    DialogTemplate dialog;
    BeginDialog(&dialog, capacity, RecoveryStyle, RecoveryControlCount, 284, 232, caption, 8, "MS Sans Serif");
    AddControl(&dialog, NoteLine, 8, 6, 268, 8, RecoveryNote, StaticClass, note);
    AddControls(&dialog, recoveryControls, RecoveryControlCount - 1);
    return RunDialog(&dialog, owner, RecoveryDialogProc, LPARAM(&parameter));
}

static RecoverySettings *SettingsOf(HWND window)
{
    return reinterpret_cast<RecoveryDialog *>(GetWindowLongPtrA(window, DWLP_USER))->settings;
}

// The actions the lists show; a list that shows none (an action it does
// not hold) keeps the action as it was.
static void ShownActions(HWND window, RecoverySettings *shown)
{
    for (int i = 0; i < 3; i++) {
        const LRESULT row = SendDlgItemMessageA(window, actionLists[i], CB_GETCURSEL, 0, 0);
        if (row >= 0 && row < ActionRowCount)
            shown->actions[i] = actionRows[row].action;
    }
}

// Turns off what the chosen actions do not use.
static void EnableWhatApplies(HWND window)
{
    RecoverySettings shown = *SettingsOf(window);
    ShownActions(window, &shown);
    for (const auto &c : actionControls)
        EnableWindow(GetDlgItem(window, c.id), c.needs == AnyAction ? HasRecovery(&shown) : HasAction(&shown, c.needs));
}

static void OnInitRecovery(HWND window, const RecoveryDialog *parameter)
{
    SetWindowLongPtrA(window, DWLP_USER, LONG_PTR(parameter));
    SendMessageA(window, WM_SETICON, ICON_BIG, LPARAM(parameter->icon));
    SkinDescriptor standard;
    SetStandardDescriptor(&standard);
    static const int skinned[] = {ProgramBrowse, IDOK, IDCANCEL};
    for (int id : skinned)
        AttachSkin(GetDlgItem(window, id), &standard);
    accessibleNameCalls.setName(GetDlgItem(window, ProgramBrowse), L"Browse for the program to run");

    const RecoverySettings *s = parameter->settings;
    for (int i = 0; i < 3; i++) {
        HWND list = GetDlgItem(window, actionLists[i]);
        int shown = -1;
        for (int row = 0; row < ActionRowCount; row++) {
            SendMessageA(list, CB_ADDSTRING, 0, LPARAM(actionRows[row].name));
            if (actionRows[row].action == s->actions[i])
                shown = row;
        }
        SendMessageA(list, CB_SETCURSEL, WPARAM(shown), 0);
    }
    SetDlgItemInt(window, ResetField, s->resetSeconds / SecondsPerDay, FALSE);
    SetDlgItemInt(window, RestartField, s->restartDelay / MillisecondsPerMinute, FALSE);
    SetDlgItemInt(window, RebootField, s->rebootDelay / MillisecondsPerMinute, FALSE);
    SendDlgItemMessageW(window, ProgramField, EM_LIMITTEXT, RecoveryProgramLength - 1, 0);
    SendDlgItemMessageW(window, ParametersField, EM_LIMITTEXT, RecoveryParametersLength - 1, 0);
    SetDlgItemTextW(window, ProgramField, s->program);
    SetDlgItemTextW(window, ParametersField, s->parameters);
    CheckDlgButton(window, StopsWithErrorsBox, s->onStopsWithErrors ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, AppendFailCountBox, s->appendFailCount ? BST_CHECKED : BST_UNCHECKED);
    EnableWhatApplies(window);
}

// Refuses the choices for the reason text, with the focus on the field
// that is wrong; the dialog stays open. Always false.
static bool Refuse(HWND window, int field, const char *text)
{
    MessageBoxA(window, text, RefusalCaption, MB_OK | MB_ICONERROR);
    SendMessageA(window, WM_NEXTDLGCTL, WPARAM(GetDlgItem(window, field)), TRUE);
    return false;
}

// A count of days or minutes from 0 to most, in decimal digits alone: the
// field's number style keeps out other keys, not what is pasted. The
// service manager's own value (*value, in units of 1/perUnit) stays as it
// was while the whole count shown for it is not changed.
static bool ReadCount(HWND window, int id, const char *name, const char *unit, DWORD most, DWORD perUnit,
                      DWORD *kept)
{
    char text[16];
    ULONGLONG value = 0;
    bool valid = ReadFormText(GetDlgItem(window, id), text, sizeof(text)) == TextFits && text[0];
    for (const char *c = text; valid && *c; c++) {
        valid = *c >= '0' && *c <= '9';
        if (valid) {
            value = value * 10 + ULONGLONG(*c - '0');
            valid = value <= most;  // which keeps it far within 64 bits
        }
    }
    if (valid) {
        if (DWORD(value) != *kept / perUnit)
            *kept = DWORD(value) * perUnit;
        return true;
    }
    char why[160];
    wsprintfA(why, "%s holds no number of %s from 0 to %lu.", name, unit, most);
    return Refuse(window, id, why);
}

// A text as typed, in count characters at most (the zero included), which
// the program's code page holds exactly, as the program holds every text.
static bool ReadText(HWND window, int id, const char *name, WCHAR *text, DWORD count)
{
    // Three bytes take any character of the code pages the program runs in.
    char bytes[3 * RecoveryParametersLength];
    const TextFit fit = ReadFormText(GetDlgItem(window, id), bytes, 3 * count);
    if (fit == TextFits && MultiByteToWideChar(ProgramCodePage(), 0, bytes, -1, text, int(count)))
        return true;
    char why[160];
    if (fit == TextNotRepresentable)
        wsprintfA(why, "%s holds characters that the system's code page cannot represent.", name);
    else
        wsprintfA(why, "%s is too long: it takes more than the %lu characters the field holds.", name, count - 1);
    return Refuse(window, id, why);
}

// Run a Program's program and parameters; the command line quotes a
// program with a blank, so no quotation mark may be part of its name.
static bool ReadProgram(HWND window, RecoverySettings *chosen)
{
    if (!ReadText(window, ProgramField, "Program", chosen->program, RecoveryProgramLength) ||
        !ReadText(window, ParametersField, "Command line parameters", chosen->parameters,
                  RecoveryParametersLength))
        return false;
    if (!chosen->program[wcsspn(chosen->program, L" ")])
        return Refuse(window, ProgramField, "Program is empty: Run a Program has no program to run.");
    if (wcschr(chosen->program, L'"'))
        return Refuse(window, ProgramField, "Program holds a quotation mark, which no file name holds.");
    chosen->appendFailCount = IsDlgButtonChecked(window, AppendFailCountBox) == BST_CHECKED;
    return true;
}

// The fields that are on, read in the dialog's order: the first that is
// wrong is refused, and settings stay as they were.
static bool ReadChoices(HWND window, RecoverySettings *chosen)
{
    ShownActions(window, chosen);
    if (!HasRecovery(chosen))
        return true;
    if (!ReadCount(window, ResetField, "Reset fail count after", "days", MostResetDays, SecondsPerDay,
                   &chosen->resetSeconds))
        return false;
    if (HasAction(chosen, SC_ACTION_RESTART) &&
        !ReadCount(window, RestartField, "Restart service after", "minutes", MostDelayMinutes,
                   MillisecondsPerMinute, &chosen->restartDelay))
        return false;
    chosen->onStopsWithErrors = IsDlgButtonChecked(window, StopsWithErrorsBox) == BST_CHECKED;
    if (HasAction(chosen, SC_ACTION_RUN_COMMAND) && !ReadProgram(window, chosen))
        return false;
    return !HasAction(chosen, SC_ACTION_REBOOT) ||
           ReadCount(window, RebootField, "Restart computer after", "minutes", MostDelayMinutes,
                     MillisecondsPerMinute, &chosen->rebootDelay);
}

static void TakeChoices(HWND window)
{
    RecoverySettings *settings = SettingsOf(window);
    RecoverySettings chosen = *settings;
    if (!ReadChoices(window, &chosen))
        return;
    *settings = chosen;
    EndDialog(window, IDOK);
}

// The Open dialog starts on the program typed, if the code page holds it.
static void BrowseForProgram(HWND window)
{
    char path[MAX_PATH];
    ReadFormText(GetDlgItem(window, ProgramField), path, sizeof(path));
    WCHAR program[RecoveryProgramLength];
    if (PickFile(window, "Selecting the Program to Run", path, sizeof(path), AllFilesFilter) &&
        MultiByteToWideChar(ProgramCodePage(), 0, path, -1, program, RecoveryProgramLength))
        SetDlgItemTextW(window, ProgramField, program);
}

static void OnRecoveryCommand(HWND window, WPARAM wParam)
{
    if (wParam == IDOK)
        TakeChoices(window);
    else if (wParam == IDCANCEL)
        EndDialog(window, IDCANCEL);
    else if (wParam == ProgramBrowse)
        BrowseForProgram(window);
    else if (HIWORD(wParam) == CBN_SELCHANGE)
        EnableWhatApplies(window);
}

static INT_PTR CALLBACK RecoveryDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR textured;
    if (TextureDialogMessage(window, message, wParam, lParam, &textured))
        return textured;
    switch (message) {
    case WM_INITDIALOG:
        OnInitRecovery(window, reinterpret_cast<const RecoveryDialog *>(lParam));
        return TRUE;  // the focus to the first list
    case WM_COMMAND:
        OnRecoveryCommand(window, wParam);
        return TRUE;
    case WM_DESTROY:
        accessibleNameCalls.clearName(GetDlgItem(window, ProgramBrowse));
        return 0;
    }
    return FALSE;
}

// The once-a-second refresh: the key-name field decides which of the five
// form states (Empty, New, Stopped, Active, Denied) the window shows.
#include "app/main_window_parts.h"

#include "app/command_thread.h"
#include "app/form_text.h"
#include "app/tray_icon.h"
#include "service/operation.h"
#include "service/registry_lists.h"

#include <string.h>

constexpr UINT RefreshInterval = 1000;
// The form body: every field but the key-name row, enabled and greyed as one.
constexpr int FormBodyFirst = BinaryPathLabel;
constexpr int FormBodyLast = PasswordField;

// Keeps the refresh from running inside itself: message boxes and pickers
// opened during a refresh or a command keep dispatching WM_TIMER.
static LONG refreshBusy;
// The service a command of the program left marked for deletion (Wine
// keeps no mark that the load could read), known by when its key was last
// written: gone, or made anew under its name, it is forgotten.
static char markedName[FieldSize];
static FILETIME markedWritten;
// The installed service the form shows; empty when it shows none.
static char shownService[FieldSize];
// The shown service's form is given back for a change.
static bool editing;

static void EnableControlRange(HWND window, int first, int last, BOOL enable)
{
    int id = first;
    do
        EnableWindow(GetDlgItem(window, id), enable);
    while (++id <= last);
}

// What the refresh last set, so that it touches only what changes: each
// change costs a repaint, and each lookup a server round trip under Wine.
// Forgotten for a new window, and whenever a command writes to the form.
static struct {
    int body;           // FormBody; -1: not yet
    int installVerb;    // InstallVerb; -1: not yet
    int commands;       // CommandBits
    int commandsKnown;  // the commands whose bit above is what the button shows
    bool fieldsShown;   // the texts and rows below are what the fields show
    char binaryPath[FieldSize];
    char displayName[FieldSize];
    char description[LongFieldSize];
    char dependencies[LongFieldSize];
    char accountName[FieldSize];
    int rows[4];  // service type, start type, error control, group
} shown;

// The controls the refresh reads and writes, kept from initialisation.
static HWND keyNameField, binaryPathField, displayNameField, descriptionField, dependenciesField, accountNameField;
static HWND optionLists[4];
// Install, Remove, Start and Stop.
static HWND commandButtons[4];

// A group outside the system's group order that the list took for the
// shown service; empty when it took none.
static char addedGroup[FieldSize];

void ForgetFormState(HWND window)
{
    shown.body = -1;
    shown.installVerb = -1;
    shown.commandsKnown = 0;
    shown.fieldsShown = false;
    ForgetTrayCommands();
    keyNameField = GetDlgItem(window, KeyNameField);
    binaryPathField = GetDlgItem(window, BinaryPathField);
    displayNameField = GetDlgItem(window, DisplayNameField);
    descriptionField = GetDlgItem(window, DescriptionField);
    dependenciesField = GetDlgItem(window, DependenciesField);
    accountNameField = GetDlgItem(window, AccountNameField);
    const int lists[] = {ServiceTypeList, StartTypeList, ErrorControlList, LoadOrderGroupList};
    for (int i = 0; i < 4; i++) {
        optionLists[i] = GetDlgItem(window, lists[i]);
        commandButtons[i] = GetDlgItem(window, InstallButton + i);
    }
}

void StartRefreshing(HWND window)
{
    addedGroup[0] = '\0';
    editing = false;
    SetTimer(window, RefreshTimerId, RefreshInterval, nullptr);
}

void StopRefreshing(HWND window)
{
    KillTimer(window, RefreshTimerId);
}

void KeepMarkedForDeletion(const char *keyName, const FILETIME *written)
{
    lstrcpynA(markedName, keyName, sizeof(markedName));
    markedWritten = *written;
}

// The mark is forgotten as soon as its service is gone, whatever the form
// shows.
static void ForgetGoneMark()
{
    FILETIME written;
    if (markedName[0] && (!ServiceKeyWritten(markedName, &written) || CompareFileTime(&written, &markedWritten)))
        markedName[0] = '\0';
}

const char *ShownService()
{
    return shownService;
}

// A refused service holds the refresh; a new key name lets it go on.
void OnKeyNameEdited(HWND)
{
    scmAccessDenied = 0;
}

bool Editing()
{
    return editing;
}

void BeginEditing(HWND window)
{
    editing = true;
    RefreshForm(window);
}

void EndEditing(HWND window)
{
    editing = false;
    // A password typed for the change goes with it.
    SetDlgItemTextA(window, PasswordField, "");
    ForgetFormState(window);
    RefreshForm(window);
}

// The form body: greyed as a shown service's; enabled for a new one, or for
// the change of a shown one, which cannot be renamed and whose desired
// access is Install's own handle's, not a setting of the service. Given
// back for typing, its fields may change under the refresh's eyes.
enum FormBody : int { BodyGreyed, BodyNew, BodyChanged };

static void EnableFormBody(HWND window, FormBody body)
{
    if (shown.body == body)
        return;
    EnableControlRange(window, FormBodyFirst, FormBodyLast, body != BodyGreyed);
    const int ofTheService[] = {DesiredAccessLabel, DesiredAccessList};
    for (int id : ofTheService)
        EnableWindow(GetDlgItem(window, id), body == BodyNew);
    const int naming[] = {KeyNameLabel, KeyNameField, KeyNamePicker};
    for (int id : naming)
        EnableWindow(GetDlgItem(window, id), body != BodyChanged);
    shown.body = body;
    if (body != BodyGreyed)
        shown.fieldsShown = false;
}

// What the Install button does: install a new service, change the shown
// one, or apply the change.
enum InstallVerb : int { VerbInstall, VerbChange, VerbApply };

static void ShowInstallVerb(HWND window, InstallVerb verb)
{
    static const char *const captions[] = {"&Install", "C&hange", "A&pply"};
    if (shown.installVerb == verb)
        return;
    SetDlgItemTextA(window, InstallButton, captions[verb]);
    InvalidateRect(GetDlgItem(window, InstallButton), nullptr, FALSE);
    shown.installVerb = verb;
}

// The command buttons in the order of commandButtons.
enum CommandBits : int { InstallBit = 1, RemoveBit = 2, StartBit = 4, StopBit = 8, AllCommands = 15 };

// Enables the commands of mask whose bits are set in wanted and greys the
// others of mask; the commands outside mask stay as they are. While a
// command runs, none is enabled.
static void SetCommands(int mask, int wanted)
{
    if (CommandsHeld())
        wanted = 0;
    for (int i = 0; i < 4; i++) {
        const int bit = 1 << i;
        if ((mask & bit) && (!(shown.commandsKnown & bit) || ((shown.commands ^ wanted) & bit)))
            EnableWindow(commandButtons[i], (wanted & bit) != 0);
    }
    shown.commands = (shown.commands & ~mask) | (wanted & mask);
    shown.commandsKnown |= mask;
}

static void ShowTrayCommands(BOOL start, BOOL stop)
{
    const BOOL idle = !CommandsHeld();
    EnableTrayCommands(start && idle, stop && idle);
}

// Writes a field only when its text changes, so the shown service's form
// does not flicker with every refresh.
static void ShowFieldText(HWND field, char *last, DWORD size, const char *text)
{
    if (shown.fieldsShown && !strcmp(last, text))
        return;
    SetWindowTextA(field, text);
    lstrcpynA(last, text, int(size));
}

// Selects a list's row (-1: none) only when it changes: a selection repaints
// the list.
static void ShowListRow(int list, int row)
{
    if (shown.fieldsShown && shown.rows[list] == row)
        return;
    SendMessageA(optionLists[list], CB_SETCURSEL, row, 0);
    shown.rows[list] = row;
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

// The added group leaves the list with its service: offered to another
// service or a new one, it would pass for a group of the system's order.
static void DropAddedGroup()
{
    if (!addedGroup[0])
        return;
    HWND groups = optionLists[3];
    const LRESULT row = SendMessageA(groups, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(addedGroup));
    if (row > 0) {
        const bool selected = SendMessageA(groups, CB_GETCURSEL, 0, 0) == row;
        SendMessageA(groups, CB_DELETESTRING, row, 0);
        if (selected)
            SendMessageA(groups, CB_SETCURSEL, 0, 0);
    }
    addedGroup[0] = '\0';
    // Rows below the dropped one have moved: the selection shown is no
    // longer known.
    shown.rows[3] = -2;
}

// The row of the service's own group. A group outside the system's group
// order (many of Windows' own services have one) joins the list while the
// service is shown, so that the form shows it.
static int GroupRow(const char *group)
{
    if (addedGroup[0] && lstrcmpiA(addedGroup, group))
        DropAddedGroup();
    const int row = GroupIndexForName(optionLists[3], group);
    if (row || !group[0])
        return row;
    const LRESULT added = SendMessageA(optionLists[3], CB_ADDSTRING, 0, LPARAM(group));
    if (added < 0)
        return 0;
    lstrcpynA(addedGroup, group, sizeof(addedGroup));
    shown.rows[3] = -2;
    return int(added);
}

// The shown service's state while its form is changed: the fields are the
// administrator's, and only Apply is a command; the tray goes on as ever.
static void ShowChangedService(HWND window, const char *keyName)
{
    EnableFormBody(window, BodyChanged);
    ShowInstallVerb(window, VerbApply);
    SetCommands(AllCommands, InstallBit);
    const bool running = RunOnKeyName(const_cast<char *>(keyName), QueryStatus) == 1;
    ShowTrayCommands(!running, running);
}

static void ShowLoadedService(HWND window, ServiceSettings &s, bool markedForDeletion)
{
    EnableFormBody(window, BodyGreyed);
    ShowInstallVerb(window, VerbChange);
    ShowFieldText(binaryPathField, shown.binaryPath, FieldSize, s.binaryPath);
    ShowFieldText(displayNameField, shown.displayName, FieldSize, s.displayName);
    ShowFieldText(descriptionField, shown.description, LongFieldSize, s.description);
    ShowListRow(0, OptionIndexForValue(ServiceTypeOptions, s.serviceType));
    ShowListRow(1, OptionIndexForValue(StartTypeOptions, s.startType));
    ShowListRow(2, OptionIndexForValue(ErrorControlOptions, s.errorControl));
    ShowListRow(3, GroupRow(s.loadOrderGroup));
    ShowFieldText(dependenciesField, shown.dependencies, LongFieldSize, s.dependencies);
    // The account it logs on as; a copy of it (as commands too) is made so.
    ShowFieldText(accountNameField, shown.accountName, FieldSize, s.accountName);
    shown.fieldsShown = true;
    // Marked for deletion, the service is there until it goes and takes no
    // command meanwhile; nor does any while a command runs, whose service
    // may go between two looks at it.
    if (markedForDeletion || CommandsHeld()) {
        SetCommands(AllCommands, 0);
        ShowTrayCommands(FALSE, FALSE);
        return;
    }
    // Change and Remove fit the service whatever its state, and are set
    // before the status query: the box of a failing query leaves the window
    // usable meanwhile.
    SetCommands(InstallBit | RemoveBit, InstallBit | RemoveBit);

    const bool running = RunOnKeyName(s.keyName, QueryStatus) == 1;
    SetCommands(StartBit | StopBit, running ? StopBit : StartBit);
    ShowTrayCommands(!running, running);
}

// No service has the name: the form describes a new one, its last contents
// kept as a template.
static void ShowNewService(HWND window)
{
    editing = false;
    DropAddedGroup();
    EnableFormBody(window, BodyNew);
    ShowInstallVerb(window, VerbInstall);
    ShowTrayCommands(FALSE, FALSE);
    SetCommands(AllCommands, GetWindowTextLengthW(binaryPathField) ? InstallBit : 0);
}

void RefreshForm(HWND window)
{
    if (refreshBusy || MainWindowClosing())
        return;
    ForgetGoneMark();
    // Denied, the service is not looked up again until the key name changes.
    if (scmAccessDenied)
        return;
    refreshBusy = 1;
    shownService[0] = '\0';
    ServiceSettings &s = serviceSettings;
    // A key name the record cannot hold as typed is no service's: a
    // look-alike of it (plain letters for full-width ones) may well be.
    const bool exact = ReadFormText(keyNameField, s.keyName, sizeof(s.keyName)) == TextFits;

    if (!exact) {
        ShowNewService(window);
    } else if (!s.keyName[0]) {
        editing = false;
        DropAddedGroup();
        EnableFormBody(window, BodyNew);
        ShowInstallVerb(window, VerbInstall);
        ShowTrayCommands(FALSE, FALSE);
        SetCommands(AllCommands, 0);
    } else {
        PrepareForLoad(s);
        LoadedService loaded;
        if (LoadServiceSettings(&s, &loaded)) {
            const bool marked = loaded.markedForDeletion || !lstrcmpiA(markedName, s.keyName);
            // A change goes on while the service can take it, with the
            // administrator's fields; else the service is shown as it is.
            editing &= !marked;
            if (editing) {
                ShowChangedService(window, s.keyName);
            } else {
                ShowLoadedService(window, s, marked);
                KeepUnheldFields(loaded.unheld, s.serviceType);
            }
            lstrcpynA(shownService, s.keyName, sizeof(shownService));
        } else {
            if (keyNameRejected) {
                // The report has no owner: the name may have been corrected
                // while it was shown.
                char current[FieldSize];
                if (ReadFormText(keyNameField, current, sizeof(current)) == TextFits && !strcmp(current, s.keyName))
                    SetWindowTextA(keyNameField, "");
                s.keyName[0] = '\0';
                keyNameRejected = 0;
            }
            if (scmAccessDenied) {
                // What the form still shows is another service's.
                editing = false;
                EnableFormBody(window, BodyGreyed);
                SetCommands(AllCommands, 0);
                ShowTrayCommands(FALSE, FALSE);
            } else {
                ShowNewService(window);
            }
        }
    }
    refreshBusy = 0;
}

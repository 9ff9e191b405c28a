// The shown service changed in place: its form given back for a change, and
// Apply, which sends the service manager only what changed.
#include "app/main_window_parts.h"

#include "app/command_checks.h"
#include "app/service_setup.h"
#include "service/error_report.h"
#include "service/operation.h"
#include "service/service_account.h"
#include "service/service_change.h"

#include <string.h>

// The form as the change began: the service as the form showed it.
static ServiceSettings before;

void BeginChange(HWND window)
{
    if (CommandsHeld() || !ShownService()[0] || !ReadFormFields(window, "Change", &before))
        return;
    SecureZeroMemory(before.password, sizeof(before.password));
    // A password goes to the service manager only when typed for the change.
    SetDlgItemTextA(window, PasswordField, "");
    BeginEditing(window);
    SetFocus(GetDlgItem(window, BinaryPathField));
}

void CancelChange(HWND window)
{
    if (Editing())
        EndEditing(window);
}

// A text of the form in UTF-16, when it changed; null when it did not.
static const WCHAR *Changed(const char *now, const char *then, WCHAR *wide, DWORD size)
{
    if (!strcmp(now, then))
        return nullptr;
    if (!MultiByteToWideChar(ProgramCodePage(), 0, now, -1, wide, int(size)))
        wide[0] = L'\0';
    return wide;
}

static DWORD ChangedNumber(DWORD now, DWORD then)
{
    return now == then ? SERVICE_NO_CHANGE : now;
}

// The service manager keeps a delayed start as an automatic one.
static DWORD StartOf(DWORD startType)
{
    return startType == DelayedAutoStart ? SERVICE_AUTO_START : startType;
}

// The form's dependency text, when it changed, as the service manager's
// double-NUL list in UTF-16.
static const WCHAR *ChangedDependencies(const char *now, const char *then, WCHAR *wide)
{
    if (!strcmp(now, then))
        return nullptr;
    char list[LongFieldSize];
    lstrcpynA(list, now, sizeof(list));
    DependencyTextToList(list, sizeof(list));
    WidenList(list, wide, LongFieldSize);
    return wide;
}

static void ReportChangeFailure(HWND window, DWORD error)
{
    char text[FailureTextSize];
    FormatSystemError(error, text);
    ReportFailure(window, "Error Changing Service", text);
}

void ApplyChange(HWND window)
{
    ServiceSettings after;
    if (CommandsHeld() || !Editing() || !ReadFormFields(window, "Change", &after))
        return;
    WCHAR path[FieldSize + 2], display[FieldSize], description[LongFieldSize], group[FieldSize];
    WCHAR dependencies[LongFieldSize], account[FieldSize], password[FieldSize];
    ServiceChange change = {ChangedNumber(after.serviceType, before.serviceType),
                            ChangedNumber(StartOf(after.startType), StartOf(before.startType)),
                            ChangedNumber(after.errorControl, before.errorControl),
                            nullptr,
                            Changed(after.loadOrderGroup, before.loadOrderGroup, group, FieldSize),
                            ChangedDependencies(after.dependencies, before.dependencies, dependencies),
                            // No account is LocalSystem, as Install makes it.
                            Changed(after.accountName[0] ? after.accountName : "LocalSystem",
                                    before.accountName[0] ? before.accountName : "LocalSystem", account, FieldSize),
                            nullptr,
                            Changed(after.displayName, before.displayName, display, FieldSize),
                            Changed(after.description, before.description, description, LongFieldSize)};
    const bool pathChanged = strcmp(after.binaryPath, before.binaryPath) != 0;
    if (!after.binaryPath[0]) {
        RefuseCommand(window, "Change", "Binary Path is empty: the service needs a program to run.");
        SecureZeroMemory(after.password, sizeof(after.password));
        return;
    }
    if (pathChanged) {
        char quoted[FieldSize + 2];
        const char *installed;
        if (const char *refusal = InstalledBinaryPath(after.binaryPath, after.serviceType, quoted, &installed)) {
            RefuseCommand(window, "Change", refusal);
            SecureZeroMemory(after.password, sizeof(after.password));
            return;
        }
        change.binaryPath = Changed(installed, "", path, FieldSize + 2);
    }
    // A password goes with one typed; an account that takes none, changed
    // to, takes an empty one; any other keeps its own.
    const char *accountNow = after.accountName[0] ? after.accountName : "LocalSystem";
    const bool accountChanged = change.accountName != nullptr;
    const bool takesNoPassword = accountChanged && !AccountTakesPassword(KindOfAccount(account));
    bool allowed = PasswordFitsAccount(window, "Change", accountNow, after.password) &&
                   ChangeChecksAllow(window, before.keyName, after.serviceType, &change);
    if (after.password[0])
        change.password = Changed(after.password, "", password, FieldSize);
    else if (takesNoPassword)
        change.password = L"";
    SecureZeroMemory(after.password, sizeof(after.password));
    // Only an automatic start is delayed or not.
    const int delayed = after.startType == DelayedAutoStart   ? before.startType != DelayedAutoStart ? 1 : -1
                        : after.startType == SERVICE_AUTO_START ? before.startType == DelayedAutoStart ? 0 : -1
                                                                : -1;
    DWORD error = 0;
    if (allowed)
        error = ChangeService(before.keyName, &change);
    SecureZeroMemory(password, sizeof(password));
    if (!allowed)
        return;
    if (error) {
        ReportChangeFailure(window, error);
        return;
    }
    // A running service goes on with what it started with.
    const bool restartNeeded = (pathChanged || accountChanged || change.serviceType != SERVICE_NO_CHANGE) &&
                               RunOnKeyName(before.keyName, QueryStatus) == 1;
    const SetupDone done = {before.keyName, "changed", accountChanged ? accountNow : nullptr, delayed,
                            restartNeeded ? "The change takes effect when the service next starts." : nullptr,
                            nullptr};
    FinishSetup(window, &done, EndEditing);
}

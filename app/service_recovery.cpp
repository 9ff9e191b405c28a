// The Recovery command of the main window's system menu: the shown
// service's recovery as the service manager keeps it, applied at once; or
// the recovery of the new service the form describes, which Install sets.
#include "app/main_window_parts.h"

#include "app/recovery_dialog.h"
#include "app/startup.h"
#include "service/error_report.h"
#include "service/recovery.h"

// Chosen for a new service; kept with the form as its other fields are,
// and forgotten with it.
static RecoverySettings newRecovery;
static bool newRecoveryChosen;

void ForgetFormRecovery()
{
    newRecovery = {};
    newRecoveryChosen = false;
}

const char RecoveryUntold[] =
    "The system does not say what recovery it keeps: what was set could not be read back.";

bool RecoveryReadsBack(const char *keyName)
{
    RecoverySettings kept = {};
    return ReadRecovery(keyName, &kept) == ERROR_SUCCESS;
}

const RecoverySettings *FormRecovery()
{
    return newRecoveryChosen ? &newRecovery : nullptr;
}

static void RecoverShownService(HWND window, const char *keyName)
{
    RecoverySettings settings = {};
    char note[FailureTextSize + 128] = {};
    const DWORD readError = ReadRecovery(keyName, &settings);
    if (readError) {
        char failure[FailureTextSize];
        FormatSystemError(readError, failure);
        // One line: the system's text ends in a line break.
        for (int end = lstrlenA(failure); end && (failure[end - 1] == '\r' || failure[end - 1] == '\n');)
            failure[--end] = '\0';
        wsprintfA(note, "The system does not say what recovery it keeps (%s): none is shown.", failure);
    }
    const bool wasOnStopsWithErrors = settings.onStopsWithErrors;
    if (RunRecoveryDialog(window, mainIcon, keyName, &settings, readError ? note : nullptr) != IDOK)
        return;
    if (const DWORD error = ApplyRecovery(keyName, &settings, wasOnStopsWithErrors)) {
        char text[FailureTextSize];
        FormatSystemError(error, text);
        ReportFailure(window, "Error Changing Service", text);
        return;
    }
    const bool told = RecoveryReadsBack(keyName);
    char text[256];
    wsprintfA(text, told ? "Service Operation Succeeds!" : "Service Operation Succeeds!\r\n%s", RecoveryUntold);
    MessageBoxA(window, text, "Tarnex", MB_OK | (told ? MB_ICONEXCLAMATION : MB_ICONWARNING));
}

void OnRecoveryCommand(HWND window)
{
    if (CommandsHeld())
        return;
    RefreshForm(window);
    if (ShownService()[0]) {
        char keyName[FieldSize];
        lstrcpynA(keyName, ShownService(), sizeof(keyName));
        RecoverShownService(window, keyName);
        return;
    }
    RecoverySettings settings = newRecovery;
    if (RunRecoveryDialog(window, mainIcon, serviceSettings.keyName[0] ? serviceSettings.keyName : "the new service",
                          &settings, "Install sets it once the service is made.") != IDOK)
        return;
    newRecovery = settings;
    newRecoveryChosen = HasRecovery(&settings) || settings.onStopsWithErrors;
}

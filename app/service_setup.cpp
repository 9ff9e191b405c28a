// The account and the delayed start of a service made or changed.
#include "app/service_setup.h"

#include "app/main_window_parts.h"
#include "service/error_report.h"
#include "service/recovery.h"
#include "service/service_account.h"
#include "service/service_change.h"
#include "service/settings.h"

static void WideAccount(const char *account, WCHAR *wide)
{
    if (!MultiByteToWideChar(ProgramCodePage(), 0, account, -1, wide, FieldSize))
        wide[0] = L'\0';
}

bool PasswordFitsAccount(HWND window, const char *verb, const char *account, const char *password)
{
    WCHAR wide[FieldSize];
    WideAccount(account, wide);
    if (!password[0] || AccountTakesPassword(KindOfAccount(wide)))
        return true;
    char text[FieldSize + 128];
    wsprintfA(text, "Password: the account %s logs on without one; leave it empty.", account[0] ? account
                                                                                                  : "LocalSystem");
    RefuseCommand(window, verb, text);
    return false;
}

void FinishSetup(HWND window, const SetupDone *done, void (*settled)(HWND))
{
    char text[2 * FieldSize + FailureTextSize + 512];
    char *end = text + wsprintfA(text, "Service Operation Succeeds!");
    if (done->note)
        end += wsprintfA(end, "\r\n%s", done->note);
    UINT icon = MB_ICONEXCLAMATION;
    if (done->delayed >= 0) {
        if (const DWORD error = SetDelayedAutoStart(done->keyName, done->delayed == 1)) {
            end += wsprintfA(end, done->delayed == 1 ? "\r\nThe start is automatic, not delayed: the system refused "
                                                       "to delay it.\r\n"
                                                     : "\r\nThe automatic start is still delayed: the system "
                                                       "refused to change that.\r\n");
            FormatSystemError(error, end);
            end += lstrlenA(end);
            icon = MB_ICONWARNING;
        }
    }
    WCHAR account[FieldSize];
    WideAccount(done->account ? done->account : "", account);
    bool granted = false;
    DWORD grantError = 0;
    if (done->account && NeedsServiceLogonRight(KindOfAccount(account))) {
        grantError = EnsureServiceLogonRight(account, &granted);
        if (granted)
            end += wsprintfA(end, "\r\nThe account %s was granted the right to log on as a service.", done->account);
    }
    const DWORD recoveryError = done->recovery ? ApplyRecovery(done->keyName, done->recovery, false) : 0;
    if (done->recovery && !recoveryError && !RecoveryReadsBack(done->keyName)) {
        wsprintfA(end + lstrlenA(end), "\r\n%s", RecoveryUntold);
        icon = MB_ICONWARNING;
    }
    settled(window);
    MessageBoxA(window, text, "Tarnex", MB_OK | icon);
    char failure[FailureTextSize];
    if (recoveryError) {
        FormatSystemError(recoveryError, failure);
        wsprintfA(text, "The service %s was %s, but its recovery was not set:\r\n%s", done->keyName, done->done,
                  failure);
        ReportFailure(window, "Error Changing Service", text);
    }
    if (!grantError)
        return;
    FormatSystemError(grantError, failure);
    wsprintfA(text,
              "The service %s was %s, but its account %s was not granted the right to log on as a service:\r\n%s"
              "\r\nGrant it with the Local Security Policy (User Rights Assignment, \"Log on as a service\"): "
              "till then the service cannot start.",
              done->keyName, done->done, done->account, failure);
    ReportFailure(window, "Error Granting the Right to Log On", text);
}

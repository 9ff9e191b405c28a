// The failure message box of the service operations.
#include "service/error_report.h"


void FormatSignedDecimal(LONG value, char *text)
{
    // The magnitude is taken unsigned so that the most negative value works.
    DWORD magnitude = DWORD(value);
    if (value < 0) {
        *text++ = '-';
        magnitude = 0u - magnitude;
    }
    char digits[10];
    int count = 0;
    do {
        digits[count++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    while (count)
        *text++ = digits[--count];
    *text = '\0';
}

// The program's own line of help for the failures administrators meet
// first; null for the others.
static const char *HelpFor(DWORD code)
{
    switch (code) {
    case ERROR_SERVICE_REQUEST_TIMEOUT:
        return "The program did not connect to the service manager in time: it may not be a service program.";
    case ERROR_SERVICE_LOGON_FAILED:
        return "The logon failed: check the account and its password, and that the account may log on as a "
               "service.";
    case ERROR_PROCESS_ABORTED:
        return "The process ended: see the service's exit code, or the Event Viewer.";
    }
    return nullptr;
}

void FormatSystemError(DWORD code, char *message)
{
    char systemText[MAX_PATH];
    // Inserts in a system text stay as written: there are no arguments.
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, systemText,
                        sizeof(systemText), nullptr))
        systemText[0] = '\0';
    char number[12];
    FormatSignedDecimal(LONG(code), number);
    const char *help = HelpFor(code);
    wsprintfA(message, "Error %s: %s%s", number, systemText, help ? help : "");
}

void ReportFailure(const char *caption, const char *text)
{
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
}

void ReportSystemError(const char *caption)
{
    const DWORD code = GetLastError();
    char message[FailureTextSize];
    FormatSystemError(code, message);
    ReportFailure(caption, message);
    SetLastError(code);
}

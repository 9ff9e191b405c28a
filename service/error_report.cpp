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

void FormatSystemError(DWORD code, char *message)
{
    char systemText[MAX_PATH];
    // Inserts in a system text stay as written: there are no arguments.
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, systemText,
                        sizeof(systemText), nullptr))
        systemText[0] = '\0';
    char number[12];
    FormatSignedDecimal(LONG(code), number);
    wsprintfA(message, "Error %s: %s", number, systemText);
}

void ReportFailure(HWND owner, const char *caption, const char *text)
{
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONERROR);
}

void ReportSystemError(const char *caption)
{
    const DWORD code = GetLastError();
    char message[FailureTextSize];
    FormatSystemError(code, message);
    ReportFailure(nullptr, caption, message);
    SetLastError(code);
}

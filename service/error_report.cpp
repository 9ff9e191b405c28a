// The failure message box of the service operations.
#include "service/error_report.h"

#include <string.h>

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

void ReportSystemError(const char *caption)
{
    const DWORD code = GetLastError();

    char systemText[MAX_PATH];
    // Inserts in a system text stay as written: there are no arguments.
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, systemText,
                        sizeof(systemText), nullptr))
        systemText[0] = '\0';

    char number[12];
    FormatSignedDecimal(LONG(code), number);

    static const char prefix[] = "Error ";
    static const char separator[] = ": ";
    char message[sizeof(prefix) + sizeof(number) + sizeof(separator) + sizeof(systemText)];
    strcpy(message, prefix);
    strcat(message, number);
    strcat(message, separator);
    strcat(message, systemText);

    MessageBoxA(nullptr, message, caption, MB_OK | MB_ICONERROR);
    SetLastError(code);
}

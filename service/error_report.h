// The failure message box of the service operations.
#pragma once

#include <windows.h>

// Shows "Error <code>: <system text>" for the last error, titled caption,
// and leaves the last error code as it found it.
void ReportSystemError(const char *caption);

// Writes value as signed decimal text (at most 11 characters and a zero).
void FormatSignedDecimal(LONG value, char *text);

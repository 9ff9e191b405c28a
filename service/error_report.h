// The failure message boxes of the service operations.
#pragma once

#include <windows.h>

// Shows "Error <code>: <system text>" for the last error, titled caption,
// and leaves the last error code as it found it.
void ReportSystemError(const char *caption);

// The bytes a failure's text takes at most.
constexpr DWORD FailureTextSize = 640;
// Writes "Error <code>: <system text>" into message (FailureTextSize bytes).
void FormatSystemError(DWORD code, char *message);
// Shows a failure's text, titled caption, owned by owner (or by no window).
void ReportFailure(HWND owner, const char *caption, const char *text);

// Writes value as signed decimal text (at most 11 characters and a zero).
void FormatSignedDecimal(LONG value, char *text);

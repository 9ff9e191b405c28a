// The checks before Install, Apply and Start, and the one box that lists
// what they found: Yes goes on, No changes nothing.
#pragma once

#include "service/service_change.h"
#include "service/settings.h"

#include <windows.h>

// A double-NUL list of the form's names in UTF-16 (count characters).
void WidenList(const char *list, WCHAR *wide, DWORD count);

// Each true when nothing was found, or the administrator goes on all the
// same.
bool InstallChecksAllow(HWND window, const ServiceSettings *settings);
bool ChangeChecksAllow(HWND window, const char *keyName, DWORD serviceType, const ServiceChange *change);
bool StartChecksAllow(HWND window, const char *keyName);

// Changing an installed service in place, as the service manager documents
// it: only what changed, the rest left as it is.
#pragma once

#include <windows.h>

// What a change sets: numbers SERVICE_NO_CHANGE and texts null for what
// stays. The dependencies are a double-NUL list; a null password keeps the
// account's own.
struct ServiceChange {
    DWORD serviceType, startType, errorControl;
    const WCHAR *binaryPath, *loadOrderGroup, *dependencies, *accountName, *password, *displayName;
    const WCHAR *description;
};

// Changes the service keyName; 0, or the error of the call that failed
// (nothing of the description is changed when the rest fails).
DWORD ChangeService(const char *keyName, const ServiceChange *change);
// Delays an automatic start of the service, or no longer; 0, or the
// system's error (a system that keeps no such setting refuses it).
DWORD SetDelayedAutoStart(const char *keyName, bool delayed);

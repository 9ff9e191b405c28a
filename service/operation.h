// The one routine through which every SCM and service-registry action goes.
#pragma once

#include "service/settings.h"

#include <windows.h>

enum ServiceOperation : unsigned {
    Install = 0,
    Remove = 1,
    LoadConfig = 2,
    QueryStatus = 3,
    Start = 4,
    Stop = 5,
};

// Set by LoadConfig when the SCM rejects the key name as invalid, or refuses
// access to the service; read (and the first cleared) by the main window.
extern LONG keyNameRejected;
extern LONG scmAccessDenied;

// Takes the twelve ServiceSettings fields in record order: texts as buffers of
// FieldSize (description and dependencies LongFieldSize) bytes, numbers by
// reference. Returns 1 on success, 0 on a failure that it has already shown
// (QueryStatus: 1 while the service is not stopped). Install wipes password.
LONG RunServiceOperation(char *binaryPath, char *keyName, char *displayName, char *description,
                         DWORD *desiredAccess, DWORD *serviceType, DWORD *startType, DWORD *errorControl,
                         char *loadOrderGroup, char *dependencies, char *accountName, char *password,
                         unsigned operation);
// The two ways the program calls it: on the whole record (Install,
// LoadConfig), and on the key name alone, every other field null (Remove,
// QueryStatus, Start, Stop).
LONG RunOnSettings(ServiceSettings *settings, unsigned operation);
LONG RunOnKeyName(char *keyName, unsigned operation);

// The SCM calls whose failures and answers Wine cannot produce (a refused
// open, a configuration with dependencies, a failing configuration query),
// and those that make and close SCM handles, whose count Wine cannot
// report. The program uses the platform's own; tests may point these
// elsewhere.
struct ScmCalls {
    decltype(&OpenServiceA) openService;
    decltype(&QueryServiceConfigW) queryServiceConfig;
    decltype(&OpenSCManagerA) openSCManager;
    decltype(&CreateServiceA) createService;
    decltype(&CloseServiceHandle) closeServiceHandle;
};
extern ScmCalls scmCalls;

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
// Set by LoadConfig to 1 for a service marked for deletion (by the program,
// or by another: Windows then keeps "DeleteFlag" in its key), else to 0: it
// is still there, and takes no command.
extern LONG serviceMarkedForDeletion;

// Takes the twelve ServiceSettings fields in record order: texts as buffers of
// FieldSize (description and dependencies LongFieldSize) bytes, numbers by
// reference. Returns 1 on success, 0 on a failure that it has already shown
// (QueryStatus: 1 while the service is not stopped). Install wipes password.
// Start, Stop and Remove follow the service to its end on the calling
// thread (see service_command.h).
LONG RunServiceOperation(char *binaryPath, char *keyName, char *displayName, char *description,
                         DWORD *desiredAccess, DWORD *serviceType, DWORD *startType, DWORD *errorControl,
                         char *loadOrderGroup, char *dependencies, char *accountName, char *password,
                         unsigned operation);
// The binary path as Install passes it: a Win32 service's path with a blank
// that names an existing file as a whole is quoted (quoted holds FieldSize
// + 2 bytes).
const char *QuotedBinaryPath(const char *path, DWORD serviceType, char *quoted);

// The two ways the program calls it: on the whole record (Install,
// LoadConfig), and on the key name alone, every other field null (Remove,
// QueryStatus, Start, Stop).
LONG RunOnSettings(ServiceSettings *settings, unsigned operation);
LONG RunOnKeyName(char *keyName, unsigned operation);

// One thread at a time talks to the service manager, but for the calls
// that wait on a service (StartService, ControlService) and the waits
// between looks at one: Wine's client of the service manager loses handles
// when two threads of a process open or close them at once. Windows' does
// not; there the lock is held for the moments the calls take.
void LockServiceManager();
void UnlockServiceManager();

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
    // Wine never lists the services that depend on a service.
    decltype(&EnumDependentServicesW) enumDependentServices;
};
extern ScmCalls scmCalls;

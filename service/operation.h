// The one routine through which every SCM and service-registry action goes.
#pragma once

#include "service/service_manager.h"
#include "service/settings.h"

#include <windows.h>

// Set by LoadConfig when the SCM rejects the key name as invalid, or refuses
// access to the service; read (and the first cleared) by the main window.
extern LONG keyNameRejected;
extern LONG scmAccessDenied;

// Takes the twelve ServiceSettings fields in record order: texts as buffers of
// FieldSize (description and dependencies LongFieldSize) bytes, numbers by
// reference. Returns 1 on success, 0 on a failure that it has already shown
// (QueryStatus: 1 while the service is not stopped). Install wipes password,
// and makes a delayed automatic start an automatic one (SetDelayedAutoStart
// delays it). LoadConfig reads a delayed one as DelayedAutoStart.
// Start, Stop and Remove follow the service to its end on the calling
// thread (see service_command.h) and show what failed as any failure.
LONG RunServiceOperation(char *binaryPath, char *keyName, char *displayName, char *description,
                         DWORD *desiredAccess, DWORD *serviceType, DWORD *startType, DWORD *errorControl,
                         char *loadOrderGroup, char *dependencies, char *accountName, char *password,
                         unsigned operation);
// The form's binary path as Install passes it (installed): quoted up to its
// program into quoted (FieldSize + 2 bytes) where it must be, as
// QuoteBinaryPath says looked at here, else as typed. Returns why it cannot
// be installed so (where its program ends cannot be told), which the caller
// refuses; null when it can.
const char *InstalledBinaryPath(const char *path, DWORD serviceType, char *quoted, const char **installed);

// The two ways the program calls it: on the whole record (Install,
// LoadConfig), and on the key name alone, every other field null (Remove,
// QueryStatus, Start, Stop).
LONG RunOnSettings(ServiceSettings *settings, unsigned operation);
LONG RunOnKeyName(char *keyName, unsigned operation);
// What a load says beyond the record: whether Windows marked the service
// for deletion (it keeps "DeleteFlag" in the service's key: it is still
// there, and takes no command), and which fields the form cannot show whole:
// left empty where the program's code page cannot hold them exactly (of the
// dependencies, the names it cannot hold left out), cut where they are
// longer than the field (a description is then left empty).
enum UnheldField : DWORD {
    UnheldBinaryPath = 1,
    UnheldDisplayName = 2,
    UnheldDescription = 4,
    UnheldGroup = 8,
    UnheldDependencies = 16,
    UnheldAccountName = 32,
};
struct LoadedService {
    bool markedForDeletion;
    DWORD unheld;
};
// LoadConfig on the whole record, and what it says beyond it.
LONG LoadServiceSettings(ServiceSettings *settings, LoadedService *loaded);

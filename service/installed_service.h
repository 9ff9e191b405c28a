// An installed service's configuration as the service manager holds it:
// read wide and whole, never cut to the form's fields.
#pragma once

#include <windows.h>

struct InstalledService {
    QUERY_SERVICE_CONFIGW *config;  // one block, its texts in it
    WCHAR *description;             // the stored "Description", or null
    bool delayedAutoStart;          // an automatic start, delayed
};

// Reads the service keyName; 0, or the failing call's error code with
// nothing to free. FreeInstalledService frees what a success holds.
DWORD ReadInstalledService(const char *keyName, InstalledService *service);
void FreeInstalledService(InstalledService *service);

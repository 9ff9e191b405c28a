// The SCM calls whose failures and answers Wine cannot produce (a refused
// open, a configuration with dependencies, a failing configuration query),
// those that make and close SCM handles, whose count Wine cannot report, and
// the opens of the SCM, services and registry keys, whose access rights Wine
// never refuses. The program always uses the platform's own; tests may point
// these elsewhere.
#pragma once

#include <windows.h>

struct ScmCalls {
    decltype(&OpenServiceA) openService;
    decltype(&QueryServiceConfigA) queryServiceConfig;
    decltype(&OpenSCManagerA) openSCManager;
    decltype(&CreateServiceA) createService;
    decltype(&CloseServiceHandle) closeServiceHandle;
    decltype(&RegOpenKeyExA) openKey;
};

extern ScmCalls scmCalls;

// The platform's own calls.
constexpr ScmCalls PlatformScmCalls = {OpenServiceA,       QueryServiceConfigA, OpenSCManagerA,
                                       CreateServiceA,     CloseServiceHandle,  RegOpenKeyExA};

// The two SCM calls whose failures and answers Wine cannot produce (a refused
// open, a configuration with dependencies, a failing configuration query).
// The program always uses the platform's own; tests may point these elsewhere.
#pragma once

#include <windows.h>

struct ScmCalls {
    decltype(&OpenServiceA) openService;
    decltype(&QueryServiceConfigA) queryServiceConfig;
};

extern ScmCalls scmCalls;

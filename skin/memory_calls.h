// The allocation of skin records, whose failure Wine cannot produce. The
// program always asks the platform; tests may point this elsewhere.
#pragma once

#include <windows.h>

struct MemoryCalls {
    decltype(&GlobalAlloc) globalAlloc;
};

extern MemoryCalls memoryCalls;

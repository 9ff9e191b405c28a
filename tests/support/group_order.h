// The system's service-group order, written for one test and put back after
// it whatever the test did to the key or its "List".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct GroupOrderBackup {
    std::vector<BYTE> data;
    DWORD type = REG_MULTI_SZ;
    bool existed = false;
    GroupOrderBackup();
    ~GroupOrderBackup();
    GroupOrderBackup(const GroupOrderBackup &) = delete;
    GroupOrderBackup &operator=(const GroupOrderBackup &) = delete;
};

// Writes "List" as given, stored as written (an empty text: a value of size 0).
void WriteGroupOrder(const std::string &bytes, DWORD type = REG_MULTI_SZ);

// The list as given for a scope, the system's put back after it.
struct ScopedGroupOrder {
    GroupOrderBackup backup;
    explicit ScopedGroupOrder(const std::string &bytes) { WriteGroupOrder(bytes); }
};

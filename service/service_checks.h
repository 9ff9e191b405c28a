// What is known before a command to make it fail, told at once and without
// running anything: the failures administrators meet first with a new
// service (a program that is not a service program, a wrong path, a
// dependency missing or disabled, a display name taken, an account that is
// not found or may not log on as a service, a service disabled or marked
// for deletion), in the program's own words.
#pragma once

#include <windows.h>

constexpr DWORD FindingsSize = 4096;
// The findings, a line each; what does not fit is left out.
struct Findings {
    char text[FindingsSize];
    int count;
};

// The program the binary path names, for a Win32 service (a driver's path
// is the kernel's): there, a file, a Windows program for this machine, and
// a service program.
void CheckProgram(const WCHAR *binaryPath, DWORD serviceType, Findings *findings);
// Each dependency of the double-NUL list: a service installed and not
// disabled, or a group ("+" before its name) in the service group order
// or some service's.
void CheckDependencies(const WCHAR *dependencies, Findings *findings);
// The display name, unless it is the service keyName's own (null for a new
// service): no other service's.
void CheckDisplayName(const WCHAR *displayName, const char *keyName, Findings *findings);
// An account that needs the right to log on as a service: found, and when
// the service is about to start, holding the right (Install and Apply
// grant it).
void CheckAccount(const WCHAR *account, bool starting, Findings *findings);
// Before a start, the installed service keyName: not disabled, not marked
// for deletion, and its program, dependencies and account.
void CheckStart(const char *keyName, Findings *findings);

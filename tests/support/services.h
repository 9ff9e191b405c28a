// Test services and registry keys that are removed even when a test fails,
// and the platform's own tools as witnesses.
#pragma once

#include <windows.h>

#include <string>

// Modes of the test service program, chosen by an argument in its binary path.
// run: runs until stopped. nostop: accepts no controls. paused: reports
// PAUSED. pending: stays START_PENDING. exit: the process ends at once.
// slowstop: runs, and stays STOP_PENDING for half a second when stopped.
std::string TestServiceCommand(const std::string &serviceName, const char *mode);

// A service name no other test run uses.
std::string UniqueServiceName(const char *stem);

// Stops (whatever its mode) and deletes a service made by a test; waits until
// the name is gone. Quiet when there is no such service.
void DeleteTestService(const std::string &name);

// Deletes every service left behind by an earlier run that crashed.
void DeleteLeftoverTestServices();

// Waits until the service reports state, up to timeoutMs; its last state.
DWORD WaitForServiceState(const std::string &name, DWORD state, DWORD timeoutMs);

// The display name and binary path the SCM holds for the service, read
// with the wide functions, which no question mark or look-alike letter
// passes; empty texts when there is no service of exactly that name.
struct WideServiceConfig {
    std::wstring displayName, binaryPath;
};
WideServiceConfig ReadWideServiceConfig(const std::wstring &name);

// Runs a Windows command line, returns its standard output (CR removed).
std::string RunAndCapture(const std::string &commandLine, DWORD *exitCode = nullptr);

// SCM handles the program has opened and not closed, counted through the SCM
// seam from the moment counting starts.
void CountScmHandles();
int OpenScmHandles();
void StopCountingScmHandles();

// Deletes the test service when the scope ends, whatever happened in it.
struct ServiceCleanup {
    std::string name;
    explicit ServiceCleanup(std::string serviceName) : name(std::move(serviceName)) {}
    ~ServiceCleanup() { DeleteTestService(name); }
    ServiceCleanup(const ServiceCleanup &) = delete;
    ServiceCleanup &operator=(const ServiceCleanup &) = delete;
};

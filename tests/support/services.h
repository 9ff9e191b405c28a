// Test services and registry keys that are removed even when a test fails,
// and the platform's own tools as witnesses.
#pragma once

#include <windows.h>

#include <string>

#include "service/operation.h"
#include "service/service_command.h"
#include "tests/support/seams.h"

// Modes of the test service program, chosen by an argument in its binary path.
// run: runs until stopped. nostop: accepts no controls. paused: reports
// PAUSED. pending: stays START_PENDING with no progress. exit: the process
// ends at once. slowstop: runs, and when stopped runs on a moment, then
// stays STOP_PENDING for half a second. slowstart: START_PENDING for about a second, its checkpoint
// advancing, then runs. fails: stops as it starts, with the code 42 of its
// own. hangstop: stays STOP_PENDING with no progress when stopped.
// noconnect: never connects to the service manager. cleanup: fails its start
// through STOP_PENDING with the code 1064. quietstop: stops in 1.5 s
// without checkpoints or wait hint.
std::string TestServiceCommand(const std::string &serviceName, const char *mode);

// The key of a service: ServiceKey + its name.
constexpr char ServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\";
// What reg.exe says of the service's key.
std::string RegistryOf(const std::string &name);
// Whether a service of exactly that name is installed.
bool ServiceExists(const std::string &name);
// Changes the service's start type and binary path (null or
// SERVICE_NO_CHANGE for what stays).
void ReconfigureService(const std::string &name, DWORD startType, const char *binaryPath);
// Marks the service for deletion in its key, as Windows does for a service
// deleted while another program holds it open.
void SetDeleteFlag(const std::string &name);

// What became of Start, Stop or Remove on the service, followed on this
// thread.
ServiceOutcome CommandOutcome(const std::string &name, unsigned operation);

// A record as a fresh form would fill it for the test service in mode.
ServiceSettings SettingsToInstall(const std::string &name, const char *mode = "run");
// The record as the main window prepares it for a load.
ServiceSettings SettingsToLoad(const std::string &name);

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

// SCM handles the program opens and does not close while it lives,
// counted through the SCM seam.
struct ScmHandleCount {
    ScopedOverride<decltype(&OpenSCManagerA)> openSCManager;
    ScopedOverride<decltype(&OpenServiceA)> openService;
    ScopedOverride<decltype(&CreateServiceA)> createService;
    ScopedOverride<decltype(&CloseServiceHandle)> closeServiceHandle;
    ScmHandleCount();
};
int OpenScmHandles();

// A service for one test, under a name no other test run uses; stopped
// (whatever its mode) and deleted when the scope ends.
struct TestService {
    std::string name;
    // Not installed: a name for the test to install under.
    explicit TestService(const char *stem);
    // Installed and stopped, demand start, running the test service program
    // in mode, displayed as "Display <name>".
    TestService(const char *stem, const char *mode, DWORD type = SERVICE_WIN32_OWN_PROCESS,
                const char *group = nullptr);
    ~TestService();
    void Install(const char *mode = "run", DWORD type = SERVICE_WIN32_OWN_PROCESS, const char *group = nullptr) const;
    std::string Command(const char *mode = "run") const { return TestServiceCommand(name, mode); }
    TestService(const TestService &) = delete;
    TestService &operator=(const TestService &) = delete;
};

#include "tests/support/services.h"

#include "tests/support/folders.h"

#include <gtest/gtest.h>

#include <string.h>

static const char NamePrefix[] = "TarnexTest";

static std::string QuitEventName(const std::string &serviceName)
{
    return "Global\\TarnexTestQuit_" + serviceName;
}

std::string TestServiceCommand(const std::string &serviceName, const char *mode)
{
    return "\"" + TestsFolder() + "\\tarnex_test_service.exe\" " + mode + " " + serviceName;
}

ServiceSettings SettingsToInstall(const std::string &name, const char *mode)
{
    ServiceSettings settings = {};
    strcpy(settings.keyName, name.c_str());
    strcpy(settings.binaryPath, TestServiceCommand(name, mode).c_str());
    strcpy(settings.displayName, ("Display " + name).c_str());
    strcpy(settings.description, "abc");
    settings.desiredAccess = SERVICE_ALL_ACCESS;
    settings.serviceType = SERVICE_WIN32_OWN_PROCESS;
    settings.startType = SERVICE_DEMAND_START;
    settings.errorControl = SERVICE_ERROR_NORMAL;
    DependencyTextToList(settings.dependencies, sizeof(settings.dependencies));
    return settings;
}

ServiceSettings SettingsToLoad(const std::string &name)
{
    ServiceSettings settings = {};
    strcpy(settings.keyName, name.c_str());
    settings.desiredAccess = settings.serviceType = settings.startType = settings.errorControl = 0xFFFFFFFF;
    return settings;
}

std::string UniqueServiceName(const char *stem)
{
    static int counter;
    return std::string(NamePrefix) + stem + "_" + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(++counter);
}

// The tests' own calls to the service manager take the program's lock, as
// the program's threads do, but for the stop that may wait on a service.
template <typename Call>
static auto Locked(Call call)
{
    LockServiceManager();
    const auto result = call();
    UnlockServiceManager();
    return result;
}

static DWORD CurrentState(SC_HANDLE service)
{
    SERVICE_STATUS status = {};
    return Locked([&] { return QueryServiceStatus(service, &status); }) ? status.dwCurrentState : 0;
}

static SC_HANDLE OpenNamed(SC_HANDLE *scm, const std::string &name, DWORD access)
{
    return Locked([&] {
        *scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        return OpenServiceA(*scm, name.c_str(), access);
    });
}

static void CloseBoth(SC_HANDLE service, SC_HANDLE scm)
{
    Locked([&] { return (service && CloseServiceHandle(service)) + CloseServiceHandle(scm); });
}

ServiceOutcome CommandOutcome(const std::string &name, unsigned operation)
{
    ServiceOutcome outcome;
    RunServiceCommand(name.c_str(), operation, nullptr, &outcome);
    return outcome;
}

bool ServiceExists(const std::string &name)
{
    SC_HANDLE scm;
    SC_HANDLE service = OpenNamed(&scm, name, SERVICE_QUERY_STATUS);
    CloseBoth(service, scm);
    return service != nullptr;
}

std::string RegistryOf(const std::string &name)
{
    return RunAndCapture("reg query \"HKLM\\" + std::string(ServiceKey) + name + "\"");
}

void ReconfigureService(const std::string &name, DWORD startType, const char *binaryPath)
{
    SC_HANDLE scm;
    SC_HANDLE service = OpenNamed(&scm, name, SERVICE_CHANGE_CONFIG);
    EXPECT_TRUE(ChangeServiceConfigA(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, binaryPath, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, nullptr));
    CloseBoth(service, scm);
}

void SetDeleteFlag(const std::string &name)
{
    const DWORD flag = 1;
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, (ServiceKey + name).c_str(), "DeleteFlag", REG_DWORD, &flag, sizeof(flag));
}

DWORD WaitForServiceState(const std::string &name, DWORD state, DWORD timeoutMs)
{
    SC_HANDLE scm;
    SC_HANDLE service = OpenNamed(&scm, name, SERVICE_QUERY_STATUS);
    DWORD current = CurrentState(service);
    for (DWORD waited = 0; current != state && waited < timeoutMs; waited += 20) {
        Sleep(20);
        current = CurrentState(service);
    }
    CloseBoth(service, scm);
    return current;
}

void DeleteTestService(const std::string &name)
{
    SC_HANDLE scm;
    SC_HANDLE service = OpenNamed(&scm, name, SERVICE_ALL_ACCESS);
    if (service) {
        // The quit event ends every mode, also those that refuse the stop.
        HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, QuitEventName(name).c_str());
        if (quit)
            SetEvent(quit);
        SERVICE_STATUS status;
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        for (int i = 0; i < 500 && CurrentState(service) != SERVICE_STOPPED; i++)
            Sleep(20);
        Locked([&] { return DeleteService(service) + CloseServiceHandle(service); });
        if (quit)
            CloseHandle(quit);
    }
    for (int i = 0; i < 250; i++) {
        const bool gone = Locked([&] {
            SC_HANDLE held = OpenServiceA(scm, name.c_str(), SERVICE_QUERY_STATUS);
            return !held || !CloseServiceHandle(held);
        });
        if (gone)
            break;
        Sleep(20);
    }
    CloseBoth(nullptr, scm);
}

void DeleteLeftoverTestServices()
{
    HKEY services;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ServiceKey, 0, KEY_ALL_ACCESS, &services) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;;) {
        char name[MAX_PATH];
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(services, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (strncmp(name, NamePrefix, strlen(NamePrefix))) {
            index++;
            continue;
        }
        DeleteTestService(name);
        RegDeleteTreeA(services, name);
    }
    RegCloseKey(services);
}

std::string RunAndCapture(const std::string &commandLine, DWORD *exitCode)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return {};
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);

    std::string output;
    if (started) {
        char chunk[4096];
        DWORD got;
        while (ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got)
            output.append(chunk, got);
        WaitForSingleObject(process.hProcess, INFINITE);
        if (exitCode)
            GetExitCodeProcess(process.hProcess, exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(readEnd);
    std::erase(output, '\r');
    return output;
}

static LONG openScmHandles;

static SC_HANDLE Counted(SC_HANDLE handle)
{
    if (handle)
        InterlockedIncrement(&openScmHandles);
    return handle;
}

static SC_HANDLE WINAPI CountedOpenSCManager(LPCSTR machine, LPCSTR database, DWORD access)
{
    return Counted(OpenSCManagerA(machine, database, access));
}

static SC_HANDLE WINAPI CountedOpenService(SC_HANDLE scm, LPCSTR name, DWORD access)
{
    return Counted(OpenServiceA(scm, name, access));
}

static SC_HANDLE WINAPI CountedCreateService(SC_HANDLE scm, LPCSTR name, LPCSTR display, DWORD access, DWORD type,
                                             DWORD start, DWORD errorControl, LPCSTR path, LPCSTR group, LPDWORD tag,
                                             LPCSTR dependencies, LPCSTR account, LPCSTR password)
{
    return Counted(CreateServiceA(scm, name, display, access, type, start, errorControl, path, group, tag,
                                  dependencies, account, password));
}

static BOOL WINAPI CountedClose(SC_HANDLE handle)
{
    const BOOL closed = CloseServiceHandle(handle);
    if (closed)
        InterlockedDecrement(&openScmHandles);
    return closed;
}

ScmHandleCount::ScmHandleCount()
    : openSCManager(scmCalls.openSCManager, CountedOpenSCManager),
      openService(scmCalls.openService, CountedOpenService),
      createService(scmCalls.createService, CountedCreateService),
      closeServiceHandle(scmCalls.closeServiceHandle, CountedClose)
{
    openScmHandles = 0;
}

int OpenScmHandles()
{
    return int(openScmHandles);
}

TestService::TestService(const char *stem) : name(UniqueServiceName(stem)) {}

TestService::TestService(const char *stem, const char *mode, DWORD type, const char *group)
    : name(UniqueServiceName(stem))
{
    Install(mode, type, group);
}

TestService::~TestService()
{
    DeleteTestService(name);
}

void TestService::Install(const char *mode, DWORD type, const char *group) const
{
    DWORD error = 0;
    const bool installed = Locked([&] {
        SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE service = CreateServiceA(scm, name.c_str(), ("Display " + name).c_str(), SERVICE_ALL_ACCESS, type,
                                           SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, Command(mode).c_str(), group,
                                           nullptr, nullptr, nullptr, nullptr);
        error = GetLastError();
        if (service)
            CloseServiceHandle(service);
        CloseServiceHandle(scm);
        return service != nullptr;
    });
    EXPECT_TRUE(installed) << "installing " << name << ": " << error;
}

WideServiceConfig ReadWideServiceConfig(const std::wstring &name)
{
    WideServiceConfig read;
    LockServiceManager();
    SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceW(scm, name.c_str(), SERVICE_QUERY_CONFIG);
    union {
        QUERY_SERVICE_CONFIGW config;
        BYTE bytes[8192];
    } answer;
    DWORD needed;
    if (service && QueryServiceConfigW(service, &answer.config, sizeof(answer), &needed)) {
        read.displayName = answer.config.lpDisplayName;
        read.binaryPath = answer.config.lpBinaryPathName;
    }
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(scm);
    UnlockServiceManager();
    return read;
}

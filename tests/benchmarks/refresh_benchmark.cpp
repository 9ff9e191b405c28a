// Prints what the once-a-second refresh costs against the SCM calls it needs
// and against asking Wine's sc, and Tarnex's start-up against a minimal
// dialog program's.
#include "app/main_window_parts.h"
#include "app/startup.h"
#include "service/operation.h"
#include "tests/support/folders.h"
#include "tests/support/gui_driver.h"
#include "tests/support/services.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

static double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

static double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

static std::string serviceName;
static std::vector<double> refreshTimes, operationTimes;

// The two service operations a refresh of a shown service runs, alone.
static void RunTheRefreshOperations()
{
    ServiceSettings s = SettingsToLoad(serviceName);
    RunOnSettings(&s, LoadConfig);
    RunOnKeyName(s.keyName, QueryStatus);
}

// Refreshes and the bare operations, alternated in the window's own loop.
static void CALLBACK MeasureRefresh(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    HWND mainWindow = FindMainWindow();
    SetDlgItemTextA(mainWindow, KeyNameField, serviceName.c_str());
    RefreshForm(mainWindow);  // the form takes the service's state once
    for (int i = 0; i < 200; i++) {
        double start = Now();
        RefreshForm(mainWindow);
        refreshTimes.push_back(Now() - start);
        start = Now();
        RunTheRefreshOperations();
        operationTimes.push_back(Now() - start);
    }
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}

// What a refresh of a shown service asks: the configuration, the
// description, and the state, each call opening and closing its handles.
static double BareScmSequence()
{
    const double start = Now();
    SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceA(scm, serviceName.c_str(), SERVICE_ALL_ACCESS);
    BYTE config[8192];
    DWORD needed = 0;
    QueryServiceConfigA(service, reinterpret_cast<QUERY_SERVICE_CONFIGA *>(config), sizeof(QUERY_SERVICE_CONFIGA),
                        &needed);
    QueryServiceConfigA(service, reinterpret_cast<QUERY_SERVICE_CONFIGA *>(config), needed, &needed);
    HKEY key;
    if (!RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("SYSTEM\\CurrentControlSet\\Services\\" + serviceName).c_str(), 0,
                       KEY_ALL_ACCESS, &key)) {
        char description[4196];
        DWORD size = sizeof(description);
        RegQueryValueExA(key, "Description", nullptr, nullptr, reinterpret_cast<BYTE *>(description), &size);
        RegCloseKey(key);
    }
    CloseServiceHandle(service);
    CloseServiceHandle(scm);
    scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    service = OpenServiceA(scm, serviceName.c_str(), SERVICE_ALL_ACCESS);
    SERVICE_STATUS status;
    QueryServiceStatus(service, &status);
    CloseServiceHandle(service);
    CloseServiceHandle(scm);
    return Now() - start;
}

// From process creation to a visible window with the caption, then closed.
static double StartUp(const std::string &program, const char *caption)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + program + "\"";
    const double start = Now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindWindowA(nullptr, caption)) && IsWindowVisible(window); }, 15000);
    const double took = Now() - start;
    WaitForInputIdle(process.hProcess, 5000);
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return took;
}

int main()
{
    StartProgram();
    const TestService service("Benchmark", "run");
    serviceName = service.name;

    SetTimer(nullptr, 0, 50, MeasureRefresh);
    RunMainWindow();
    std::vector<double> bare, sc;
    for (int i = 0; i < 200; i++)
        bare.push_back(BareScmSequence());
    for (int i = 0; i < 10; i++) {
        const double start = Now();
        RunAndCapture("sc query " + serviceName);
        RunAndCapture("sc qc " + serviceName);
        sc.push_back(Now() - start);
    }
    const double refresh = Median(refreshTimes), operations = Median(operationTimes);
    printf("refresh of a shown service (median of 200):  %.2f ms\n", refresh);
    printf("  its two service operations alone:           %.2f ms  (refresh / operations: %.3f)\n", operations,
           refresh / operations);
    printf("  the bare SCM and registry calls they make:  %.2f ms\n", Median(bare));
    printf("  running sc query and sc qc (median of 10):  %.2f ms\n", Median(sc));

    // Alternated, so that all three see the machine alike.
    std::vector<double> tarnex, minimal, sameTemplate;
    for (int i = 0; i < 9; i++) {
        tarnex.push_back(StartUp(BuiltProgram(), "Tarnex (Install/Remove)"));
        minimal.push_back(StartUp(TestsFolder() + "\\minimal_dialog.exe", "Minimal"));
        sameTemplate.push_back(StartUp(TestsFolder() + "\\template_dialog.exe", "Tarnex (Install/Remove)"));
    }
    const double start = Median(tarnex);
    printf("start-up to the visible main window (median of 9): %.1f ms\n", start);
    printf("  a minimal dialog program:                         %.1f ms  (Tarnex / minimal: %.2f)\n",
           Median(minimal), start / Median(minimal));
    printf("  a dialog of the same template and nothing else:   %.1f ms  (Tarnex / same template: %.2f)\n",
           Median(sameTemplate), start / Median(sameTemplate));
    return 0;
}

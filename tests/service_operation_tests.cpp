// The service operations against Wine's real SCM and registry, with the
// test service program as the service, and Wine's sc and reg as witnesses.
#include "service/binary_path.h"
#include "service/command_script.h"
#include "service/error_report.h"
#include "service/operation.h"
#include "service/recovery.h"
#include "service/service_checks.h"
#include "service/registry_lists.h"
#include "service/service_command.h"
#include "service/settings.h"
#include "tests/support/folders.h"
#include "tests/support/gui_driver.h"
#include "tests/support/local_text.h"
#include "tests/support/message_boxes.h"
#include "tests/support/seams.h"
#include "tests/support/services.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

// Exactly one box, with the title and the text.
static void ExpectOneBox(const std::vector<RecordedBox> &boxes, const char *caption, const std::string &text)
{
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, caption);
    EXPECT_EQ(boxes[0].text, text);
}

static void SetDescriptionValue(const std::string &name, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (ServiceKey + name).c_str(), 0, KEY_ALL_ACCESS, &key), 0);
    RegSetValueExA(key, "Description", 0, type, static_cast<const BYTE *>(data), size);
    RegCloseKey(key);
}

static DWORD DescriptionSize(const std::string &name, std::string *data)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (ServiceKey + name).c_str(), 0, KEY_READ, &key))
        return 0xFFFFFFFF;
    char value[LongFieldSize + 16] = {};
    DWORD size = sizeof(value);
    const LONG result = RegQueryValueExA(key, "Description", nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(key);
    *data = value;
    return result ? 0xFFFFFFFF : size;
}

class ServiceOperations : public testing::Test {
protected:
    static void SetUpTestSuite() { DeleteLeftoverTestServices(); }
    void TearDown() override { keyNameRejected = scmAccessDenied = 0; }
};

TEST_F(ServiceOperations, InstallCreatesWhatScAndRegSeeAndWipesThePassword)
{
    const TestService service("Install");
    const std::string &name = service.name;
    ServiceSettings s = SettingsToInstall(name);
    strcpy(s.password, "secret");
    BoxWatch watch;
    EXPECT_EQ(RunOnSettings(&s, Install), 1);
    EXPECT_TRUE(watch.Seen().empty());

    const std::string query = RunAndCapture("sc query " + name);
    EXPECT_NE(query.find("WIN32_OWN_PROCESS"), std::string::npos) << query;
    EXPECT_NE(query.find("STOPPED"), std::string::npos) << query;
    const std::string reg = RegistryOf(name);
    EXPECT_NE(reg.find("ImagePath    REG_SZ    " + TestServiceCommand(name, "run")), std::string::npos) << reg;
    EXPECT_NE(reg.find("DisplayName    REG_SZ    Display " + name), std::string::npos) << reg;
    EXPECT_NE(reg.find("Description    REG_SZ    abc"), std::string::npos) << reg;
    EXPECT_NE(reg.find("ObjectName    REG_SZ    LocalSystem"), std::string::npos) << reg;  // no account given
    EXPECT_NE(reg.find("Start    REG_DWORD    0x3"), std::string::npos) << reg;

    // The record's password is gone once the SCM has it, every byte of it.
    const char zeros[FieldSize] = {};
    EXPECT_EQ(memcmp(s.password, zeros, FieldSize), 0);
}

TEST_F(ServiceOperations, InstallPassesAnAccountAsWritten)
{
    const TestService service("Account");
    const std::string &name = service.name;
    ServiceSettings s = SettingsToInstall(name);
    strcpy(s.accountName, ".\\tarnexuser");
    strcpy(s.password, "pw");
    strcpy(s.loadOrderGroup, "TDI");
    BoxWatch watch;
    EXPECT_EQ(RunOnSettings(&s, Install), 1);
    EXPECT_TRUE(watch.Seen().empty());
    const std::string reg = RegistryOf(name);
    EXPECT_NE(reg.find("ObjectName    REG_SZ    .\\tarnexuser"), std::string::npos) << reg;
    EXPECT_NE(reg.find("Group    REG_SZ    TDI"), std::string::npos) << reg;
    EXPECT_EQ(s.password[0], '\0');
}

TEST_F(ServiceOperations, DescriptionsAreStoredWithoutTheirTerminator)
{
    const TestService emptyService("NoDescription"), threeService("ShortDescription");
    const std::string &empty = emptyService.name, &three = threeService.name;
    ServiceSettings s = SettingsToInstall(empty);
    s.description[0] = '\0';
    ASSERT_EQ(RunOnSettings(&s, Install), 1);
    s = SettingsToInstall(three);
    ASSERT_EQ(RunOnSettings(&s, Install), 1);

    std::string data;
    EXPECT_EQ(DescriptionSize(empty, &data), 0u);  // the value exists, of size 0
    // The routine passes 3 bytes; the registry may count a terminator it
    // found after them in memory, as Windows and Wine both do.
    const DWORD size = DescriptionSize(three, &data);
    EXPECT_TRUE(size == 3 || size == 4) << size;
    EXPECT_EQ(data, "abc");

    ServiceSettings loaded = SettingsToLoad(three);
    ASSERT_EQ(RunOnSettings(&loaded, LoadConfig), 1);
    EXPECT_STREQ(loaded.description, "abc");
}

TEST_F(ServiceOperations, InstallOfATakenNameIsReported)
{
    const TestService service("Duplicate", "run");
    ServiceSettings s = SettingsToInstall(service.name);
    BoxWatch watch;
    SetLastError(0);
    EXPECT_EQ(RunOnSettings(&s, Install), 0);
    ExpectOneBox(watch.Seen(), "Error Creating the new service!", "Error 1073: Service exists.\r\n");
}

TEST_F(ServiceOperations, LoadConfigReadsAServiceMadeBySc)
{
    const TestService service("ScMade");
    const std::string &name = service.name;
    const std::string binary = TestServiceCommand(name, "run");
    DWORD exitCode = 1;
    std::string quoted;  // the binary path as one argument, its own quotes escaped
    for (char c : binary)
        quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
    RunAndCapture("sc create " + name + " binpath= \"" + quoted +
                      "\" displayname= \"Made by sc\" start= demand error= severe group= TDI",
                  &exitCode);
    ASSERT_EQ(exitCode, 0u);
    // The SCM does not read its own values back from the registry, but the
    // description is the program's to read there.
    RunAndCapture("reg add \"HKLM\\" + std::string(ServiceKey) + name + "\" /v Description /t REG_SZ /d \"From reg\" /f");

    ServiceSettings s = SettingsToLoad(name);
    strcpy(s.password, "kept");
    BoxWatch watch;
    EXPECT_EQ(RunOnSettings(&s, LoadConfig), 1);
    EXPECT_TRUE(watch.Seen().empty());
    EXPECT_EQ(std::string(s.binaryPath), binary);
    EXPECT_STREQ(s.displayName, "Made by sc");
    EXPECT_STREQ(s.description, "From reg");
    EXPECT_EQ(s.serviceType, DWORD(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(s.startType, DWORD(SERVICE_DEMAND_START));
    EXPECT_EQ(s.errorControl, DWORD(SERVICE_ERROR_SEVERE));
    EXPECT_EQ(OptionIndexForValue(ErrorControlOptions, s.errorControl), 3);
    EXPECT_STREQ(s.loadOrderGroup, "TDI");
    EXPECT_STREQ(s.dependencies, "");
    EXPECT_STREQ(s.accountName, "LocalSystem");
    EXPECT_EQ(s.desiredAccess, 0xFFFFFFFF);  // not part of a stored configuration
    EXPECT_STREQ(s.password, "kept");
    EXPECT_EQ(keyNameRejected, 0);
    EXPECT_EQ(scmAccessDenied, 0);
}

TEST_F(ServiceOperations, LoadConfigOfAMissingNameIsQuiet)
{
    ServiceSettings s = SettingsToLoad(UniqueServiceName("Missing"));
    BoxWatch watch;
    EXPECT_EQ(RunOnSettings(&s, LoadConfig), 0);
    EXPECT_TRUE(watch.Seen().empty());
    EXPECT_EQ(keyNameRejected, 0);
    EXPECT_EQ(scmAccessDenied, 0);
    EXPECT_EQ(s.serviceType, 0xFFFFFFFF);
}

TEST_F(ServiceOperations, LoadConfigOfAnInvalidNameIsReportedAndFlagged)
{
    ServiceSettings s = SettingsToLoad("a/b");
    BoxWatch watch;
    EXPECT_EQ(RunOnSettings(&s, LoadConfig), 0);
    ExpectOneBox(watch.Seen(), "Error 0pening a Service of the SCM!", "Error 123: Invalid name.\r\n");
    EXPECT_EQ(keyNameRejected, 1);
    EXPECT_EQ(scmAccessDenied, 0);
}

TEST_F(ServiceOperations, StatusSaysWhetherTheServiceRuns)
{
    const TestService stopped("Stopped", "run"), paused("Paused", "paused"), pending("Pending", "pending");
    RunAndCapture("sc start " + paused.name);
    RunAndCapture("sc start " + pending.name);
    ASSERT_EQ(WaitForServiceState(paused.name, SERVICE_PAUSED, 5000), DWORD(SERVICE_PAUSED));
    ASSERT_EQ(WaitForServiceState(pending.name, SERVICE_START_PENDING, 5000), DWORD(SERVICE_START_PENDING));
    BoxWatch watch;
    for (const TestService *service : {&stopped, &paused, &pending})
        EXPECT_EQ(RunOnKeyName(SettingsToLoad(service->name).keyName, QueryStatus), service == &stopped ? 0 : 1);
    EXPECT_TRUE(watch.Seen().empty());
}

// Another program starts or stops the service between the command's look
// at it and its call: the call then fails with 1056 or 1062, or with 1061
// (as Windows answers while the other stop goes on).
static DWORD racing;
static BOOL WINAPI StartRacing(SC_HANDLE service, DWORD count, LPCSTR *arguments)
{
    if (racing)
        StartServiceA(service, count, arguments);
    return StartServiceA(service, count, arguments);
}
static BOOL WINAPI StopRacing(SC_HANDLE service, DWORD control, SERVICE_STATUS *status)
{
    if (!racing || !ControlService(service, control, status))
        return ControlService(service, control, status);
    const DWORD until = racing == ERROR_SERVICE_CANNOT_ACCEPT_CTRL ? SERVICE_STOP_PENDING : SERVICE_STOPPED;
    for (int i = 0; i < 250 && QueryServiceStatus(service, status) && status->dwCurrentState != until; i++)
        Sleep(20);
    if (until == SERVICE_STOPPED)
        return ControlService(service, control, status);
    SetLastError(racing);
    return FALSE;
}

// What a command says became of the service, for the test service's modes.
TEST_F(ServiceOperations, CommandsFollowTheServiceToWhatBecameOfIt)
{
    const ScopedOverride start(scmCalls.startService, StartRacing);
    const ScopedOverride stop(scmCalls.controlService, StopRacing);
    const struct {
        const char *mode;
        DWORD startedTo;  // 0: left stopped
        unsigned operation;
        DWORD race;
        LONG result;
        const char *caption;
        DWORD error, serviceError, state, wanted;
        bool stillPending, marked;
    } cases[] = {
        {"run", 0, Stop, 0, 1, nullptr, 0, 0, 0, 0, false, false},  // stopped already: nothing sent
        {"run", SERVICE_RUNNING, Start, 0, 1, nullptr, 0, 0, 0, 0, false, false},  // running already
        {"run", 0, Start, 1, 1, nullptr, 0, 0, 0, 0, false, false},
        {"run", SERVICE_RUNNING, Stop, 1, 1, nullptr, 0, 0, 0, 0, false, false},
        {"slowstop", SERVICE_RUNNING, Stop, 1061, 1, nullptr, 0, 0, 0, 0, false, false},
        {"slowstart", 0, Start, 0, 1, nullptr, 0, 0, 0, 0, false, false},
        {"slowstop", SERVICE_RUNNING, Stop, 0, 1, nullptr, 0, 0, 0, 0, false, false},
        {"quietstop", SERVICE_RUNNING, Stop, 0, 1, nullptr, 0, 0, 0, 0, false, false},
        {"fails", 0, Start, 0, 0, "Error Installing Service", 1066, 42, SERVICE_STOPPED, SERVICE_RUNNING, false,
         false},
        {"cleanup", 0, Start, 0, 0, "Error Installing Service", 1064, 0, SERVICE_STOPPED, SERVICE_RUNNING, false,
         false},
        {"exit", 0, Start, 0, 0, "Error Installing Service", 1053, 0, 0, 0, false, false},
        {"nostop", SERVICE_RUNNING, Stop, 0, 0, "Error Stopping Service", 1052, 0, 0, 0, false, false},
        {"nostop", SERVICE_RUNNING, Remove, 0, 0, "Error Stopping Service", 1052, 0, 0, 0, false, false},
        // A checkpoint stalled past its wait hint.
        {"pending", SERVICE_START_PENDING, Start, 0, 0, "Error Installing Service", 0, 0, SERVICE_START_PENDING,
         SERVICE_RUNNING, true, false},
        // Still stopping when the service manager's own limit (3 s here) has
        // passed: deleted all the same.
        {"hangstop", SERVICE_RUNNING, Remove, 0, 1, nullptr, 0, 0, SERVICE_STOP_PENDING, SERVICE_STOPPED, true,
         true},
        {nullptr, 0, Start, 0, 0, "Error 0pening a Service of the SCM!", 1060, 0, 0, 0, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.mode ? c.mode : "missing") + " " + std::to_string(c.operation) + " racing " +
                     std::to_string(c.race));
        const TestService service("Command");
        if (c.mode)
            service.Install(c.mode);
        if (c.startedTo) {
            RunAndCapture("sc start " + service.name);
            ASSERT_EQ(WaitForServiceState(service.name, c.startedTo, 5000), c.startedTo);
        }
        racing = c.race;
        const ServiceOutcome outcome = CommandOutcome(service.name, c.operation);
        EXPECT_EQ(outcome.operation, c.operation);
        EXPECT_EQ(outcome.keyName, service.name);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_STREQ(outcome.caption ? outcome.caption : "", c.caption ? c.caption : "");
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.serviceError, c.serviceError);
        EXPECT_EQ(outcome.state, c.state);
        EXPECT_EQ(outcome.wanted, c.wanted);
        EXPECT_EQ(outcome.stillPending, c.stillPending);
        EXPECT_EQ(outcome.markedForDeletion, c.marked);
        const DWORD reached = c.operation == Start ? SERVICE_RUNNING : SERVICE_STOPPED;
        if (c.result && !c.marked) {
            EXPECT_EQ(WaitForServiceState(service.name, reached, 0), reached);
        }
        if (c.mode && c.operation == Remove) {
            EXPECT_EQ(ServiceExists(service.name), !c.result || c.marked);
        }
    }
    racing = 0;
}

TEST_F(ServiceOperations, RemoveFollowsTheStopAndKnowsAMarkedService)
{
    const TestService stopped("RemoveStopped", "run"), running("RemoveRunning", "slowstop");
    RunAndCapture("sc start " + running.name);
    ASSERT_EQ(WaitForServiceState(running.name, SERVICE_RUNNING, 5000), DWORD(SERVICE_RUNNING));

    for (const std::string &name : {stopped.name, running.name}) {
        SCOPED_TRACE(name);
        // Held open across Remove (a service is gone only once its last
        // handle closes): when Remove returns, the service was stopped
        // (which takes half a second) and is marked for deletion.
        SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
        SC_HANDLE held = OpenServiceA(scm, name.c_str(), SERVICE_QUERY_STATUS);
        const ServiceOutcome outcome = CommandOutcome(name, Remove);
        EXPECT_EQ(outcome.result, 1);
        EXPECT_TRUE(outcome.markedForDeletion);
        SERVICE_STATUS status = {};
        EXPECT_TRUE(QueryServiceStatus(held, &status));
        EXPECT_EQ(status.dwCurrentState, DWORD(SERVICE_STOPPED));
        CloseServiceHandle(held);
        CloseServiceHandle(scm);
    }
    EXPECT_TRUE(WaitUntil([&] { return !ServiceExists(stopped.name) && !ServiceExists(running.name); }));
    // Another program's deletion is kept in the service's key on Windows.
    const TestService flagged("Flagged", "run");
    LoadedService loaded;
    ServiceSettings s = SettingsToLoad(flagged.name);
    EXPECT_EQ(LoadServiceSettings(&s, &loaded), 1);
    EXPECT_FALSE(loaded.markedForDeletion);
    SetDeleteFlag(flagged.name);
    EXPECT_EQ(LoadServiceSettings(&s, &loaded), 1);
    EXPECT_TRUE(loaded.markedForDeletion);
}

TEST_F(ServiceOperations, OperationsOnAMissingServiceAreReported)
{
    ServiceSettings s = SettingsToLoad(UniqueServiceName("Nowhere"));
    BoxWatch watch;
    for (unsigned operation : {Remove, QueryStatus, Start, Stop}) {
        EXPECT_EQ(RunOnKeyName(s.keyName, operation), 0) << operation;
        const auto boxes = watch.Seen();
        ASSERT_EQ(boxes.size(), 1u) << operation;
        EXPECT_EQ(boxes[0].caption, "Error 0pening a Service of the SCM!");
        EXPECT_EQ(boxes[0].text, "Error 1060: Service does not exist.\r\n");
    }
    // Only the low byte names the operation.
    EXPECT_EQ(RunOnKeyName(s.keyName, 0x100 | LoadConfig), 0);
    EXPECT_TRUE(watch.Seen().empty());
}

TEST_F(ServiceOperations, AnUnterminatedDescriptionIsCutInsideTheField)
{
    const TestService service("LongDescription", "run");
    const std::string &name = service.name;

    // Stored without a terminator, and a non-zero byte after it: a text as
    // long as the field holds, and data one byte longer, cut.
    std::string full(LongFieldSize, 'x');
    full += 'y';
    for (DWORD type : {DWORD(REG_SZ), DWORD(REG_BINARY)}) {
        SetDescriptionValue(name, type, full.data(), type == REG_SZ ? LongFieldSize - 1 : LongFieldSize);
        ServiceSettings s = SettingsToLoad(name);
        memset(s.description, '#', sizeof(s.description));
        ASSERT_EQ(RunOnSettings(&s, LoadConfig), 1);
        EXPECT_EQ(strnlen(s.description, sizeof(s.description)), LongFieldSize - 1) << type;
        EXPECT_EQ(s.description[0], 'x');
    }

    // A text longer than the field: the field keeps what it held, and the
    // load says it could not show it.
    for (size_t length : {size_t(LongFieldSize), size_t(LongFieldSize + 100)}) {
        const std::string larger(length, 'z');
        SetDescriptionValue(name, REG_SZ, larger.c_str(), DWORD(larger.size() + 1));
        ServiceSettings s = SettingsToLoad(name);
        strcpy(s.description, "kept");
        LoadedService loaded;
        ASSERT_EQ(LoadServiceSettings(&s, &loaded), 1);
        EXPECT_STREQ(s.description, "kept");
        EXPECT_EQ(loaded.unheld, DWORD(UnheldDescription));
    }
    ServiceSettings s;

    // Short data of another type still ends terminated.
    const DWORD number = 0x00434241;  // "ABC" and a zero byte, little-endian
    SetDescriptionValue(name, REG_DWORD, &number, sizeof(number));
    s = SettingsToLoad(name);
    ASSERT_EQ(RunOnSettings(&s, LoadConfig), 1);
    EXPECT_STREQ(s.description, "ABC");
}

TEST_F(ServiceOperations, AnUnquotedPathToAFileWithABlankIsQuoted)
{
    // The test service program, copied into a folder whose name has a blank.
    const std::string folder = TestsFolder() + "\\service folder";
    const std::string program = folder + "\\tarnex_test_service.exe";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((TestsFolder() + "\\tarnex_test_service.exe").c_str(), program.c_str(), FALSE));

    const TestService quotedService("Quoted"), argumentsService("WithArguments");
    const std::string &quoted = quotedService.name, &withArguments = argumentsService.name;
    ServiceSettings s = SettingsToInstall(quoted);
    strcpy(s.binaryPath, program.c_str());
    ASSERT_EQ(RunOnSettings(&s, Install), 1);
    EXPECT_NE(RegistryOf(quoted).find("ImagePath    REG_SZ    \"" + program + "\""), std::string::npos);
    EXPECT_STREQ(s.binaryPath, program.c_str());  // the record keeps what the form shows
    EXPECT_EQ(CommandOutcome(quoted, Start).result, 1);

    // With arguments, quoted up to the program.
    s = SettingsToInstall(withArguments);
    strcpy(s.binaryPath, (program + " run " + withArguments).c_str());
    ASSERT_EQ(RunOnSettings(&s, Install), 1);
    EXPECT_NE(RegistryOf(withArguments).find("ImagePath    REG_SZ    \"" + program + "\" run"), std::string::npos);

    // Where the program ends is told by ".exe" before the arguments,
    // whether or not it is here; looked at here, also by the files there are.
    const std::wstring here = Wide(folder);
    const struct {
        std::wstring path;
        DWORD type;
        std::wstring copied, installed;  // empty: refused
    } cases[] = {
        {L"C:\\No Such\\agent.exe --port 8", SERVICE_WIN32_OWN_PROCESS, L"\"C:\\No Such\\agent.exe\" --port 8",
         L"\"C:\\No Such\\agent.exe\" --port 8"},
        {L"C:\\No Such\\agent.EXE", SERVICE_WIN32_SHARE_PROCESS, L"\"C:\\No Such\\agent.EXE\"",
         L"\"C:\\No Such\\agent.EXE\""},
        {L"C:\\tools\\agent.exe --a b", SERVICE_WIN32_OWN_PROCESS, L"C:\\tools\\agent.exe --a b",
         L"C:\\tools\\agent.exe --a b"},
        {L"C:\\tools\\svc.bin --log C:\\logs x.exe", SERVICE_WIN32_OWN_PROCESS,
         L"C:\\tools\\svc.bin --log C:\\logs x.exe", L"C:\\tools\\svc.bin --log C:\\logs x.exe"},
        {L"\"C:\\No Such\\agent\" x", SERVICE_WIN32_OWN_PROCESS, L"\"C:\\No Such\\agent\" x",
         L"\"C:\\No Such\\agent\" x"},
        {L"C:\\No Such\\agent --port 8", SERVICE_KERNEL_DRIVER, L"C:\\No Such\\agent --port 8",
         L"C:\\No Such\\agent --port 8"},
        {L"C:\\tools\\host -run C:\\a b.exe", SERVICE_WIN32_OWN_PROCESS, L"", L""},
        // Programs here with no ".exe" in their paths: only Install can tell.
        {here + L"\\x y", SERVICE_WIN32_OWN_PROCESS, L"", L"\"" + here + L"\\x y\""},
        {here + L"\\tarnex_test_service run", SERVICE_WIN32_OWN_PROCESS, L"",
         L"\"" + here + L"\\tarnex_test_service\" run"},
    };
    CopyFileW(Wide(program).c_str(), (here + L"\\x y").c_str(), FALSE);
    for (const auto &c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        WCHAR quoted[MAX_PATH];
        for (bool local : {false, true}) {
            const PathQuoting quoting = QuoteBinaryPath(c.path.c_str(), c.type, local, quoted);
            const std::wstring &expected = local ? c.installed : c.copied;
            EXPECT_EQ(quoting == PathUnclear, expected.empty()) << local;
            if (!expected.empty()) {
                EXPECT_EQ(quoting == PathQuoted ? quoted : c.path, expected) << local;
            }
        }
    }
}

TEST_F(ServiceOperations, PathsAreQuotedOnlyWhereItHelps)
{
    // A program in a folder with a blank, its path as long as the field allows.
    const std::string folder = TestsFolder() + "\\long folder";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string program = folder + "\\" + std::string(FieldSize - 3 - folder.size(), 'p');
    ASSERT_EQ(program.size(), FieldSize - 2);
    ASSERT_TRUE(CopyFileA((TestsFolder() + "\\tarnex_test_service.exe").c_str(), program.c_str(), FALSE));

    // Quoted, the path is longer than the field: stored quoted all the same,
    // and loaded, cut, as a field the form cannot show whole.
    const TestService tooLongService("QuotedTooLong"), driverService("Driver");
    const std::string &tooLong = tooLongService.name, &driver = driverService.name;
    ServiceSettings s = SettingsToInstall(tooLong);
    strcpy(s.binaryPath, program.c_str());
    ASSERT_EQ(RunOnSettings(&s, Install), 1);
    EXPECT_EQ(ReadWideServiceConfig(Wide(tooLong)).binaryPath, L"\"" + Wide(program) + L"\"");
    LoadedService loaded;
    s = SettingsToLoad(tooLong);
    ASSERT_EQ(LoadServiceSettings(&s, &loaded), 1);
    EXPECT_EQ(loaded.unheld, DWORD(UnheldBinaryPath));

    // A driver's path is read literally, so it is never quoted.
    s = SettingsToInstall(driver);
    strcpy(s.binaryPath, program.c_str());
    s.serviceType = SERVICE_KERNEL_DRIVER;
    ASSERT_EQ(RunOnSettings(&s, Install), 1);
    EXPECT_EQ(ReadWideServiceConfig(Wide(driver)).binaryPath, Wide(program));
    DeleteFileA(program.c_str());
}

TEST_F(ServiceOperations, LongKeyNamesKeepTheirDescriptions)
{
    // With the services key's path in front, the full path of the service's
    // key passes 260 characters.
    TestService service("Long");
    std::string &name = service.name;
    name += std::string(230 - name.size(), 'n');
    ServiceSettings s = SettingsToInstall("");  // its path would not fit with the long name in it
    strcpy(s.keyName, name.c_str());
    strcpy(s.displayName, ("Display " + name).c_str());
    strcpy(s.binaryPath, "C:\\tarnex\\never-started.exe");
    strcpy(s.description, "A description of a long name");
    ASSERT_EQ(RunOnSettings(&s, Install), 1);
    EXPECT_NE(RegistryOf(name).find("Description    REG_SZ    A description of a long name"), std::string::npos);
    ServiceSettings loaded = SettingsToLoad(name);
    ASSERT_EQ(RunOnSettings(&loaded, LoadConfig), 1);
    EXPECT_STREQ(loaded.description, "A description of a long name");
}

static UINT chosenCodePage;

TEST_F(ServiceOperations, IndirectDescriptionsAreShownAsTheTextTheyName)
{
    const TestService service("Indirect", "run");
    const std::string &name = service.name;
    const std::string program = service.Command();
    const std::string file = program.substr(1, program.find('"', 1) - 1);  // its path, out of the quotes
    const std::string folder = file.substr(0, file.rfind('\\'));
    SetEnvironmentVariableA("TARNEX_TEST_FOLDER", folder.c_str());
    const std::string text = "Runs for the tests, described from its own string table.";
    const struct {
        DWORD type;
        std::string stored, shown;
        UINT codePage;
    } cases[] = {
        {REG_SZ, "@" + file + ",-101", text, 1252},
        {REG_EXPAND_SZ, "@%TARNEX_TEST_FOLDER%\\tarnex_test_service.exe,-101", text, 1252},
        {REG_SZ, "@" + file + ",-999", "@" + file + ",-999", 1252},  // no such string: shown as stored
        {REG_SZ, "plain text", "plain text", 1252},
        // 1,400 characters of three bytes each, cut between two characters.
        {REG_SZ, "@" + file + ",-102", Narrow(std::wstring(1398, L'\x670D'), CP_UTF8), CP_UTF8},
        // Cyrillic, which 1252 holds no exact text of.
        {REG_SZ, "@" + file + ",-103", "@" + file + ",-103", 1252},
    };
    BoxWatch watch;
    for (const auto &c : cases) {
        SetDescriptionValue(name, c.type, c.stored.c_str(), DWORD(c.stored.size() + 1));
        chosenCodePage = c.codePage;
        const ScopedOverride codePage(codePageCalls.programCodePage, [] { return chosenCodePage; });
        ServiceSettings s = SettingsToLoad(name);
        ASSERT_EQ(RunOnSettings(&s, LoadConfig), 1);
        EXPECT_TRUE(watch.Seen().empty());
        EXPECT_EQ(std::string(s.description), c.shown) << c.stored;
    }
}

// What each operation asks the SCM and the registry for, recorded.
static std::string asked;
static SC_HANDLE WINAPI RecordOpenSCManager(LPCSTR machine, LPCSTR database, DWORD access)
{
    asked += "scm " + std::to_string(access) + "; ";
    return OpenSCManagerA(machine, database, access);
}
static SC_HANDLE WINAPI RecordOpenService(SC_HANDLE scm, LPCSTR name, DWORD access)
{
    asked += "service " + std::to_string(access) + "; ";
    return OpenServiceA(scm, name, access);
}
static LONG WINAPI RecordOpenKey(HKEY root, LPCSTR path, DWORD options, REGSAM access, HKEY *key)
{
    asked += "key " + std::to_string(access) + "; ";
    return RegOpenKeyExA(root, path, options, access, key);
}

static std::string Rights(DWORD scm, DWORD service, std::initializer_list<REGSAM> keys = {})
{
    std::string rights = "scm " + std::to_string(scm) + "; ";
    if (service)
        rights += "service " + std::to_string(service) + "; ";
    for (REGSAM key : keys)
        rights += "key " + std::to_string(key) + "; ";
    return rights;
}

TEST_F(ServiceOperations, EachOperationAsksOnlyForTheRightsItNeeds)
{
    const TestService service("Rights");
    const std::string &name = service.name;
    const ScopedOverride recordScm(scmCalls.openSCManager, RecordOpenSCManager);
    const ScopedOverride recordService(scmCalls.openService, RecordOpenService);
    const ScopedOverride recordKey(registryCalls.openKey, RecordOpenKey);
    BoxWatch watch;
    const DWORD status = SERVICE_QUERY_STATUS;
    const struct {
        unsigned operation;
        std::string rights;
        LONG result;
    } cases[] = {
        {Install, Rights(SC_MANAGER_CREATE_SERVICE, 0, {KEY_ENUMERATE_SUB_KEYS, KEY_SET_VALUE}), 1},
        {LoadConfig, Rights(SC_MANAGER_CONNECT, SERVICE_QUERY_CONFIG, {KEY_ENUMERATE_SUB_KEYS, KEY_QUERY_VALUE}), 1},
        {QueryStatus, Rights(SC_MANAGER_CONNECT, status), 0},  // stopped
        {Start, Rights(SC_MANAGER_CONNECT, SERVICE_START | status), 1},
        {Stop, Rights(SC_MANAGER_CONNECT, SERVICE_STOP | status), 1},
        // Then when the deleted service's key was written, and whether it is gone.
        {Remove,
         Rights(SC_MANAGER_CONNECT, DELETE | SERVICE_STOP | status, {KEY_ENUMERATE_SUB_KEYS, KEY_QUERY_VALUE}) +
             "service 4; ",
         1},
    };
    for (const auto &c : cases) {
        asked.clear();
        ServiceSettings s = SettingsToInstall(name);
        const bool byName = c.operation == Start || c.operation == Stop || c.operation == Remove;
        EXPECT_EQ(byName ? RunOnKeyName(s.keyName, c.operation) : RunOnSettings(&s, c.operation), c.result)
            << c.operation;
        EXPECT_TRUE(watch.Seen().empty()) << c.operation;
        EXPECT_EQ(asked, c.rights) << c.operation;
        if (c.operation == Start || c.operation == Stop)
            WaitForServiceState(name, c.operation == Start ? SERVICE_RUNNING : SERVICE_STOPPED, 5000);
    }
    // The lists of groups and services only read.
    HWND list = CreateWindowExA(0, "LISTBOX", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    asked.clear();
    ReadServiceGroupOrder(list, GroupListBox);
    ListInstalledServices(list);
    DestroyWindow(list);
    EXPECT_EQ(asked, "key " + std::to_string(KEY_QUERY_VALUE) + "; key " + std::to_string(KEY_ENUMERATE_SUB_KEYS) +
                         "; ");
}

// What Wine cannot produce goes through the SCM seam.

static SC_HANDLE WINAPI RefuseOpen(SC_HANDLE, LPCSTR, DWORD)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

TEST_F(ServiceOperations, RefusedAccessIsReportedAndFlagged)
{
    const TestService service("Refused", "run");
    const ScopedOverride refuse(scmCalls.openService, RefuseOpen);
    ServiceSettings s = SettingsToLoad(service.name);
    BoxWatch watch;
    EXPECT_EQ(RunOnSettings(&s, LoadConfig), 0);
    ExpectOneBox(watch.Seen(), "Error 0pening a Service of the SCM!", "Error 5: Access denied.\r\n");
    EXPECT_EQ(scmAccessDenied, 1);
    EXPECT_EQ(keyNameRejected, 0);
}

// The real configuration, with a dependency list added behind its strings:
// a service whose full-width name this code page (1252) holds only as a
// look-alike, and one whose name takes more bytes than the field has left.
static const std::wstring addedDependencies = std::wstring(L"alpha\0\xFF34\xFF2E\xFF38\0+beta\0", 16) +
                                              std::wstring(LongFieldSize - 12, L'z') + std::wstring(L"\0omega\0", 8);
static BOOL WINAPI QueryWithDependencies(SC_HANDLE service, QUERY_SERVICE_CONFIGW *config, DWORD size,
                                         DWORD *needed)
{
    const DWORD extra = DWORD((addedDependencies.size() + 1) * sizeof(WCHAR));
    if (!QueryServiceConfigW(service, config, size < extra ? sizeof(*config) : size - extra, needed)) {
        if (GetLastError() == ERROR_INSUFFICIENT_BUFFER)
            *needed += extra;
        return FALSE;
    }
    auto *list = reinterpret_cast<WCHAR *>(reinterpret_cast<BYTE *>(config) + size - extra);
    memcpy(list, addedDependencies.c_str(), extra);
    config->lpDependencies = list;
    return TRUE;
}

TEST_F(ServiceOperations, LoadedDependenciesBecomeText)
{
    const TestService service("Depends", "run");
    const ScopedOverride query(scmCalls.queryServiceConfig, QueryWithDependencies);
    ServiceSettings s = SettingsToLoad(service.name);
    ASSERT_EQ(RunOnSettings(&s, LoadConfig), 1);
    EXPECT_STREQ(s.dependencies, "alpha/+beta/omega");  // each name whole and exact, or not at all
    EXPECT_EQ(std::string(s.binaryPath), service.Command());
}

static int queryCalls;
static BOOL WINAPI FailFirstQuery(SC_HANDLE, QUERY_SERVICE_CONFIGW *, DWORD, DWORD *)
{
    queryCalls++;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
static BOOL WINAPI FailSecondQuery(SC_HANDLE service, QUERY_SERVICE_CONFIGW *config, DWORD size, DWORD *needed)
{
    if (++queryCalls == 1)
        return QueryServiceConfigW(service, config, size, needed);
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

TEST_F(ServiceOperations, AFailingConfigurationQueryLoadsNothingQuietly)
{
    const TestService service("NoConfig", "run");
    SetDescriptionValue(service.name, REG_SZ, "abc", 4);
    BoxWatch watch;
    for (auto query : {FailFirstQuery, FailSecondQuery}) {
        queryCalls = 0;
        const ScopedOverride failing(scmCalls.queryServiceConfig, query);
        ServiceSettings s = SettingsToLoad(service.name);
        EXPECT_EQ(RunOnSettings(&s, LoadConfig), 1);  // the service could be opened
        EXPECT_TRUE(watch.Seen().empty());
        EXPECT_STREQ(s.binaryPath, "");
        EXPECT_STREQ(s.description, "");
        EXPECT_EQ(s.serviceType, 0xFFFFFFFF);
    }
    EXPECT_EQ(queryCalls, 2);  // the second query was made, and failed
}

TEST(ErrorReport, ShowsCodeAndSystemTextAndKeepsTheCode)
{
    const struct {
        DWORD code;
        const char *text;
    } codes[] = {{ERROR_SERVICE_EXISTS, "Error 1073: Service exists.\r\n"},
                 {ERROR_ACCESS_DENIED, "Error 5: Access denied.\r\n"},
                 {0x20001234, "Error 536875572: "},  // no system text
                 {0xE0000001, "Error -536870911: "}};
    BoxWatch watch;
    for (const auto &c : codes) {
        SetLastError(c.code);
        ReportSystemError("Caption of the failure");
        EXPECT_EQ(GetLastError(), c.code);
        const auto boxes = watch.Seen();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Caption of the failure");
        EXPECT_EQ(boxes[0].text, c.text);
    }
}

TEST(ErrorReport, InsertsInASystemTextAreShownAsWritten)
{
    BoxWatch watch;
    SetLastError(ERROR_BAD_EXE_FORMAT);
    ReportSystemError("Caption of the failure");
    const auto boxes = watch.Seen();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Error 193: Bad EXE format for %1.\r\n");
}

TEST(ErrorReport, DecimalTextOfSignedValues)
{
    char text[12];
    const struct {
        LONG value;
        const char *text;
    } cases[] = {{0, "0"}, {5, "5"}, {1060, "1060"}, {-1, "-1"}, {LONG(0x80000000), "-2147483648"},
                 {0x7FFFFFFF, "2147483647"}, {LONG(0xE0000001), "-536870911"}};
    for (const auto &c : cases) {
        memset(text, '#', sizeof(text));
        FormatSignedDecimal(c.value, text);
        EXPECT_STREQ(text, c.text);
    }
}

// The commands of a copy make the service, or are refused naming why.
TEST_F(ServiceOperations, ScriptsAreTheServiceOrARefusal)
{
    const std::string many(4100, '%');  // doubled, past the 8,191 characters of a line
    const struct {
        const char *path;
        DWORD type;
        std::string description;
        const wchar_t *written;  // in the script; null: refused
        const char *refusal;
    } cases[] = {
        {"C:\\No Such\\agent.exe --port 8", SERVICE_WIN32_OWN_PROCESS, "", L" binpath= \"\\\"C:\\No Such\\agent.exe\\\" --port 8\" type= own", nullptr},
        {"C:\\No Such\\agent --port 8", SERVICE_WIN32_OWN_PROCESS, "", nullptr,
         "Binary Path holds blanks, and where its program ends cannot be told: put the program's path in quotes."},
        {"C:\\a.exe", SERVICE_WIN32_SHARE_PROCESS | SERVICE_INTERACTIVE_PROCESS, "", L" type= share type= interact ", nullptr},
        {"C:\\a.exe", 0x50, "", L" type= userown ", nullptr},
        {"C:\\a.exe", 0xD0, "", nullptr, "sc.exe takes no service type 0xD0: no commands can make this service."},
        {"C:\\a.exe", SERVICE_WIN32_OWN_PROCESS, many, nullptr,
         "Description is too long for a command: cmd.exe takes lines of at most 8191 characters."},
    };
    static WCHAR script[ScriptLength];
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        ServiceSettings s = SettingsToInstall("Scripted");
        strcpy(s.binaryPath, c.path);
        strcpy(s.description, c.description.c_str());
        s.serviceType = c.type;
        char refusal[RefusalSize] = {};
        EXPECT_EQ(WriteNewServiceScript(&s, nullptr, script, refusal), c.written != nullptr);
        if (c.written) {
            EXPECT_NE(std::wstring(script).find(c.written), std::wstring::npos) << Narrow(script, CP_UTF8);
        } else {
            EXPECT_STREQ(refusal, c.refusal);
        }
    }

    // An installed service is copied as the service manager holds it: a path
    // longer than the form's field, an account this code page cannot hold.
    const TestService installed("Long");
    const std::wstring path = L"\"" + Wide(TestsFolder()) + L"\\tarnex_test_service.exe\" run " + std::wstring(300, L'x');
    const std::wstring account = L".\\\x0421\x043B\x0443\x0436\x0431\x0430";
    SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
    SC_HANDLE made = CreateServiceW(scm, Wide(installed.name).c_str(), L"Long", SERVICE_ALL_ACCESS,
                                    SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                    path.c_str(), nullptr, nullptr, nullptr, account.c_str(), L"");
    ASSERT_TRUE(made);
    CloseServiceHandle(made);
    CloseServiceHandle(scm);
    const std::wstring described = account.substr(2);
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, Wide(ServiceKey + installed.name).c_str(), L"Description", REG_SZ,
                    described.c_str(), DWORD((described.size() + 1) * sizeof(WCHAR)));
    char refusal[RefusalSize] = {};
    ASSERT_TRUE(WriteInstalledServiceScript(installed.name.c_str(), script, refusal)) << refusal;
    EXPECT_NE(std::wstring(script).find(L" run " + std::wstring(300, L'x') + L"\""), std::wstring::npos);
    EXPECT_NE(std::wstring(script).find(L" obj= \"" + account + L"\""), std::wstring::npos);
    EXPECT_NE(std::wstring(script).find(L" \"" + described + L"\"\r\n"), std::wstring::npos);
    // Loaded, what this code page cannot hold is left empty, never a
    // look-alike or question marks, the long path is cut, and both are said.
    ServiceSettings loaded = SettingsToLoad(installed.name);
    LoadedService facts;
    ASSERT_EQ(LoadServiceSettings(&loaded, &facts), 1);
    EXPECT_EQ(facts.unheld, DWORD(UnheldBinaryPath | UnheldAccountName | UnheldDescription));
    EXPECT_STREQ(loaded.accountName, "");
    EXPECT_STREQ(loaded.description, "");
}

// What the service manager is given for a recovery, and reads back, as
// Windows keeps it: Wine keeps no failure actions.
static std::vector<BYTE> failureActions;  // the record, its texts and actions after it
static int failureFlag = -1;              // -1: never set
static BOOL WINAPI KeepRecovery(SC_HANDLE, DWORD level, void *info)
{
    if (level == SERVICE_CONFIG_FAILURE_ACTIONS_FLAG) {
        failureFlag = static_cast<SERVICE_FAILURE_ACTIONS_FLAG *>(info)->fFailureActionsOnNonCrashFailures;
        return TRUE;
    }
    const auto *given = static_cast<SERVICE_FAILURE_ACTIONSW *>(info);
    failureActions.assign(sizeof(*given) + 3 * sizeof(SC_ACTION) + 2048, 0);
    auto *kept = reinterpret_cast<SERVICE_FAILURE_ACTIONSW *>(failureActions.data());
    *kept = *given;
    kept->lpsaActions = reinterpret_cast<SC_ACTION *>(kept + 1);
    memcpy(kept->lpsaActions, given->lpsaActions, given->cActions * sizeof(SC_ACTION));
    kept->lpCommand = reinterpret_cast<WCHAR *>(kept->lpsaActions + 3);
    lstrcpynW(kept->lpCommand, given->lpCommand, 1024);
    return TRUE;
}
static BOOL WINAPI ReadKeptRecovery(SC_HANDLE, DWORD level, BYTE *info, DWORD size, DWORD *needed)
{
    *needed = level == SERVICE_CONFIG_FAILURE_ACTIONS_FLAG ? sizeof(SERVICE_FAILURE_ACTIONS_FLAG)
                                                           : DWORD(failureActions.size());
    if (size < *needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (level == SERVICE_CONFIG_FAILURE_ACTIONS_FLAG) {
        reinterpret_cast<SERVICE_FAILURE_ACTIONS_FLAG *>(info)->fFailureActionsOnNonCrashFailures = failureFlag > 0;
        return TRUE;
    }
    memcpy(info, failureActions.data(), failureActions.size());
    auto *record = reinterpret_cast<SERVICE_FAILURE_ACTIONSW *>(info);
    record->lpsaActions = reinterpret_cast<SC_ACTION *>(record + 1);
    record->lpCommand = reinterpret_cast<WCHAR *>(record->lpsaActions + 3);
    return TRUE;
}

TEST_F(ServiceOperations, RecoveryIsKeptAsTheServiceManagerTakesItAndReadBack)
{
    const TestService service("Recovered", "run");
    RecoverySettings wine = {};
    EXPECT_EQ(ReadRecovery(service.name.c_str(), &wine), DWORD(ERROR_INVALID_LEVEL));
    const ScopedOverride change(scmCalls.changeServiceConfig2, KeepRecovery);
    const ScopedOverride query(scmCalls.queryServiceConfig2, ReadKeptRecovery);
    const struct {
        RecoverySettings chosen;
        DWORD resetSeconds, actionCount;
        SC_ACTION actions[3];
        const wchar_t *command;
        int flag;
    } cases[] = {
        {{{SC_ACTION_RESTART, SC_ACTION_RESTART, SC_ACTION_NONE}, 86400, 60000, 0, false, L"", L"", false},
         86400, 3, {{SC_ACTION_RESTART, 60000}, {SC_ACTION_RESTART, 60000}, {SC_ACTION_NONE, 0}}, L"", -1},
        {{{SC_ACTION_RUN_COMMAND, SC_ACTION_REBOOT, SC_ACTION_REBOOT}, 172800, 0, 180000, true, L"C:\\Program Files\\a.exe",
          L"--svc", true},
         172800, 3, {{SC_ACTION_RUN_COMMAND, 0}, {SC_ACTION_REBOOT, 180000}, {SC_ACTION_REBOOT, 180000}},
         L"\"C:\\Program Files\\a.exe\" --svc /fail=%1%", 1},
        {{{SC_ACTION_NONE, SC_ACTION_NONE, SC_ACTION_NONE}, 432000, 0, 0, false, L"", L"", false}, 0, 0, {}, L"", 0},
        // Set elsewhere, no whole days or minutes: kept as they are.
        {{{SC_ACTION_RESTART, SC_ACTION_NONE, SC_ACTION_NONE}, 3600, 5000, 0, false, L"", L"", false},
         3600, 3, {{SC_ACTION_RESTART, 5000}, {SC_ACTION_NONE, 0}, {SC_ACTION_NONE, 0}}, L"", -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        failureFlag = -1;
        ASSERT_EQ(ApplyRecovery(service.name.c_str(), &c.chosen, &c == &cases[2]), 0u);
        const auto *record = reinterpret_cast<const SERVICE_FAILURE_ACTIONSW *>(failureActions.data());
        EXPECT_EQ(record->dwResetPeriod, c.resetSeconds);
        ASSERT_EQ(record->cActions, c.actionCount);
        for (DWORD i = 0; i < c.actionCount; i++) {
            EXPECT_EQ(record->lpsaActions[i].Type, c.actions[i].Type) << i;
            EXPECT_EQ(record->lpsaActions[i].Delay, c.actions[i].Delay) << i;
        }
        EXPECT_STREQ(record->lpCommand, c.command);
        EXPECT_EQ(failureFlag, c.flag);
        RecoverySettings back = {};
        ASSERT_EQ(ReadRecovery(service.name.c_str(), &back), 0u);
        const RecoverySettings &want = c.actionCount ? c.chosen : back;
        EXPECT_EQ(memcmp(back.actions, want.actions, sizeof(back.actions)), 0);
        EXPECT_EQ(back.onStopsWithErrors, c.chosen.onStopsWithErrors);
        EXPECT_EQ(back.resetSeconds, c.actionCount ? c.chosen.resetSeconds : 0);
        EXPECT_EQ(back.restartDelay, c.chosen.restartDelay);
        EXPECT_STREQ(back.program, c.chosen.program);
        EXPECT_STREQ(back.parameters, c.chosen.parameters);
        EXPECT_EQ(back.appendFailCount, c.chosen.appendFailCount);
    }
    // An action this program does not know is none it shows or keeps.
    reinterpret_cast<SERVICE_FAILURE_ACTIONSW *>(failureActions.data())->lpsaActions[0].Type = SC_ACTION_TYPE(4);
    RecoverySettings unknown = {};
    EXPECT_EQ(ReadRecovery(service.name.c_str(), &unknown), DWORD(ERROR_INVALID_DATA));
    // Copied: sc.exe failure with seconds and milliseconds, and failureflag.
    static WCHAR script[ScriptLength];
    ServiceSettings s = SettingsToInstall(service.name);
    char refusal[RefusalSize] = {};
    ASSERT_TRUE(WriteNewServiceScript(&s, &cases[1].chosen, script, refusal)) << refusal;
    EXPECT_NE(std::wstring(script).find(L"\r\nsc.exe failure \"" + Wide(service.name) +
                                        L"\" reset= 172800 actions= run/0/reboot/180000/reboot/180000 command= "
                                        L"\"\\\"C:\\Program Files\\a.exe\\\" --svc /fail=%%1%%\"\r\nsc.exe "
                                        L"failureflag \"" + Wide(service.name) + L"\" 1\r\n"),
              std::wstring::npos)
        << Narrow(script, CP_UTF8);
}

// What the checks find before a command, against Wine's own programs and
// service manager.
TEST_F(ServiceOperations, ChecksFindWhatWouldMakeACommandFail)
{
    const TestService installed("Checked", "run"), disabled("Disabled", "run"), missing("Missing");
    ReconfigureService(disabled.name, SERVICE_DISABLED, nullptr);
    SetDeleteFlag(disabled.name);
    const std::wstring tests = Wide(TestsFolder());
    CloseHandle(CreateFileW((tests + L"\\run.cmd").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const struct {
        std::wstring program, dependencies, displayName;
        const char *found;  // the first finding's beginning; null: none
    } cases[] = {
        {L"\"" + tests + L"\\tarnex_test_service.exe\" run", L"", L"", nullptr},
        {L"C:\\windows\\system32\\notepad.exe", L"", L"",
         "C:\\windows\\system32\\notepad.exe imports no StartServiceCtrlDispatcher"},
        {tests + L"\\run.cmd x", L"", L"", "is a script"},
        {tests + L"\\gone.exe", L"", L"", "The program "},
        {L"C:\\windows", L"", L"", "C:\\windows is a folder"},
        {L"", Wide(installed.name) + std::wstring(L"\0+TDI\0", 6), L"", nullptr},
        {L"", Wide(missing.name) + std::wstring(L"\0", 1), L"", "The dependency TarnexTestMissing"},
        {L"", Wide(disabled.name) + std::wstring(L"\0", 1), L"", "The dependency TarnexTestDisabled"},
        {L"", std::wstring(L"+No Such Group\0", 15), L"", "The group No Such Group is neither"},
        {L"", L"", Wide("Display " + installed.name), "The display name Display TarnexTestChecked"},
        {L"", L"", Wide(installed.name), "The display name TarnexTestChecked"},  // another's key name
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(Narrow(c.program + c.dependencies + c.displayName));
        Findings findings = {};
        CheckProgram(c.program.c_str(), SERVICE_WIN32_OWN_PROCESS, &findings);
        CheckDependencies(c.dependencies.c_str(), &findings);
        CheckDisplayName(c.displayName.c_str(), nullptr, &findings);
        EXPECT_EQ(findings.count, c.found ? 1 : 0) << findings.text;
        if (c.found) {
            EXPECT_NE(std::string(findings.text).find(c.found), std::string::npos) << findings.text;
        }
    }
    // Its own display name is no finding; an account not found is.
    Findings findings = {};
    CheckDisplayName(Wide("Display " + installed.name).c_str(), installed.name.c_str(), &findings);
    CheckAccount(L".\\NoSuchUser", false, &findings);
    EXPECT_EQ(findings.count, 1) << findings.text;
    // A service disabled and marked for deletion is not started.
    findings = {};
    CheckStart(disabled.name.c_str(), &findings);
    EXPECT_STREQ(findings.text, "- The service is disabled: Windows refuses to start it (error 1058).\r\n- The service "
                                "is marked for deletion: Windows refuses to start it (error 1072).\r\n");
}

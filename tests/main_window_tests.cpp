// The real main window, run on the test's main thread with its own modal
// loop and driven from a second thread as a person would drive it.
#include "app/accessible_names.h"
#include "app/main_window_parts.h"
#include "app/recovery_dialog.h"
#include "app/services_picker.h"
#include "app/startup.h"
#include "app/tray_icon.h"
#include "service/service_account.h"
#include "service/operation.h"
#include "skin/color.h"
#include "skin/record.h"
#include "skin/texture.h"
#include "tests/support/folders.h"
#include "tests/support/gdi_objects.h"
#include "tests/support/group_order.h"
#include "tests/support/gui_driver.h"
#include "tests/support/local_text.h"
#include "tests/support/long_run.h"
#include "tests/support/seams.h"
#include "tests/support/services.h"

#include <ntstatus.h>
#include <shellapi.h>
#include <stddef.h>

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>

static const char Success[] = "Service Operation Succeeds!";

// The verdict of a command that succeeded, naming its service.
static std::string Reached(const std::string &name, const char *state)
{
    return std::string(Success) + "\r\nThe service " + name + " is " + state + ".";
}

struct FormState {
    bool body, install, remove, start, stop, trayStart, trayStop;
    bool operator==(const FormState &) const = default;
};

static FormState StateOf(HWND window)
{
    // The tray menu, seen open once for each window.
    static HWND menuOwner;
    static HMENU trayMenu;
    if (menuOwner != window || !IsMenu(trayMenu)) {
        trayMenu = TrayMenuOf(window);
        menuOwner = window;
    }
    auto enabled = [&](int id) { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; };
    auto trayEnabled = [](UINT id) { return !(GetMenuState(trayMenu, id, MF_BYCOMMAND) & MF_GRAYED); };
    return {enabled(BinaryPathField), enabled(InstallButton), enabled(RemoveButton), enabled(StartButton),
            enabled(StopButton), trayEnabled(TrayStart), trayEnabled(TrayStop)};
}

static void PrintTo(const FormState &s, std::ostream *out)
{
    *out << "body " << s.body << " install " << s.install << " remove " << s.remove << " start " << s.start
         << " stop " << s.stop << " tray " << s.trayStart << s.trayStop;
}

constexpr FormState Empty = {true, false, false, false, false, false, false};
constexpr FormState NewWithPath = {true, true, false, false, false, false, false};
constexpr FormState NewWithoutPath = {true, false, false, false, false, false, false};
// A shown service, its Install button Change.
constexpr FormState Stopped = {false, true, true, true, false, true, false};
constexpr FormState Active = {false, true, true, false, true, false, true};
// A service marked for deletion, or one a command runs on: no command.
constexpr FormState NoCommand = {false, false, false, false, false, false, false};

// Waits until the window has handled what was sent to it before: it is back
// in a message loop (a message box's, if one is open).
static void Settle(HWND window)
{
    SendMessageA(window, WM_NULL, 0, 0);
}

// A refresh now, as the timer would run it, and settled.
static void Refresh(HWND window)
{
    SendNotifyMessageA(window, WM_TIMER, RefreshTimerId, 0);
    Settle(window);
}

// The state the window shows, refreshed for every look rather than a tick
// later; one test lets the timer alone refresh.
static bool Shows(HWND window, const FormState &state, bool byTimer = false)
{
    return WaitUntil([&] {
        if (!byTimer)
            Refresh(window);
        return StateOf(window) == state;
    });
}

// The state the window shows once a command has ended: the command
// refreshes the form itself.
static FormState AfterCommand(HWND window)
{
    Settle(window);
    return StateOf(window);
}

class MainWindow : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        StartProgram();
        DeleteLeftoverTestServices();
    }
};

TEST_F(MainWindow, ShowsAServiceAndFollowsItsState)
{
    const TestService service("Shown", "run");
    const std::string &name = service.name;
    DriveMainWindow([&](HWND window) {
        EXPECT_TRUE(Shows(window, Empty));
        TypeText(window, KeyNameField, name.c_str());
        EXPECT_TRUE(Shows(window, Stopped, true));  // by the once-a-second timer
        EXPECT_EQ(ControlText(window, BinaryPathField), TestServiceCommand(name, "run"));
        EXPECT_EQ(ControlText(window, DisplayNameField), "Display " + name);

        ASSERT_TRUE(Press(window, StartButton));
        const RecordedBox started = AnswerMessageBox(IDOK);
        EXPECT_EQ(started.caption, "Tarnex");
        EXPECT_EQ(started.text, Reached(name, "running"));
        EXPECT_EQ(AfterCommand(window), Active);

        ASSERT_TRUE(Press(window, StopButton));
        EXPECT_EQ(AnswerMessageBox(IDOK).text, Reached(name, "stopped"));
        EXPECT_TRUE(Shows(window, Stopped));

        // A name no service has: the loaded values stay as a template.
        TypeText(window, KeyNameField, (name + "New").c_str());
        EXPECT_TRUE(Shows(window, NewWithPath));
        EXPECT_EQ(ControlText(window, BinaryPathField), TestServiceCommand(name, "run"));
        TypeText(window, BinaryPathField, "");
        EXPECT_TRUE(Shows(window, NewWithoutPath));
    });
}

TEST_F(MainWindow, InstallsAndRemovesFromTheForm)
{
    const TestService service("FromForm");
    const std::string &name = service.name;
    DriveMainWindow([&](HWND window) {
        TypeText(window, KeyNameField, name.c_str());
        TypeText(window, BinaryPathField, TestServiceCommand(name, "run").c_str());
        TypeText(window, DisplayNameField, "Made in the form");
        TypeText(window, DescriptionField, "Installed by a test");
        TypeText(window, DependenciesField, "Eventlog");
        ASSERT_TRUE(Shows(window, NewWithPath));
        ASSERT_TRUE(Press(window, InstallButton));
        const RecordedBox installed = AnswerMessageBox(IDOK);
        EXPECT_EQ(installed.caption, "Tarnex");
        EXPECT_EQ(installed.text, Success);
        EXPECT_EQ(AfterCommand(window), Stopped);
        const std::string reg = RegistryOf(name);
        EXPECT_NE(reg.find("DisplayName    REG_SZ    Made in the form"), std::string::npos) << reg;
        EXPECT_NE(reg.find("Description    REG_SZ    Installed by a test"), std::string::npos) << reg;
        EXPECT_NE(reg.find("Start    REG_DWORD    0x2"), std::string::npos) << reg;  // the form's default
        EXPECT_NE(reg.find("ErrorControl    REG_DWORD    0x1"), std::string::npos) << reg;
        EXPECT_NE(reg.find("DependOnService    REG_MULTI_SZ    Eventlog"), std::string::npos) << reg;

        ASSERT_TRUE(Press(window, RemoveButton));
        const RecordedBox question = AnswerMessageBox(IDNO);
        EXPECT_EQ(question.caption, "Please Confirm!");
        EXPECT_EQ(question.text, "Do You REALLY Want To Delete the Service?");
        Settle(window);
        EXPECT_TRUE(NoMessageBox(0));  // nothing done, nothing shown
        EXPECT_NE(RunAndCapture("sc query " + name).find("STOPPED"), std::string::npos);

        ASSERT_TRUE(Shows(window, Stopped));
        ASSERT_TRUE(Press(window, RemoveButton));
        EXPECT_EQ(AnswerMessageBox(IDYES).caption, "Please Confirm!");
        EXPECT_EQ(AnswerMessageBox(IDOK, 5000).text, Reached(name, "removed"));
        EXPECT_TRUE(Shows(window, NewWithPath));
        EXPECT_TRUE(WaitUntil([&] { return RegistryOf(name).find("ImagePath") == std::string::npos; }));
    });
}

static std::string SelectedText(HWND window, int id)
{
    char text[FieldSize] = {};
    const LRESULT row = SendDlgItemMessageA(window, id, CB_GETCURSEL, 0, 0);
    SendDlgItemMessageA(window, id, CB_GETLBTEXT, row, LPARAM(text));
    return text;
}

TEST_F(MainWindow, ValuesOutsideTheListsSelectNothingOrTheServicesOwnGroup)
{
    using namespace std::string_literals;
    const ScopedGroupOrder groups("Boot Bus Extender\0\0"s);
    const TestService sharedService("SharedInteractive", "run",
                                    SERVICE_WIN32_SHARE_PROCESS | SERVICE_INTERACTIVE_PROCESS, "TarnexNoSuchGroup");
    const TestService copyService("CopyOfShared");
    const TestService bootService("InBoot", "run", SERVICE_WIN32_OWN_PROCESS, "Boot");
    const std::string &shared = sharedService.name, &copy = copyService.name, &boot = bootService.name;
    DriveMainWindow([&](HWND window) {
        // Only the group's whole name selects it, never one it begins.
        TypeText(window, KeyNameField, boot.c_str());
        ASSERT_TRUE(Shows(window, Stopped));
        EXPECT_EQ(SelectedText(window, LoadOrderGroupList), "BOOT");

        TypeText(window, KeyNameField, shared.c_str());
        ASSERT_TRUE(Shows(window, Stopped));
        EXPECT_EQ(SendDlgItemMessageA(window, ServiceTypeList, CB_GETCURSEL, 0, 0), CB_ERR);
        EXPECT_EQ(SelectedText(window, LoadOrderGroupList), "TARNEXNOSUCHGROUP");  // not in the group order
        EXPECT_EQ(SendDlgItemMessageA(window, StartTypeList, CB_GETCURSEL, 0, 0), 3);  // demand start
        // The group goes from the list with its service, and comes back with it.
        TypeText(window, KeyNameField, boot.c_str());
        ASSERT_TRUE(Shows(window, Stopped));
        EXPECT_EQ(SendDlgItemMessageA(window, LoadOrderGroupList, CB_FINDSTRINGEXACT, WPARAM(-1),
                                      LPARAM("TarnexNoSuchGroup")),
                  CB_ERR);
        TypeText(window, KeyNameField, shared.c_str());
        ASSERT_TRUE(Shows(window, Stopped));

        // Kept as a template, the type the list cannot show is no type:
        // refused until one is chosen. The shown service's group left the
        // list with it.
        TypeText(window, KeyNameField, copy.c_str());
        ASSERT_TRUE(Shows(window, NewWithPath));
        EXPECT_EQ(SelectedText(window, LoadOrderGroupList), NoGroupEntry);
        TypeText(window, DisplayNameField, "A copy");  // display names are unique too
        ASSERT_TRUE(Press(window, InstallButton));
        EXPECT_EQ(AnswerMessageBox(IDOK).text, "Service Type shows no type: the service shown before has the type "
                                               "0x120, which the list does not hold. Choose one. Nothing was done.");
        SendDlgItemMessageA(window, ServiceTypeList, CB_SETCURSEL, 10, 0);  // share process
        ASSERT_TRUE(Press(window, InstallButton));
        EXPECT_EQ(AnswerMessageBox(IDOK).text, Success);
        const std::string reg = RegistryOf(copy);
        EXPECT_NE(reg.find("Type    REG_DWORD    0x20"), std::string::npos) << reg;
        EXPECT_NE(reg.find("Group    REG_SZ    \n"), std::string::npos) << reg;
    });
}

TEST_F(MainWindow, AnInvalidKeyNameIsReportedOnceAndEmptied)
{
    DriveMainWindow([&](HWND window) {
        TypeText(window, KeyNameField, "a/b");
        Refresh(window);
        const RecordedBox box = AnswerMessageBox(IDOK);
        EXPECT_EQ(box.caption, "Error 0pening a Service of the SCM!");
        EXPECT_EQ(box.text.rfind("Error 123: ", 0), 0u) << box.text;
        EXPECT_TRUE(WaitUntil([&] { return ControlText(window, KeyNameField).empty(); }));
        Refresh(window);
        EXPECT_TRUE(NoMessageBox(0));  // reported once
        EXPECT_TRUE(Shows(window, Empty));
    });
}

// Answers the Open dialog with a typed file name; the name it started on.
static std::string ChooseFile(const char *path)
{
    HWND dialog = WaitForWindow("Selecting a File", "#32770");
    if (!dialog)
        return "(no Open dialog)";
    const OpenDialogSeen seen = AnswerOpenDialog(dialog, path);
    WaitUntil([&] { return !IsWindow(dialog); });
    return seen.fileName;
}

TEST_F(MainWindow, ProposesNamesFromAChosenExecutableOnlyIntoEmptyFields)
{
    DriveMainWindow([&](HWND window) {
        ASSERT_TRUE(Press(window, BinaryPathPicker));
        ChooseFile("Z:\\tmp\\Tarnex Tools\\mysvc.exe");
        EXPECT_TRUE(WaitUntil([&] { return ControlText(window, KeyNameField) == "mysvc"; }));
        EXPECT_EQ(ControlText(window, BinaryPathField), "Z:\\tmp\\Tarnex Tools\\mysvc.exe");
        EXPECT_EQ(ControlText(window, DisplayNameField), "mysvc");
        EXPECT_EQ(ControlText(window, DescriptionField), "mysvc");

        TypeText(window, DisplayNameField, "Kept");
        TypeText(window, KeyNameField, "");
        ASSERT_TRUE(Press(window, BinaryPathPicker));
        EXPECT_NE(ChooseFile("Z:\\tmp\\other.exe").find("mysvc.exe"), std::string::npos);  // the field's file
        EXPECT_TRUE(WaitUntil([&] { return ControlText(window, BinaryPathField) == "Z:\\tmp\\other.exe"; }));
        EXPECT_EQ(ControlText(window, KeyNameField), "");
        EXPECT_EQ(ControlText(window, DisplayNameField), "Kept");
    });
}

TEST_F(MainWindow, AServiceInstalledWhileAFileIsChosenShowsItsOwnPath)
{
    const TestService service("WhilePicking");
    const std::string &name = service.name;
    DriveMainWindow([&](HWND window) {
        TypeText(window, KeyNameField, name.c_str());
        TypeText(window, BinaryPathField, "\"Z:\\tmp\\quoted tool.exe\" -k run");
        ASSERT_TRUE(Shows(window, NewWithPath));
        ASSERT_TRUE(Press(window, BinaryPathPicker));
        ASSERT_TRUE(WaitForWindow("Selecting a File", "#32770"));
        // Meanwhile the service is installed, and the refresh shows it.
        service.Install();
        EXPECT_TRUE(Shows(window, Stopped));
        const std::string started = ChooseFile("Z:\\tmp\\chosen.exe");
        EXPECT_NE(started.find("quoted tool.exe"), std::string::npos) << started;  // the program in the quotes
        EXPECT_EQ(started.find("-k"), std::string::npos) << started;
        Refresh(window);
        EXPECT_EQ(ControlText(window, BinaryPathField), TestServiceCommand(name, "run"));
    });
}

TEST_F(MainWindow, AsksWhetherADependencyIsAServiceOrAGroup)
{
    DriveMainWindow([&](HWND window) {
        TypeText(window, DependenciesField, "alpha");
        ASSERT_TRUE(Press(window, DependencyPicker));
        const RecordedBox question = AnswerMessageBox(IDCANCEL);
        EXPECT_EQ(question.caption, "Please Confirm: Group or Service?");
        EXPECT_EQ(question.text, "Is it a request for a Service?");
        Settle(window);
        EXPECT_FALSE(WaitForWindow("Selecting...", "#32770", 0));
        EXPECT_EQ(pickerMode, PickedNeither);

        for (int answer : {IDYES, IDNO}) {
            ASSERT_TRUE(Press(window, DependencyPicker));
            AnswerMessageBox(answer);
            HWND picker = WaitForWindow("Selecting...", "#32770");
            ASSERT_TRUE(picker);
            EXPECT_EQ(pickerMode, answer == IDYES ? PickServices : PickGroups);
            PostMessageA(picker, WM_CLOSE, 0, 0);  // nothing chosen
            WaitUntil([&] { return !IsWindow(picker); });
        }
        EXPECT_EQ(ControlText(window, DependenciesField), "alpha");
    });
}

// What the tray sends for the icon, in version 4's form.
static void NotifyTray(HWND window, UINT event, UINT icon = TrayIconId)
{
    PostMessageA(window, TrayNotifyMessage, MAKEWPARAM(600, 500), MAKELPARAM(event, icon));
}

// The program's icon in the taskbar of Wine's desktop: the one icon there,
// at its right end, a small icon with a border of two pixels round it.
static RECT TrayIconPlace()
{
    RECT place = {};
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    if (tray && IsWindowVisible(tray)) {
        GetWindowRect(tray, &place);
        place.left = place.right - (GetSystemMetrics(SM_CXSMICON) + 4);
    }
    return place;
}

// Wine moves the pointer asynchronously: waits until it is where it was sent.
// Real clicks on the tray icon, as a person makes them.
static void ClickTrayIcon(DWORD down, DWORD up, int clicks)
{
    const RECT place = TrayIconPlace();
    ASSERT_LT(place.left, place.right) << "no taskbar on the desktop";
    ASSERT_TRUE(MovePointerTo((place.left + place.right) / 2, (place.top + place.bottom) / 2));
    for (int i = 0; i < clicks; i++)
        for (DWORD flags : {down, up}) {
            INPUT input = {};
            input.type = INPUT_MOUSE;
            input.mi.dwFlags = flags;
            SendInput(1, &input, sizeof(input));
            Sleep(30);
        }
}

TEST_F(MainWindow, TrayMenuMinimiseAndRestore)
{
    const TestService service("FromTray", "run");
    const std::string &name = service.name;
    DriveMainWindow([&](HWND window) {
        ASSERT_TRUE(Shows(window, Empty));
        // The right button's release, and Enter or the context-menu key on
        // the icon, open the menu; so does the right button's release from a
        // shell that took no version.
        for (UINT event : {UINT(WM_CONTEXTMENU), UINT(NIN_KEYSELECT)}) {
            NotifyTray(window, event);
            EXPECT_TRUE(ChooseFromPopupMenu({VK_ESCAPE})) << event;
        }
        PostMessageA(window, TrayNotifyMessage, TrayIconId, WM_RBUTTONUP);
        EXPECT_TRUE(ChooseFromPopupMenu({VK_ESCAPE}));
        // Nothing opens on a press, on a left click (the first of a double
        // click), or for another icon.
        for (UINT event : {UINT(WM_LBUTTONDOWN), UINT(WM_LBUTTONUP), UINT(NIN_SELECT), UINT(WM_RBUTTONDOWN)})
            NotifyTray(window, event);
        NotifyTray(window, WM_CONTEXTMENU, TrayIconId + 1);
        PostMessageA(window, TrayNotifyMessage, TrayIconId, WM_LBUTTONDOWN);
        Settle(window);
        EXPECT_FALSE(WaitForWindow(nullptr, "#32768", 0));

        // The mouse's menu opens at the cursor, the keyboard's at the anchor
        // the shell sends (600, 500): the menu's bottom right corner.
        ASSERT_TRUE(MovePointerTo(300, 200));
        for (UINT event : {UINT(WM_RBUTTONUP), UINT(NIN_KEYSELECT)}) {
            NotifyTray(window, event);
            if (event == WM_RBUTTONUP)
                NotifyTray(window, WM_CONTEXTMENU);
            HWND menu = WaitForWindow(nullptr, "#32768");
            RECT place = {};
            GetWindowRect(menu, &place);
            POINT cursor;  // Wine may have moved it since
            GetCursorPos(&cursor);
            EXPECT_EQ(place.right, event == WM_RBUTTONUP ? cursor.x : 600) << event;
            EXPECT_EQ(place.bottom, event == WM_RBUTTONUP ? cursor.y : 500) << event;
            EXPECT_TRUE(ChooseFromPopupMenu({VK_ESCAPE})) << event;
        }

        // Wine's real tray: a double click restores, a right click opens the menu.
        PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
        ClickTrayIcon(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 2);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) && !IsIconic(window); }));
        EXPECT_FALSE(WaitForWindow(nullptr, "#32768", 0));

        PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
        ClickTrayIcon(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 1);
        EXPECT_TRUE(ChooseFromPopupMenu({VK_UP, VK_UP, VK_UP, VK_RETURN}));  // "Restore Window"
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) && !IsIconic(window); }));

        // Start and Stop from the menu, as the buttons do.
        TypeText(window, KeyNameField, name.c_str());
        ASSERT_TRUE(Shows(window, Stopped));
        NotifyTray(window, WM_CONTEXTMENU);
        EXPECT_TRUE(ChooseFromPopupMenu({VK_DOWN, VK_RETURN}));  // "Start"
        EXPECT_EQ(AnswerMessageBox(IDOK).text, Reached(name, "running"));
        EXPECT_EQ(AfterCommand(window), Active);
        NotifyTray(window, NIN_KEYSELECT);
        EXPECT_TRUE(ChooseFromPopupMenu({VK_DOWN, VK_DOWN, VK_RETURN}));  // "Stop"
        EXPECT_EQ(AnswerMessageBox(IDOK).text, Reached(name, "stopped"));
        EXPECT_TRUE(Shows(window, Stopped));
    });
}

TEST_F(MainWindow, ClosedWhileABoxIsOpenItsTrayIconGoesAtOnce)
{
    DriveMainWindow([&](HWND window) {
        ASSERT_TRUE(Press(window, AboutButton));
        HWND about = WaitForWindow(nullptr, "#32770", 3000, window);
        ASSERT_TRUE(about);
        NotifyTray(window, WM_CONTEXTMENU);
        ASSERT_TRUE(ChooseFromPopupMenu({VK_UP, VK_RETURN}));  // "Close Tarnex"
        EXPECT_TRUE(WaitUntil([&] { return !TrayIconShown(window); }));
        // What was posted to the tray before it went is ignored too.
        NotifyTray(window, WM_LBUTTONDBLCLK);
        NotifyTray(window, WM_CONTEXTMENU);
        Settle(window);
        EXPECT_FALSE(WaitForWindow(nullptr, "#32768", 0));
        EXPECT_FALSE(IsWindowVisible(window));
        PostMessageA(about, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }));
    });
}

// The rows of a 32 x 32 icon that hold anything, top and bottom.
static void DrawnRows(HICON icon, int *top, int *bottom)
{
    ICONINFO info = {};
    GetIconInfo(icon, &info);
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD pixels[32 * 32] = {};
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, info.hbmColor, 0, 32, pixels, &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    *top = 32;
    *bottom = -1;
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++)
            if (pixels[y * 32 + x] >> 24) {
                *top = std::min(*top, y);
                *bottom = std::max(*bottom, y);
            }
}

TEST_F(MainWindow, ButtonIconsFitTheButtonsThatShowThem)
{
    DriveMainWindow([&](HWND window) {
        for (int id = AboutButton; id <= CloseButton; id++) {
            HWND button = GetDlgItem(window, id);
            RECT client;
            GetClientRect(button, &client);
            const CTRL_STRUCT *record = SkinRecord(button);
            ASSERT_TRUE(record && record->skin.normalIcon) << id;
            // Centred, the icon overhangs the button by half the difference.
            const int hidden = (32 - client.bottom + 1) / 2;
            int top, bottom;
            DrawnRows(record->skin.normalIcon, &top, &bottom);
            EXPECT_GE(top, hidden) << id;
            EXPECT_LT(bottom, hidden + client.bottom) << id;
        }
    });
}

// A service that refuses the rights in refusedRights, as Windows' protected
// services refuse administrators the right to stop or delete them.
static std::string refusedService;
static DWORD refusedRights;
static SC_HANDLE WINAPI RefuseRights(SC_HANDLE scm, LPCSTR name, DWORD access)
{
    if (refusedService == name && (access & refusedRights)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return OpenServiceA(scm, name, access);
}

static bool BodyEnabled(HWND window)
{
    return IsWindowEnabled(GetDlgItem(window, BinaryPathField)) != FALSE;
}

TEST_F(MainWindow, ARefusedServiceLeavesTheFormUsable)
{
    refusedService = UniqueServiceName("Refused");
    refusedRights = ~0u;
    const ScopedOverride refuse(scmCalls.openService, RefuseRights);
    DriveMainWindow([&](HWND window) {
        TypeText(window, KeyNameField, refusedService.c_str());
        Refresh(window);
        EXPECT_EQ(AnswerMessageBox(IDOK).caption, "Error 0pening a Service of the SCM!");
        EXPECT_TRUE(WaitUntil([&] { return !BodyEnabled(window); }));
        // Another name is looked up again, and can be installed.
        TypeText(window, KeyNameField, (refusedService + "Other").c_str());
        TypeText(window, BinaryPathField, "C:\\x.exe");
        EXPECT_TRUE(Shows(window, NewWithPath));
        // The refused service itself is refused again.
        TypeText(window, KeyNameField, refusedService.c_str());
        Refresh(window);
        EXPECT_EQ(AnswerMessageBox(IDOK).caption, "Error 0pening a Service of the SCM!");
        EXPECT_TRUE(WaitUntil([&] { return !BodyEnabled(window); }));
    });
}

TEST_F(MainWindow, AProtectedServiceIsShownAndOnlyWhatItRefusesFails)
{
    const TestService service("Protected");
    refusedService = service.name;
    refusedRights = SERVICE_QUERY_STATUS;
    const ScopedOverride refuse(scmCalls.openService, RefuseRights);
    DriveMainWindow([&](HWND window) {
        TypeText(window, KeyNameField, refusedService.c_str());
        TypeText(window, BinaryPathField, "C:\\x.exe");
        ASSERT_TRUE(Shows(window, NewWithPath));
        // Installed meanwhile, with its status refused: while the refusal is
        // shown, the form is already the service's.
        service.Install();
        Refresh(window);
        HWND box = WaitForMessageBox();
        ASSERT_TRUE(box);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, InstallButton)));  // as Change
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, RemoveButton)));
        AnswerBox(box, IDOK);

        // Refused the right to change, stop or delete it, as Windows' own
        // protected services are: it is shown, and only Remove fails.
        refusedRights = SERVICE_CHANGE_CONFIG | SERVICE_STOP | DELETE | WRITE_DAC | WRITE_OWNER;
        EXPECT_TRUE(Shows(window, Stopped));
        EXPECT_TRUE(NoMessageBox(0));
        EXPECT_EQ(ControlText(window, BinaryPathField), TestServiceCommand(refusedService, "run"));
        ASSERT_TRUE(Press(window, RemoveButton));
        AnswerMessageBox(IDYES);
        const RecordedBox refused = AnswerMessageBox(IDOK, 5000);
        EXPECT_EQ(refused.caption, "Error 0pening a Service of the SCM!");
        EXPECT_EQ(refused.text, "Removing " + refusedService + ":\r\nError 5: Access denied.\r\n");
        EXPECT_EQ(AfterCommand(window), Stopped);
    });
}

// What the program asks of the notification area; while noTray holds, a
// shell without one refuses it all.
static std::vector<std::pair<DWORD, NOTIFYICONDATAA>> trayAsked;
static bool noTray;
static BOOL WINAPI AskTray(DWORD message, NOTIFYICONDATAA *icon)
{
    trayAsked.push_back({message, *icon});
    return !noTray && Shell_NotifyIconA(message, icon);
}

// The shell's notification area goes (Server Core has none; Explorer may
// restart) and comes back.
TEST_F(MainWindow, TheWindowHidesOnlyBehindAnIconInTheTray)
{
    noTray = false;
    trayAsked.clear();
    const ScopedOverride asked(trayCalls.notifyIcon, AskTray);
    DriveMainWindow([&](HWND window) {
        // The record carries what version 4 needs for Windows to show its tip.
        ASSERT_FALSE(trayAsked.empty());
        NOTIFYICONDATAA icon = trayAsked[0].second;
        EXPECT_EQ(trayAsked[0].first, DWORD(NIM_ADD));
        EXPECT_GE(icon.cbSize, offsetof(NOTIFYICONDATAA, hBalloonIcon) + sizeof(HICON));
        EXPECT_TRUE(icon.uFlags & NIF_SHOWTIP);
        EXPECT_STREQ(icon.szTip, "Tarnex");
        ASSERT_GE(trayAsked.size(), 2u);
        EXPECT_EQ(trayAsked[1].first, DWORD(NIM_SETVERSION));
        EXPECT_EQ(trayAsked[1].second.uVersion, UINT(NOTIFYICON_VERSION_4));
        noTray = true;
        Shell_NotifyIconA(NIM_DELETE, &icon);
        PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(WaitUntil([&] { return IsIconic(window); }));
        Settle(window);
        EXPECT_TRUE(IsWindowVisible(window));
        noTray = false;
        SendMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        EXPECT_TRUE(TrayIconShown(window));
        PostMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsIconic(window); }));
        PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
        // Hidden, it comes back when a new taskbar will not take its icon.
        noTray = true;
        Shell_NotifyIconA(NIM_DELETE, &icon);
        SendMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) && IsIconic(window); }));
    });
}

// A service's program that does not behave: what became of it is the
// verdict, and the window answers while it is found out.
TEST_F(MainWindow, StartIsJudgedByWhatBecameOfTheService)
{
    const TestService never("NeverConnects", "noconnect"), failing("FailsAtStart", "fails"),
        slow("StartsSlowly", "slowstart"), notepad("NotAServiceProgram", "run");
    ReconfigureService(notepad.name, SERVICE_NO_CHANGE, "C:\\windows\\system32\\notepad.exe");
    DriveMainWindow([&](HWND window) {
        // StartService waits for a program that never connects.
        TypeText(window, KeyNameField, never.name.c_str());
        ASSERT_TRUE(Shows(window, Stopped));
        ASSERT_TRUE(Press(window, StartButton));
        ASSERT_EQ(WaitForServiceState(never.name, SERVICE_START_PENDING, 2000), DWORD(SERVICE_START_PENDING));
        DWORD_PTR answer;
        EXPECT_TRUE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 250, &answer));
        EXPECT_TRUE(Shows(window, NoCommand));  // refreshed meanwhile, its commands off
        // Closed meanwhile, the window ends without waiting for the service.
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 1500));
    });
    DriveMainWindow([&](HWND window) {
        // Not a service program: said before the start would wait for it.
        TypeText(window, KeyNameField, notepad.name.c_str());
        ASSERT_TRUE(Shows(window, Stopped));
        ASSERT_TRUE(Press(window, StartButton));
        const RecordedBox checked = AnswerMessageBox(IDNO);
        EXPECT_EQ(checked.caption, "Error Installing Service");
        EXPECT_NE(checked.text.find("notepad.exe imports no StartServiceCtrlDispatcher"), std::string::npos)
            << checked.text;
        EXPECT_TRUE(Shows(window, Stopped));
        TypeText(window, KeyNameField, failing.name.c_str());
        ASSERT_TRUE(Shows(window, Stopped));
        ASSERT_TRUE(Press(window, StartButton));
        EXPECT_NE(AnswerMessageBox(IDOK, 5000).text.find("The service's own code: 42."), std::string::npos);
        TypeText(window, KeyNameField, slow.name.c_str());
        ASSERT_TRUE(Shows(window, Stopped));
        ASSERT_TRUE(Press(window, StartButton));
        HWND verdict = WaitForMessageBox(5000);
        EXPECT_EQ(WaitForServiceState(slow.name, SERVICE_RUNNING, 0), DWORD(SERVICE_RUNNING));  // not before
        EXPECT_EQ(AnswerBox(verdict, IDOK).text, Reached(slow.name, "running"));
    });
}

// The running services that depend on the shown service, as Windows lists
// them (Wine lists none): the one named here.
static std::string dependentName;
static BOOL WINAPI ListDependent(SC_HANDLE, DWORD, ENUM_SERVICE_STATUSW *entries, DWORD size, DWORD *needed,
                                 DWORD *count)
{
    const std::wstring name = Wide(dependentName);
    *count = 0;
    *needed = name.empty() ? 0 : DWORD(sizeof(*entries) + (name.size() + 1) * sizeof(WCHAR));
    if (size < *needed) {
        SetLastError(ERROR_MORE_DATA);
        return FALSE;
    }
    if (!name.empty()) {
        auto *text = reinterpret_cast<WCHAR *>(entries + 1);
        lstrcpyW(text, name.c_str());
        entries[0] = {text, text, {SERVICE_WIN32_OWN_PROCESS, SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0, 0, 0, 0}};
        *count = 1;
    }
    return TRUE;
}

TEST_F(MainWindow, StopAsksFirstAboutTheServicesThatDependOnIt)
{
    const TestService needed("Needed", "run"), dependent("Dependent", "run"), hanging("HangsStopping", "hangstop");
    for (const TestService *service : {&needed, &dependent, &hanging})
        RunAndCapture("sc start " + service->name);
    dependentName = dependent.name;
    const ScopedOverride listed(scmCalls.enumDependentServices, ListDependent);
    DriveMainWindow([&](HWND window) {
        TypeText(window, KeyNameField, needed.name.c_str());
        for (int answer : {IDNO, IDYES}) {
            ASSERT_TRUE(Shows(window, Active));  // and not while the question is open
            ASSERT_TRUE(Press(window, StopButton));
            const RecordedBox question = AnswerMessageBox(answer);
            EXPECT_NE(question.text.find(dependent.name), std::string::npos) << question.text;
            const DWORD state = answer == IDYES ? SERVICE_STOPPED : SERVICE_RUNNING;
            if (answer == IDYES) {
                EXPECT_EQ(AnswerMessageBox(IDOK, 5000).text, Reached(needed.name, "stopped"));
            }
            EXPECT_EQ(WaitForServiceState(dependent.name, state, 0), state);
            EXPECT_EQ(WaitForServiceState(needed.name, state, 0), state);
        }
        dependentName.clear();
        TypeText(window, KeyNameField, hanging.name.c_str());
        ASSERT_TRUE(Shows(window, Active));
        ASSERT_TRUE(Press(window, StopButton));
        const RecordedBox stalled = AnswerMessageBox(IDOK, 5000);
        EXPECT_EQ(stalled.caption, "Error Stopping Service");
        EXPECT_EQ(stalled.text.rfind("Stopping " + hanging.name + ":\r\nThe service is still stopping", 0), 0u)
            << stalled.text;
    });
}

// Windows deletes a service once no program holds it open; till then it
// is marked for deletion, as another program's deletion may have left one.
TEST_F(MainWindow, AServiceMarkedForDeletionTakesNoCommandUntilItGoes)
{
    const TestService held("HeldOpen", "run"), flagged("FlaggedByOther", "run");
    SetDeleteFlag(flagged.name);
    DriveMainWindow([&](HWND window) {
        TypeText(window, KeyNameField, flagged.name.c_str());
        EXPECT_TRUE(Shows(window, NoCommand));
        LockServiceManager();
        SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
        SC_HANDLE holder = OpenServiceA(scm, held.name.c_str(), SERVICE_QUERY_STATUS);
        UnlockServiceManager();
        TypeText(window, KeyNameField, held.name.c_str());
        ASSERT_TRUE(Shows(window, Stopped));
        ASSERT_TRUE(Press(window, RemoveButton));
        // While the question is open no command begins, the tray's neither.
        HWND question = WaitForMessageBox();
        EXPECT_EQ(StateOf(window), NoCommand);
        PostMessageA(window, WM_COMMAND, StartButton, 0);
        Settle(window);
        EXPECT_EQ(AnswerBox(question, IDYES).caption, "Please Confirm!");
        EXPECT_NE(AnswerMessageBox(IDOK, 5000).text.find("marked for deletion"), std::string::npos);
        EXPECT_TRUE(NoMessageBox(0));
        EXPECT_TRUE(Shows(window, NoCommand));
        EXPECT_EQ(WaitForServiceState(held.name, SERVICE_RUNNING, 0), DWORD(SERVICE_STOPPED));
        // Gone while another service is shown, and made anew at once (an
        // installer run again): a service like any other.
        TypeText(window, KeyNameField, flagged.name.c_str());
        EXPECT_TRUE(Shows(window, NoCommand));
        LockServiceManager();
        CloseServiceHandle(holder);
        CloseServiceHandle(scm);
        UnlockServiceManager();
        EXPECT_TRUE(WaitUntil([&] { return !ServiceExists(held.name); }));
        held.Install();
        TypeText(window, KeyNameField, held.name.c_str());
        EXPECT_TRUE(Shows(window, Stopped));
    });
}

// What the window had when something other than its own commands ended it.
static HWND endedWindow;
static HMENU endedMenu;
static HBITMAP endedTexture;
static void CALLBACK EndWindowDirectly(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND window = FindMainWindow();
    if (!window || !endedMenu)
        return;  // not all made yet
    KillTimer(nullptr, timer);
    endedWindow = window;
    endedTexture = textureBitmap;
    EndDialog(window, 0);
}

// The names a screen reader was given, and taken back, by control.
static std::vector<std::pair<int, std::wstring>> named;
static std::vector<int> unnamed;

TEST_F(MainWindow, HoweverItEndsTheWindowTakesItsTrayIconAndObjects)
{
    {
        const ScopedOverride names(accessibleNameCalls,
                                   {[](HWND control, const WCHAR *name) { named.push_back({GetDlgCtrlID(control), name}); },
                                    [](HWND control) { unnamed.push_back(GetDlgCtrlID(control)); }});
        endedWindow = nullptr;
        endedMenu = nullptr;
        RunDriven(
            [] {
                SetTimer(nullptr, 0, 100, EndWindowDirectly);
                RunMainWindow();
            },
            [] {
                HWND window = nullptr;
                WaitUntil([&] { return (window = FindMainWindow()) && TrayIconShown(window); });
                endedMenu = window ? TrayMenuOf(window) : nullptr;
            });
    }
    ASSERT_TRUE(endedWindow);
    EXPECT_FALSE(TrayIconShown(endedWindow));
    EXPECT_FALSE(IsMenu(endedMenu));
    EXPECT_EQ(GetObjectType(endedTexture), 0u);
    // The three "..." buttons had names that say what they do, given back.
    const std::vector<std::pair<int, std::wstring>> names = {{KeyNamePicker, L"Pick an installed service"},
                                                             {BinaryPathPicker, L"Browse for the service's program"},
                                                             {DependencyPicker, L"Add a dependency"}};
    EXPECT_EQ(named, names);
    EXPECT_EQ(unnamed, std::vector<int>({KeyNamePicker, BinaryPathPicker, DependencyPicker}));
}

// How many pixels of the window's client area, as the screen shows it,
// have colour, or are dark (no channel above 63).
static int PixelsOf(HWND window, COLORREF colour)
{
    return CountClientPixels(window, ShownClient, colour);
}

static int DarkPixelsOf(HWND window)
{
    return CountClientPixelsWhere(window, ShownClient, [](COLORREF pixel) { return !(pixel & 0xC0C0C0); });
}

TEST_F(MainWindow, HighContrastRepaintsTheWindowInTheSystemsColours)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF dark[] = {RGB(0, 0, 0), RGB(255, 255, 0)};
    DriveMainWindow([&](HWND window) {
        RECT client;
        GetClientRect(window, &client);
        const int area = client.right * client.bottom;
        EXPECT_LT(PixelsOf(window, face), area / 2);  // the texture
        // Turned on while the window runs, with its own colours.
        const SystemColours theme({{COLOR_BTNFACE, dark[0]}, {COLOR_WINDOWTEXT, dark[1]}});
        {
            const ScopedOverride on(screenCalls.systemParametersInfo, HighContrastOn);
            SendMessageA(window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
            EXPECT_GT(PixelsOf(window, dark[0]), area / 2);  // the plain face
            EXPECT_GT(PixelsOf(window, dark[1]), 100);       // the labels' text
        }
        // And off again: the texture, made anew from the dark face.
        SendMessageA(window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
        EXPECT_LT(PixelsOf(window, dark[0]), area / 2);
        EXPECT_GT(DarkPixelsOf(window), area / 2);
    });
}

static SC_HANDLE WINAPI NoSuchService(SC_HANDLE, LPCSTR, DWORD)
{
    SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
    return nullptr;
}

static void Paste(HWND edit, const std::wstring &text)
{
    SendMessageW(edit, EM_REPLACESEL, TRUE, LPARAM(text.c_str()));
}

TEST_F(MainWindow, FieldsTakeNoMoreTextThanTheRecordHolds)
{
    const ScopedOverride none(scmCalls.openService, NoSuchService);  // no key name is looked up for real
    DriveMainWindow([&](HWND window) {
        // The bytes each field's record holds, its terminating zero and, of
        // the dependencies, the list's closing zero left out.
        const struct {
            int id, limit;
        } fields[] = {{KeyNameField, 259}, {BinaryPathField, 259}, {DisplayNameField, 259},
                      {DescriptionField, 4195}, {DependenciesField, 4194}, {AccountNameField, 259},
                      {PasswordField, 259}};
        for (const auto &field : fields) {
            HWND edit = GetDlgItem(window, field.id);
            const int limit = field.limit;
            SendMessageA(edit, EM_SETSEL, 0, -1);
            Paste(edit, std::wstring(limit + 40, L'x'));
            EXPECT_EQ(GetWindowTextLengthW(edit), limit) << field.id;
            // In bytes, not characters: a change that passes the bytes is
            // undone whole (a Chinese character takes three in UTF-8).
            SetWindowTextW(edit, L"");
            Paste(edit, std::wstring(limit / 3 + 1, L'\x670D'));
            EXPECT_EQ(GetWindowTextLengthW(edit), 0) << field.id;
            Paste(edit, std::wstring(limit / 3, L'\x670D'));
            Paste(edit, L"\x00E9");  // two bytes, where at most one is left
            Paste(edit, std::wstring(limit % 3, L'c'));
            EXPECT_EQ(GetWindowTextLengthW(edit), limit / 3 + limit % 3) << field.id;
            char text[LongFieldSize];
            EXPECT_EQ(GetWindowTextA(edit, text, sizeof(text)), limit) << field.id;
            // No copy of the password is kept beside its field.
            EXPECT_EQ(GetPropA(edit, "FORM_FITTING_TEXT") == nullptr, field.id == PasswordField) << field.id;
        }
    });
}

static void SetText(HWND window, int id, const std::wstring &text)
{
    SendMessageW(GetDlgItem(window, id), WM_SETTEXT, 0, LPARAM(text.c_str()));
}

static std::wstring TextOf(HWND window, int id)
{
    WCHAR text[LongFieldSize] = {};
    GetWindowTextW(GetDlgItem(window, id), text, LongFieldSize);
    return text;
}

// The program's own code page is UTF-8: every language goes in and comes
// back exactly, witnessed by the wide functions.
TEST_F(MainWindow, NamesAndTextsInAnyLanguageRoundTripExactly)
{
    ASSERT_EQ(GetACP(), UINT(CP_UTF8)) << "the manifest's code page";
    const std::wstring words = LocalWideText();  // Cyrillic, Japanese, Chinese, accented, an emoji
    TestService service("AnyLanguage");
    const std::string ascii = service.name;
    const std::wstring name = Wide(ascii) + L"_" + words;
    const std::wstring path = Wide(TestServiceCommand(ascii, "run")) + L" " + words;
    service.name = Narrow(name);
    DriveMainWindow([&](HWND window) {
        const struct {
            int id;
            std::wstring text;
        } typed[] = {{KeyNameField, name},
                     {BinaryPathField, path},
                     {DisplayNameField, L"\x041F\x043E\x043A\x0430\x0437 " + name},
                     {DescriptionField, words}};
        for (const auto &field : typed)
            SetText(window, field.id, field.text);
        ASSERT_TRUE(Shows(window, NewWithPath));
        ASSERT_TRUE(Press(window, InstallButton));
        EXPECT_EQ(AnswerMessageBox(IDOK).text, Success);
        EXPECT_EQ(AfterCommand(window), Stopped);
        for (const auto &field : typed)
            EXPECT_EQ(TextOf(window, field.id), field.text) << field.id;  // as the refresh shows it

        const WideServiceConfig config = ReadWideServiceConfig(name);
        EXPECT_EQ(config.displayName, typed[2].text);
        EXPECT_EQ(config.binaryPath, path);

        // Listed by the picker under its own name, and run from the form.
        ASSERT_TRUE(Press(window, KeyNamePicker));
        HWND picker = WaitForWindow("Selecting...", "#32770");
        ASSERT_TRUE(picker);
        const auto listed = ListBoxEntries(GetDlgItem(picker, PickerList));
        EXPECT_NE(std::find(listed.begin(), listed.end(), Narrow(name)), listed.end());
        PostMessageA(picker, WM_CLOSE, 0, 0);
        WaitUntil([&] { return !IsWindow(picker); });
        for (int command : {StartButton, StopButton, RemoveButton}) {
            ASSERT_TRUE(Press(window, command)) << command;
            if (command == RemoveButton)
                AnswerMessageBox(IDYES);
            EXPECT_EQ(AnswerMessageBox(IDOK, 5000).text,
                      Reached(Narrow(name), command == StartButton  ? "running"
                                            : command == StopButton ? "stopped"
                                                                    : "removed"))
                << command;
            EXPECT_TRUE(Shows(window, command == StartButton  ? Active
                                      : command == StopButton ? Stopped
                                                              : NewWithPath))
                << command;
        }
    });
}

// Where the program's code page is a legacy one, a key name that it holds
// only as a look-alike (full-width letters as plain ones, under 1252) is no
// service's, and no command reaches the service of the plain name.
static UINT legacyCodePage;

TEST_F(MainWindow, ALookAlikeKeyNameNeverReachesTheServiceItResembles)
{
    const TestService service("WIDE", "run");
    const std::string &plain = service.name;
    std::wstring fullWidth;
    for (char c : plain)
        fullWidth += wchar_t(c > ' ' && c < 0x7F ? 0xFF00 + (c - 0x20) : c);
    // Its account, which neither code page holds.
    SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE changed = OpenServiceA(scm, plain.c_str(), SERVICE_CHANGE_CONFIG);
    ASSERT_TRUE(ChangeServiceConfigW(changed, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, nullptr,
                                     nullptr, nullptr, nullptr, L".\\\x0421\x043B\x0443\x0436\x0431\x0430",
                                     nullptr, nullptr));
    CloseServiceHandle(changed);
    CloseServiceHandle(scm);
    for (UINT codePage : {1252u, 932u}) {
        legacyCodePage = codePage;
        const ScopedOverride legacy(codePageCalls.programCodePage, [] { return legacyCodePage; });
        DriveMainWindow([&](HWND window) {
            SetText(window, KeyNameField, fullWidth);
            EXPECT_TRUE(Shows(window, NewWithoutPath)) << codePage;
            // Typed over the shown service's name, before a refresh.
            TypeText(window, KeyNameField, plain.c_str());
            ASSERT_TRUE(Shows(window, Stopped));
            SetText(window, KeyNameField, fullWidth);
            ASSERT_TRUE(Press(window, RemoveButton));
            AnswerMessageBox(IDYES);
            const RecordedBox refused = AnswerMessageBox(IDOK, 5000);
            EXPECT_NE(refused.text, Success) << codePage;
            if (codePage == 1252) {
                EXPECT_EQ(refused.caption, "Tarnex Cannot Remove the Service");
                EXPECT_EQ(refused.text, "Key Name holds characters that the system's code page cannot represent. "
                                        "Nothing was done.");
                // Install refuses it too, naming the field.
                TypeText(window, BinaryPathField, "C:\\x.exe");
                ASSERT_TRUE(Press(window, InstallButton));
                EXPECT_EQ(AnswerMessageBox(IDOK).caption, "Tarnex Cannot Install the Service");
                // So does it the shown service's account, left empty in the form.
                EXPECT_EQ(TextOf(window, AccountNameField), L"");
                TypeText(window, KeyNameField, (plain + "Copy").c_str());
                ASSERT_TRUE(Shows(window, NewWithPath));
                ASSERT_TRUE(Press(window, InstallButton));
                EXPECT_EQ(AnswerMessageBox(IDOK).text,
                          "Account Name of the service shown before is more than the form could show (characters "
                          "the system's code page cannot represent, or more than the field holds): type it anew. "
                          "Nothing was done.");
                EXPECT_FALSE(ServiceExists(plain + "Copy"));
                SetText(window, KeyNameField, fullWidth);
            }
            EXPECT_NE(RunAndCapture("sc query " + plain).find("STOPPED"), std::string::npos) << codePage;
            EXPECT_EQ(TextOf(window, KeyNameField), fullWidth);  // the form as typed
        });
    }
}

TEST_F(MainWindow, GroupsTooLongForTheFieldAreNotOffered)
{
    using namespace std::string_literals;
    const ScopedGroupOrder order(std::string(300, 'G') + "\0Mid\0\0"s);
    DriveMainWindow([&](HWND window) {
        HWND groups = GetDlgItem(window, LoadOrderGroupList);
        EXPECT_EQ(SendMessageA(groups, CB_GETCOUNT, 0, 0), 2);  // no group, and MID
        EXPECT_NE(SendMessageA(groups, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM("MID")), CB_ERR);
    });
}

TEST_F(MainWindow, ACorrectionTypedWhileTheInvalidNameIsReportedIsKept)
{
    DriveMainWindow([&](HWND window) {
        TypeText(window, KeyNameField, "a/b");
        Refresh(window);
        HWND box = WaitForMessageBox();
        ASSERT_TRUE(box);
        TypeText(window, KeyNameField, "ab");
        AnswerBox(box, IDOK);
        SendMessageA(window, WM_NULL, 0, 0);  // the refresh that showed the box has ended
        EXPECT_EQ(ControlText(window, KeyNameField), "ab");
    });
}

TEST_F(MainWindow, EnterPressesOnlyAFocusedButtonAndAltCCloses)
{
    DriveMainWindow([&](HWND window) {
        HWND field = GetDlgItem(window, DisplayNameField);
        PostMessageA(field, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageA(field, WM_CHAR, 'z', 0);
        WaitUntil([&] { return !IsWindow(window) || ControlText(window, DisplayNameField) == "z"; });
        EXPECT_TRUE(IsWindow(window));
        // A skinned button takes Enter as a push button does.
        HWND about = GetDlgItem(window, AboutButton);
        SendMessageA(window, WM_NEXTDLGCTL, WPARAM(about), TRUE);
        PostMessageA(about, WM_KEYDOWN, VK_RETURN, 0);
        HWND box = WaitForWindow(nullptr, "#32770", 3000, window);
        ASSERT_TRUE(box);
        PostMessageA(box, WM_CLOSE, 0, 0);
        WaitUntil([&] { return !IsWindow(box); });
        PostMessageA(field, WM_SYSCHAR, 'c', 1 << 29);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }));
    });
}

TEST_F(MainWindow, RefreshesLeaveNothingBehind)
{
    const TestService service("LongRun", "run");
    Holdings first = {}, end = {};
    // The counts are exact: a few ticks show what any tick would leave
    // behind; the volume benchmark runs a hundred thousand.
    RunRefreshes(service.name, {10, 10, 10}, &first, &end);
    EXPECT_EQ(end, first);
    EXPECT_EQ(end.scmHandles, 0);
}

// The commands on the clipboard, as Copy as Commands left them.
static std::wstring CopiedCommands(HWND window)
{
    const DWORD before = GetClipboardSequenceNumber();
    PostMessageA(window, WM_SYSCOMMAND, CopyAsCommandsCommand, 0);
    WaitUntil([&] { return GetClipboardSequenceNumber() != before; });
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        if (const auto *copied = data ? static_cast<const WCHAR *>(GlobalLock(data)) : nullptr) {
            text = copied;
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

// Run by the system's own cmd.exe and sc.exe, what was copied makes the
// service the form describes, whatever its texts hold.
TEST_F(MainWindow, CopyAsCommandsMakesTheServiceTheFormDescribes)
{
    const TestService copied("Copied With Blanks");
    const std::string path = "\"" + TestsFolder() + "\\tarnex_test_service.exe\" run 100% \"quoted \\\" arg\\\\\"";
    const std::wstring display = L"A & B | C < D > E ^ F %PATH% \"G\"";
    const std::string description = "D & E | F < G > H ^ I %PATH%";
    const std::string script = TestsFolder() + "\\copied.cmd";
    DriveMainWindow([&](HWND window) {
        char item[64] = {};
        GetMenuStringA(GetSystemMenu(window, FALSE), CopyAsCommandsCommand, item, sizeof(item), MF_BYCOMMAND);
        EXPECT_EQ(std::string(item).rfind("Copy", 0), 0u) << item;
        TypeText(window, KeyNameField, copied.name.c_str());
        TypeText(window, BinaryPathField, path.c_str());
        SetText(window, DisplayNameField, display);
        TypeText(window, DescriptionField, description.c_str());
        SendDlgItemMessageA(window, ServiceTypeList, CB_SETCURSEL, 10, 0);  // share process
        SendDlgItemMessageA(window, StartTypeList, CB_SETCURSEL, 0, 0);     // automatic
        SendDlgItemMessageA(window, ErrorControlList, CB_SETCURSEL, 3, 0);  // severe
        TypeText(window, AccountNameField, ".\\someone");
        TypeText(window, PasswordField, "TarnexSecret");
        const std::wstring commands = CopiedCommands(window);
        EXPECT_EQ(commands.find(L"chcp"), std::wstring::npos);  // nothing but ASCII
        EXPECT_EQ(commands.find(L"TarnexSecret"), std::wstring::npos);
        EXPECT_NE(commands.find(L"password="), std::wstring::npos) << Narrow(commands, CP_UTF8);
        const std::string utf8 = Narrow(commands, CP_UTF8);
        HANDLE file = CreateFileA(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(file, utf8.data(), DWORD(utf8.size()), &written, nullptr);
        CloseHandle(file);
        DWORD exitCode = 1;
        RunAndCapture("cmd /c \"" + script + "\"", &exitCode);
        EXPECT_EQ(exitCode, 0u);
        // Shown, the service made is copied as it is configured.
        TypeText(window, KeyNameField, copied.name.c_str());
        ASSERT_TRUE(Shows(window, Stopped));
        EXPECT_NE(CopiedCommands(window).find(L" obj= \".\\someone\""), std::wstring::npos);
        TypeText(window, KeyNameField, (copied.name + "Other").c_str());
        // The dependencies' text as sc.exe takes it (Wine's sc.exe splits it
        // wrongly); a text in any language, read as UTF-8 once the console is
        // told (which Wine's cmd.exe, run without a console, cannot be).
        TypeText(window, DependenciesField, "Eventlog/+TDI");
        SetText(window, DescriptionField, L"\x670D\x52A1");
        const std::wstring again = CopiedCommands(window);
        EXPECT_NE(again.find(L" depend= \"Eventlog/+TDI\""), std::wstring::npos);
        EXPECT_NE(again.find(L"\r\nchcp 65001 >nul\r\n"), std::wstring::npos);
    });
    const WideServiceConfig made = ReadWideServiceConfig(Wide(copied.name));
    EXPECT_EQ(made.displayName, display);
    EXPECT_EQ(made.binaryPath, Wide(path));
    const std::string reg = RegistryOf(copied.name);
    const std::string values[] = {"Type    REG_DWORD    0x20", "Start    REG_DWORD    0x2", "ErrorControl    REG_DWORD    0x2",
                                  "ObjectName    REG_SZ    .\\someone", "Description    REG_SZ    " + description};
    for (const std::string &value : values)
        EXPECT_NE(reg.find(value), std::string::npos) << value << "\n" << reg;
}

// Changed in place, a running service keeps everything not changed; what
// was changed is what the service manager then holds.
TEST_F(MainWindow, AServiceIsChangedInPlace)
{
    const TestService service("Changed", "run"), other("Taken", "run");
    RunAndCapture("sc start " + service.name);
    constexpr FormState Changing = {true, true, false, false, false, false, true};
    DriveMainWindow([&](HWND window) {
        TypeText(window, KeyNameField, service.name.c_str());
        ASSERT_TRUE(Shows(window, Active));
        EXPECT_EQ(ControlText(window, InstallButton), "C&hange");
        // Escape ends the change, and the refresh never writes over it.
        for (int key : {int(IDCANCEL), int(InstallButton)}) {
            SCOPED_TRACE(key);
            ASSERT_TRUE(Press(window, InstallButton));
            // Not renamed, and not the desired access, which is Install's.
            EXPECT_TRUE(WaitUntil([&] {
                return StateOf(window) == Changing && ControlText(window, InstallButton) == "A&pply" &&
                       !IsWindowEnabled(GetDlgItem(window, KeyNameField)) &&
                       !IsWindowEnabled(GetDlgItem(window, KeyNamePicker)) &&
                       !IsWindowEnabled(GetDlgItem(window, DesiredAccessList));
            }));
            TypeText(window, DisplayNameField, ("Display " + other.name).c_str());
            TypeText(window, PasswordField, key == IDCANCEL ? "typed" : "");
            Refresh(window);
            EXPECT_EQ(ControlText(window, DisplayNameField), "Display " + other.name);
            PostMessageA(window, WM_COMMAND, key, 0);
            if (key == IDCANCEL) {
                EXPECT_TRUE(Shows(window, Active));
                EXPECT_EQ(ControlText(window, DisplayNameField), "Display " + service.name);
                EXPECT_EQ(ControlText(window, PasswordField), "");
            } else {  // another service's display name: said before, refused after Yes
                EXPECT_EQ(AnswerMessageBox(IDYES).text,
                          "Before changing " + service.name + ":\r\n\r\n- The display name Display " + other.name +
                              " is the service " + other.name +
                              "'s already: Windows refuses it with error 1078.\r\n\r\nGo on all the same?");
                EXPECT_EQ(AnswerMessageBox(IDOK).text, "Error 1078: Duplicate service name.\r\n");
            }
        }
        EXPECT_TRUE(Shows(window, Changing));
        TypeText(window, BinaryPathField, "");
        ASSERT_TRUE(Press(window, InstallButton));
        EXPECT_EQ(AnswerMessageBox(IDOK).text, "Binary Path is empty: the service needs a program to run. Nothing was done.");
        TypeText(window, DisplayNameField, "Changed in place");
        TypeText(window, BinaryPathField, service.Command("slowstop").c_str());
        TypeText(window, DependenciesField, other.name.c_str());
        ASSERT_TRUE(Press(window, InstallButton));
        EXPECT_EQ(AnswerMessageBox(IDOK).text,
                  "Service Operation Succeeds!\r\nThe change takes effect when the service next starts.");
        EXPECT_TRUE(Shows(window, Active));
        EXPECT_EQ(ControlText(window, DisplayNameField), "Changed in place");
    });
    const WideServiceConfig config = ReadWideServiceConfig(Wide(service.name));
    EXPECT_EQ(config.displayName, L"Changed in place");
    EXPECT_EQ(config.binaryPath, Wide(service.Command("slowstop")));
    EXPECT_NE(RegistryOf(service.name).find("DependOnService    REG_MULTI_SZ    " + other.name), std::string::npos);
}

// The service manager's delayed start and the account's right to log on as
// a service, as Windows keeps them: Wine keeps neither.
static bool delayedKept;
static BOOL WINAPI ChangeDelayed(SC_HANDLE service, DWORD level, void *info)
{
    if (level != SERVICE_CONFIG_DELAYED_AUTO_START_INFO)
        return ChangeServiceConfig2W(service, level, info);
    delayedKept = static_cast<SERVICE_DELAYED_AUTO_START_INFO *>(info)->fDelayedAutostart;
    return TRUE;
}
static BOOL WINAPI QueryDelayed(SC_HANDLE service, DWORD level, BYTE *info, DWORD size, DWORD *needed)
{
    if (level != SERVICE_CONFIG_DELAYED_AUTO_START_INFO)
        return QueryServiceConfig2W(service, level, info, size, needed);
    reinterpret_cast<SERVICE_DELAYED_AUTO_START_INFO *>(info)->fDelayedAutostart = delayedKept;
    return TRUE;
}
static std::vector<std::wstring> granted;
static NTSTATUS grantAnswer;
static NTSTATUS NTAPI NoRights(LSA_HANDLE, PSID, LSA_UNICODE_STRING **, ULONG *count)
{
    *count = 0;
    return STATUS_OBJECT_NAME_NOT_FOUND;
}
static NTSTATUS NTAPI Grant(LSA_HANDLE, PSID, LSA_UNICODE_STRING *rights, ULONG)
{
    granted.push_back(std::wstring(rights->Buffer, rights->Length / sizeof(WCHAR)));
    return grantAnswer;
}

TEST_F(MainWindow, DelayedStartAndTheAccountsRightAreSetOrSaidNotToBe)
{
    const TestService first("Delayed"), second("Kept"), unknown("Unknown");
    char user[MAX_PATH];
    DWORD length = sizeof(user);
    GetUserNameA(user, &length);
    const std::string account = std::string(".\\") + user;
    const ScopedOverride rights(logonRightCalls.enumerateRights, NoRights);
    const ScopedOverride grant(logonRightCalls.addRights, Grant);
    DriveMainWindow([&](HWND window) {
        auto install = [&](const TestService &service, const char *who, int answer) {
            TypeText(window, KeyNameField, service.name.c_str());
            TypeText(window, BinaryPathField, service.Command().c_str());
            TypeText(window, DisplayNameField, service.name.c_str());
            TypeText(window, AccountNameField, who);
            SendDlgItemMessageA(window, StartTypeList, CB_SETCURSEL, 1, 0);  // delayed
            EXPECT_TRUE(Shows(window, NewWithPath));
            EXPECT_TRUE(Press(window, InstallButton));
            return AnswerMessageBox(answer);
        };
        // Not found: asked, and nothing made on No.
        EXPECT_NE(install(unknown, ".\\NoSuchUser", IDNO).text.find("Error 1332: "), std::string::npos);
        EXPECT_FALSE(ServiceExists(unknown.name));
        // Wine refuses the delay: the start is automatic, and said so.
        EXPECT_EQ(install(first, account.c_str(), IDOK).text,
                  "Service Operation Succeeds!\r\nThe start is automatic, not delayed: the system refused to delay "
                  "it.\r\nError 124: Invalid level.\r\n\r\nThe account " + account +
                      " was granted the right to log on as a service.");
        EXPECT_EQ(granted, std::vector<std::wstring>({L"SeServiceLogonRight"}));
        EXPECT_NE(RegistryOf(first.name).find("Start    REG_DWORD    0x2"), std::string::npos);
        // Kept as Windows keeps it, shown and copied; a grant refused is said
        // after the service was made.
        const ScopedOverride change(scmCalls.changeServiceConfig2, ChangeDelayed);
        const ScopedOverride query(scmCalls.queryServiceConfig2, QueryDelayed);
        grantAnswer = STATUS_ACCESS_DENIED;
        EXPECT_EQ(install(second, account.c_str(), IDOK).text, "Service Operation Succeeds!");
        EXPECT_EQ(AnswerMessageBox(IDOK).caption, "Error Granting the Right to Log On");
        EXPECT_TRUE(Shows(window, Stopped));
        EXPECT_EQ(SendDlgItemMessageA(window, StartTypeList, CB_GETCURSEL, 0, 0), 1);
        EXPECT_NE(CopiedCommands(window).find(L" start= delayed-auto "), std::wstring::npos);
        // A virtual account takes no password, however long its name.
        const std::string virtualAccount = "NT SERVICE\\" + std::string(248, 'v');
        ASSERT_TRUE(Press(window, InstallButton));
        TypeText(window, AccountNameField, virtualAccount.c_str());
        TypeText(window, PasswordField, "secret");
        ASSERT_TRUE(Press(window, InstallButton));
        EXPECT_EQ(AnswerMessageBox(IDOK).text, "Password: the account " + virtualAccount +
                                                   " logs on without one; leave it empty. Nothing was done.");
        EXPECT_TRUE(NoMessageBox(200));
    });
    grantAnswer = 0;
}

// Recovery from the system menu: Wine keeps none, and says nothing of it;
// a new service's goes with Install and its copy.
TEST_F(MainWindow, RecoveryIsSetForTheShownServiceOrTheNewOne)
{
    const TestService shown("Recovered", "run"), made("RecoveredNew");
    DriveMainWindow([&](HWND window) {
        auto recover = [&](const char *note) {
            PostMessageA(window, WM_SYSCOMMAND, RecoveryCommand, 0);
            HWND dialog = WaitForWindow(nullptr, "#32770", 3000, window);
            EXPECT_EQ(ControlText(dialog, RecoveryNote), note);
            SendDlgItemMessageA(dialog, FirstFailureList, CB_SETCURSEL, 1, 0);  // Restart the Service
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(FirstFailureList, CBN_SELCHANGE),
                         LPARAM(GetDlgItem(dialog, FirstFailureList)));
            TypeText(dialog, RestartField, "2");
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        };
        TypeText(window, KeyNameField, shown.name.c_str());
        ASSERT_TRUE(Shows(window, Stopped));
        recover("The system does not say what recovery it keeps (Error 124: Invalid level.): none is shown.");
        EXPECT_EQ(AnswerMessageBox(IDOK).text, "Service Operation Succeeds!\r\nThe system does not say what "
                                               "recovery it keeps: what was set could not be read back.");
        TypeText(window, KeyNameField, made.name.c_str());
        ASSERT_TRUE(Shows(window, NewWithPath));
        recover("Install sets it once the service is made.");
        TypeText(window, DisplayNameField, made.name.c_str());
        EXPECT_NE(CopiedCommands(window).find(L" actions= restart/120000/none/0/none/0\r\n"), std::wstring::npos);
        ASSERT_TRUE(Press(window, InstallButton));
        EXPECT_EQ(AnswerMessageBox(IDOK).text, std::string(Success) + "\r\nThe system does not say what recovery it "
                                                                      "keeps: what was set could not be read back.");
        EXPECT_TRUE(ServiceExists(made.name));
    });
    DriveMainWindow([&](HWND window) {  // a new window, with none chosen
        TypeText(window, KeyNameField, (made.name + "Again").c_str());
        TypeText(window, BinaryPathField, "C:\\x.exe");
        EXPECT_EQ(CopiedCommands(window).find(L"failure"), std::wstring::npos);
    });
}

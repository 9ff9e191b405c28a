// The installed-services picker, the hyperlink label and the About box, run
// for real and driven from a second thread as a person would drive them.
#include "app/about_box.h"
#include "app/dialog_template.h"
#include "app/hyperlink.h"
#include "app/main_window.h"
#include "app/recovery_dialog.h"
#include "app/services_picker.h"
#include "app/startup.h"
#include "app/web_link.h"
#include "resources/resource_ids.h"
#include "resources/version.h"
#include "tests/support/folders.h"
#include "tests/support/gdi_objects.h"
#include "tests/support/group_order.h"
#include "tests/support/local_text.h"
#include "tests/support/gui_driver.h"
#include "tests/support/seams.h"
#include "tests/support/services.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

static DWORD uiThread;

static HWND FocusOfUiThread()
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(uiThread, &info);
    return info.hwndFocus;
}

class Dialogs : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        StartProgram();
        uiThread = GetCurrentThreadId();
        DeleteLeftoverTestServices();
    }
};

static bool SortedWithoutCase(const std::vector<std::string> &entries)
{
    return std::is_sorted(entries.begin(), entries.end(),
                          [](const std::string &a, const std::string &b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
}

TEST_F(Dialogs, PickerListsTheServicesKeysSortedWithTheFirstSelected)
{
    const std::string added = UniqueServiceName("PickerKey");
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, ("SYSTEM\\CurrentControlSet\\Services\\" + added).c_str(), 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);
    std::string first;
    DrivePicker(PickServices, [&](HWND picker, HWND list) {
        EXPECT_EQ(ControlText(picker, PickerFrame), "Installed Services List");
        const auto entries = ListBoxEntries(list);
        EXPECT_TRUE(SortedWithoutCase(entries));
        EXPECT_NE(std::find(entries.begin(), entries.end(), added), entries.end());  // an empty key too
        EXPECT_NE(std::find(entries.begin(), entries.end(), "Eventlog"), entries.end());
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
        EXPECT_TRUE(WaitUntil([&] { return FocusOfUiThread() == list; }));
        EXPECT_EQ(pickedName[0], '\0');  // cleared when the picker opens
        first = entries.empty() ? "" : entries[0];
        ASSERT_TRUE(Press(picker, PickerSelect));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    });
    EXPECT_EQ(std::string(pickedName), first);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, ("SYSTEM\\CurrentControlSet\\Services\\" + added).c_str());
}

TEST_F(Dialogs, PickerListsTheGroupsSorted)
{
    using namespace std::string_literals;
    ScopedGroupOrder groups("Zeta Group\0alpha\0Mid\0\0"s);
    DrivePicker(PickGroups, [&](HWND picker, HWND list) {
        EXPECT_EQ(ControlText(picker, PickerFrame), "Group List");
        EXPECT_EQ(ListBoxEntries(list), (std::vector<std::string>{"alpha", "Mid", "Zeta Group"}));
    });
}

TEST_F(Dialogs, EveryWayOfChoosingTakesTheSelectedEntry)
{
    using namespace std::string_literals;
    ScopedGroupOrder groups("One\0Two\0Three\0\0"s);
    struct Way {
        const char *name;
        UINT message;
        WPARAM wParam;
        bool toList;
    };
    const Way ways[] = {
        {"double click", WM_LBUTTONDBLCLK, 0, true},
        {"Enter", WM_KEYDOWN, VK_RETURN, true},
        {"carriage return", WM_CHAR, 13, true},
        {"Select", BM_CLICK, 0, false},
    };
    for (const Way &way : ways) {
        SCOPED_TRACE(way.name);
        DrivePicker(PickGroups, [&](HWND picker, HWND list) {
            SendMessageA(list, LB_SETCURSEL, 2, 0);  // "Two"
            PostMessageA(way.toList ? list : GetDlgItem(picker, PickerSelect), way.message, way.wParam, 0);
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
        });
        EXPECT_STREQ(pickedName, "Two");
    }
}

TEST_F(Dialogs, EscapeDoesNothingAndTheCloseBoxChoosesNothing)
{
    using namespace std::string_literals;
    ScopedGroupOrder groups("One\0\0"s);
    DrivePicker(PickGroups, [&](HWND picker, HWND list) {
        PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageA(list, LB_SETCURSEL, WPARAM(-1), 0);  // handled after the key
        WaitUntil([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == LB_ERR; });
        EXPECT_TRUE(IsWindow(picker));
        PostMessageA(picker, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    });
    EXPECT_STREQ(pickedName, "");

    ScopedGroupOrder none("");  // an empty list
    DrivePicker(PickGroups, [&](HWND picker, HWND list) {
        EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
        Press(picker, PickerSelect);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    });
    EXPECT_STREQ(pickedName, "");
}

static void ChooseInPicker(const std::string &entry)
{
    HWND picker = WaitForWindow("Selecting...", "#32770");
    ASSERT_TRUE(picker);
    HWND list = GetDlgItem(picker, PickerList);
    const LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(entry.c_str()));
    ASSERT_NE(index, LB_ERR) << entry;
    SendMessageA(list, LB_SETCURSEL, index, 0);
    Press(picker, PickerSelect);
    WaitUntil([&] { return !IsWindow(picker); });
}

TEST_F(Dialogs, TheMainWindowsPickersFillKeyNameAndDependencies)
{
    using namespace std::string_literals;
    ScopedGroupOrder groups("Mid\0\0"s);
    const TestService service("Picked", "run");
    const std::string &name = service.name;
    DriveMainWindow([&](HWND window) {
        TypeText(window, DescriptionField, "from before");
        ASSERT_TRUE(Press(window, KeyNamePicker));
        ChooseInPicker(name);
        EXPECT_EQ(ControlText(window, KeyNameField), name);
        // The chosen service's own values, not those typed before.
        EXPECT_TRUE(WaitUntil([&] { return ControlText(window, BinaryPathField) == TestServiceCommand(name, "run"); }));
        EXPECT_EQ(ControlText(window, DescriptionField), "");
        // Chosen again while shown, the service's values replace the name.
        ASSERT_TRUE(Press(window, KeyNamePicker));
        ChooseInPicker(name);
        EXPECT_TRUE(WaitUntil([&] { return ControlText(window, BinaryPathField) == TestServiceCommand(name, "run"); }));
        EXPECT_EQ(ControlText(window, DisplayNameField), "Display " + name);

        TypeText(window, KeyNameField, "");
        WaitUntil([&] { return IsWindowEnabled(GetDlgItem(window, DependenciesField)) != FALSE; });
        TypeText(window, DependenciesField, "alpha");
        ASSERT_TRUE(Press(window, DependencyPicker));
        AnswerMessageBox(IDNO);
        ChooseInPicker("Mid");
        EXPECT_EQ(ControlText(window, DependenciesField), "alpha/+Mid");
        ASSERT_TRUE(Press(window, DependencyPicker));
        AnswerMessageBox(IDYES);
        ChooseInPicker(name);
        EXPECT_EQ(ControlText(window, DependenciesField), "alpha/+Mid/" + name);
    });
}

// The picture as a box paints it, 200 x 190 pixels at (100, 62) of its client
// area: the number of sampled pixels that differ from expected.
static int PictureDifferences(HWND about, HBITMAP expected)
{
    Canvas canvas = PrintedClient(about);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, expected);
    int differing = 0;
    for (int y = 0; y < 190; y += 7)
        for (int x = 0; x < 200; x += 7)
            differing += CanvasPixel(canvas, 100 + x, 62 + y) != GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    DestroyCanvas(canvas);
    return differing;
}

// Posts the About box's link a font and waits until it has it: whatever was
// posted to the box before has been handled by then.
static void HandledWhatWasPosted(HWND about)
{
    HWND link = GetDlgItem(about, AboutLink);
    const WPARAM own = SendMessageA(link, WM_GETFONT, 0, 0);
    const WPARAM marker = WPARAM(GetStockObject(ANSI_FIXED_FONT));
    PostMessageA(link, WM_SETFONT, marker, FALSE);
    WaitUntil([&] { return !IsWindow(about) || WPARAM(SendMessageA(link, WM_GETFONT, 0, 0)) == marker; });
    SendMessageA(link, WM_SETFONT, own, FALSE);
}

TEST_F(Dialogs, AboutBoxShowsVersionPictureAndLink)
{
    lstrcpyW(programPath, Wide(BuiltProgram()).c_str());
    HBITMAP expected = LoadPictureResource(moduleInstance, IDR_ABOUT_PICTURE);
    ASSERT_TRUE(expected);
    DriveAboutBox([&](HWND about) {
        char caption[MAX_PATH] = {};
        GetWindowTextA(about, caption, sizeof(caption));
        EXPECT_STREQ(caption, "About Tarnex Version: " TARNEX_VERSION_TEXT);
        EXPECT_EQ(PictureDifferences(about, expected), 0);
        // The link's text is blue; the frame's caption is not.
        EXPECT_GT(CountClientPixels(GetDlgItem(about, AboutLink), PrintedClient, HyperlinkColour), 10);
        const RECT captionRows = {0, 0, INT_MAX, 12};
        EXPECT_EQ(CountClientPixels(GetDlgItem(about, AboutFrame), PrintedClient, HyperlinkColour, captionRows), 0);
    });
    DeleteObject(expected);
}

// How the link's address was opened, recorded.
static std::string opened;
static bool desktopOpens;
static HWND aboutBox;

TEST_F(Dialogs, TheLinkUnderlinesWhileHoveredAndClicksWithoutClosing)
{
    const ScopedOverride recorded(webLinkCalls, {[](const char *address) {
                                                     opened += std::string("desktop ") + address;
                                                     return desktopOpens;
                                                 },
                                                 [](HWND owner, const char *address) {
                                                     opened += std::string("; directly ") + address +
                                                               (owner == aboutBox ? " owned by the box" : "");
                                                 }});
    DriveAboutBox([&](HWND about) {
        aboutBox = about;
        HWND link = GetDlgItem(about, AboutLink);
        const HFONT own = reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0));
        SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        const HFONT hovered = reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0));
        LOGFONTA description = {};
        GetObjectA(hovered, sizeof(description), &description);
        EXPECT_NE(hovered, own);
        EXPECT_TRUE(description.lfUnderline);
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(uiThread, &info);
        EXPECT_EQ(info.hwndCapture, link);
        EXPECT_EQ(SendMessageA(link, WM_SETCURSOR, WPARAM(link), HTCLIENT), 1);

        SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(-40, -40));  // left it
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)), own);
        GetGUIThreadInfo(uiThread, &info);
        EXPECT_NE(info.hwndCapture, link);

        // A click tells the dialog, which opens the web page through the
        // desktop's shell and stays open; only where that shell cannot be
        // had, directly.
        for (bool throughDesktop : {true, false}) {
            desktopOpens = throughDesktop;
            opened.clear();
            PostMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            HandledWhatWasPosted(about);
            EXPECT_EQ(opened, throughDesktop ? std::string("desktop ") + ProjectAddress
                                             : std::string("desktop ") + ProjectAddress + "; directly " +
                                                   ProjectAddress + " owned by the box");
            EXPECT_TRUE(IsWindow(about));
            EXPECT_TRUE(NoMessageBox(0));
        }
    });
}

TEST_F(Dialogs, EscapeKeepsTheAboutBoxOkAndTheCloseBoxEndIt)
{
    DriveAboutBox([&](HWND about) {
        PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
        HandledWhatWasPosted(about);
        EXPECT_TRUE(IsWindow(about));
        ASSERT_TRUE(Press(about, AboutOk));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    });
    DriveAboutBox([&](HWND about) {
        PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    });
}

static void CALLBACK OpenSecondAboutBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    ShowAboutBox(nullptr, mainIcon);
}

TEST_F(Dialogs, TwoAboutBoxesEachKeepTheirPicture)
{
    HBITMAP expected = LoadPictureResource(moduleInstance, IDR_ABOUT_PICTURE);
    ASSERT_TRUE(expected);
    SetTimer(nullptr, 0, 100, OpenSecondAboutBox);  // as the tray menu would, inside the first box
    RunDriven([] { ShowAboutBox(nullptr, mainIcon); },
              [&] {
                  HWND first = WaitForWindow(nullptr, "#32770");
                  HWND second = WaitForWindow(nullptr, "#32770", 3000, first);
                  ASSERT_TRUE(first && second);
                  EXPECT_EQ(PictureDifferences(second, expected), 0);
                  PostMessageA(second, WM_CLOSE, 0, 0);
                  WaitUntil([&] { return !IsWindow(second); });
                  EXPECT_EQ(PictureDifferences(first, expected), 0);
                  PostMessageA(first, WM_CLOSE, 0, 0);
              });
    DeleteObject(expected);
}

// The caption of an About box for programPath, read as the box shows.
static std::string AboutCaptionFor(const std::string &program)
{
    lstrcpyW(programPath, Wide(program).c_str());
    const ClosingDialogs closing;
    ShowAboutBox(nullptr, mainIcon);
    return closing.LastCaption();
}

TEST_F(Dialogs, TheCaptionShowsWhatTheVersionBlockHolds)
{
    const std::string tests = TestsFolder();
    EXPECT_EQ(AboutCaptionFor(BuiltProgram()), "About Tarnex Version: " TARNEX_VERSION_TEXT);
    // A version block without the FileVersion looked for, and no block at all.
    EXPECT_EQ(AboutCaptionFor(tests + "\\tarnex_test_service.exe"), "About Tarnex Version: ");
    EXPECT_EQ(AboutCaptionFor(tests + "\\desktop_keeper.exe"), "About Tarnex");
}

TEST_F(Dialogs, AboutBoxesLeaveNothingBehind)
{
    const ClosingDialogs closing;
    ShowAboutBox(nullptr, mainIcon);  // the first opening may leave lasting objects
    const int objects = CountGdiObjects(), handles = CountKernelHandles();
    for (int i = 0; i < 20; i++)
        ShowAboutBox(nullptr, mainIcon);
    EXPECT_EQ(CountGdiObjects(), objects);
    EXPECT_EQ(CountKernelHandles(), handles);
}

// Each case chooses the lists' rows, types the counts and the program, and
// checks the two boxes; taken is what settings then hold, or the refusal.
TEST_F(Dialogs, RecoveryTakesTheFieldsThatApplyAndRefusesWhatCannotBe)
{
    // A day, and two and three minutes, kept as the service manager keeps them.
    const RecoverySettings before = {{SC_ACTION_REBOOT, SC_ACTION_NONE, SC_ACTION_RUN_COMMAND}, 86400, 120000, 180000,
                                     false, L"C:\\old.exe", L"", false};
    const struct { const char *rows, *reset, *restart, *program, *enabled, *taken; int refused; } cases[] = {
        {"123", "7", "5", "C:\\on fail.exe", "11111111", "132 604800 300000 540000 1 C:\\on fail.exe|-v 1", 0},
        {"001", "49710", "071582", "", "11100000", "001 4294944000 4294920000 180000 1 C:\\old.exe| 0", 0},
        {"000", "x", "x", "", "00000000", "000 86400 120000 180000 0 C:\\old.exe| 0", 0},
        {"100", "1x", "5", "", "11100000", "Reset fail count after holds no number of days from 0 to 49710.", ResetField},
        {"001", "0", "71583", "", "11100000", "Restart service after holds no number of minutes from 0 to 71582.",
         RestartField},
        {"200", "0", "", " ", "10111110", "Program is empty: Run a Program has no program to run.", ProgramField},
    };
    const auto enabled = [](HWND dialog) {
        std::string flags;
        for (int id : {ResetField, RestartField, StopsWithErrorsBox, ProgramField, ProgramBrowse, ParametersField,
                       AppendFailCountBox, RebootField})
            flags += IsWindowEnabled(GetDlgItem(dialog, id)) ? '1' : '0';
        return flags;
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.taken);
        RecoverySettings s = before;
        INT_PTR result = 0;
        RunDriven([&] { result = RunRecoveryDialog(nullptr, mainIcon, "Spooler", &s, "It cannot say."); }, [&] {
            HWND dialog = WaitForWindow("Recovery of Spooler", "#32770");
            EXPECT_EQ(ControlText(dialog, FirstFailureList) + ", " + enabled(dialog) + ", " +
                          ControlText(dialog, RecoveryNote), "Restart the Computer, 10111111, It cannot say.");
            for (int list : {FirstFailureList, SecondFailureList, LaterFailuresList}) {
                SendDlgItemMessageA(dialog, list, CB_SETCURSEL, c.rows[(list - FirstFailureList) / 2] - '0', 0);
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), LPARAM(GetDlgItem(dialog, list)));
            }
            EXPECT_EQ(enabled(dialog), c.enabled);
            for (const auto &[id, text] : {std::pair(ResetField, c.reset), {RestartField, c.restart},
                                           {ProgramField, c.program}, {ParametersField, "-v"}, {RebootField, "9"}})
                TypeText(dialog, id, text);
            CheckDlgButton(dialog, StopsWithErrorsBox, BST_CHECKED);
            CheckDlgButton(dialog, AppendFailCountBox, BST_CHECKED);
            PostMessageA(GetDlgItem(dialog, ParametersField), WM_KEYDOWN, VK_RETURN, 0);  // Enter is OK
            if (!c.refused)
                return;
            const RecordedBox box = AnswerMessageBox(IDOK);
            EXPECT_EQ(box.caption + ": " + box.text, "Tarnex Cannot Set the Recovery: " + std::string(c.taken));
            EXPECT_TRUE(WaitUntil([&] { return FocusOfUiThread() == GetDlgItem(dialog, c.refused); }));
            PostMessageA(GetDlgItem(dialog, c.refused), WM_KEYDOWN, VK_ESCAPE, 0);  // Esc is Cancel
        });
        char taken[600];
        snprintf(taken, sizeof(taken), "%d%d%d %lu %lu %lu %d %ls|%ls %d", s.actions[0], s.actions[1], s.actions[2],
                 s.resetSeconds, s.restartDelay, s.rebootDelay, s.onStopsWithErrors, s.program, s.parameters,
                 s.appendFailCount);
        EXPECT_EQ(result, c.refused ? IDCANCEL : IDOK);
        EXPECT_TRUE(c.refused ? !memcmp(&s, &before, sizeof(s)) : !strcmp(taken, c.taken)) << taken;
    }
}

TEST_F(Dialogs, RecoveryDialogsLeaveNothingBehind)
{
    RecoverySettings s = {};
    const ClosingDialogs closing;  // the close box, which is Cancel
    RunRecoveryDialog(nullptr, mainIcon, "Spooler", &s, nullptr);  // the first may leave lasting objects
    const int objects = CountGdiObjects(), handles = CountKernelHandles();
    EXPECT_EQ(RunRecoveryDialog(nullptr, mainIcon, "Spooler", &s, nullptr), IDCANCEL);
    EXPECT_EQ(CountGdiObjects(), objects);
    EXPECT_EQ(CountKernelHandles(), handles);
}

// A dialog with two labels made links, for what the About box cannot show.
static HFONT underlineFont;
static INT_PTR CALLBACK TwoLinks(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        const LONG_PTR own = GetWindowLongPtrA(dialog, GWLP_WNDPROC);
        AttachHyperlink(dialog, 1);
        AttachHyperlink(dialog, 2);
        AttachHyperlink(dialog, 2);  // twice: the first attachment stays
        EXPECT_EQ(GetWindowLongPtrA(dialog, GWLP_WNDPROC), LONG_PTR(HyperlinkParentProc));
        EXPECT_EQ(LONG_PTR(GetPropA(dialog, "_Hyperlink_Original_Proc_")), own);  // subclassed once
        HWND second = GetDlgItem(dialog, 2);
        SendMessageA(second, WM_MOUSEMOVE, 0, 0);
        underlineFont = reinterpret_cast<HFONT>(SendMessageA(second, WM_GETFONT, 0, 0));
        SendMessageA(second, WM_MOUSEMOVE, 0, MAKELPARAM(-40, -40));
        EXPECT_EQ(GetObjectType(underlineFont), DWORD(OBJ_FONT));
        EndDialog(dialog, 0);
    }
    return 0;
}

TEST_F(Dialogs, LinksSubclassTheirDialogAndLabelsOnceAndFreeTheirFonts)
{
    DialogTemplate dialog;
    BeginDialog(&dialog, 1024, DS_SETFONT, 2, 100, 50, "Links", 8, "MS Sans Serif");
    AddControl(&dialog, WS_CHILD | WS_VISIBLE, 5, 5, 60, 10, 1, StaticClass, "[ one ]");
    AddControl(&dialog, WS_CHILD | WS_VISIBLE, 5, 20, 60, 10, 2, StaticClass, "[ two ]");
    RunDialog(&dialog, nullptr, TwoLinks, 0);
    EXPECT_EQ(GetObjectType(underlineFont), 0u);  // deleted with its label
}

// This program carries Tarnex's manifest, and runs in the test prefix as on
// Windows 10, which tells a program that does not name it among the
// systems it was made for that it runs on Windows 8 (6.2).
TEST(Manifest, NamesTheSystemsTheProgramWasMadeFor)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwMajorVersion, 10u);
}

#include "tests/support/gui_driver.h"

#include "app/about_box.h"
#include "app/file_picker.h"
#include "app/main_window_parts.h"
#include "app/services_picker.h"
#include "app/startup.h"
#include "app/tray_icon.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <string.h>

#include <vector>

bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

bool PumpUntil(const std::function<bool()> &condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        PumpMessages();
        Sleep(10);
    }
    return true;
}

bool MovePointerTo(int x, int y)
{
    SetCursorPos(x, y);
    PumpMessages();
    Sleep(10);
    return PumpUntil([&] {
        POINT at;
        GetCursorPos(&at);
        if (at.x == x && at.y == y)
            return true;
        SetCursorPos(x, y);
        return false;
    });
}

static std::vector<HWND> ProcessWindows()
{
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(window))
                reinterpret_cast<std::vector<HWND> *>(found)->push_back(window);
            return TRUE;
        },
        LPARAM(&windows));
    return windows;
}

static std::string TextOf(HWND window)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

static std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

HWND WaitForWindow(const char *caption, const char *className, DWORD timeoutMs, HWND except)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : ProcessWindows())
                if (window != except && (!caption || TextOf(window) == caption) &&
                    (!className || ClassOf(window) == className)) {
                    found = window;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

// A message box is a dialog with the static of identifier 0xFFFF.
static HWND FindMessageBox()
{
    for (HWND window : ProcessWindows())
        if (ClassOf(window) == "#32770" && GetDlgItem(window, 0xFFFF))
            return window;
    return nullptr;
}

HWND WaitForMessageBox(DWORD timeoutMs)
{
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindMessageBox()) != nullptr; }, timeoutMs);
    return box;
}

RecordedBox AnswerBox(HWND box, int answer)
{
    if (!box)
        return {"(no message box)", ""};
    RecordedBox seen = {TextOf(box), TextOf(GetDlgItem(box, 0xFFFF))};
    PostMessageA(box, WM_COMMAND, answer, 0);
    WaitUntil([&] { return !IsWindow(box); });
    return seen;
}

RecordedBox AnswerMessageBox(int answer, DWORD timeoutMs)
{
    return AnswerBox(WaitForMessageBox(timeoutMs), answer);
}

bool NoMessageBox(DWORD waitMs)
{
    return !WaitUntil([] { return FindMessageBox() != nullptr; }, waitMs);
}

void TypeText(HWND window, int id, const char *text)
{
    SendMessageA(GetDlgItem(window, id), WM_SETTEXT, 0, LPARAM(text));
}

std::string ControlText(HWND window, int id)
{
    return TextOf(GetDlgItem(window, id));
}

std::vector<std::string> ListBoxEntries(HWND list)
{
    std::vector<std::string> entries;
    const int count = int(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; i++) {
        char text[MAX_PATH] = {};
        SendMessageA(list, LB_GETTEXT, i, LPARAM(text));
        entries.push_back(text);
    }
    return entries;
}

bool Press(HWND window, int id)
{
    HWND button = GetDlgItem(window, id);
    if (!IsWindowVisible(button) || !IsWindowEnabled(button))
        return false;
    // Posted: a button that opens a modal loop must not hold the driver in it.
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

bool ChooseFromPopupMenu(std::initializer_list<WPARAM> keys, DWORD timeoutMs)
{
    HWND menu = WaitForWindow(nullptr, "#32768", timeoutMs);
    if (!menu)
        return false;
    for (WPARAM key : keys)
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    return WaitUntil([&] { return !IsWindowVisible(menu); });
}

void RunDriven(const std::function<void()> &run, const std::function<void()> &body)
{
    struct Job {
        const std::function<void()> *body;
    } job = {&body};
    HANDLE driver = CreateThread(
        nullptr, 0,
        [](void *parameter) -> DWORD {
            (*static_cast<Job *>(parameter)->body)();
            return 0;
        },
        &job, 0, nullptr);
    run();
    WaitForSingleObject(driver, INFINITE);
    CloseHandle(driver);
}

bool TrayIconShown(HWND window)
{
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    icon.hWnd = window;
    icon.uID = TrayIconId;
    return Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE;
}

// Runs run() while script drives the window that found() finds, once it is
// ready, posting it WM_CLOSE afterwards; a window that never gets ready is
// closed all the same, so that run() returns.
static void Drive(const std::function<void()> &run, const std::function<HWND()> &found,
                  const std::function<bool(HWND)> &ready, const char *what, const std::function<void(HWND)> &script)
{
    RunDriven(run, [&] {
        HWND window = nullptr;
        if (WaitUntil([&] { return (window = found()) && ready(window); }))
            script(window);
        else
            ADD_FAILURE() << what << " did not appear";
        if (window)
            PostMessageA(window, WM_CLOSE, 0, 0);
    });
}

HWND FindMainWindow()
{
    return WaitForWindow(MainWindowCaption, "#32770", 0);
}

HMENU TrayMenuOf(HWND window)
{
    PostMessageA(window, TrayNotifyMessage, 0, MAKELPARAM(WM_CONTEXTMENU, TrayIconId));
    HWND shown = WaitForWindow(nullptr, "#32768");
    const HMENU menu = shown ? reinterpret_cast<HMENU>(SendMessageA(shown, MN_GETHMENU, 0, 0)) : nullptr;
    if (shown)
        ChooseFromPopupMenu({VK_ESCAPE});
    return menu;
}

void DriveMainWindow(const std::function<void(HWND)> &script)
{
    Drive([] { RunMainWindow(); }, FindMainWindow,
          [](HWND window) { return IsWindowVisible(window) && TrayIconShown(window); }, "the main window", script);
}

void DriveAboutBox(const std::function<void(HWND)> &script)
{
    Drive([] { ShowAboutBox(nullptr, mainIcon); }, [] { return WaitForWindow(nullptr, "#32770", 0); },
          [](HWND about) {
              SetForegroundWindow(about);
              return GetForegroundWindow() == about;
          },
          "the About box", script);
}

void DrivePicker(LONG mode, const std::function<void(HWND, HWND)> &script)
{
    pickerMode = mode;
    strcpy(pickedName, "stale");
    Drive([] { RunServicesPicker(nullptr, mainIcon); }, [] { return WaitForWindow("Selecting...", "#32770", 0); },
          [](HWND) { return true; }, "the picker", [&](HWND picker) { script(picker, GetDlgItem(picker, PickerList)); });
}

OpenDialogSeen AnswerOpenDialog(HWND dialog, const std::string &typed)
{
    constexpr int FileNameBox = 0x47C;   // cmb13 of the Explorer-style dialog
    constexpr int FileTypeList = 0x470;  // cmb1
    const OpenDialogSeen seen = {ControlText(dialog, FileNameBox), ControlText(dialog, FileTypeList), TextOf(dialog)};
    if (typed.empty()) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        SetDlgItemTextA(dialog, FileNameBox, typed.c_str());
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    return seen;
}

static struct {
    std::string typed;
    OpenDialogSeen *seen;
} pick;

static void CALLBACK AnswerWhenOpen(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowA("#32770", "Selecting a File");
    if (!dialog || GetWindowThreadProcessId(dialog, nullptr) != GetCurrentThreadId())
        return;
    KillTimer(nullptr, timer);
    *pick.seen = AnswerOpenDialog(dialog, pick.typed);
}

BOOL PickFileAnswered(char *path, const std::string &typed, OpenDialogSeen *seen)
{
    pick = {typed, seen};
    *seen = {};
    SetTimer(nullptr, 0, 50, AnswerWhenOpen);
    return PickFile(nullptr, "Selecting a File", path, MAX_PATH, AllFilesFilter);
}

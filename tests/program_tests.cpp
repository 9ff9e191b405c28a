// The real tarnex.exe, started and ended as a person would, from outside.
#include "tests/support/gui_driver.h"

#include <gtest/gtest.h>

#include <string.h>

static std::string BuiltProgram()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    *strrchr(path, '\\') = '\0';  // the tests' folder
    *strrchr(path, '\\') = '\0';  // the build folder
    return std::string(path) + "\\tarnex.exe";
}

// A visible top-level window of the process, by caption and class.
static HWND FindWindowOf(DWORD process, const char *caption, const char *className)
{
    struct Search {
        DWORD process;
        const char *caption, *className;
        HWND found;
    } search = {process, caption, className, nullptr};
    WaitUntil([&] {
        EnumWindows(
            [](HWND window, LPARAM parameter) -> BOOL {
                auto *s = reinterpret_cast<Search *>(parameter);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                char text[128] = {}, name[64] = {};
                GetWindowTextA(window, text, sizeof(text));
                GetClassNameA(window, name, sizeof(name));
                if (owner == s->process && IsWindowVisible(window) && (!s->caption || !strcmp(text, s->caption)) &&
                    !strcmp(name, s->className))
                    s->found = window;
                return !s->found;
            },
            LPARAM(&search));
        return search.found != nullptr;
    });
    return search.found;
}

TEST(Program, StartsAndEndsFromItsTrayMenuWithExitCodeZero)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + BuiltProgram() + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    HWND window = FindWindowOf(process.dwProcessId, "Tarnex (Install/Remove)", "#32770");
    ASSERT_TRUE(window);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);

    // Minimised to the tray, and ended from the tray's menu.
    // Under Wine a minimise while the new window is still being activated is
    // undone by that activation; a person is never that quick.
    WaitUntil([&] { return GetForegroundWindow() == window; });
    WaitForInputIdle(process.hProcess, 5000);
    PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    PostMessageA(window, WM_USER + 5, 500, WM_RBUTTONDOWN);
    HWND menu = FindWindowOf(process.dwProcessId, nullptr, "#32768");
    ASSERT_TRUE(menu);
    PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);  // from no selection to the last item, "Close Tarnex"
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

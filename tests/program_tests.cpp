// The real tarnex.exe, started and ended as a person would, from outside:
// the one built beside the tests, or the one TARNEX_PROGRAM names (the
// release's).
#include "app/main_window.h"
#include "app/tray_icon.h"
#include "resources/version.h"
#include "tests/support/folders.h"
#include "tests/support/gui_driver.h"
#include "tests/support/local_text.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <string.h>

#include <set>
#include <string>
#include <vector>

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

// Starts the program at path; its main window, or null. By its bare name,
// it is started as from a console in its folder: "tarnex".
static HWND Start(const std::string &path, PROCESS_INFORMATION *process, bool byBareName = false)
{
    *process = {};
    const size_t nameAt = path.rfind('\\') + 1;
    std::string command = "\"" + path + "\"";
    char previousFolder[MAX_PATH] = {};
    if (byBareName) {
        command = path.substr(nameAt, path.rfind('.') - nameAt);
        GetCurrentDirectoryA(sizeof(previousFolder), previousFolder);
        SetCurrentDirectoryW(Wide(path.substr(0, nameAt), CP_UTF8).c_str());
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::wstring commandW = Wide(command, CP_UTF8);
    const BOOL started =
        CreateProcessW(nullptr, commandW.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, process);
    if (byBareName)
        SetCurrentDirectoryA(previousFolder);
    if (!started)
        return nullptr;
    HWND window = FindWindowOf(process->dwProcessId, "Tarnex (Install/Remove)", "#32770");
    // Under Wine a minimise or menu while the new window is still being
    // activated is undone by that activation; a person is never that quick,
    // and sees the tray icon before clicking it.
    WaitUntil([&] { return GetForegroundWindow() == window; });
    WaitForInputIdle(process->hProcess, 5000);
    WaitUntil([&] { return TrayIconShown(window); });
    return window;
}

// Chooses from the tray menu with the keys given, from no selection.
static void ChooseFromTray(const PROCESS_INFORMATION &process, HWND window, std::initializer_list<WPARAM> keys)
{
    PostMessageA(window, TrayNotifyMessage, MAKEWPARAM(600, 500), MAKELPARAM(WM_CONTEXTMENU, TrayIconId));
    HWND menu = FindWindowOf(process.dwProcessId, nullptr, "#32768");
    ASSERT_TRUE(menu);
    for (WPARAM key : keys)
        PostMessageA(menu, WM_KEYDOWN, key, 0);
}

// Ends the program from the tray menu's last item; its exit code.
static DWORD EndFromTray(const PROCESS_INFORMATION &process, HWND window)
{
    ChooseFromTray(process, window, {VK_UP, VK_RETURN});  // "Close Tarnex"
    DWORD exitCode = 1;
    if (WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exitCode);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

TEST(Program, StartsAndEndsFromItsTrayMenuWithExitCodeZero)
{
    PROCESS_INFORMATION process;
    HWND window = Start(BuiltProgram(), &process, true);
    ASSERT_TRUE(window);
    // Started by its bare name, it still finds its own version block.
    ChooseFromTray(process, window, {VK_UP, VK_UP, VK_RETURN});  // "About Tarnex"
    HWND about = FindWindowOf(process.dwProcessId, "About Tarnex Version: " TARNEX_VERSION_TEXT, "#32770");
    EXPECT_TRUE(about);
    PostMessageA(about, WM_CLOSE, 0, 0);
    WaitUntil([&] { return !IsWindow(about); });
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);

    // Minimised to the tray, and ended from the tray's menu.
    PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    EXPECT_EQ(EndFromTray(process, window), 0u);
}

// The DLLs a program file imports, as the loader reads them before it runs.
static std::vector<std::string> ImportedLibraries(const std::string &path)
{
    std::vector<std::string> names;
    HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!image)
        return names;
    const BYTE *base = reinterpret_cast<const BYTE *>(ULONG_PTR(image) & ~ULONG_PTR(3));
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto *entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress);
         imports.VirtualAddress && entry->Name; entry++) {
        std::string name = reinterpret_cast<const char *>(base + entry->Name);
        CharLowerA(name.data());
        names.push_back(name);
    }
    FreeLibrary(image);
    return names;
}

TEST(Program, ImportsKnownSystemDllsOnly)
{
    // These the system always loads from its own folder, whatever lies
    // beside the program.
    const std::set<std::string> known = {"advapi32.dll", "gdi32.dll",  "kernel32.dll", "msvcrt.dll",
                                         "ole32.dll",    "shell32.dll", "user32.dll"};
    const auto imported = ImportedLibraries(BuiltProgram());
    ASSERT_FALSE(imported.empty());
    for (const std::string &name : imported)
        EXPECT_TRUE(known.count(name)) << name;
}

TEST(Program, LoadsNoDllFromItsOwnFolder)
{
    // A copy of the program beside stand-ins for the DLLs it loads as it runs.
    // (Wine's own gdi32 imports version.dll and its controls delay-load
    // msimg32.dll, so stand-ins for those two would be loaded by Wine itself.)
    // The folder's name (in UTF-8) has characters whose second byte in 932 or
    // 936 is a backslash, and its path takes more bytes than MAX_PATH, fewer
    // characters: the program still finds its version block.
    std::string deep;
    for (int i = 0; i < 45; i++)
        deep += "\xE6\x9C\x8D";  // 服, three bytes
    const std::string planted = TestsFolder() + "\\planted \xE3\x82\xBD\xE8\xA1\xA8\xE4\xB9\x97\xE4\xBA\x8C";
    const std::string folder = planted + "\\" + deep + "\\" + deep;
    ASSERT_GT(folder.size(), size_t(MAX_PATH));
    for (const std::string &level : {planted, planted + "\\" + deep, folder})
        CreateDirectoryW(Wide(level, CP_UTF8).c_str(), nullptr);
    const std::string program = folder + "\\tarnex-planted.exe";
    ASSERT_TRUE(CopyFileW(Wide(BuiltProgram()).c_str(), Wide(program, CP_UTF8).c_str(), FALSE));
    const char *libraries[] = {"winmm", "comdlg32", "oleaut32", "oleacc"};
    const std::string decoy = TestsFolder() + "\\decoy.dll";
    for (const char *library : libraries) {
        ASSERT_TRUE(CopyFileW(Wide(decoy).c_str(), Wide(folder + "\\" + library + ".dll", CP_UTF8).c_str(), FALSE));
        DeleteFileW(Wide(folder + "\\" + library + ".dll.loaded", CP_UTF8).c_str());
    }
    // Windows searches the program's folder first; Wine does so for the DLLs
    // a program is told to prefer over Wine's own.
    const char *overridesKey = "Software\\Wine\\AppDefaults\\tarnex-planted.exe\\DllOverrides";
    HKEY overrides;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, overridesKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &overrides,
                              nullptr),
              ERROR_SUCCESS);
    for (const char *library : libraries)
        RegSetValueExA(overrides, library, 0, REG_SZ, reinterpret_cast<const BYTE *>("native,builtin"), 15);
    RegCloseKey(overrides);
    PROCESS_INFORMATION process;
    HWND window = Start(program, &process);
    RegDeleteTreeA(HKEY_CURRENT_USER, overridesKey);
    ASSERT_TRUE(window);

    // What needs them: painting, the About box, the Open dialog.
    ChooseFromTray(process, window, {VK_UP, VK_UP, VK_RETURN});  // "About Tarnex"
    HWND about = FindWindowOf(process.dwProcessId, "About Tarnex Version: " TARNEX_VERSION_TEXT, "#32770");
    EXPECT_TRUE(about);
    PostMessageA(about, WM_CLOSE, 0, 0);
    WaitUntil([&] { return !IsWindow(about); });
    PostMessageA(GetDlgItem(window, BinaryPathPicker), BM_CLICK, 0, 0);
    HWND open = FindWindowOf(process.dwProcessId, "Selecting a File", "#32770");
    EXPECT_TRUE(open);
    PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
    WaitUntil([&] { return !IsWindow(open); });
    EXPECT_EQ(EndFromTray(process, window), 0u);

    for (const char *library : libraries)
        EXPECT_EQ(GetFileAttributesW(Wide(folder + "\\" + library + ".dll.loaded", CP_UTF8).c_str()),
                  INVALID_FILE_ATTRIBUTES)
            << library;
}

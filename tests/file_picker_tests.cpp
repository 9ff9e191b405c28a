// The Open dialog of the binary-path picker, answered by the test from a
// thread timer that the dialog's own modal loop dispatches.
#include "app/file_picker.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

// Explorer-style Open dialog: the file-name box and the file-type list.
constexpr int FileNameBox = 0x47C;  // cmb13
constexpr int FileTypeList = 0x470;  // cmb1

static std::string typedName;  // what the test types; empty to cancel
static std::string proposedName, shownFilter, shownTitle;

static void CALLBACK AnswerOpenDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowA("#32770", "Selecting a File");
    if (!dialog || GetWindowThreadProcessId(dialog, nullptr) != GetCurrentThreadId())
        return;
    KillTimer(nullptr, timer);
    char text[MAX_PATH] = {};
    GetDlgItemTextA(dialog, FileNameBox, text, sizeof(text));
    proposedName = text;
    GetDlgItemTextA(dialog, FileTypeList, text, sizeof(text));
    shownFilter = text;
    GetWindowTextA(dialog, text, sizeof(text));
    shownTitle = text;
    if (typedName.empty()) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    SetDlgItemTextA(dialog, FileNameBox, typedName.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

static BOOL Pick(char *path)
{
    proposedName = shownFilter = shownTitle = "";
    SetTimer(nullptr, 0, 50, AnswerOpenDialog);
    return PickFile(nullptr, "Selecting a File", path, MAX_PATH, AllFilesFilter);
}

TEST(FilePicker, ReturnsATypedNameAsTypedWithoutCheckingIt)
{
    char path[MAX_PATH] = "";
    typedName = "Z:\\tmp\\tarnex-no-such-folder\\service.exe";
    EXPECT_NE(Pick(path), 0);
    EXPECT_STREQ(path, typedName.c_str());
    EXPECT_EQ(proposedName, "");
    EXPECT_EQ(shownTitle, "Selecting a File");
    EXPECT_EQ(shownFilter, "All files");
}

TEST(FilePicker, ProposesTheFileThatTheBufferNames)
{
    typedName = "";
    const struct {
        const char *path, *proposed;
    } cases[] = {
        {"Z:\\tmp\\proposed.exe", "proposed.exe"},
        {"\"Z:\\tmp\\quoted tool.exe\" -k run", "quoted tool.exe"},  // the program, not the arguments
        {"\"Z:\\tmp\\unclosed.exe", ""},                               // no usable file name: none
        {"Z:\\tmp\\a|b.exe", ""},
    };
    for (const auto &c : cases) {
        char path[MAX_PATH];
        strcpy(path, c.path);
        EXPECT_EQ(Pick(path), 0);  // cancelled
        EXPECT_EQ(proposedName.empty(), !c.proposed[0]) << c.path << ": " << proposedName;
        EXPECT_NE(proposedName.find(c.proposed), std::string::npos) << c.path << ": " << proposedName;
        EXPECT_STREQ(path, c.path);  // a cancelled choice leaves the buffer as it was
    }
}

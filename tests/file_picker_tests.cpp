// The Open dialog of the binary-path picker, answered by the test from a
// thread timer that the dialog's own modal loop dispatches.
#include "app/file_picker.h"
#include "tests/support/gui_driver.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

TEST(FilePicker, ReturnsATypedNameAsTypedWithoutCheckingIt)
{
    char path[MAX_PATH] = "";
    const std::string typed = "Z:\\tmp\\tarnex-no-such-folder\\service.exe";
    OpenDialogSeen seen;
    EXPECT_NE(PickFileAnswered(path, typed, &seen), 0);
    EXPECT_STREQ(path, typed.c_str());
    EXPECT_EQ(seen.fileName, "");
    EXPECT_EQ(seen.title, "Selecting a File");
    EXPECT_EQ(seen.fileType, "All files");
}

TEST(FilePicker, ProposesTheFileThatTheBufferNames)
{
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
        OpenDialogSeen seen;
        EXPECT_EQ(PickFileAnswered(path, "", &seen), 0);  // cancelled
        EXPECT_EQ(seen.fileName.empty(), !c.proposed[0]) << c.path << ": " << seen.fileName;
        EXPECT_NE(seen.fileName.find(c.proposed), std::string::npos) << c.path << ": " << seen.fileName;
        EXPECT_STREQ(path, c.path);  // a cancelled choice leaves the buffer as it was
    }
}

// The main window's in-memory template, byte by byte, and the system tools'
// paths.
#include "app/dialog_template.h"
#include "app/main_window.h"
#include "skin/system_library.h"

#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <string>

// Reads a template the way the dialog manager does.
struct TemplateReader {
    const BYTE *block;
    DWORD at = 0;
    WORD Word()
    {
        const WORD value = WORD(block[at] | block[at + 1] << 8);
        at += 2;
        return value;
    }
    DWORD Dword()
    {
        const DWORD low = Word();
        return low | DWORD(Word()) << 16;
    }
    std::string Text()
    {
        std::string text;
        for (WORD c; (c = Word()) != 0;)
            text += char(c);
        return text;
    }
};

TEST(MainWindowTemplate, HeaderAndEveryControlRecord)
{
    DialogTemplate dialog;
    ASSERT_TRUE(BuildMainWindowTemplate(&dialog));
    TemplateReader t{dialog.block};
    EXPECT_EQ(t.Dword(), 0x90CA0840u);
    EXPECT_EQ(t.Dword(), 0u);
    EXPECT_EQ(t.Word(), 35);
    const WORD geometry[] = {0, 0, 424, 278, 0, 0};
    for (WORD expected : geometry)
        EXPECT_EQ(t.Word(), expected);
    EXPECT_EQ(t.Text(), "Tarnex (Install/Remove)");
    EXPECT_EQ(t.Word(), 8);
    EXPECT_EQ(t.Text(), "Ms Sans Serif");

    const char *noText = "(none)";
    for (WORD id = 1; id <= 35; id++) {
        SCOPED_TRACE(id);
        t.at = (t.at + 3) & ~3u;  // each record starts at a multiple of 4
        const DWORD style = t.Dword();
        EXPECT_EQ(t.Dword(), 0u);
        t.at += 8;  // x, y, cx, cy
        EXPECT_EQ(t.Word(), id);
        EXPECT_EQ(t.Word(), 0xFFFF);
        const WORD classOrdinal = t.Word();
        const std::string title = t.Text();
        const bool textless = classOrdinal == EditClass || classOrdinal == ComboBoxClass;
        if (textless) {
            EXPECT_EQ(title, "") << noText;  // a single zero word
        }
        EXPECT_EQ(t.at % 2, 0u);
        EXPECT_EQ(t.Word(), 0) << "creation data";
        const std::map<WORD, DWORD> styles = {
            {3, 0x50810080},  {6, 0x50818080},  {14, 0x50212743}, {20, 0x50212643}, {29, 0x508180A0},
            {30, 0x50018000}, {31, 0x58018000}, {32, 0x58018000}, {33, 0x58018000}, {34, 0x58018000},
            {35, 0x50018001},  // the default button
        };
        if (styles.count(id)) {
            EXPECT_EQ(style, styles.at(id));
        }
    }
    EXPECT_EQ(t.at, dialog.used);
    EXPECT_LT(dialog.used, 2048u);
    FreeDialog(&dialog);
}

TEST(DialogTemplate, AControlThatDoesNotFitIsNeverRun)
{
    DialogTemplate dialog;
    ASSERT_TRUE(BeginDialog(&dialog, 64, DS_SETFONT, 2, 10, 10, "Small", 8, "MS Sans Serif"));
    EXPECT_FALSE(AddControl(&dialog, WS_CHILD, 0, 0, 5, 5, 1, StaticClass, "a text far too long for the block"));
    EXPECT_TRUE(dialog.failed);
    EXPECT_EQ(RunDialog(&dialog, nullptr, nullptr, 0), -1);
    EXPECT_EQ(dialog.block, nullptr);  // freed all the same
}

TEST(SystemFiles, ArePathsInTheSystemFolder)
{
    char folder[MAX_PATH], path[MAX_PATH];
    GetSystemDirectoryA(folder, sizeof(folder));
    ASSERT_TRUE(SystemFilePath("eventvwr.msc", path, sizeof(path)));
    EXPECT_EQ(std::string(path), std::string(folder) + "\\eventvwr.msc");
    char tiny[8];
    EXPECT_FALSE(SystemFilePath("services.msc", tiny, sizeof(tiny)));
}

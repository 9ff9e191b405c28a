// The option tables and the form's text rules.
#include "service/settings.h"

#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <string>

// The rows as the form lists them, with the names and values Windows gives
// them, each table's in order; proposed marks a fresh form's choice.
TEST(OptionTables, HoldTheFormsRowsInOrder)
{
    const struct {
        const OptionTable *table;
        const char *name;
        DWORD value;
        bool proposed = false;
    } rows[] = {
        {&DesiredAccessOptions, "GENERIC_EXECUTE", 0x20000000},
        {&DesiredAccessOptions, "GENERIC_READ", 0x80000000},
        {&DesiredAccessOptions, "GENERIC_WRITE", 0x40000000},
        {&DesiredAccessOptions, "SERVICE_ALL_ACCESS", 0x000F01FF, true},
        {&ServiceTypeOptions, "SERVICE_ADAPTER", 0x004},
        {&ServiceTypeOptions, "SERVICE_DRIVER", 0x00B},
        {&ServiceTypeOptions, "SERVICE_FILE_SYSTEM_DRIVER", 0x002},
        {&ServiceTypeOptions, "SERVICE_INTERACTIVE_OWN_PROCESS", 0x110},
        {&ServiceTypeOptions, "SERVICE_INTERACTIVE_PROCESS", 0x100},
        {&ServiceTypeOptions, "SERVICE_KERNEL_DRIVER", 0x001},
        {&ServiceTypeOptions, "SERVICE_RECOGNIZER_DRIVER", 0x008},
        {&ServiceTypeOptions, "SERVICE_TYPE_ALL", 0x13F},
        {&ServiceTypeOptions, "SERVICE_WIN32", 0x030},
        {&ServiceTypeOptions, "SERVICE_WIN32_OWN_PROCESS", 0x010, true},
        {&ServiceTypeOptions, "SERVICE_WIN32_SHARE_PROCESS", 0x020},
        {&StartTypeOptions, "SERVICE_AUTO_START", 2, true},
        {&StartTypeOptions, "SERVICE_AUTO_START (DELAYED)", 0x102},  // the form's own, never the SCM's
        {&StartTypeOptions, "SERVICE_BOOT_START", 0},
        {&StartTypeOptions, "SERVICE_DEMAND_START", 3},
        {&StartTypeOptions, "SERVICE_DISABLED", 4},
        {&StartTypeOptions, "SERVICE_SYSTEM_START", 1},
        {&ErrorControlOptions, "SERVICE_ERROR_CRITICAL", 3},
        {&ErrorControlOptions, "SERVICE_ERROR_IGNORE", 0},
        {&ErrorControlOptions, "SERVICE_ERROR_NORMAL", 1, true},
        {&ErrorControlOptions, "SERVICE_ERROR_SEVERE", 2},
    };
    std::map<const OptionTable *, int> listed;
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        const int row = listed[r.table]++;
        ASSERT_LT(row, r.table->rowCount);
        EXPECT_STREQ(OptionName(*r.table, row), r.name);
        EXPECT_EQ(r.table->values[row], r.value);
        EXPECT_EQ(r.table->defaultRow == row, r.proposed);
    }
    for (const auto &[table, count] : listed)
        EXPECT_EQ(table->rowCount, count);
}

TEST(OptionTables, NoSelectionReadsAsTheLastRow)
{
    EXPECT_EQ(OptionValueForIndex(DesiredAccessOptions, -1), 0x000F01FFu);
    EXPECT_EQ(OptionValueForIndex(ServiceTypeOptions, -1), 0x020u);
    EXPECT_EQ(OptionValueForIndex(StartTypeOptions, -1), 1u);
    EXPECT_EQ(OptionValueForIndex(ErrorControlOptions, -1), 2u);
    EXPECT_EQ(OptionValueForIndex(ServiceTypeOptions, 11), 0x020u);
    EXPECT_EQ(OptionValueForIndex(ServiceTypeOptions, 1000), 0x020u);
    EXPECT_EQ(OptionValueForIndex(ServiceTypeOptions, 0), 0x004u);
    EXPECT_EQ(OptionValueForIndex(ServiceTypeOptions, 9), 0x010u);
}

TEST(OptionTables, ValuesFindTheirRowsAndOthersNone)
{
    EXPECT_EQ(OptionIndexForValue(ErrorControlOptions, 2), 3);
    EXPECT_EQ(OptionIndexForValue(ErrorControlOptions, 1), 2);
    EXPECT_EQ(OptionIndexForValue(ServiceTypeOptions, 0x120), -1);  // interactive shared process
    EXPECT_EQ(OptionIndexForValue(ServiceTypeOptions, 0x110), 3);
    for (const OptionTable *table :
         {&DesiredAccessOptions, &ServiceTypeOptions, &StartTypeOptions, &ErrorControlOptions})
        EXPECT_EQ(OptionIndexForValue(*table, 0xFFFFFFFF), -1);
}

TEST(GroupList, FindsTheEntryThatIsTheNameInAnyCase)
{
    HWND list = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST | CBS_SORT | CBS_HASSTRINGS | CBS_UPPERCASE, 0,
                                0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(list);
    SendMessageA(list, CB_ADDSTRING, 0, LPARAM(NoGroupEntry));
    for (const char *group : {"Boot Bus Extender", "System Bus Extender", "PNP_TDI", "TDI"})
        SendMessageA(list, CB_ADDSTRING, 0, LPARAM(group));

    EXPECT_EQ(GroupIndexForName(list, "Boot"), 0);  // only the start of "BOOT BUS EXTENDER"
    EXPECT_EQ(GroupIndexForName(list, "boot bus extender"), 1);
    EXPECT_EQ(GroupIndexForName(list, "tdi"), 4);  // after SYSTEM BUS EXTENDER
    EXPECT_EQ(GroupIndexForName(list, "PNP_TDI"), 2);
    EXPECT_EQ(GroupIndexForName(list, "Unknown group"), 0);
    EXPECT_EQ(GroupIndexForName(list, ""), 0);
    char first[64] = {};
    SendMessageA(list, CB_GETLBTEXT, 0, LPARAM(first));
    EXPECT_STREQ(first, NoGroupEntry);  // its blanks sort before every name
    EXPECT_EQ(strlen(NoGroupEntry), 21u);
    DestroyWindow(list);
}

static std::string Bytes(const char *data, size_t count)
{
    return std::string(data, count);
}

TEST(Dependencies, TextAndListConvertBothWays)
{
    char field[LongFieldSize] = "alpha/+beta";
    DependencyTextToList(field, sizeof(field));
    EXPECT_EQ(Bytes(field, 13), Bytes("alpha\0+beta\0\0", 13));
    DependencyListToText(field, sizeof(field));
    EXPECT_STREQ(field, "alpha/+beta");

    char empty[LongFieldSize];
    memset(empty, 'x', sizeof(empty));
    empty[0] = '\0';
    DependencyTextToList(empty, sizeof(empty));
    EXPECT_EQ(Bytes(empty, 2), Bytes("\0\0", 2));
    DependencyListToText(empty, sizeof(empty));
    EXPECT_STREQ(empty, "");

    // A leading or doubled slash makes an empty name, which ends the list.
    char doubled[LongFieldSize] = "a//b";
    DependencyTextToList(doubled, sizeof(doubled));
    DependencyListToText(doubled, sizeof(doubled));
    EXPECT_STREQ(doubled, "a");
    char trailing[LongFieldSize] = "a/b/";
    DependencyTextToList(trailing, sizeof(trailing));
    DependencyListToText(trailing, sizeof(trailing));
    EXPECT_STREQ(trailing, "a/b");
}

TEST(Dependencies, AFullFieldKeepsRoomForTheClosingNul)
{
    char field[LongFieldSize + 1];
    memset(field, 'n', sizeof(field));
    field[LongFieldSize - 1] = '\0';  // 4,195 characters: one too many for a list
    field[LongFieldSize] = '#';       // a byte past the field that must survive
    DependencyTextToList(field, LongFieldSize);
    EXPECT_EQ(field[LongFieldSize - 3], 'n');
    EXPECT_EQ(field[LongFieldSize - 2], '\0');
    EXPECT_EQ(field[LongFieldSize - 1], '\0');
    EXPECT_EQ(field[LongFieldSize], '#');

    // A list that lost its closing NUL ends at the field's end.
    char list[8] = {'a', '\0', 'b', 'b', 'b', 'b', 'b', 'b'};
    DependencyListToText(list, sizeof(list));
    EXPECT_STREQ(list, "a/bbbbb");
}

TEST(Dependencies, AppendAddsSeparatorAndGroupPrefix)
{
    char text[LongFieldSize] = "alpha";
    ASSERT_TRUE(AppendDependency(text, sizeof(text), "beta", true));
    EXPECT_STREQ(text, "alpha/+beta");
    char empty[LongFieldSize] = "";
    ASSERT_TRUE(AppendDependency(empty, sizeof(empty), "beta", false));
    EXPECT_STREQ(empty, "beta");
    char group[LongFieldSize] = "";
    ASSERT_TRUE(AppendDependency(group, sizeof(group), "TDI", true));
    EXPECT_STREQ(group, "+TDI");
}

TEST(Dependencies, AppendRefusesWhatWouldNotFit)
{
    char text[16] = "0123456789";  // 10 + "/" + "abc" = 14, plus the list's two NULs = 16
    ASSERT_TRUE(AppendDependency(text, sizeof(text), "abc", false));
    EXPECT_STREQ(text, "0123456789/abc");
    char full[16] = "0123456789";
    EXPECT_FALSE(AppendDependency(full, sizeof(full), "abcd", false));
    EXPECT_STREQ(full, "0123456789");
    EXPECT_FALSE(AppendDependency(full, sizeof(full), "abc", true));
    EXPECT_STREQ(full, "0123456789");
}

TEST(KeyNameProposal, DropsFolderAndLastFourCharacters)
{
    char name[FieldSize];
    KeyNameFromBinaryPath("C:\\Tools\\mysvc.exe", name, sizeof(name));
    EXPECT_STREQ(name, "mysvc");
    KeyNameFromBinaryPath("C:\\Tools\\PROGRAM", name, sizeof(name));
    EXPECT_STREQ(name, "PRO");
    KeyNameFromBinaryPath("C:\\a.b\\x.exe", name, sizeof(name));
    EXPECT_STREQ(name, "x");

    // Short names never cut before their start.
    for (const char *path : {"C:\\abc", "C:\\abcd", "C:\\", "", "abc"}) {
        memset(name, '#', sizeof(name));
        KeyNameFromBinaryPath(path, name, sizeof(name));
        EXPECT_STREQ(name, "") << path;
    }
    KeyNameFromBinaryPath("relative.exe", name, sizeof(name));
    EXPECT_STREQ(name, "relative");
}

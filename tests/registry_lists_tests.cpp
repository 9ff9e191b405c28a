// The registry readers, on data that the tests write into Wine's registry.
#include "service/registry_lists.h"
#include "tests/support/group_order.h"
#include "tests/support/gui_driver.h"
#include "tests/support/services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

static const char GroupOrderKey[] = "SYSTEM\\CurrentControlSet\\Control\\ServiceGroupOrder";
static const char ServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";

static std::vector<std::string> GroupsRead(const std::string &bytes, DWORD type = REG_MULTI_SZ)
{
    WriteGroupOrder(bytes, type);
    HWND list = CreateWindowExA(0, "LISTBOX", "", LBS_HASSTRINGS, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ReadServiceGroupOrder(list, GroupListBox);
    std::vector<std::string> entries = ListBoxEntries(list);
    DestroyWindow(list);
    return entries;
}

using Groups = std::vector<std::string>;

TEST(ServiceGroupOrder, AddsEveryTextOfTheListInStoredOrder)
{
    GroupOrderBackup backup;
    using namespace std::string_literals;
    EXPECT_EQ(GroupsRead("A\0B\0\0"s), (Groups{"A", "B"}));
    EXPECT_EQ(GroupsRead("Zeta\0Alpha\0\0"s), (Groups{"Zeta", "Alpha"}));
    EXPECT_EQ(GroupsRead("A\0\0\0B\0\0"s), (Groups{"A", "B"}));  // empty texts are skipped, not an end
    EXPECT_EQ(GroupsRead("A\0A\0\0"s), (Groups{"A", "A"}));      // duplicates stay
    EXPECT_EQ(GroupsRead("\0A\0\0"s), (Groups{"", "A"}));         // the first text is added whatever it holds
    EXPECT_EQ(GroupsRead(""s), Groups{});
    // Data without a final terminator: the last text ends at the data's end.
    EXPECT_EQ(GroupsRead("A\0Bcd"s), (Groups{"A", "Bcd"}));
    EXPECT_EQ(GroupsRead("Single"s), (Groups{"Single"}));
    // Damaged, of another type: its bytes, not characters made of them.
    EXPECT_EQ(GroupsRead("A\0Bcd"s, REG_BINARY), (Groups{"A", "Bcd"}));
}

TEST(ServiceGroupOrder, FillsAComboBoxWithKindZero)
{
    GroupOrderBackup backup;
    using namespace std::string_literals;
    WriteGroupOrder("TDI\0Boot Bus Extender\0\0"s);
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ReadServiceGroupOrder(combo, GroupListCombo);
    ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
    char text[MAX_PATH] = {};
    SendMessageA(combo, CB_GETLBTEXT, 1, LPARAM(text));
    EXPECT_STREQ(text, "Boot Bus Extender");
    DestroyWindow(combo);
}

TEST(ServiceGroupOrder, AMissingValueOrKeyAddsNothing)
{
    GroupOrderBackup backup;
    HWND list = CreateWindowExA(0, "LISTBOX", "", LBS_HASSTRINGS, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    SendMessageA(list, LB_ADDSTRING, 0, LPARAM("already there"));

    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, GroupOrderKey, 0, KEY_ALL_ACCESS, &key), 0);
    RegDeleteValueA(key, "List");
    RegCloseKey(key);
    ReadServiceGroupOrder(list, GroupListBox);
    EXPECT_EQ(ListBoxEntries(list), Groups{"already there"});

    ASSERT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, GroupOrderKey), 0);
    ReadServiceGroupOrder(list, GroupListBox);
    EXPECT_EQ(ListBoxEntries(list), Groups{"already there"});
    DestroyWindow(list);
}

// A subkey of the services key that the test adds and always removes.
struct ServicesSubkey {
    std::string name;
    explicit ServicesSubkey(std::string keyName, bool withValue) : name(std::move(keyName))
    {
        HKEY key;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(ServicesKey) + "\\" + name).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (withValue) {
            const DWORD type = SERVICE_KERNEL_DRIVER;
            RegSetValueExA(key, "Type", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&type), sizeof(type));
        }
        RegCloseKey(key);
    }
    ~ServicesSubkey() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(ServicesKey) + "\\" + name).c_str()); }
};

TEST(InstalledServices, ListsEverySubkeyEmptyOrNot)
{
    DeleteLeftoverTestServices();
    ServicesSubkey empty(UniqueServiceName("EmptyKey"), false);
    ServicesSubkey driver(UniqueServiceName("DriverKey"), true);

    HKEY services;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ServicesKey, 0, KEY_READ, &services), 0);
    DWORD subkeys = 0;
    RegQueryInfoKeyA(services, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(services);

    HWND list = CreateWindowExA(0, "LISTBOX", "", LBS_HASSTRINGS | LBS_SORT, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ListInstalledServices(list);
    const std::vector<std::string> entries = ListBoxEntries(list);
    DestroyWindow(list);

    EXPECT_EQ(entries.size(), subkeys);
    auto listed = [&](const std::string &name) {
        return std::find(entries.begin(), entries.end(), name) != entries.end();
    };
    EXPECT_TRUE(listed(empty.name));
    EXPECT_TRUE(listed(driver.name));
    EXPECT_TRUE(listed("Eventlog"));  // a service of the fresh prefix
    EXPECT_TRUE(listed("MountMgr"));  // and a driver
}

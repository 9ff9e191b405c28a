// Texts in the system's code page, which this program takes from the
// locale: it runs under 1252 and again under 1251, 932 and 936, whole. No
// scan takes the second byte of a character for a backslash, a slash, a
// quote or the end of a character, and no text loses a character on its way
// through the SCM, the registry or the Open dialog.
#include "service/operation.h"
#include "service/registry_lists.h"
#include "service/settings.h"
#include "tests/support/group_order.h"
#include "tests/support/gui_driver.h"
#include "tests/support/local_text.h"
#include "tests/support/services.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

// Each run is under the code page its locale gives, or it would only
// repeat the ordinary one.
TEST(TextRules, RunUnderTheLocalesCodePage)
{
    char expected[8] = "1252";
    GetEnvironmentVariableA("TARNEX_CODE_PAGE", expected, sizeof(expected));
    EXPECT_EQ(GetACP(), UINT(atoi(expected)));
}

TEST(TextRules, ScansAndCutsKeepCharactersWhole)
{
    const std::wstring wide = LocalWideText();
    const std::string local = Narrow(wide);
    ASSERT_EQ(Wide(local), wide) << "the code page holds the text";
    char name[FieldSize];
    KeyNameFromBinaryPath(("C:\\" + local + "\\" + local + ".exe").c_str(), name, sizeof(name));
    EXPECT_EQ(name, local);
    KeyNameFromBinaryPath(("C:\\" + local + "\\x" + local).c_str(), name, sizeof(name));  // four characters less
    EXPECT_EQ(Wide(name), L"x" + wide.substr(0, wide.size() - (wide.back() >= 0xDC00 && wide.back() < 0xE000 ? 5 : 4)));

    char dependencies[LongFieldSize];
    strcpy(dependencies, (local + "/+" + local).c_str());
    DependencyTextToList(dependencies, sizeof(dependencies));
    EXPECT_EQ(std::string(dependencies + local.size() + 1), "+" + local);
    DependencyListToText(dependencies, sizeof(dependencies));
    EXPECT_EQ(std::string(dependencies), local + "/+" + local);

    for (size_t length = 0; length <= local.size(); length++) {
        const size_t cut = CharacterBoundary(local.c_str(), length);
        EXPECT_LE(cut, length);
        EXPECT_LT(length - cut, 4u);
        EXPECT_EQ(wide.substr(0, Wide(local.substr(0, cut)).size()), Wide(local.substr(0, cut))) << length;
        EXPECT_TRUE(cut == 0 || !Wide(local.substr(0, cut)).empty()) << "cut inside a character at " << cut;
    }
}

// The wide functions are the witnesses, which no question mark or
// look-alike letter passes.
TEST(ServiceTexts, OfTheSystemsCodePageRoundTripExactly)
{
    const std::wstring local = LocalWideText();
    TestService created("Local");
    const std::string ascii = created.name;
    created.name += Narrow(local);
    const std::string &name = created.name;
    ServiceSettings s = SettingsToInstall(name);
    strcpy(s.binaryPath, (TestServiceCommand(ascii, "run") + " " + Narrow(local)).c_str());
    strcpy(s.displayName, ("Display " + name).c_str());
    strcpy(s.description, Narrow(local).c_str());
    ASSERT_EQ(RunOnSettings(&s, Install), 1);

    const WideServiceConfig config = ReadWideServiceConfig(Wide(name));
    EXPECT_EQ(config.displayName, L"Display " + Wide(name));
    EXPECT_EQ(config.binaryPath, Wide(s.binaryPath));
    WCHAR description[64] = {};
    DWORD size = sizeof(description);
    RegGetValueW(HKEY_LOCAL_MACHINE, (L"SYSTEM\\CurrentControlSet\\Services\\" + Wide(name)).c_str(), L"Description",
                 RRF_RT_REG_SZ, nullptr, description, &size);
    EXPECT_EQ(std::wstring(description), local);

    ServiceSettings loaded = SettingsToLoad(name);
    ASSERT_EQ(RunOnSettings(&loaded, LoadConfig), 1);
    EXPECT_STREQ(loaded.displayName, s.displayName);
    EXPECT_STREQ(loaded.binaryPath, s.binaryPath);
    EXPECT_STREQ(loaded.description, s.description);

    // A display name of more bytes than the field holds comes back cut
    // between two characters.
    std::wstring longName;
    while (longName.size() + local.size() <= 250)
        longName += local;
    SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceW(scm, Wide(name).c_str(), SERVICE_CHANGE_CONFIG);
    EXPECT_TRUE(ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, nullptr, longName.c_str()));
    CloseServiceHandle(service);
    CloseServiceHandle(scm);
    loaded = SettingsToLoad(name);
    ASSERT_EQ(RunOnSettings(&loaded, LoadConfig), 1);
    const std::wstring shown = Wide(loaded.displayName);
    EXPECT_FALSE(shown.empty()) << "cut inside a character";
    EXPECT_EQ(longName.substr(0, shown.size()), shown);
}

// The Open dialog starts on the program inside the quotes, whatever its
// characters' second bytes look like.
TEST(FilePicker, ProposesTheQuotedProgramWhateverItsBytes)
{
    const std::string local = Narrow(LocalWideText());
    const std::string command = "\"Z:\\tmp\\" + local + "\\" + local + ".exe\" -k run";
    char path[MAX_PATH];
    strcpy(path, command.c_str());
    OpenDialogSeen seen;
    EXPECT_EQ(PickFileAnswered(path, "", &seen), 0);
    EXPECT_NE(seen.fileName.find(local + ".exe"), std::string::npos) << seen.fileName;
    EXPECT_EQ(seen.fileName.find("-k"), std::string::npos) << seen.fileName;
    EXPECT_EQ(path, command);
}

// A name the code page holds only as a look-alike (full-width letters as
// plain ones, under 1252 and 1251) is listed neither so nor at all: choosing
// it would name another service or group. Under 932 and 936 it is itself.
TEST(ServiceTexts, ListsHoldNoLookAlikes)
{
    const std::wstring wide = L"\xFF34\xFF2E\xFF38" + Wide(UniqueServiceName("WIDE"));
    const std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\" + wide;
    HKEY created;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                              nullptr),
              0);
    RegCloseKey(created);
    GroupOrderBackup backup;
    const std::wstring groups = wide + L'\0' + L"TDI" + L'\0';
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\ServiceGroupOrder", L"List", REG_MULTI_SZ,
                    groups.c_str(), DWORD((groups.size() + 1) * sizeof(WCHAR)));
    HWND list = CreateWindowExA(0, "LISTBOX", "", LBS_HASSTRINGS, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ListInstalledServices(list);
    ReadServiceGroupOrder(list, GroupListBox);
    const std::vector<std::string> listed = ListBoxEntries(list);
    DestroyWindow(list);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "TNX" + Narrow(wide.substr(3))), 0);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), Narrow(wide)), Wide(Narrow(wide)) == wide ? 2 : 0);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "TDI"), 1);
}

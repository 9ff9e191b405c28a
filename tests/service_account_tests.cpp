// Service accounts: the kinds of names, names looked up by Wine itself, and
// the right to log on as a service, granted through the seam (Wine's LSA
// keeps no rights). Wine's one user has the SID S-1-5-21-0-0-0-1000.
#include "service/service_account.h"
#include "tests/support/seams.h"

#include <gtest/gtest.h>
#include <ntstatus.h>
#include <sddl.h>

#include <algorithm>
#include <string>

static std::wstring NameFrom(decltype(&GetUserNameW) get)
{
    WCHAR name[MAX_PATH];
    DWORD length = MAX_PATH;
    return get(name, &length) ? name : L"";
}

static std::wstring SidText(PSID sid)
{
    WCHAR *text = nullptr;
    const std::wstring result = ConvertSidToStringSidW(sid, &text) ? text : L"?";
    LocalFree(text);
    return result;
}

TEST(ServiceAccounts, KindsOfNamesAndWhatEachNeeds)
{
    const struct { std::wstring name; AccountKind kind; } names[] = {
        {L"", SystemAccount}, {L"LocalSystem", SystemAccount}, {L".\\localsystem", SystemAccount},
        {NameFrom(GetComputerNameW) + L"\\LocalSystem", SystemAccount}, {L"OTHER\\LocalSystem", UserAccount},
        {L"NT AUTHORITY\\SYSTEM", SystemAccount}, {L"nt authority\\localservice", SystemAccount},
        {L"NT AUTHORITY\\LOCAL SERVICE", SystemAccount}, {L"NT AUTHORITY\\NetworkService", SystemAccount},
        {L"NT AUTHORITY\\NETWORK SERVICE", SystemAccount}, {L"NetworkService", UserAccount},
        {L"NT AUTHORITY\\Network", UserAccount}, {L"NT SERVICE\\Backup Agent", VirtualAccount},
        {L"nt service\\x$", VirtualAccount}, {L"CORP\\backup$", ManagedAccount}, {L"backup$", ManagedAccount},
        {L"CORP\\backup", UserAccount}, {L".\\backup", UserAccount}};
    for (const auto &n : names) {
        SCOPED_TRACE(n.name);
        EXPECT_EQ(KindOfAccount(n.name.c_str()), n.kind);
    }
}

TEST(ServiceAccounts, ResolvesNamesAsWineKnowsThem)
{
    const std::wstring user = NameFrom(GetUserNameW);
    const struct { std::wstring name; DWORD error; const wchar_t *sid; } names[] = {
        {user, ERROR_SUCCESS, L"S-1-5-21-0-0-0-1000"}, {L".\\" + user, ERROR_SUCCESS, L"S-1-5-21-0-0-0-1000"},
        {L"NT AUTHORITY\\NETWORK SERVICE", ERROR_SUCCESS, L"S-1-5-20"}, {L"No Such User", ERROR_NONE_MAPPED, L""}};
    for (const auto &n : names) {
        SCOPED_TRACE(n.name);
        PSID sid = nullptr;
        EXPECT_EQ(ResolveAccount(n.name.c_str(), &sid), n.error);
        EXPECT_EQ(sid ? SidText(sid) : L"", n.sid);
        EXPECT_EQ(LocalFree(sid), nullptr);
    }
}

// What the test's LSA answers, and what the program asked of it.
static struct {
    NTSTATUS open, enumerate, add;
    std::wstring held, asked;
} lsa;

static NTSTATUS NTAPI OpenPolicy(PLSA_UNICODE_STRING system, PLSA_OBJECT_ATTRIBUTES attributes, ACCESS_MASK access,
                                 PLSA_HANDLE policy)
{
    lsa.asked += L"open";
    return lsa.open ? lsa.open : LsaOpenPolicy(system, attributes, access, policy);
}

// The names held, unterminated as the LSA may give them (a blank follows
// each but the last), in an array Wine's LsaFreeMemory frees (one entry a
// character is room enough).
static NTSTATUS NTAPI EnumerateRights(LSA_HANDLE, PSID, PLSA_UNICODE_STRING *rights, PULONG count)
{
    lsa.asked += L" rights";
    if (lsa.enumerate)
        return lsa.enumerate;
    *rights = static_cast<LSA_UNICODE_STRING *>(HeapAlloc(GetProcessHeap(), 0, lsa.held.size() * sizeof(**rights)));
    *count = 0;
    for (size_t start = 0, end; start < lsa.held.size(); start = end + 1) {
        end = std::min(lsa.held.find(L' ', start), lsa.held.size());
        const USHORT bytes = USHORT((end - start) * sizeof(WCHAR));
        (*rights)[(*count)++] = {bytes, bytes, lsa.held.data() + start};
    }
    return STATUS_SUCCESS;
}

static NTSTATUS NTAPI AddRights(LSA_HANDLE, PSID sid, PLSA_UNICODE_STRING rights, ULONG count)
{
    lsa.asked += L" grant " + SidText(sid);
    for (ULONG i = 0; i < count; ++i)
        lsa.asked += L" " + std::wstring(rights[i].Buffer, rights[i].Length / sizeof(WCHAR));
    return lsa.add;
}

TEST(ServiceAccounts, GrantsTheRightToLogOnAsAServiceWhereMissing)
{
    const std::wstring user = NameFrom(GetUserNameW);
    bool granted = false;
    EXPECT_EQ(EnsureServiceLogonRight(user.c_str(), &granted), ERROR_SUCCESS);  // Wine's own LSA: no rights
    EXPECT_TRUE(granted);

    const ScopedOverride open(logonRightCalls.openPolicy, OpenPolicy);
    const ScopedOverride enumerate(logonRightCalls.enumerateRights, EnumerateRights);
    const ScopedOverride add(logonRightCalls.addRights, AddRights);
    const std::wstring read = L"open rights", grant = read + L" grant S-1-5-21-0-0-0-1000 SeServiceLogonRight";
    const NTSTATUS none = STATUS_OBJECT_NAME_NOT_FOUND, denied = STATUS_ACCESS_DENIED;
    const struct { const char *what; NTSTATUS open, enumerate; std::wstring held; NTSTATUS add; DWORD error;
                   bool granted; std::wstring asked; } cases[] = {
        {"held", 0, 0, L"SeBatchLogonRight SeServiceLogonRight SeTcbPrivilege", 0, ERROR_SUCCESS, false, read},
        {"missing", 0, 0, L"SeBatchLogonRight SeServiceLogonRightX", 0, ERROR_SUCCESS, true, grant},
        {"no rights", 0, none, L"", 0, ERROR_SUCCESS, true, grant},
        {"grant refused", 0, none, L"", denied, ERROR_ACCESS_DENIED, false, grant},
        {"rights unread", 0, denied, L"", 0, ERROR_ACCESS_DENIED, false, read},
        {"policy refused", denied, 0, L"", 0, ERROR_ACCESS_DENIED, false, L"open"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        lsa = {c.open, c.enumerate, c.add, c.held, L""};
        granted = !c.granted;
        EXPECT_EQ(EnsureServiceLogonRight(user.c_str(), &granted), c.error);
        EXPECT_EQ(granted, c.granted);
        EXPECT_EQ(lsa.asked, c.asked);
    }
    lsa = {};
    EXPECT_EQ(EnsureServiceLogonRight(L"No Such User", &granted), ERROR_NONE_MAPPED);
    EXPECT_EQ(lsa.asked, L"");  // nothing asked of the LSA
}

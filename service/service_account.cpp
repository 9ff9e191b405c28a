// Service accounts: their kinds, their SIDs, and the right to log on as a
// service granted as the Services console grants it.
#include "service/service_account.h"

#include <ntstatus.h>

#include <wchar.h>

LogonRightCalls logonRightCalls = {LsaOpenPolicy, LsaEnumerateAccountRights, LsaAddAccountRights};

// SE_SERVICE_LOGON_NAME follows UNICODE, which the program does not define:
// the empty wide literal makes the name UTF-16 either way.
static const WCHAR ServiceLogonRight[] = L"" SE_SERVICE_LOGON_NAME;

// Whether the first length characters of text (all of it for -1) are the
// name, without regard to case.
static bool SameName(const WCHAR *text, int length, const WCHAR *name)
{
    return CompareStringOrdinal(text, length, name, -1, TRUE) == CSTR_EQUAL;
}

// "." or this computer's name: the domain of the computer's own accounts.
static bool IsThisComputer(const WCHAR *domain, int length)
{
    WCHAR computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD computerLength = MAX_COMPUTERNAME_LENGTH + 1;
    return SameName(domain, length, L".") ||
           (GetComputerNameW(computer, &computerLength) && SameName(domain, length, computer));
}

// The names under which the service manager takes its own accounts, as
// Windows documents them, and the English names Windows gives them; these
// have no password and hold the right to log on as a service.
AccountKind KindOfAccount(const WCHAR *account)
{
    static const WCHAR *const authorityAccounts[] = {L"SYSTEM",         L"LocalService",   L"LOCAL SERVICE",
                                                     L"NetworkService", L"NETWORK SERVICE"};
    const WCHAR *slash = wcschr(account, L'\\');
    const WCHAR *name = slash ? slash + 1 : account;
    const int domainLength = slash ? int(slash - account) : 0;
    if (!account[0] || (SameName(name, -1, L"LocalSystem") && (!slash || IsThisComputer(account, domainLength))))
        return SystemAccount;
    if (slash && SameName(account, domainLength, L"NT AUTHORITY"))
        for (const WCHAR *own : authorityAccounts)
            if (SameName(name, -1, own))
                return SystemAccount;
    if (slash && SameName(account, domainLength, L"NT SERVICE"))
        return VirtualAccount;
    return account[lstrlenW(account) - 1] == L'$' ? ManagedAccount : UserAccount;
}

bool AccountTakesPassword(AccountKind kind)
{
    return kind == UserAccount;
}

bool NeedsServiceLogonRight(AccountKind kind)
{
    return kind == UserAccount || kind == ManagedAccount;
}

// LookupAccountNameW does not know ".": the name is given with this
// computer's instead.
DWORD ResolveAccount(const WCHAR *account, PSID *sid)
{
    WCHAR computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD computerLength = MAX_COMPUTERNAME_LENGTH + 1;
    WCHAR *localName = nullptr;
    const WCHAR *name = account;
    PSID found = nullptr;
    WCHAR *domain = nullptr;
    DWORD sidSize = 0, domainLength = 0;
    SID_NAME_USE use;
    DWORD error = ERROR_SUCCESS;

    if (account[0] == L'.' && account[1] == L'\\') {
        if (!GetComputerNameW(computer, &computerLength)) {
            error = GetLastError();
            goto done;
        }
        // The computer's name, then the backslash, the name and its zero.
        localName = static_cast<WCHAR *>(LocalAlloc(LMEM_FIXED, (computerLength + lstrlenW(account)) * sizeof(WCHAR)));
        if (!localName) {
            error = ERROR_NOT_ENOUGH_MEMORY;
            goto done;
        }
        lstrcpyW(localName, computer);
        lstrcatW(localName, account + 1);
        name = localName;
    }

    // Without room for the SID the lookup fails, saying the sizes; any other
    // failure is the answer.
    if (!LookupAccountNameW(nullptr, name, nullptr, &sidSize, nullptr, &domainLength, &use))
        error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER) {
        if (error == ERROR_SUCCESS)
            error = ERROR_NONE_MAPPED;
        goto done;
    }
    found = LocalAlloc(LMEM_FIXED, sidSize);
    domain = static_cast<WCHAR *>(LocalAlloc(LMEM_FIXED, domainLength * sizeof(WCHAR)));
    if (!found || !domain)
        error = ERROR_NOT_ENOUGH_MEMORY;
    else if (LookupAccountNameW(nullptr, name, found, &sidSize, domain, &domainLength, &use))
        error = ERROR_SUCCESS;
    else
        error = GetLastError();

done:
    if (error == ERROR_SUCCESS) {
        *sid = found;
        found = nullptr;
    }
    LocalFree(found);
    LocalFree(domain);
    LocalFree(localName);
    return error;
}

static bool ListsServiceLogonRight(const LSA_UNICODE_STRING *rights, ULONG count)
{
    for (ULONG i = 0; i < count; ++i)
        if (SameName(rights[i].Buffer, int(rights[i].Length / sizeof(WCHAR)), ServiceLogonRight))
            return true;
    return false;
}

// Whether the account holds the right, granted first when grant says so.
// Creating the LSA's record of an account that has none asks for
// POLICY_CREATE_ACCOUNT on the policy.
static DWORD LookAtServiceLogonRight(const WCHAR *account, bool grant, bool *held, bool *granted)
{
    LSA_OBJECT_ATTRIBUTES attributes = {};
    LSA_HANDLE policy = nullptr;
    LSA_UNICODE_STRING *rights = nullptr;
    ULONG count = 0;
    // The LSA only reads the name.
    LSA_UNICODE_STRING right = {sizeof(ServiceLogonRight) - sizeof(WCHAR), sizeof(ServiceLogonRight),
                                const_cast<WCHAR *>(ServiceLogonRight)};
    PSID sid = nullptr;
    NTSTATUS status;

    *granted = *held = false;
    const DWORD error = ResolveAccount(account, &sid);
    if (error != ERROR_SUCCESS)
        return error;
    status = logonRightCalls.openPolicy(nullptr, &attributes,
                                        POLICY_LOOKUP_NAMES | (grant ? POLICY_CREATE_ACCOUNT : 0), &policy);
    if (status != STATUS_SUCCESS) {
        policy = nullptr;
        goto done;
    }
    // An account the LSA has no record of holds no rights at all.
    status = logonRightCalls.enumerateRights(policy, sid, &rights, &count);
    if (status == STATUS_OBJECT_NAME_NOT_FOUND) {
        count = 0;
        status = STATUS_SUCCESS;
    }
    if (status != STATUS_SUCCESS || (*held = ListsServiceLogonRight(rights, count)) || !grant)
        goto done;
    status = logonRightCalls.addRights(policy, sid, &right, 1);
    *granted = *held = status == STATUS_SUCCESS;

done:
    if (rights)
        LsaFreeMemory(rights);
    if (policy)
        LsaClose(policy);
    LocalFree(sid);
    return LsaNtStatusToWinError(status);
}

DWORD EnsureServiceLogonRight(const WCHAR *account, bool *granted)
{
    bool held;
    return LookAtServiceLogonRight(account, true, &held, granted);
}

DWORD HoldsServiceLogonRight(const WCHAR *account, bool *held)
{
    bool granted;
    return LookAtServiceLogonRight(account, false, held, &granted);
}

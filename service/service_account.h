// The account a service logs on with: what kind it is, whether it takes a
// password, and the right to log on as a service that some accounts need.
// Names are UTF-16: callers convert the form's texts.
#pragma once

#include <windows.h>

#include <ntsecapi.h>

// SystemAccount: LocalSystem (also no account at all), LocalService and
// NetworkService. VirtualAccount: "NT SERVICE\<service>". ManagedAccount:
// a (group) managed service account, whose name ends in '$'. UserAccount:
// any other.
enum AccountKind { SystemAccount, VirtualAccount, ManagedAccount, UserAccount };

// The kind of account the service manager makes of the name, compared
// without regard to case: "", "LocalSystem", ".\LocalSystem" or
// "<this computer>\LocalSystem", "NT AUTHORITY\SYSTEM",
// "NT AUTHORITY\LocalService" or "NT AUTHORITY\LOCAL SERVICE",
// "NT AUTHORITY\NetworkService" or "NT AUTHORITY\NETWORK SERVICE" are
// system accounts.
AccountKind KindOfAccount(const WCHAR *account);
// Only a user's account logs on with a password; the others take none.
bool AccountTakesPassword(AccountKind kind);
// Windows gives the system and virtual accounts the right to log on as a
// service by itself; users and managed accounts need it granted.
bool NeedsServiceLogonRight(AccountKind kind);

// The SID of the account, ".\name" taken as this computer's: ERROR_SUCCESS
// and *sid in memory the caller frees with LocalFree, or the system's error
// (ERROR_NONE_MAPPED for a name it does not know) and *sid untouched.
DWORD ResolveAccount(const WCHAR *account, PSID *sid);
// Grants the account the right to log on as a service (SeServiceLogonRight)
// unless it holds it already; *granted says whether it was granted now.
// ERROR_SUCCESS, or the error of the step that failed: resolving the name,
// opening the local policy, reading the account's rights or adding it.
DWORD EnsureServiceLogonRight(const WCHAR *account, bool *granted);
// Whether the account holds the right now; ERROR_SUCCESS or the failing
// step's error.
DWORD HoldsServiceLogonRight(const WCHAR *account, bool *held);

// Wine's LSA keeps no rights: it answers every account's rights with
// STATUS_OBJECT_NAME_NOT_FOUND and a grant with success. The program uses
// the platform's own calls; tests may point these elsewhere.
struct LogonRightCalls {
    decltype(&LsaOpenPolicy) openPolicy;
    decltype(&LsaEnumerateAccountRights) enumerateRights;
    decltype(&LsaAddAccountRights) addRights;
};
extern LogonRightCalls logonRightCalls;

// What Install and Apply do beside their main call: the password refused
// for an account that takes none, the delayed start and the account's
// right to log on as a service set after, and the box that says how it
// went.
#pragma once

#include <windows.h>

// A password typed for an account that takes none (the system's own, a
// virtual or a managed one) is refused, naming the field; false then.
bool PasswordFitsAccount(HWND window, const char *verb, const char *account, const char *password);

// What was done, and what is still to set.
struct SetupDone {
    const char *keyName;
    const char *done;     // "created" or "changed"
    const char *account;  // set now, for its right; null when not
    int delayed;          // 1 to delay an automatic start, 0 to no longer, -1 as it is
    const char *note;     // a line more for the success box; null when none
    const struct RecoverySettings *recovery;  // to set now; null when none
};
// Sets what is still to set, lets the window show the service as it now
// is (settled), and says how it went: the success box with what it says
// beside, and after it the failures of a recovery not set and of a right
// not granted.
void FinishSetup(HWND window, const SetupDone *done, void (*settled)(HWND window));

// A service's failure actions as the Recovery page shows them.
#include "service/recovery.h"

#include "service/service_manager.h"

#include <wchar.h>

static const WCHAR FailCount[] = L" /fail=%1%";

bool HasAction(const RecoverySettings *s, SC_ACTION_TYPE action)
{
    for (SC_ACTION_TYPE a : s->actions)
        if (a == action)
            return true;
    return false;
}

bool HasRecovery(const RecoverySettings *s)
{
    return !(s->actions[0] == SC_ACTION_NONE && s->actions[1] == SC_ACTION_NONE && s->actions[2] == SC_ACTION_NONE);
}

void RecoveryActions(const RecoverySettings *s, SC_ACTION actions[3])
{
    for (int i = 0; i < 3; i++) {
        const SC_ACTION_TYPE type = s->actions[i];
        actions[i] = {type, type == SC_ACTION_RESTART ? s->restartDelay : type == SC_ACTION_REBOOT ? s->rebootDelay : 0};
    }
}

void RecoveryCommandLine(const RecoverySettings *s, WCHAR *line, DWORD count)
{
    const bool quoted = wcschr(s->program, L' ') != nullptr;
    line[0] = L'\0';
    if (s->program[0])
        _snwprintf(line, count, quoted ? L"\"%ls\"" : L"%ls", s->program);
    const size_t length = wcslen(line);
    if (s->parameters[0] && length + 1 < count)
        _snwprintf(line + length, count - length, L" %ls", s->parameters);
    if (s->appendFailCount && wcslen(line) + wcslen(FailCount) < count)
        wcscat(line, FailCount);
    line[count - 1] = L'\0';
}

// The program and parameters of a command line as the Recovery page writes
// it: a quoted program, or the text up to the first blank.
static void SplitCommandLine(const WCHAR *line, RecoverySettings *s)
{
    s->program[0] = s->parameters[0] = L'\0';
    s->appendFailCount = false;
    if (!line)
        return;
    const WCHAR *rest;
    if (line[0] == L'"') {
        const WCHAR *end = wcschr(line + 1, L'"');
        const size_t length = end ? size_t(end - line - 1) : wcslen(line + 1);
        lstrcpynW(s->program, line + 1, int(length < RecoveryProgramLength ? length + 1 : RecoveryProgramLength));
        rest = end ? end + 1 : line + 1 + length;
    } else {
        const size_t length = wcscspn(line, L" ");
        lstrcpynW(s->program, line, int(length < RecoveryProgramLength ? length + 1 : RecoveryProgramLength));
        rest = line + length;
    }
    rest += wcsspn(rest, L" ");
    lstrcpynW(s->parameters, rest, RecoveryParametersLength);
    const size_t length = wcslen(s->parameters), tail = wcslen(FailCount) - 1;
    if (length >= tail && !wcscmp(s->parameters + length - tail, FailCount + 1)) {
        s->appendFailCount = true;
        s->parameters[length - tail] = L'\0';
        for (size_t end = length - tail; end && s->parameters[end - 1] == L' ';)
            s->parameters[--end] = L'\0';
    }
}

// The delay of the first action of kind; 0 when none.
static DWORD DelayOf(const SC_ACTION *actions, DWORD count, SC_ACTION_TYPE kind)
{
    for (DWORD i = 0; i < count; i++)
        if (actions[i].Type == kind)
            return actions[i].Delay;
    return 0;
}

DWORD ReadRecovery(const char *keyName, RecoverySettings *s)
{
    return WithService(keyName, SERVICE_QUERY_CONFIG, [s](SC_HANDLE service) {
        DWORD needed = 0;
        SERVICE_FAILURE_ACTIONS_FLAG flag = {};
        if (!scmCalls.queryServiceConfig2(service, SERVICE_CONFIG_FAILURE_ACTIONS, nullptr, 0, &needed) &&
            GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
        auto *actions = static_cast<SERVICE_FAILURE_ACTIONSW *>(GlobalAlloc(GPTR, needed));
        if (!actions)
            return false;
        const bool read = scmCalls.queryServiceConfig2(service, SERVICE_CONFIG_FAILURE_ACTIONS,
                                                       reinterpret_cast<BYTE *>(actions), needed, &needed) &&
                          scmCalls.queryServiceConfig2(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG,
                                                       reinterpret_cast<BYTE *>(&flag), sizeof(flag), &needed);
        const DWORD count = read && actions->lpsaActions ? actions->cActions : 0;
        // An action this program does not know cannot be shown, nor kept.
        bool known = read;
        for (DWORD i = 0; i < count; i++)
            known &= actions->lpsaActions[i].Type <= SC_ACTION_RUN_COMMAND;
        if (known) {
            // The last action stands for every later failure.
            for (DWORD i = 0; i < 3; i++)
                s->actions[i] = count ? actions->lpsaActions[i < count ? i : count - 1].Type : SC_ACTION_NONE;
            s->resetSeconds = actions->dwResetPeriod;
            s->restartDelay = DelayOf(actions->lpsaActions, count, SC_ACTION_RESTART);
            s->rebootDelay = DelayOf(actions->lpsaActions, count, SC_ACTION_REBOOT);
            s->onStopsWithErrors = flag.fFailureActionsOnNonCrashFailures != FALSE;
            SplitCommandLine(actions->lpCommand, s);
        } else if (read) {
            SetLastError(ERROR_INVALID_DATA);
        }
        GlobalFree(actions);
        return known;
    });
}

// Enables or disables the shutdown privilege of the process's token; its
// state before in *wasEnabled.
static bool SetShutdownPrivilege(bool enable, bool *wasEnabled)
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES wanted = {1, {{{0, 0}, enable ? DWORD(SE_PRIVILEGE_ENABLED) : 0}}}, before = {};
    DWORD size = sizeof(before);
    const bool set = LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &wanted.Privileges[0].Luid) &&
                     AdjustTokenPrivileges(token, FALSE, &wanted, sizeof(before), &before, &size) &&
                     GetLastError() == ERROR_SUCCESS;
    if (wasEnabled)
        *wasEnabled = set && before.PrivilegeCount && (before.Privileges[0].Attributes & SE_PRIVILEGE_ENABLED);
    CloseHandle(token);
    return set;
}

DWORD ApplyRecovery(const char *keyName, const RecoverySettings *s, bool wasOnStopsWithErrors)
{
    SC_ACTION actions[3];
    RecoveryActions(s, actions);
    WCHAR command[RecoveryProgramLength + RecoveryParametersLength + 16];
    RecoveryCommandLine(s, command, sizeof(command) / sizeof(command[0]));
    // No action at all deletes the reset period and the actions.
    SERVICE_FAILURE_ACTIONSW record = {HasRecovery(s) ? s->resetSeconds : 0, nullptr, command,
                                       HasRecovery(s) ? 3u : 0u, actions};
    const bool reboot = HasAction(s, SC_ACTION_REBOOT);
    // Restart the Service needs the right to start the service.
    const DWORD access = SERVICE_CHANGE_CONFIG | (HasAction(s, SC_ACTION_RESTART) ? SERVICE_START : 0);
    return WithService(keyName, access, [&](SC_HANDLE service) {
        bool wasEnabled = false;
        const bool raised = reboot && SetShutdownPrivilege(true, &wasEnabled);
        BOOL done = scmCalls.changeServiceConfig2(service, SERVICE_CONFIG_FAILURE_ACTIONS, &record);
        const DWORD error = GetLastError();
        if (raised && !wasEnabled)
            SetShutdownPrivilege(false, nullptr);
        SetLastError(error);
        if (done && (s->onStopsWithErrors || wasOnStopsWithErrors)) {
            SERVICE_FAILURE_ACTIONS_FLAG flag = {s->onStopsWithErrors};
            done = scmCalls.changeServiceConfig2(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &flag);
        }
        return done != FALSE;
    });
}

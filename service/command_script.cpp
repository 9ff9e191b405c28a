// A script of sc.exe commands. Each value passes two parsers: cmd.exe,
// which expands % even inside quotes and takes & | < > ^ for its own
// outside them, and the C runtime of sc.exe, which splits the arguments by
// its rules for quotes and backslashes.
#include "service/command_script.h"

#include "service/binary_path.h"
#include "service/error_report.h"
#include "service/installed_service.h"
#include "service/operation.h"
#include "service/recovery.h"
#include "service/service_account.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

// The script as it is written, and whether cmd.exe, reading its line so
// far, counts itself inside quotes: it turns at every quote, escaped or not.
// Of the line being written: where it began, and its longest value and
// that value's field.
struct Script {
    WCHAR *text;
    DWORD length;
    bool insideQuotes;
    bool full;  // a character did not fit
    DWORD lineStart;
    DWORD longestValue;
    const char *longestField;
};

static void AppendCharacter(Script *script, WCHAR c)
{
    if (script->length + 1 < ScriptLength)
        script->text[script->length++] = c;
    else
        script->full = true;
    script->text[script->length] = L'\0';
    if (c == L'"')
        script->insideQuotes = !script->insideQuotes;
    else if (c == L'\n') {
        script->insideQuotes = false;
        script->lineStart = script->length;
        script->longestValue = 0;
    }
}

static void Append(Script *script, const WCHAR *text)
{
    for (const WCHAR *c = text; *c; c++)
        AppendCharacter(script, *c);
}

// A character of an argument, kept from cmd.exe: % doubled, and & | < > ^
// escaped with ^ where cmd.exe, which knows no backslash before a quote,
// counts itself outside quotes, in this argument or after an earlier one
// with an odd count of quotes in it.
static void AppendKept(Script *script, WCHAR c)
{
    if (c == L'%')
        AppendCharacter(script, L'%');
    else if (!script->insideQuotes && c != L'"' && wcschr(L"&|<>^", c))
        AppendCharacter(script, L'^');
    AppendCharacter(script, c);
}

// One argument, quoted as the C runtime reads it back: a quote is escaped
// with a backslash, and the backslashes before a quote (the closing one
// too) are doubled; each character then kept from cmd.exe.
static void AppendArgument(Script *script, const WCHAR *value, const char *field)
{
    const DWORD begun = script->length;
    AppendKept(script, L'"');
    for (const WCHAR *c = value;; c++) {
        DWORD backslashes = 0;
        while (*c == L'\\') {
            backslashes++;
            c++;
        }
        const bool beforeQuote = *c == L'"' || !*c;
        for (DWORD i = 0; i < (beforeQuote ? 2 * backslashes : backslashes); i++)
            AppendKept(script, L'\\');
        if (!*c)
            break;
        if (*c == L'"')
            AppendKept(script, L'\\');
        AppendKept(script, *c);
    }
    AppendKept(script, L'"');
    if (script->length - begun > script->longestValue) {
        script->longestValue = script->length - begun;
        script->longestField = field;
    }
}

static void AppendOption(Script *script, const WCHAR *option, const WCHAR *value, const char *field)
{
    Append(script, L" ");
    Append(script, option);
    Append(script, L" ");
    AppendArgument(script, value, field);
}

// Ends a command's line; false, with the refusal said, when cmd.exe would
// not take a line so long.
static bool EndLine(Script *script, char *refusal)
{
    if (script->length - script->lineStart > CommandLineLength - 1) {
        wsprintfA(refusal, "%s is too long for a command: cmd.exe takes lines of at most %lu characters.",
                  script->longestField, CommandLineLength - 1);
        return false;
    }
    Append(script, L"\r\n");
    return true;
}

// The service types of one user's services, which older headers lack.
constexpr DWORD UserOwnProcess = 0x50;
constexpr DWORD UserShareProcess = 0x60;

// sc.exe's words for the record's values: null where it has none.
static const WCHAR *TypeWords(DWORD type)
{
    switch (type) {
    case SERVICE_WIN32_OWN_PROCESS:
        return L"own";
    case SERVICE_WIN32_SHARE_PROCESS:
        return L"share";
    case SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS:
        return L"own type= interact";
    case SERVICE_WIN32_SHARE_PROCESS | SERVICE_INTERACTIVE_PROCESS:
        return L"share type= interact";
    case UserOwnProcess:
        return L"userown";
    case UserShareProcess:
        return L"usershare";
    case SERVICE_KERNEL_DRIVER:
        return L"kernel";
    case SERVICE_FILE_SYSTEM_DRIVER:
        return L"filesys";
    case SERVICE_RECOGNIZER_DRIVER:
        return L"rec";
    }
    return nullptr;
}

static const WCHAR *const StartWords[] = {L"boot", L"system", L"auto", L"demand", L"disabled"};
static const WCHAR *const ErrorWords[] = {L"ignore", L"normal", L"severe", L"critical"};

// A service as the script makes it: texts in UTF-16, the binary path as
// Install passes it, the dependencies as the form writes them.
struct ScriptedService {
    const WCHAR *keyName, *binaryPath, *displayName, *description, *loadOrderGroup, *dependencies, *accountName;
    DWORD serviceType, startType, errorControl;
    const RecoverySettings *recovery;  // null: none
};

static const struct {
    const char *field;
    size_t offset;
} scriptedTexts[] = {
    {"Key Name", offsetof(ScriptedService, keyName)},
    {"Binary Path", offsetof(ScriptedService, binaryPath)},
    {"Display Name", offsetof(ScriptedService, displayName)},
    {"Description", offsetof(ScriptedService, description)},
    {"Load Order Group", offsetof(ScriptedService, loadOrderGroup)},
    {"Dependencies", offsetof(ScriptedService, dependencies)},
    {"Account Name", offsetof(ScriptedService, accountName)},
};

static const WCHAR *TextOf(const ScriptedService *s, size_t offset)
{
    return *reinterpret_cast<const WCHAR *const *>(reinterpret_cast<const BYTE *>(s) + offset);
}

// sc.exe failure (reset= in seconds, each action's delay in milliseconds)
// and sc.exe failureflag, as the service's recovery is set.
static bool AppendRecovery(Script *script, const WCHAR *keyName, const RecoverySettings *recovery, char *refusal)
{
    if (HasRecovery(recovery)) {
        SC_ACTION actions[3];
        RecoveryActions(recovery, actions);
        WCHAR words[96];
        _snwprintf(words, 96, L" reset= %lu actions= ", recovery->resetSeconds);
        Append(script, L"sc.exe failure ");
        AppendArgument(script, keyName, "Key Name");
        Append(script, words);
        static const WCHAR *const names[] = {L"none", L"restart", L"reboot", L"run"};
        for (int i = 0; i < 3; i++) {
            _snwprintf(words, 96, L"%ls%ls/%lu", i ? L"/" : L"", names[actions[i].Type], actions[i].Delay);
            Append(script, words);
        }
        WCHAR command[RecoveryProgramLength + RecoveryParametersLength + 16];
        RecoveryCommandLine(recovery, command, sizeof(command) / sizeof(command[0]));
        if (command[0])
            AppendOption(script, L"command=", command, "Run a Program");
        if (!EndLine(script, refusal))
            return false;
    }
    if (recovery->onStopsWithErrors) {
        Append(script, L"sc.exe failureflag ");
        AppendArgument(script, keyName, "Key Name");
        Append(script, L" 1\r\n");
    }
    return true;
}

static bool WriteScript(const ScriptedService *s, WCHAR *text, char *refusal)
{
    bool beyondAscii = false;
    for (const auto &t : scriptedTexts) {
        const WCHAR *value = TextOf(s, t.offset);
        if (wcspbrk(value, L"\r\n")) {
            wsprintfA(refusal, "%s holds a line break, which no command line carries.", t.field);
            return false;
        }
        for (const WCHAR *c = value; *c; c++)
            beyondAscii |= *c >= 0x80;
    }
    const WCHAR *type = TypeWords(s->serviceType);
    if (!type) {
        wsprintfA(refusal, "sc.exe takes no service type 0x%lX: no commands can make this service.",
                  s->serviceType);
        return false;
    }

    Script script = {text, 0, false, false, 0, 0, "Key Name"};
    text[0] = L'\0';
    // Delayed expansion, which a script pasted into may have turned on,
    // would take ! for its own.
    Append(&script, L"@echo off\r\nsetlocal DisableDelayedExpansion\r\n");
    // Saved as UTF-8, the script is read so by cmd.exe once told.
    if (beyondAscii)
        Append(&script, L"chcp 65001 >nul\r\n");
    Append(&script, L"sc.exe create ");
    AppendArgument(&script, s->keyName, "Key Name");
    AppendOption(&script, L"binpath=", s->binaryPath, "Binary Path");
    Append(&script, L" type= ");
    Append(&script, type);
    if (s->startType < 5 || s->startType == DelayedAutoStart) {
        Append(&script, L" start= ");
        Append(&script, s->startType == DelayedAutoStart ? L"delayed-auto" : StartWords[s->startType]);
    }
    if (s->errorControl < 4) {
        Append(&script, L" error= ");
        Append(&script, ErrorWords[s->errorControl]);
    }
    AppendOption(&script, L"displayname=", s->displayName, "Display Name");
    if (s->loadOrderGroup[0])
        AppendOption(&script, L"group=", s->loadOrderGroup, "Load Order Group");
    if (s->dependencies[0])
        AppendOption(&script, L"depend=", s->dependencies, "Dependencies");
    if (s->accountName[0])
        AppendOption(&script, L"obj=", s->accountName, "Account Name");
    if (!EndLine(&script, refusal))
        return false;
    if (s->description[0]) {
        Append(&script, L"sc.exe description ");
        AppendArgument(&script, s->keyName, "Key Name");
        Append(&script, L" ");
        AppendArgument(&script, s->description, "Description");
        if (!EndLine(&script, refusal))
            return false;
    }
    if (s->recovery && !AppendRecovery(&script, s->keyName, s->recovery, refusal))
        return false;
    const AccountKind account = KindOfAccount(s->accountName);
    if (NeedsServiceLogonRight(account))
        Append(&script, L"rem The account needs the right to log on as a service: the Services console grants it "
                        L"when the account is set there, or give it by policy (User Rights Assignment, "
                        L"\"Log on as a service\").\r\n");
    if (AccountTakesPassword(account)) {
        Append(&script, L"rem The account logs on with its password, which is not copied: give it with\r\n");
        Append(&script, L"rem sc.exe config ");
        AppendArgument(&script, s->keyName, "Key Name");
        Append(&script, L" password= \"...\"\r\n");
    }
    if (script.full)
        lstrcpyA(refusal, "The commands take more than a script of Tarnex holds.");
    return !script.full;
}

// A record's text in UTF-16.
static void Widen(const char *text, WCHAR *wide, DWORD size)
{
    if (!MultiByteToWideChar(ProgramCodePage(), 0, text, -1, wide, int(size)))
        wide[0] = L'\0';
}

// The binary path as the script passes it, for another machine: quoted up
// to its program wherever the program is (quoted holds two characters more
// than path); null, with the refusal said, when its program cannot be told.
static const WCHAR *ScriptedPath(const WCHAR *path, DWORD serviceType, WCHAR *quoted, char *refusal)
{
    switch (QuoteBinaryPath(path, serviceType, false, quoted)) {
    case PathUnclear:
        lstrcpyA(refusal, "Binary Path holds blanks, and where its program ends cannot be told: put the program's "
                          "path in quotes.");
        return nullptr;
    case PathQuoted:
        return quoted;
    case PathAsWritten:
        break;
    }
    return path;
}

bool WriteNewServiceScript(const ServiceSettings *s, const RecoverySettings *recovery, WCHAR *text, char *refusal)
{
    WCHAR name[FieldSize], written[FieldSize], quoted[FieldSize + 2], display[FieldSize], group[FieldSize];
    WCHAR account[FieldSize];
    WCHAR description[LongFieldSize], dependencies[LongFieldSize];
    char dependencyText[LongFieldSize];
    memcpy(dependencyText, s->dependencies, sizeof(dependencyText));
    DependencyListToText(dependencyText, sizeof(dependencyText));
    Widen(s->keyName, name, FieldSize);
    Widen(s->binaryPath, written, FieldSize);
    const WCHAR *path = ScriptedPath(written, s->serviceType, quoted, refusal);
    if (!path)
        return false;
    Widen(s->displayName, display, FieldSize);
    Widen(s->description, description, LongFieldSize);
    Widen(s->loadOrderGroup, group, FieldSize);
    Widen(dependencyText, dependencies, LongFieldSize);
    Widen(s->accountName, account, FieldSize);
    const ScriptedService scripted = {name,           path,         display,         description, group, dependencies,
                                      account,        s->serviceType, s->startType, s->errorControl, recovery};
    return WriteScript(&scripted, text, refusal);
}

static const WCHAR *OrEmpty(const WCHAR *text)
{
    return text ? text : L"";
}

bool WriteInstalledServiceScript(const char *keyName, WCHAR *text, char *refusal)
{
    InstalledService installed;
    const DWORD error = ReadInstalledService(keyName, &installed);
    if (error) {
        char message[FailureTextSize];
        FormatSystemError(error, message);
        wsprintfA(refusal, "The service's configuration could not be read: %s", message);
        return false;
    }
    const QUERY_SERVICE_CONFIGW *c = installed.config;
    // A system that cannot say what recovery it keeps copies none.
    RecoverySettings recovery = {};
    const bool hasRecovery = ReadRecovery(keyName, &recovery) == ERROR_SUCCESS;
    WCHAR name[FieldSize];
    Widen(keyName, name, FieldSize);
    // The service's dependencies in the form's writing: names apart by '/'.
    DWORD length = 0;
    for (const WCHAR *d = c->lpDependencies; d && *d; d += lstrlenW(d) + 1)
        length += lstrlenW(d) + 1;
    auto *dependencies = static_cast<WCHAR *>(GlobalAlloc(GPTR, (length + 1) * sizeof(WCHAR)));
    const DWORD pathLength = c->lpBinaryPathName ? lstrlenW(c->lpBinaryPathName) : 0;
    auto *quoted = static_cast<WCHAR *>(GlobalAlloc(GPTR, (pathLength + 3) * sizeof(WCHAR)));
    bool written = false;
    if (!dependencies || !quoted) {
        lstrcpyA(refusal, "There is not memory enough for the commands.");
    } else {
        for (const WCHAR *d = c->lpDependencies; d && *d; d += lstrlenW(d) + 1) {
            if (dependencies[0])
                lstrcatW(dependencies, L"/");
            lstrcatW(dependencies, d);
        }
        const WCHAR *path = ScriptedPath(OrEmpty(c->lpBinaryPathName), c->dwServiceType, quoted, refusal);
        if (path) {
            const ScriptedService scripted = {name,
                                              path,
                                              OrEmpty(c->lpDisplayName),
                                              OrEmpty(installed.description),
                                              OrEmpty(c->lpLoadOrderGroup),
                                              dependencies,
                                              OrEmpty(c->lpServiceStartName),
                                              c->dwServiceType,
                                              installed.delayedAutoStart ? DelayedAutoStart : c->dwStartType,
                                              c->dwErrorControl,
                                              hasRecovery ? &recovery : nullptr};
            written = WriteScript(&scripted, text, refusal);
        }
    }
    if (dependencies)
        GlobalFree(dependencies);
    if (quoted)
        GlobalFree(quoted);
    FreeInstalledService(&installed);
    return written;
}

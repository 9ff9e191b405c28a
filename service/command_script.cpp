// A script of sc.exe commands. Each value passes two parsers: cmd.exe,
// which expands % even inside quotes and takes & | < > ^ for its own
// outside them, and the C runtime of sc.exe, which splits the arguments by
// its rules for quotes and backslashes.
#include "service/command_script.h"

#include "service/operation.h"

#include <string.h>

// The script as it is written, and whether cmd.exe, reading its line so
// far, counts itself inside quotes: it turns at every quote, escaped or not.
struct Script {
    WCHAR *text;
    DWORD length;
    bool insideQuotes;
    bool full;  // a character did not fit
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
    else if (c == L'\n')
        script->insideQuotes = false;
}

static void Append(Script *script, const WCHAR *text)
{
    for (const WCHAR *c = text; *c; c++)
        AppendCharacter(script, *c);
}

// One argument, quoted as the C runtime reads it back: a quote is escaped
// with a backslash, and the backslashes before a quote (the closing one
// too) are doubled. Then what cmd.exe would take for its own is kept from
// it: % doubled, and & | < > ^ escaped with ^ where cmd.exe, which knows no
// backslash before a quote, counts itself outside quotes, in this argument
// or after an earlier one with an odd count of quotes in it.
static void AppendArgument(Script *script, const WCHAR *value)
{
    WCHAR quoted[2 * LongFieldSize + 4];
    DWORD length = 0;
    quoted[length++] = L'"';
    for (const WCHAR *c = value;; c++) {
        DWORD backslashes = 0;
        while (*c == L'\\') {
            backslashes++;
            c++;
        }
        const bool beforeQuote = *c == L'"' || !*c;
        for (DWORD i = 0; i < (beforeQuote ? 2 * backslashes : backslashes); i++)
            quoted[length++] = L'\\';
        if (!*c)
            break;
        if (*c == L'"')
            quoted[length++] = L'\\';
        quoted[length++] = *c;
    }
    quoted[length++] = L'"';
    quoted[length] = L'\0';

    for (const WCHAR *c = quoted; *c; c++) {
        if (*c == L'%')
            AppendCharacter(script, L'%');
        else if (!script->insideQuotes && *c != L'"' && wcschr(L"&|<>^", *c))
            AppendCharacter(script, L'^');
        AppendCharacter(script, *c);
    }
}

static void AppendOption(Script *script, const WCHAR *option, const WCHAR *value)
{
    Append(script, L" ");
    Append(script, option);
    Append(script, L" ");
    AppendArgument(script, value);
}

// A record's text in UTF-16; false for one with a line break, which no
// command line carries.
static bool Widen(const char *text, WCHAR *wide, DWORD size)
{
    if (!MultiByteToWideChar(ProgramCodePage(), 0, text, -1, wide, int(size)))
        wide[0] = L'\0';
    return !wcspbrk(wide, L"\r\n");
}

// sc.exe's words for the record's values: null where it has none.
static const WCHAR *TypeWords(DWORD type)
{
    switch (type) {
    case SERVICE_WIN32_OWN_PROCESS:
        return L"own";
    case SERVICE_WIN32_SHARE_PROCESS:
        return L"share";
    case SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS:
        return L"interact type= own";
    case SERVICE_WIN32_SHARE_PROCESS | SERVICE_INTERACTIVE_PROCESS:
        return L"interact type= share";
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

// The accounts that log on without a password: the system's own, virtual
// accounts and managed service accounts (whose names end in $).
static bool NeedsPassword(const WCHAR *account)
{
    static const WCHAR *const own[] = {L"",
                                       L"LocalSystem",
                                       L".\\LocalSystem",
                                       L"NT AUTHORITY\\SYSTEM",
                                       L"NT AUTHORITY\\LocalService",
                                       L"NT AUTHORITY\\LOCAL SERVICE",
                                       L"NT AUTHORITY\\NetworkService",
                                       L"NT AUTHORITY\\NETWORK SERVICE"};
    for (const WCHAR *name : own)
        if (!lstrcmpiW(account, name))
            return false;
    const int length = lstrlenW(account);
    return CompareStringOrdinal(account, 11, L"NT SERVICE\\", 11, TRUE) != CSTR_EQUAL &&
           account[length - 1] != L'$';
}

bool WriteServiceScript(const ServiceSettings *s, WCHAR *text, char *refusal)
{
    char quotedPath[FieldSize + 2];
    const char *binaryPath = QuotedBinaryPath(s->binaryPath, s->serviceType, quotedPath);
    WCHAR name[FieldSize], path[FieldSize + 2], display[FieldSize], group[FieldSize], account[FieldSize];
    WCHAR description[LongFieldSize], dependencies[LongFieldSize];
    char dependencyText[LongFieldSize];
    memcpy(dependencyText, s->dependencies, sizeof(dependencyText));
    DependencyListToText(dependencyText, sizeof(dependencyText));
    const struct {
        const char *from;
        WCHAR *to;
        DWORD size;
        const char *field;
    } texts[] = {{s->keyName, name, FieldSize, "Key Name"},
                 {binaryPath, path, FieldSize + 2, "Binary Path"},
                 {s->displayName, display, FieldSize, "Display Name"},
                 {s->description, description, LongFieldSize, "Description"},
                 {s->loadOrderGroup, group, FieldSize, "Load Order Group"},
                 {dependencyText, dependencies, LongFieldSize, "Dependencies"},
                 {s->accountName, account, FieldSize, "Account Name"}};
    for (const auto &t : texts)
        if (!Widen(t.from, t.to, t.size)) {
            wsprintfA(refusal, "%s holds a line break, which no command line carries.", t.field);
            return false;
        }
    const WCHAR *type = TypeWords(s->serviceType);
    if (!type) {
        wsprintfA(refusal, "sc.exe takes no service type 0x%lX: Install could not make it either.", s->serviceType);
        return false;
    }

    Script script = {text, 0, false, false};
    text[0] = L'\0';
    // Delayed expansion, which a script pasted into may have turned on,
    // would take ! for its own.
    Append(&script, L"@echo off\r\nsetlocal DisableDelayedExpansion\r\n");
    bool beyondAscii = false;
    for (const auto &t : texts)
        for (const WCHAR *c = t.to; *c; c++)
            beyondAscii |= *c >= 0x80;
    // Saved as UTF-8, the script is read so by cmd.exe once told.
    if (beyondAscii)
        Append(&script, L"chcp 65001 >nul\r\n");
    Append(&script, L"sc.exe create ");
    AppendArgument(&script, name);
    AppendOption(&script, L"binpath=", path);
    Append(&script, L" type= ");
    Append(&script, type);
    if (s->startType < 5) {
        Append(&script, L" start= ");
        Append(&script, StartWords[s->startType]);
    }
    if (s->errorControl < 4) {
        Append(&script, L" error= ");
        Append(&script, ErrorWords[s->errorControl]);
    }
    AppendOption(&script, L"displayname=", display);
    if (group[0])
        AppendOption(&script, L"group=", group);
    if (dependencies[0])
        AppendOption(&script, L"depend=", dependencies);
    if (account[0])
        AppendOption(&script, L"obj=", account);
    Append(&script, L"\r\n");
    if (description[0]) {
        Append(&script, L"sc.exe description ");
        AppendArgument(&script, name);
        Append(&script, L" ");
        AppendArgument(&script, description);
        Append(&script, L"\r\n");
    }
    if (NeedsPassword(account)) {
        Append(&script, L"rem The account logs on with its password, which is not copied: give it with\r\n");
        Append(&script, L"rem sc.exe config ");
        AppendArgument(&script, name);
        Append(&script, L" password= \"...\"\r\n");
    }
    if (script.full)
        lstrcpyA(refusal, "The commands take more than a script of Tarnex holds.");
    return !script.full;
}

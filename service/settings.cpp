// Option tables and the text rules of the form.
#include "service/settings.h"

#include <string.h>

static const char desiredAccessNames[][19] = {
    "GENERIC_EXECUTE", "GENERIC_READ", "GENERIC_WRITE", "SERVICE_ALL_ACCESS",
};
static const DWORD desiredAccessValues[] = {
    GENERIC_EXECUTE, GENERIC_READ, GENERIC_WRITE, SERVICE_ALL_ACCESS,
};

static const char serviceTypeNames[][32] = {
    "SERVICE_ADAPTER",
    "SERVICE_DRIVER",
    "SERVICE_FILE_SYSTEM_DRIVER",
    "SERVICE_INTERACTIVE_OWN_PROCESS",
    "SERVICE_INTERACTIVE_PROCESS",
    "SERVICE_KERNEL_DRIVER",
    "SERVICE_RECOGNIZER_DRIVER",
    "SERVICE_TYPE_ALL",
    "SERVICE_WIN32",
    "SERVICE_WIN32_OWN_PROCESS",
    "SERVICE_WIN32_SHARE_PROCESS",
};
static const DWORD serviceTypeValues[] = {
    SERVICE_ADAPTER,
    SERVICE_DRIVER,
    SERVICE_FILE_SYSTEM_DRIVER,
    SERVICE_INTERACTIVE_PROCESS | SERVICE_WIN32_OWN_PROCESS,
    SERVICE_INTERACTIVE_PROCESS,
    SERVICE_KERNEL_DRIVER,
    SERVICE_RECOGNIZER_DRIVER,
    SERVICE_TYPE_ALL,
    SERVICE_WIN32,
    SERVICE_WIN32_OWN_PROCESS,
    SERVICE_WIN32_SHARE_PROCESS,
};

static const char startTypeNames[][29] = {
    "SERVICE_AUTO_START", "SERVICE_AUTO_START (DELAYED)", "SERVICE_BOOT_START", "SERVICE_DEMAND_START",
    "SERVICE_DISABLED",   "SERVICE_SYSTEM_START",
};
static const DWORD startTypeValues[] = {
    SERVICE_AUTO_START, DelayedAutoStart, SERVICE_BOOT_START, SERVICE_DEMAND_START, SERVICE_DISABLED,
    SERVICE_SYSTEM_START,
};

static const char errorControlNames[][23] = {
    "SERVICE_ERROR_CRITICAL", "SERVICE_ERROR_IGNORE", "SERVICE_ERROR_NORMAL", "SERVICE_ERROR_SEVERE",
};
static const DWORD errorControlValues[] = {
    SERVICE_ERROR_CRITICAL, SERVICE_ERROR_IGNORE, SERVICE_ERROR_NORMAL, SERVICE_ERROR_SEVERE,
};

template <size_t Rows, size_t Width>
static constexpr OptionTable MakeTable(const char (&names)[Rows][Width], const DWORD (&values)[Rows],
                                       int defaultRow)
{
    return {names[0], Width, values, int(Rows), defaultRow};
}

const OptionTable DesiredAccessOptions = MakeTable(desiredAccessNames, desiredAccessValues, 3);
const OptionTable ServiceTypeOptions = MakeTable(serviceTypeNames, serviceTypeValues, 9);
const OptionTable StartTypeOptions = MakeTable(startTypeNames, startTypeValues, 0);
const OptionTable ErrorControlOptions = MakeTable(errorControlNames, errorControlValues, 2);

CodePageCalls codePageCalls = {GetACP};

UINT ProgramCodePage()
{
    return codePageCalls.programCodePage();
}

int ExactProgramText(const WCHAR *text, char *converted, int size)
{
    const UINT codePage = ProgramCodePage();
    const bool utf8 = codePage == CP_UTF8;
    BOOL lost = FALSE;
    const int bytes = WideCharToMultiByte(codePage, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, text, -1,
                                          converted, size, nullptr, utf8 ? nullptr : &lost);
    return lost ? 0 : bytes;
}

bool AppendExactName(char *list, DWORD *used, DWORD size, const WCHAR *name)
{
    const int room = int(size) - int(*used) - 1;
    const int bytes = room > 0 ? ExactProgramText(name, list + *used, room) : 0;
    if (bytes)
        *used += DWORD(bytes);
    list[*used] = '\0';
    return bytes != 0;
}

void FillBytes(void *buffer, DWORD count, DWORD value)
{
    memset(buffer, int(value & 0xFF), count);
}

const char NoGroupEntry[] = "  **  NULL_GROUP  ** ";

const char *OptionName(const OptionTable &table, int index)
{
    return table.names + index * table.nameWidth;
}

// Any index but 0..n-2 reads as the last row: a list without a selection
// installs with the last row's value.
DWORD OptionValueForIndex(const OptionTable &table, int index)
{
    if (index >= 0 && index < table.rowCount - 1)
        return table.values[index];
    return table.values[table.rowCount - 1];
}

int OptionIndexForValue(const OptionTable &table, DWORD value)
{
    for (int i = 0; i < table.rowCount; i++)
        if (table.values[i] == value)
            return i;
    return -1;
}

int GroupIndexForName(HWND groupList, const char *name)
{
    if (!name[0])
        return 0;
    const LRESULT found = SendMessageA(groupList, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(name));
    return found == CB_ERR ? 0 : int(found);
}

void DependencyTextToList(char *dependencies, DWORD size)
{
    const size_t length = strnlen(dependencies, size - 2);
    dependencies[length] = '\0';
    dependencies[length + 1] = '\0';
    for (size_t i = 0; i < length; i++)
        if (dependencies[i] == DEPENDENCY_SEPARATOR)
            dependencies[i] = '\0';
}

void DependencyListToText(char *dependencies, DWORD size)
{
    DWORD i = 0;
    for (; i + 1 < size; i++) {
        if (dependencies[i] != '\0')
            continue;
        if (dependencies[i + 1] == '\0')
            return;
        dependencies[i] = DEPENDENCY_SEPARATOR;
    }
    dependencies[i] = '\0';  // a list without its closing NUL ends at the field's end
}

bool AppendDependency(char *text, DWORD size, const char *name, bool isGroup)
{
    const size_t length = strnlen(text, size);
    const size_t added = (length ? 1 : 0) + (isGroup ? 1 : 0) + strlen(name);
    if (length + added + 2 > size)
        return false;
    char *end = text + length;
    if (length)
        *end++ = DEPENDENCY_SEPARATOR;
    if (isGroup)
        *end++ = SERVICE_GROUP_PREFIX;
    strcpy(end, name);
    return true;
}

// The character after the one at c, in the program's code page: past the
// continuation bytes of UTF-8, or past the second byte of a double-byte
// character, which may be any byte from 0x40 up, the backslash among them.
static const char *NextCharacter(const char *c, UINT codePage)
{
    if (codePage == CP_UTF8) {
        do
            c++;
        while ((BYTE(*c) & 0xC0) == 0x80);
        return c;
    }
    return IsDBCSLeadByteEx(codePage, BYTE(*c)) && c[1] ? c + 2 : c + 1;
}

size_t CharacterBoundary(const char *text, size_t length)
{
    const size_t whole = strnlen(text, length + 1);
    if (whole <= length)
        return whole;
    // Only the bytes up to length are read: the text may have no end.
    const UINT codePage = ProgramCodePage();
    if (codePage == CP_UTF8) {
        while (length && (BYTE(text[length]) & 0xC0) == 0x80)
            length--;
        return length;
    }
    size_t end = 0;
    for (size_t next; (next = end + (IsDBCSLeadByteEx(codePage, BYTE(text[end])) ? 2 : 1)) <= length;)
        end = next;
    return end;
}

void KeyNameFromBinaryPath(const char *path, char *keyName, DWORD size)
{
    const UINT codePage = ProgramCodePage();
    const char *fileName = path;
    int characters = 0;
    for (const char *c = path; *c; c = NextCharacter(c, codePage), characters++)
        if (*c == '\\') {
            fileName = NextCharacter(c, codePage);
            characters = -1;
        }
    // Without its last four characters, the extension.
    const char *end = fileName;
    for (int i = 0; i < characters - 4; i++)
        end = NextCharacter(end, codePage);
    size_t length = size_t(end - fileName);
    if (length > size - 1)
        length = CharacterBoundary(fileName, size - 1);
    memcpy(keyName, fileName, length);
    keyName[length] = '\0';
}

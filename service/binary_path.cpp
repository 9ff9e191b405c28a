// Quoting a service's binary path up to its program.
#include "service/binary_path.h"

static bool NamesAFile(const WCHAR *path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The length of the path's first part that ends in ".exe" before a blank
// or the end; 0 when none does.
static int ProgramLength(const WCHAR *path)
{
    for (int i = 0; path[i]; i++) {
        const WCHAR after = path[i + 4];
        if (path[i] == L'.' && (after == L' ' || after == L'\0') &&
            CompareStringOrdinal(path + i, 4, L".exe", 4, TRUE) == CSTR_EQUAL)
            return i + 4;
    }
    return 0;
}

// Whether the part up to the first blank names a file here, as written or
// with ".exe" added as the service manager adds it to a name without one.
static bool FirstPartNamesAFile(const WCHAR *path, int blank)
{
    WCHAR part[MAX_PATH + 4];
    if (blank >= MAX_PATH)
        return false;
    lstrcpynW(part, path, blank + 1);
    const WCHAR *name = part;
    for (const WCHAR *c = part; *c; c++)
        if (*c == L'\\' || *c == L'/')
            name = c + 1;
    if (!wcschr(name, L'.'))
        lstrcatW(part, L".exe");
    return NamesAFile(part);
}

PathQuoting QuoteBinaryPath(const WCHAR *path, DWORD serviceType, WCHAR *quoted, DWORD count)
{
    const WCHAR *blank = wcschr(path, L' ');
    if (!(serviceType & SERVICE_WIN32) || !blank || path[0] == L'"')
        return PathAsWritten;
    int length = NamesAFile(path) ? lstrlenW(path) : ProgramLength(path);
    if (!length)
        return FirstPartNamesAFile(path, int(blank - path)) ? PathAsWritten : PathUnclear;
    if (path + length <= blank)
        return PathAsWritten;  // the blanks are the arguments'
    const int whole = lstrlenW(path);
    if (DWORD(whole + 3) > count)
        return PathAsWritten;
    quoted[0] = L'"';
    CopyMemory(quoted + 1, path, length * sizeof(WCHAR));
    quoted[length + 1] = L'"';
    lstrcpyW(quoted + length + 2, path + length);
    return PathQuoted;
}

// Where a service's binary path names its program, and its quoting.
#include "service/binary_path.h"

#include <wchar.h>

static const WCHAR Blanks[] = L" \t";

// The file CreateProcess runs for name: ".exe" is added to a name without
// an extension, and a directory is no program. found holds MAX_PATH
// characters, as CreateProcess's own search does.
static bool FindProgram(const WCHAR *name, WCHAR *found)
{
    const DWORD length = *name ? SearchPathW(nullptr, name, L".exe", MAX_PATH, found, nullptr) : 0;
    const DWORD attributes = length && length < MAX_PATH ? GetFileAttributesW(found) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether the length characters of text end in ".exe".
static bool EndsInExe(const WCHAR *text, int length)
{
    return length >= 4 && CompareStringOrdinal(text + length - 4, 4, L".exe", 4, TRUE) == CSTR_EQUAL;
}

// The length of the program of an unquoted path as written: the first part
// up to a blank that ends in ".exe" before the arguments, or the first part
// when it has an extension; 0 when neither can be told.
static int WrittenProgramLength(const WCHAR *path)
{
    const int first = int(wcscspn(path, Blanks));
    for (int end = first;; end += int(wcscspn(path + end, Blanks))) {
        if (EndsInExe(path, end))
            return end;
        const int next = end + int(wcsspn(path + end, Blanks));
        if (!path[next] || wcschr(L"-/\"", path[next]))
            break;
        end = next;
    }
    const WCHAR *name = path;
    for (int i = 0; i < first; i++)
        if (path[i] == L'\\' || path[i] == L'/')
            name = path + i + 1;
    const WCHAR *dot = wcschr(name, L'.');
    return dot && dot < path + first ? first : 0;
}

// The length of the first part of an unquoted path up to a blank that names
// an existing file, as the service manager tries them; 0 when none does.
static int ExistingProgramLength(WCHAR *path, WCHAR *found)
{
    for (int end = int(wcscspn(path, Blanks));; end += int(wcscspn(path + end, Blanks))) {
        const WCHAR kept = path[end];
        path[end] = L'\0';
        const bool exists = FindProgram(path, found);
        path[end] = kept;
        if (exists)
            return end;
        if (!kept)
            return 0;
        end += int(wcsspn(path + end, Blanks));
    }
}

static bool NamesAFile(const WCHAR *path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

PathQuoting QuoteBinaryPath(const WCHAR *path, DWORD serviceType, bool here, WCHAR *quoted)
{
    const int firstBlank = int(wcscspn(path, Blanks));
    if (!(serviceType & SERVICE_WIN32) || !path[firstBlank] || path[0] == L'"')
        return PathAsWritten;
    int length = here && NamesAFile(path) ? lstrlenW(path) : WrittenProgramLength(path);
    WCHAR copy[MAX_PATH], found[MAX_PATH];
    if (!length && here && lstrlenW(path) < MAX_PATH)
        length = ExistingProgramLength(lstrcpyW(copy, path), found);
    if (!length)
        return PathUnclear;
    if (length <= firstBlank)
        return PathAsWritten;  // the blanks are the arguments'
    quoted[0] = L'"';
    CopyMemory(quoted + 1, path, length * sizeof(WCHAR));
    quoted[length + 1] = L'"';
    lstrcpyW(quoted + length + 2, path + length);
    return PathQuoted;
}

bool ProgramOfBinaryPath(const WCHAR *binaryPath, WCHAR *program, DWORD count)
{
    bool fits = false;
    // The service manager expands the environment strings of every path.
    const DWORD size = ExpandEnvironmentStringsW(binaryPath, nullptr, 0);
    auto *text = size ? static_cast<WCHAR *>(GlobalAlloc(GMEM_FIXED, size * sizeof(WCHAR))) : nullptr;
    if (text && ExpandEnvironmentStringsW(binaryPath, text, size) <= size) {
        WCHAR found[MAX_PATH];
        WCHAR *start = text + wcsspn(text, Blanks);
        const WCHAR *chosen = start;
        if (*start == L'"') {
            start++;
            start[wcscspn(start, L"\"")] = L'\0';
            chosen = FindProgram(start, found) ? found : start;
        } else if (ExistingProgramLength(start, found)) {
            chosen = found;
        } else if (const int length = WrittenProgramLength(start)) {
            start[length] = L'\0';
        }
        const DWORD length = lstrlenW(chosen);
        fits = length && length < count;
        if (fits)
            CopyMemory(program, chosen, (length + 1) * sizeof(WCHAR));
    }
    if (text)
        GlobalFree(text);
    return fits;
}

// The standard Open dialog for choosing a service's executable.
#include "app/file_picker.h"

#include "service/settings.h"
#include "skin/system_library.h"

#include <commdlg.h>
#include <string.h>

#ifndef _WIN64
static_assert(sizeof(OPENFILENAME_NT4A) == 76, "the Open dialog takes the record without the later fields");
#endif

const char AllFilesFilter[] = "All files\0*.*\0";

// The file that a command line names: the text inside its leading quotes,
// or the whole text; empty when that cannot be a file name, on which the
// Open dialog would refuse to open at all. Steps over the second bytes of
// double-byte characters, which may look like any of the refused bytes.
static void ProposedFile(const char *command, char *file, DWORD size)
{
    const bool quoted = command[0] == '"';
    const char *start = quoted ? command + 1 : command;
    file[0] = '\0';
    const UINT codePage = ProgramCodePage();
    DWORD length = 0;
    for (;; length++) {
        const BYTE c = BYTE(start[length]);
        if (!c) {
            if (quoted)
                return;  // the quotes never close
            break;
        }
        if (quoted && c == '"')
            break;
        if (c < ' ' || strchr("\"<>|*?", c))
            return;
        if (IsDBCSLeadByteEx(codePage, c) && start[length + 1])
            length++;
    }
    if (length >= size)
        return;
    memcpy(file, start, length);
    file[length] = '\0';
}

BOOL PickFile(HWND owner, const char *title, char *path, DWORD pathSize, const char *filter)
{
    char file[MAX_PATH];
    ProposedFile(path, file, sizeof(file));
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(OPENFILENAME_NT4A);
    dialog.hwndOwner = owner;
    dialog.hInstance = GetModuleHandleA(nullptr);
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof(file);
    dialog.lpstrTitle = title;
    dialog.Flags = OFN_LONGNAMES | OFN_EXPLORER | OFN_NOCHANGEDIR;
    static decltype(&GetOpenFileNameA) getOpenFileName;
    if (!SystemFunction(getOpenFileName, "comdlg32.dll", "GetOpenFileNameA") || !getOpenFileName(&dialog) ||
        strlen(file) >= pathSize)
        return FALSE;
    strcpy(path, file);
    return TRUE;
}

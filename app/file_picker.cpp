// The standard Open dialog for choosing a service's executable.
#include "app/file_picker.h"

#include "skin/system_library.h"

#include <commdlg.h>

#ifndef _WIN64
static_assert(sizeof(OPENFILENAME_NT4A) == 76, "the Open dialog takes the record without the later fields");
#endif

const char AllFilesFilter[] = "All files\0*.*\0";

BOOL PickFile(HWND owner, const char *title, char *path, DWORD pathSize, const char *filter)
{
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(OPENFILENAME_NT4A);
    dialog.hwndOwner = owner;
    dialog.hInstance = GetModuleHandleA(nullptr);
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = pathSize;
    dialog.lpstrTitle = title;
    dialog.Flags = OFN_LONGNAMES | OFN_EXPLORER | OFN_NOCHANGEDIR;
    static decltype(&GetOpenFileNameA) getOpenFileName;
    return SystemFunction(getOpenFileName, "comdlg32.dll", "GetOpenFileNameA") && getOpenFileName(&dialog);
}

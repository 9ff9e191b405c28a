// The standard Open dialog for choosing a service's executable.
#pragma once

#include <windows.h>

// The filter of the binary-path picker: "All files" with "*.*".
extern const char AllFilesFilter[];

// Shows the Open dialog proposing the file that path names (path may be a
// command line with the program in quotes); non-zero when a file was chosen,
// its full path then in path, which is otherwise left as it was.
BOOL PickFile(HWND owner, const char *title, char *path, DWORD pathSize, const char *filter);

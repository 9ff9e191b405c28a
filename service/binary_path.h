// How a service's binary path names its program. The service manager runs
// a quoted program as named; of an unquoted path with blanks it tries each
// part up to a blank in turn ("C:\Program.exe" before "C:\Program
// Files\x.exe"), a program anybody who can write to such a folder could
// plant.
#pragma once

#include <windows.h>

enum PathQuoting {
    PathAsWritten,  // quoted already, no blank in its program, or a driver's (read literally)
    PathQuoted,     // quoted up to its program
    PathUnclear,    // blanks, and where the program ends cannot be told
};

// A Win32 service's unquoted path with blanks is quoted up to its program:
// the whole path when it names an existing file, else up to the first part
// that ends in ".exe" and is followed by a blank or the end, whether or
// not that file is here (the path may be meant for another machine).
// Without such a part, a path whose first part names a file here stays as
// written, as the service manager tries that part first. The quoted path
// is written to quoted (count characters) when it fits, else the path
// stays as written.
PathQuoting QuoteBinaryPath(const WCHAR *path, DWORD serviceType, WCHAR *quoted, DWORD count);

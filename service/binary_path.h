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

// A Win32 service's unquoted path whose program has blanks in it is quoted
// up to its program: the first part that ends in ".exe" before the
// arguments (a part that begins with '-', '/' or a quote), whether or not
// that file is here; without one, the first part when it has an extension
// of its own, which needs no quotes. Looked at here (Install, not a copy for
// other machines), a path that names an existing file as a whole is quoted
// whole, and one without ".exe" up to its first part that names a file, as
// the service manager finds it. The quoted path goes to quoted, which holds
// two characters more than path.
PathQuoting QuoteBinaryPath(const WCHAR *path, DWORD serviceType, bool here, WCHAR *quoted);

// The program file the service manager runs for binaryPath, its environment
// strings expanded: a leading quoted part; else the shortest part up to a
// blank that names an existing file, with ".exe" added to a part without an
// extension, as CreateProcess tries them (a name without a folder is looked
// for as this process looks for it). When none exists, the program as
// written (see QuoteBinaryPath), or the whole text. Drivers' kernel paths
// are not understood. False, program unchanged, for an empty path or a
// program that does not fit count characters.
bool ProgramOfBinaryPath(const WCHAR *binaryPath, WCHAR *program, DWORD count);

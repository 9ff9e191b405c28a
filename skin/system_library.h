// Files of the system folder: DLLs that are not known system DLLs are loaded
// from there at their first use, never from the program's folder, where an
// elevated program run from a downloads folder could find a planted one.
#pragma once

#include <windows.h>

// The full path of file in the system folder; false when it does not fit.
bool SystemFilePath(const char *file, char *path, DWORD pathSize);

// The named function of a DLL of the system folder, library being its file
// name; null when it cannot be had. The DLL stays loaded for the rest of the
// run.
void (*SystemProcedure(const char *library, const char *name))();

// Fills function from the system folder's library at its first use; false
// when it cannot be had.
template <typename Function>
bool SystemFunction(Function &function, const char *library, const char *name)
{
    if (!function)
        function = reinterpret_cast<Function>(SystemProcedure(library, name));
    return function != nullptr;
}

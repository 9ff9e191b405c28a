#include "tests/support/folders.h"

#include <windows.h>

std::string TestsFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path, length);
    return folder.substr(0, folder.rfind('\\'));
}

std::string BuiltProgram()
{
    char named[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("TARNEX_PROGRAM", named, sizeof(named));
    if (length && length < sizeof(named))
        return named;
    const std::string tests = TestsFolder();
    return tests.substr(0, tests.rfind('\\')) + "\\tarnex.exe";
}

// What kind of program a service's binary path names, told from the file
// before the service is installed or started.
#pragma once

#include <windows.h>

enum ImageKind : unsigned {
    // Imports StartServiceCtrlDispatcherA or W (from advapi32.dll,
    // sechost.dll or an api-ms-win-service-* set).
    ImageServiceProgram = 0,
    // A Windows program that imports neither: Windows ends it after its
    // start timeout with error 1053.
    ImageNotServiceProgram = 1,
    // A .NET assembly, which calls the dispatcher through its runtime and
    // imports nothing of it: cannot be told, no finding.
    ImageDotNet = 2,
    // Cannot be told, no finding: the file cannot be opened for reading, it
    // cannot be viewed in this process's memory, what the check reads lies
    // beyond the first 64 MB of a larger file (a file of gigabytes is never
    // mapped whole; real programs' headers and imports lie well within), or
    // the image has more sections, imported libraries or imports from the
    // dispatcher's libraries than any real program (the check reads no
    // further).
    ImageUnknown = 3,
    // No PE image CreateProcess runs: no MZ or PE signature, a truncated or
    // malformed structure, an empty file or one that cannot be mapped, a
    // DLL, a subsystem other than Windows' graphical or console one.
    ImageNotWindowsProgram = 4,
    // A PE image for a machine this Windows does not run.
    ImageForeignMachine = 5,
    // Named as a script (.bat, .cmd, .ps1, .vbs, .js, .jar, .py), which the
    // service manager cannot run; nothing of it is read.
    ImageScript = 6,
    ImageMissing = 7,
    ImageIsDirectory = 8,
};

// What the file at path is. Every handle is closed on every path.
ImageKind InspectExecutable(const WCHAR *path);

// What the image in view is, view being the first viewSize bytes of a file
// of fileSize bytes (fileSize at least viewSize). Every offset and count in
// it is checked before use: a structure past the end of the file makes it
// ImageNotWindowsProgram, one past the view alone ImageUnknown.
ImageKind InspectImage(const BYTE *view, SIZE_T viewSize, ULONGLONG fileSize);

// Which machines this Windows runs, asked of kernel32 at run time: both are
// missing from older systems (IsWow64Process2 before Windows 10 1709,
// GetMachineTypeAttributes before Windows 11), and Wine has only the first
// and runs on x64 alone. Tests may point these elsewhere.
struct MachineCalls {
    BOOL(WINAPI *isWow64Process2)(HANDLE process, USHORT *processMachine, USHORT *nativeMachine);
    HRESULT(WINAPI *getMachineTypeAttributes)(USHORT machine, MACHINE_ATTRIBUTES *attributes);
};
extern MachineCalls machineCalls;

// Tells what kind of program a service's binary path names: the path parsed
// as the service manager parses it, then the file's headers and import table
// read through a bounded view, every offset and count checked before use.
#include "service/executable_image.h"

#include <stddef.h>
#include <string.h>
#include <wchar.h>

// No real program has more sections, imports from more libraries, or
// imports more functions by name from the dispatcher's libraries: the caps
// keep a hostile file from holding the check for long.
constexpr WORD MaxSections = 1024;
constexpr DWORD MaxDescriptors = 1024;
constexpr DWORD MaxThunks = 4096;
// How much of a file is viewed at most.
constexpr SIZE_T ImageViewLimit = 64 * 1024 * 1024;

template <typename Function>
static Function KernelFunction(const char *name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

MachineCalls machineCalls = {
    KernelFunction<decltype(MachineCalls::isWow64Process2)>("IsWow64Process2"),
    KernelFunction<decltype(MachineCalls::getMachineTypeAttributes)>("GetMachineTypeAttributes"),
};

// The image as the check reads it, and what a failed read makes of it.
struct ImageView {
    const BYTE *bytes;
    SIZE_T size;
    ULONGLONG fileSize;
    ULONGLONG sectionsAt;
    WORD sectionCount;
    DWORD headersSize;
    ImageKind fault;
};

// Copies length bytes at offset; false, the fault noted, when they do not
// lie within the view.
static bool Read(ImageView *image, ULONGLONG offset, void *to, SIZE_T length)
{
    if (offset <= image->size && length <= image->size - offset) {
        memcpy(to, image->bytes + offset, length);
        return true;
    }
    image->fault = offset + length > image->fileSize ? ImageNotWindowsProgram : ImageUnknown;
    return false;
}

// Copies the name at offset into name, of size - 1 characters at most: a
// longer name is none of those the check looks for, and is read as empty.
static bool ReadName(ImageView *image, ULONGLONG offset, char *name, DWORD size)
{
    for (DWORD length = 0; length < size; length++) {
        if (!Read(image, offset + length, name + length, 1))
            return false;
        if (!name[length])
            return true;
    }
    name[0] = '\0';
    return true;
}

// The file offset of rva: within a section's data in the file, or within
// the headers, which are mapped as they lie in the file.
static bool FileOffset(ImageView *image, DWORD rva, ULONGLONG *offset)
{
    for (WORD i = 0; i < image->sectionCount; i++) {
        IMAGE_SECTION_HEADER section;
        if (!Read(image, image->sectionsAt + i * sizeof(section), &section, sizeof(section)))
            return false;
        if (rva >= section.VirtualAddress && rva - section.VirtualAddress < section.SizeOfRawData) {
            *offset = ULONGLONG(section.PointerToRawData) + (rva - section.VirtualAddress);
            return true;
        }
    }
    if (rva < image->headersSize) {
        *offset = rva;
        return true;
    }
    image->fault = ImageNotWindowsProgram;
    return false;
}

// The service manager's dispatcher is exported by advapi32.dll, by
// sechost.dll since Windows 8, and through the service API sets.
static bool IsDispatcherLibrary(const char *name)
{
    static const char ServiceSet[] = "api-ms-win-service-";
    return !_stricmp(name, "advapi32.dll") || !_stricmp(name, "sechost.dll") ||
           !_strnicmp(name, ServiceSet, sizeof(ServiceSet) - 1);
}

// Whether the imports by name of the thunk array at rva name the
// dispatcher (ImageServiceProgram) or not (ImageNotServiceProgram), or the
// fault that ended the walk; thunksRead counts the thunks of the image read.
template <typename Thunk, Thunk OrdinalFlag>
static ImageKind ImportsOf(ImageView *image, DWORD rva, DWORD *thunksRead)
{
    ULONGLONG at;
    if (!FileOffset(image, rva, &at))
        return image->fault;
    for (;; at += sizeof(Thunk)) {
        Thunk thunk;
        if (++*thunksRead > MaxThunks)
            return ImageUnknown;
        if (!Read(image, at, &thunk, sizeof(thunk)))
            return image->fault;
        if (!thunk)
            return ImageNotServiceProgram;
        if (thunk & OrdinalFlag)
            continue;
        // An import by name: the RVA, of 31 bits, of a hint (a WORD) and
        // the name.
        char name[sizeof("StartServiceCtrlDispatcherA")];
        ULONGLONG nameAt;
        if (ULONGLONG(thunk) > MAXLONG)
            return ImageNotWindowsProgram;
        if (!FileOffset(image, DWORD(thunk), &nameAt) || !ReadName(image, nameAt + sizeof(WORD), name, sizeof(name)))
            return image->fault;
        if (!strcmp(name, "StartServiceCtrlDispatcherA") || !strcmp(name, "StartServiceCtrlDispatcherW"))
            return ImageServiceProgram;
    }
}

// A library the descriptor imports from, and its table of names; false at
// the loader's end of the list. Of an import, the names are in the lookup
// table or, without one, in the address table, which holds them too until
// the program is loaded; of a delayed import, in its name table, its
// addresses relative to the image (those of old linkers, which are not, end
// the walk).
static bool LibraryOf(const IMAGE_IMPORT_DESCRIPTOR &d, DWORD *name, DWORD *names)
{
    *name = d.Name;
    *names = d.OriginalFirstThunk ? d.OriginalFirstThunk : d.FirstThunk;
    return d.Name && d.FirstThunk;
}

static bool LibraryOf(const IMAGE_DELAYLOAD_DESCRIPTOR &d, DWORD *name, DWORD *names)
{
    *name = d.DllNameRVA;
    *names = d.ImportNameTableRVA;
    return d.DllNameRVA && d.ImportNameTableRVA && d.Attributes.RvaBased;
}

// Walks the descriptors at rva to the dispatcher's libraries and their
// imports, until the dispatcher is found.
template <typename Descriptor, typename Thunk, Thunk OrdinalFlag>
static ImageKind FindDispatcher(ImageView *image, DWORD rva, DWORD *thunksRead)
{
    ULONGLONG at;
    if (!FileOffset(image, rva, &at))
        return image->fault;
    for (DWORD i = 0; i < MaxDescriptors; i++, at += sizeof(Descriptor)) {
        Descriptor descriptor;
        char library[MAX_PATH];
        ULONGLONG libraryAt;
        DWORD name, names;
        if (!Read(image, at, &descriptor, sizeof(descriptor)))
            return image->fault;
        if (!LibraryOf(descriptor, &name, &names))
            return ImageNotServiceProgram;
        if (!FileOffset(image, name, &libraryAt) || !ReadName(image, libraryAt, library, sizeof(library)))
            return image->fault;
        if (!IsDispatcherLibrary(library))
            continue;
        const ImageKind kind = ImportsOf<Thunk, OrdinalFlag>(image, names, thunksRead);
        if (kind != ImageNotServiceProgram)
            return kind;
    }
    return ImageUnknown;
}

// x86 programs run on every 64-bit Windows, ARM32 programs on ARM64 before
// Windows 11; from Windows 11 on, where x64 programs run on ARM64 too and
// ARM32 ones no longer do (24H2), the system answers for each machine.
static bool MachineRuns(WORD machine)
{
    MACHINE_ATTRIBUTES attributes = {};
    if (machineCalls.getMachineTypeAttributes && SUCCEEDED(machineCalls.getMachineTypeAttributes(machine, &attributes)))
        return attributes & UserEnabled;
    USHORT process = 0, native = 0;
    if (!machineCalls.isWow64Process2 || !machineCalls.isWow64Process2(GetCurrentProcess(), &process, &native)) {
        SYSTEM_INFO system;
        GetNativeSystemInfo(&system);
        native = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64   ? IMAGE_FILE_MACHINE_AMD64
                 : system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64 ? IMAGE_FILE_MACHINE_ARM64
                                                                                 : IMAGE_FILE_MACHINE_I386;
    }
    return machine == native || machine == IMAGE_FILE_MACHINE_I386 ||
           (native == IMAGE_FILE_MACHINE_ARM64 && machine == IMAGE_FILE_MACHINE_ARMNT);
}

// The image past its file header, whose optional header is OptionalHeader,
// its thunks Thunk.
template <typename OptionalHeader, typename Thunk, Thunk OrdinalFlag>
static ImageKind InspectHeaders(ImageView *image, const IMAGE_FILE_HEADER &file, ULONGLONG optionalAt)
{
    OptionalHeader optional = {};
    constexpr SIZE_T directoriesAt = offsetof(OptionalHeader, DataDirectory);
    if (!Read(image, optionalAt, &optional, directoriesAt))
        return image->fault;
    // CreateProcess runs programs of Windows' graphical and console
    // subsystems alone.
    if (optional.Subsystem != IMAGE_SUBSYSTEM_WINDOWS_GUI && optional.Subsystem != IMAGE_SUBSYSTEM_WINDOWS_CUI)
        return ImageNotWindowsProgram;
    const DWORD directories = optional.NumberOfRvaAndSizes < IMAGE_NUMBEROF_DIRECTORY_ENTRIES
                                  ? optional.NumberOfRvaAndSizes
                                  : IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
    if (directoriesAt + directories * sizeof(IMAGE_DATA_DIRECTORY) > file.SizeOfOptionalHeader)
        return ImageNotWindowsProgram;
    if (!Read(image, optionalAt + directoriesAt, optional.DataDirectory, directories * sizeof(IMAGE_DATA_DIRECTORY)))
        return image->fault;

    // Every section's data lies within the file, as the loader demands.
    image->sectionsAt = optionalAt + file.SizeOfOptionalHeader;
    image->sectionCount = file.NumberOfSections;
    image->headersSize = optional.SizeOfHeaders;
    if (image->sectionCount > MaxSections)
        return ImageUnknown;
    for (WORD i = 0; i < image->sectionCount; i++) {
        IMAGE_SECTION_HEADER section;
        if (!Read(image, image->sectionsAt + i * sizeof(section), &section, sizeof(section)))
            return image->fault;
        if (section.SizeOfRawData && ULONGLONG(section.PointerToRawData) + section.SizeOfRawData > image->fileSize)
            return ImageNotWindowsProgram;
    }

    if (!MachineRuns(file.Machine))
        return ImageForeignMachine;
    const IMAGE_DATA_DIRECTORY &runtime = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_COM_DESCRIPTOR];
    if (directories > IMAGE_DIRECTORY_ENTRY_COM_DESCRIPTOR && runtime.VirtualAddress && runtime.Size)
        return ImageDotNet;
    // The dispatcher imported, or imported when first called.
    DWORD thunksRead = 0;
    const DWORD imports = directories > IMAGE_DIRECTORY_ENTRY_IMPORT
                              ? optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress
                              : 0;
    const ImageKind kind = imports ? FindDispatcher<IMAGE_IMPORT_DESCRIPTOR, Thunk, OrdinalFlag>(image, imports,
                                                                                                 &thunksRead)
                                   : ImageNotServiceProgram;
    const DWORD delayed = directories > IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT
                              ? optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress
                              : 0;
    if (kind != ImageNotServiceProgram || !delayed)
        return kind;
    return FindDispatcher<IMAGE_DELAYLOAD_DESCRIPTOR, Thunk, OrdinalFlag>(image, delayed, &thunksRead);
}

ImageKind InspectImage(const BYTE *view, SIZE_T viewSize, ULONGLONG fileSize)
{
    ImageView image = {view, viewSize, fileSize, 0, 0, 0, ImageNotWindowsProgram};
    IMAGE_DOS_HEADER dos;
    if (!Read(&image, 0, &dos, sizeof(dos)))
        return image.fault;
    if (dos.e_magic != IMAGE_DOS_SIGNATURE)
        return ImageNotWindowsProgram;
    const ULONGLONG signatureAt = DWORD(dos.e_lfanew);
    DWORD signature;
    IMAGE_FILE_HEADER file;
    WORD magic;
    const ULONGLONG optionalAt = signatureAt + sizeof(signature) + sizeof(file);
    if (!Read(&image, signatureAt, &signature, sizeof(signature)))
        return image.fault;
    if (signature != IMAGE_NT_SIGNATURE)
        return ImageNotWindowsProgram;
    if (!Read(&image, signatureAt + sizeof(signature), &file, sizeof(file)) ||
        !Read(&image, optionalAt, &magic, sizeof(magic)))
        return image.fault;
    if (!(file.Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE) || (file.Characteristics & IMAGE_FILE_DLL))
        return ImageNotWindowsProgram;
    if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return InspectHeaders<IMAGE_OPTIONAL_HEADER64, ULONGLONG, IMAGE_ORDINAL_FLAG64>(&image, file, optionalAt);
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        return InspectHeaders<IMAGE_OPTIONAL_HEADER32, DWORD, IMAGE_ORDINAL_FLAG32>(&image, file, optionalAt);
    return ImageNotWindowsProgram;
}

static bool IsScript(const WCHAR *path)
{
    static const WCHAR *const Scripts[] = {L".bat", L".cmd", L".ps1", L".vbs", L".js", L".jar", L".py"};
    const WCHAR *dot = wcsrchr(path, L'.');
    if (!dot || wcspbrk(dot, L"\\/"))
        return false;
    for (const WCHAR *script : Scripts)
        if (!lstrcmpiW(dot, script))
            return true;
    return false;
}

ImageKind InspectExecutable(const WCHAR *path)
{
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return ImageMissing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return ImageIsDirectory;
    if (IsScript(path))
        return ImageScript;

    ImageKind kind = ImageUnknown;
    HANDLE mapping = nullptr;
    const BYTE *view = nullptr;
    SIZE_T viewSize = 0;
    LARGE_INTEGER size;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size))
        goto done;
    // What cannot be mapped (an empty file) the loader cannot map either;
    // a view that does not fit this process says nothing of the file.
    mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) {
        kind = ImageNotWindowsProgram;
        goto done;
    }
    viewSize = ULONGLONG(size.QuadPart) < ImageViewLimit ? SIZE_T(size.QuadPart) : ImageViewLimit;
    view = static_cast<const BYTE *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, viewSize));
    if (view)
        kind = InspectImage(view, viewSize, size.QuadPart);
done:
    if (view)
        UnmapViewOfFile(view);
    if (mapping)
        CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return kind;
}

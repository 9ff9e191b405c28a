// What a service's binary path names: real files under Wine, damaged copies
// of the test service read behind a guard page, Windows on ARM by the seam.
#include "service/binary_path.h"
#include "service/executable_image.h"
#include "tests/support/folders.h"
#include "tests/support/seams.h"

#include <dbghelp.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

static std::string ReadBytes(const std::filesystem::path &path)
{
    return std::string(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
}

// image with the low width bytes of value written at at.
static std::string Patched(std::string image, SIZE_T at, ULONGLONG value, SIZE_T width)
{
    return image.replace(at, width, reinterpret_cast<const char *>(&value), width);
}

// The test service and where its structures lie (a PE32+ image).
static const std::string Image = ReadBytes(TestsFolder() + "\\tarnex_test_service.exe");
static const SIZE_T FileHeader = *reinterpret_cast<const DWORD *>(&Image[0x3c]) + 4, Optional = FileHeader + 20;
static const SIZE_T Directories = Optional + 112, Sections = Optional + 240;
static const SIZE_T LastSection = Sections + 40 * (*reinterpret_cast<const WORD *>(&Image[FileHeader + 2]) - 1);

// The first viewSize bytes of image as a file of fileSize (0: viewSize)
// bytes, copied to end where a PAGE_NOACCESS page begins.
static ImageKind InspectGuarded(const std::string &image, SIZE_T viewSize, ULONGLONG fileSize = 0)
{
    const SIZE_T page = 4096, pages = viewSize / page + 1;
    BYTE *block = static_cast<BYTE *>(VirtualAlloc(nullptr, (pages + 1) * page, MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    EXPECT_TRUE(VirtualProtect(block + pages * page, page, PAGE_NOACCESS, &old));
    BYTE *view = static_cast<BYTE *>(memcpy(block + pages * page - viewSize, image.data(), viewSize));
    const ImageKind kind = InspectImage(view, viewSize, fileSize ? fileSize : viewSize);
    VirtualFree(block, 0, MEM_RELEASE);
    return kind;
}

// A folder with a blank in its name: the test service, for x86 too, and
// grown to five sparse gigabytes, its imports moved past the fourth; notepad
// planted as "p.exe", a script, an empty program, a folder named "q.exe".
struct ImageFolder {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "tarnex image";
    ImageFolder()
    {
        std::filesystem::create_directories(path / "q.exe");
        const DWORD lastRva = *reinterpret_cast<const DWORD *>(&Image[LastSection + 12]);
        const std::string big = Patched(Patched(Image, LastSection + 20, 0xFFFFF000, 4), Directories + 8, lastRva, 4);
        const std::pair<const char *, std::string> files[] = {
            {"svc.exe", Image}, {"svc32.exe", ReadBytes(TestsFolder() + "\\tarnex_test_service32.exe")},
            {"big.exe", big},   {"p.exe", ReadBytes("C:\\windows\\system32\\notepad.exe")},
            {"run.cmd", ""},    {"empty.exe", ""}};
        for (const auto &[name, bytes] : files)
            std::ofstream(path / name, std::ios::binary) << bytes;
        std::filesystem::resize_file(path / "big.exe", 5ULL << 30);
    }
    ~ImageFolder() { std::filesystem::remove_all(path); }
};

TEST(ExecutableImage, FindsAndTellsTheProgramOfABinaryPath)
{
    const ImageFolder folder;
    const std::wstring inFolder = folder.path.wstring() + L"\\";
    SetEnvironmentVariableW(L"TARNEX_IMAGES", folder.path.filename().c_str());
    const struct { std::wstring binaryPath, program; ImageKind kind; } paths[] = {  // "|": the folder
        {L"\"|svc.exe\" run \"x y\"", L"|svc.exe", ImageServiceProgram},
        {L"  |svc run x", L"|svc.exe", ImageServiceProgram},
        {L"|..\\%TARNEX_IMAGES%\\svc32.exe run", L"|svc32.exe", ImageServiceProgram},
        {L"|big.exe", L"|big.exe", ImageUnknown},
        {L"|p q\\svc.exe run", L"|p.exe", ImageNotServiceProgram},  // a blank ends a part
        {L"|q x\\svc.exe -k", L"|q x\\svc.exe", ImageMissing},       // a folder is no part
        {L"\"|q.exe\" x", L"|q.exe", ImageIsDirectory},
        {L"|run.cmd x", L"|run.cmd", ImageScript},
        {L"|empty.exe", L"|empty.exe", ImageNotWindowsProgram},
        {L"|gone\\prog -k x", L"|gone\\prog -k x", ImageMissing},
    };
    for (auto [binaryPath, expected, kind] : paths) {
        binaryPath.replace(binaryPath.find(L'|'), 1, inFolder);
        expected.replace(0, 1, inFolder);
        SCOPED_TRACE(std::filesystem::path(binaryPath).string());
        WCHAR program[MAX_PATH] = L"";
        EXPECT_TRUE(ProgramOfBinaryPath(binaryPath.c_str(), program, MAX_PATH));
        EXPECT_EQ(program, expected);
        EXPECT_EQ(InspectExecutable(program), kind);
    }
    WCHAR untouched[8] = L"(none)";
    EXPECT_FALSE(ProgramOfBinaryPath(L" ", untouched, 8) || ProgramOfBinaryPath(L"C:\\long.exe", untouched, 8));
    EXPECT_STREQ(untouched, L"(none)");
}

// Cut at and damaged in each structure the check reads, found by dbghelp.
TEST(ExecutableImage, DamagedImagesAreNoProgramsAndNeverFault)
{
    BYTE *base = reinterpret_cast<BYTE *>(const_cast<char *>(Image.data()));
    const auto at = [base](DWORD rva) {
        return SIZE_T(static_cast<BYTE *>(ImageRvaToVa(ImageNtHeader(base), base, rva, nullptr)) - base);
    };
    const SIZE_T descriptor = at(*reinterpret_cast<const DWORD *>(&Image[Directories + 8]));
    const auto *imports = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(&Image[descriptor]);
    const SIZE_T library = at(imports->Name), names = at(imports->OriginalFirstThunk);
    const SIZE_T dispatcher = Image.find("StartServiceCtrlDispatcherA");
    const IMAGE_SECTION_HEADER *idata = ImageRvaToSection(ImageNtHeader(base), base, imports->Name);
    ASSERT_EQ(Image.substr(library, 13), std::string("ADVAPI32.dll", 13));
    // Where the file ends it is no program; where the view ends it cannot be told.
    const std::pair<const char *, SIZE_T> cuts[] = {
        {"MZ", 0x20}, {"PE", FileHeader - 2}, {"file header", FileHeader + 10}, {"optional", Optional + 50},
        {"directories", Directories + 12}, {"sections", Sections + 48}, {"descriptor", descriptor + 10},
        {"library", library + 4}, {"thunks", names + 12}, {"name", dispatcher + 10}};
    for (const auto &[what, at] : cuts) {
        SCOPED_TRACE(what);
        EXPECT_EQ(InspectGuarded(Image, at), ImageNotWindowsProgram);
        EXPECT_EQ(InspectGuarded(Image, at, Image.size()), ImageUnknown);
    }
    const struct { const char *what; SIZE_T at; ULONGLONG value; SIZE_T width; ImageKind expected; } damages[] = {
        {"e_lfanew far", 0x3c, 0xFFFFFFF0, 4, ImageNotWindowsProgram},
        {"machine", FileHeader, IMAGE_FILE_MACHINE_ARMNT, 2, ImageForeignMachine},
        {"a DLL", FileHeader + 18, IMAGE_FILE_EXECUTABLE_IMAGE | IMAGE_FILE_DLL, 2, ImageNotWindowsProgram},
        {"not executable", FileHeader + 18, IMAGE_FILE_LARGE_ADDRESS_AWARE, 2, ImageNotWindowsProgram},
        {"magic", Optional, IMAGE_ROM_OPTIONAL_HDR_MAGIC, 2, ImageNotWindowsProgram},
        {"subsystem", Optional + 68, IMAGE_SUBSYSTEM_NATIVE, 2, ImageNotWindowsProgram},
        {"directories past their header", FileHeader + 16, 200, 2, ImageNotWindowsProgram},
        {"sections without end", FileHeader + 2, 0xFFFF, 2, ImageUnknown},
        {"section data past the end", LastSection + 20, Image.size(), 4, ImageNotWindowsProgram},
        {"section size overflows", LastSection + 16, 0xFFFFFFFF, 4, ImageNotWindowsProgram},
        {"import RVA far", Directories + 8, 0x7FFFFFF0, 4, ImageNotWindowsProgram},
        {"library RVA past its section's data", descriptor + 12, idata->VirtualAddress + idata->SizeOfRawData, 4,
         ImageNotWindowsProgram},
        {"sechost in the headers", descriptor + 12, 0x40, 4, ImageServiceProgram},
        {"thunks RVA far", descriptor, 0xFFFFFF00, 4, ImageNotWindowsProgram},
        {"name RVA far", names, 0x7FFFFFF0, 8, ImageNotWindowsProgram},
        {"name RVA of 41 bits", names, 1ULL << 40, 8, ImageNotWindowsProgram},
        {"no imports", Directories + 8, 0, 4, ImageNotServiceProgram},
        {"no address table ends the list", descriptor + 16, 0, 4, ImageNotServiceProgram},
        {"a .NET assembly", Directories + 14 * 8, 72ULL << 32 | 0x4000, 8, ImageDotNet},
        {"another function", dispatcher + 26, 'X', 1, ImageNotServiceProgram},
        {"a longer name", dispatcher + 27, 'X', 1, ImageNotServiceProgram},
        {"by ordinal", names + 16, IMAGE_ORDINAL_FLAG64 | 1, 8, ImageNotServiceProgram},
    };
    // The DOS stub's text begins with a library's name for "in the headers".
    std::string image = Image;
    image.replace(0x40, 12, "sechost.dll", 12);
    for (const auto &[what, at, value, width, expected] : damages) {
        SCOPED_TRACE(what);
        EXPECT_EQ(InspectGuarded(Patched(image, at, value, width), image.size()), expected);
    }
}

// Windows on ARM, and systems without IsWow64Process2, which Wine is not.
static USHORT nativeMachine;
TEST(ExecutableImage, KnowsWhichMachinesThisWindowsRuns)
{
    const decltype(machineCalls.isWow64Process2) wow = [](HANDLE, USHORT *process, USHORT *native) {
        return *process = IMAGE_FILE_MACHINE_UNKNOWN, *native = nativeMachine, TRUE;
    };
    const decltype(machineCalls.getMachineTypeAttributes) windows11 = [](USHORT machine, MACHINE_ATTRIBUTES *runs) {
        return *runs = machine == IMAGE_FILE_MACHINE_ARMNT ? MACHINE_ATTRIBUTES(0) : UserEnabled, S_OK;
    };
    // native 0: no IsWow64Process2, so the x64 of Wine
    const struct { USHORT native; bool windows11; WORD machine; ImageKind expected; } machines[] = {
        {IMAGE_FILE_MACHINE_ARM64, false, IMAGE_FILE_MACHINE_AMD64, ImageForeignMachine},
        {IMAGE_FILE_MACHINE_ARM64, false, IMAGE_FILE_MACHINE_ARMNT, ImageServiceProgram},
        {IMAGE_FILE_MACHINE_ARM64, true, IMAGE_FILE_MACHINE_AMD64, ImageServiceProgram},
        {IMAGE_FILE_MACHINE_ARM64, true, IMAGE_FILE_MACHINE_ARMNT, ImageForeignMachine},  // 11 24H2
        {0, false, IMAGE_FILE_MACHINE_ARM64, ImageForeignMachine},
    };
    for (const auto &row : machines) {
        SCOPED_TRACE(testing::Message() << &row - machines);
        nativeMachine = row.native;
        ScopedOverride native(machineCalls.isWow64Process2, row.native ? wow : nullptr);
        ScopedOverride attributes(machineCalls.getMachineTypeAttributes, row.windows11 ? windows11 : nullptr);
        EXPECT_EQ(InspectGuarded(Patched(Image, FileHeader, row.machine, 2), Image.size()), row.expected);
    }
}

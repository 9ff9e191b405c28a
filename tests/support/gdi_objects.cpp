#include "tests/support/gdi_objects.h"

#include <winternl.h>

#include <vector>

// The handle table's layout, as Windows and Wine share it on x64.
constexpr size_t PebGdiHandleTableOffset = 0xF8;
constexpr int GdiHandleTableEntries = 16384;
constexpr size_t GdiHandleEntrySize = 24;
constexpr size_t GdiHandleEntryTypeOffset = 14;

int CountGdiObjects()
{
    PROCESS_BASIC_INFORMATION process = {};
    NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof(process), nullptr);
    const BYTE *peb = reinterpret_cast<const BYTE *>(process.PebBaseAddress);
    const BYTE *table = *reinterpret_cast<const BYTE *const *>(peb + PebGdiHandleTableOffset);
    if (!table)
        return -1;
    int live = 0;
    for (int i = 0; i < GdiHandleTableEntries; i++)
        if (table[i * GdiHandleEntrySize + GdiHandleEntryTypeOffset])
            live++;
    return live;
}

// One entry of the system's handle table (SystemExtendedHandleInformation).
struct HandleEntry {
    void *object;
    ULONG_PTR process;
    ULONG_PTR handle;
    ULONG access;
    USHORT backTrace;
    USHORT type;
    ULONG attributes;
    ULONG reserved;
};
constexpr int SystemExtendedHandleInformation = 64;

int CountKernelHandles()
{
    std::vector<BYTE> table(1 << 20);
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(SYSTEM_INFORMATION_CLASS(SystemExtendedHandleInformation),
                                                         table.data(), ULONG(table.size()), &needed);
        if (status == 0)
            break;
        if (table.size() >= (64u << 20))
            return -1;
        table.resize(table.size() * 2);
    }
    const ULONG_PTR count = *reinterpret_cast<const ULONG_PTR *>(table.data());
    const auto *entries = reinterpret_cast<const HandleEntry *>(table.data() + 2 * sizeof(ULONG_PTR));
    int own = 0;
    for (ULONG_PTR i = 0; i < count; i++)
        own += entries[i].process == GetCurrentProcessId();
    return own;
}

Canvas CreateCanvas(int width, int height, COLORREF fill)
{
    Canvas canvas = {};
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    canvas.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    canvas.bits = static_cast<DWORD *>(bits);
    canvas.dc = CreateCompatibleDC(nullptr);
    canvas.oldBitmap = SelectObject(canvas.dc, canvas.bitmap);
    canvas.width = width;
    canvas.height = height;
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all = {0, 0, width, height};
    FillRect(canvas.dc, &all, brush);
    DeleteObject(brush);
    return canvas;
}

void DestroyCanvas(Canvas &canvas)
{
    SelectObject(canvas.dc, canvas.oldBitmap);
    DeleteDC(canvas.dc);
    DeleteObject(canvas.bitmap);
    canvas = {};
}

static Canvas ClientCanvas(HWND window, bool fromScreen)
{
    RECT client;
    GetClientRect(window, &client);
    Canvas canvas = CreateCanvas(client.right, client.bottom, 0);
    if (fromScreen) {
        HDC screen = GetDC(window);
        BitBlt(canvas.dc, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
        ReleaseDC(window, screen);
    } else {
        PrintWindow(window, canvas.dc, PW_CLIENTONLY);
    }
    return canvas;
}

Canvas PrintedClient(HWND window)
{
    return ClientCanvas(window, false);
}

Canvas ShownClient(HWND window)
{
    return ClientCanvas(window, true);
}

COLORREF CanvasPixel(const Canvas &canvas, int x, int y)
{
    GdiFlush();
    const DWORD bgra = canvas.bits[y * canvas.width + x];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

template <typename Match>
static int CountMatching(const Canvas &canvas, RECT area, Match match)
{
    GdiFlush();
    int count = 0;
    for (int y = area.top < 0 ? 0 : area.top; y < canvas.height && y < area.bottom; y++)
        for (int x = area.left < 0 ? 0 : area.left; x < canvas.width && x < area.right; x++)
            count += match(CanvasPixel(canvas, x, y));
    return count;
}

int CountPixels(const Canvas &canvas, COLORREF colour, RECT area)
{
    return CountMatching(canvas, area, [&](COLORREF pixel) { return pixel == colour; });
}

int CountPixelsWhere(const Canvas &canvas, bool (*match)(COLORREF), RECT area)
{
    return CountMatching(canvas, area, match);
}

int CountClientPixels(HWND window, Canvas (*client)(HWND), COLORREF colour, RECT area)
{
    Canvas canvas = client(window);
    const int count = CountPixels(canvas, colour, area);
    DestroyCanvas(canvas);
    return count;
}

int CountClientPixelsWhere(HWND window, Canvas (*client)(HWND), bool (*match)(COLORREF))
{
    Canvas canvas = client(window);
    const int count = CountPixelsWhere(canvas, match);
    DestroyCanvas(canvas);
    return count;
}

DRAWITEMSTRUCT DrawRequest(HWND control, HDC dc, UINT itemState)
{
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = GetDlgCtrlID(control);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = itemState;
    item.hwndItem = control;
    item.hDC = dc;
    GetClientRect(control, &item.rcItem);
    return item;
}

SystemColours::SystemColours(std::initializer_list<std::pair<int, COLORREF>> colours)
{
    std::vector<COLORREF> wanted;
    for (const auto &[element, colour] : colours) {
        elements.push_back(element);
        saved.push_back(GetSysColor(element));
        wanted.push_back(colour);
    }
    SetSysColors(int(elements.size()), elements.data(), wanted.data());
}

SystemColours::~SystemColours()
{
    SetSysColors(int(elements.size()), elements.data(), saved.data());
}

HICON MakeTestIcon(COLORREF (*pixels)(int x, int y), bool withAlpha)
{
    constexpr int Size = 32;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), Size, -Size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<BYTE> maskBits(Size * 4, 0);  // 1 bit a pixel, rows of 4 bytes
    for (int y = 0; y < Size; y++)
        for (int x = 0; x < Size; x++) {
            const COLORREF c = pixels(x, y);
            DWORD &pixel = static_cast<DWORD *>(bits)[y * Size + x];
            if (c == NoPixel) {
                pixel = 0;
                maskBits[y * 4 + x / 8] |= BYTE(0x80 >> (x % 8));
            } else {
                const DWORD alpha = (c >> 24) ? (c >> 24) : 0xFF;
                pixel = (withAlpha ? alpha << 24 : 0) | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
            }
        }
    HBITMAP mask = CreateBitmap(Size, Size, 1, 1, maskBits.data());
    ICONINFO icon = {TRUE, 0, 0, mask, colour};
    HICON result = CreateIconIndirect(&icon);
    DeleteObject(mask);
    DeleteObject(colour);
    return result;
}

BOOL WINAPI HighContrastOn(UINT action, UINT size, void *value, UINT flags)
{
    if (action != SPI_GETHIGHCONTRAST)
        return SystemParametersInfoA(action, size, value, flags);
    static_cast<HIGHCONTRASTA *>(value)->dwFlags = HCF_HIGHCONTRASTON;
    return TRUE;
}

// Attaching and detaching skins, and the window properties that hold them.
#include "skin/record.h"

#include "skin/button.h"
#include "skin/parent.h"
#include "skin/screen_scale.h"

#include <stddef.h>
#include <string.h>

#ifndef _WIN64
static_assert(sizeof(SkinDescriptor) == 64, "sixteen 32-bit fields");
static_assert(offsetof(CTRL_STRUCT, normalLook) == 76, "the descriptor and three fields of the record's own");
#endif

const char SkinRecordProperty[] = "CTRL_STRUCT";
const char OldProcProperty[] = "OLD_WND_PROC";
const char WallpaperProperty[] = "WND_WALLPAPER";

MemoryCalls memoryCalls = {GlobalAlloc};

HWND hotControl;
HCURSOR savedClassCursor;
HWND menuOwner;
HWND tooltipWindow;
UINT_PTR tooltipTimer;
HFONT arrowFont;

// The skinned controls: the objects they share live while one does.
static int recordCount;

constexpr DWORD ButtonTypeMask = 0xF;
constexpr int ArrowStripPixels = 20;

int ArrowStripWidth()
{
    return ScaleToScreen(ArrowStripPixels);
}

void SetStandardDescriptor(SkinDescriptor *descriptor)
{
    *descriptor = {};
    descriptor->hotTextColor = RGB(0x80, 0x00, 0x60);
    descriptor->pressedTextColor = RGB(0x80, 0x00, 0x60);
    descriptor->normalTextColor = RGB(0x00, 0x00, 0x40);
    descriptor->flags = CTRL_GRADIENT_FACE | CTRL_HOT_BORDER;
}

CTRL_STRUCT *SkinRecord(HWND control)
{
    return static_cast<CTRL_STRUCT *>(GetPropA(control, SkinRecordProperty));
}

bool HasHotLook(const CTRL_STRUCT *record)
{
    const SkinDescriptor &skin = record->skin;
    return skin.hotIcon || (skin.flags & CTRL_HOT_BORDER) || skin.hotTextColor || skin.hotFont || skin.hotBitmap;
}

static void FreeRecord(CTRL_STRUCT *record)
{
    if (record->normalLook.lightened)
        DestroyIcon(record->normalLook.lightened);
    if (record->hotLook.lightened)
        DestroyIcon(record->hotLook.lightened);
    GlobalFree(record);
}

void RemoveRecord(HWND control)
{
    CTRL_STRUCT *record = SkinRecord(control);
    if (!record)
        return;
    FreeRecord(record);
    RemovePropA(control, SkinRecordProperty);
    if (--recordCount == 0 && arrowFont) {
        DeleteObject(arrowFont);
        arrowFont = nullptr;
    }
}

HANDLE SubclassOnce(HWND window, const char *property, WNDPROC procedure)
{
    if (HANDLE earlier = GetPropA(window, property))
        return earlier;
    const LONG_PTR replaced = SetWindowLongPtrA(window, GWLP_WNDPROC, LONG_PTR(procedure));
    return HANDLE(INT_PTR(SetPropA(window, property, HANDLE(replaced))));
}

void ReplaceObjectProperty(HWND window, const char *property, HGDIOBJ object)
{
    if (HGDIOBJ held = GetPropA(window, property)) {
        DeleteObject(held);
        RemovePropA(window, property);
    }
    if (object)
        SetPropA(window, property, object);
}

LRESULT CallOldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC old = reinterpret_cast<WNDPROC>(GetPropA(window, OldProcProperty));
    if (!old)
        return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(old, window, message, wParam, lParam);
}

LRESULT CallOldProcLast(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallOldProc(window, message, wParam, lParam);
    RemovePropA(window, OldProcProperty);
    return result;
}

HRGN RegionFromBitmap(HBITMAP bitmap)
{
    BITMAP size = {};
    GetObjectA(bitmap, sizeof(size), &size);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);

    const COLORREF transparent = GetPixel(dc, 0, 0);
    HRGN shape = nullptr;
    for (int y = 0; y < size.bmHeight; y++) {
        int runStart = -1;
        // The step at x == width lies outside the bitmap and closes a run.
        for (int x = 0; x <= size.bmWidth; x++) {
            const bool opaque = x < size.bmWidth && GetPixel(dc, x, y) != transparent;
            if (opaque && runStart < 0) {
                runStart = x;
            } else if (!opaque && runStart >= 0) {
                HRGN run = CreateRectRgn(runStart, y, x, y + 1);
                if (!shape) {
                    shape = run;
                } else {
                    CombineRgn(shape, shape, run, RGN_OR);
                    DeleteObject(run);
                }
                runStart = -1;
            }
        }
    }

    SelectObject(dc, old);
    DeleteDC(dc);
    return shape;
}

// Keeps a copy of the descriptor with the control. A control skinned before
// keeps what its first attachment learned of it: its own style is already
// owner-drawn by now. The new record is made before the old one goes, so a
// control whose record cannot be had keeps the skin it has.
static CTRL_STRUCT *StoreRecord(HWND control, const SkinDescriptor *descriptor, bool *reattached)
{
    auto *record = static_cast<CTRL_STRUCT *>(memoryCalls.globalAlloc(GPTR, sizeof(CTRL_STRUCT)));
    if (!record)
        return nullptr;
    CTRL_STRUCT *earlier = SkinRecord(control);
    if (earlier) {
        record->buttonKind = earlier->buttonKind;
        record->checkState = earlier->checkState;
        record->savedStyle = earlier->savedStyle;
    }
    memcpy(&record->skin, descriptor, sizeof(SkinDescriptor));
    if (!SetPropA(control, SkinRecordProperty, record)) {
        GlobalFree(record);
        return nullptr;
    }
    *reattached = earlier != nullptr;
    if (earlier)
        FreeRecord(earlier);
    else
        recordCount++;
    return record;
}

static void ReadButtonKind(HWND control, CTRL_STRUCT *record)
{
    const DWORD kind = DWORD(GetWindowLongA(control, GWL_STYLE)) & ButtonTypeMask;
    if (!kind)
        return;
    record->buttonKind = kind;
    record->checkState = DWORD(SendMessageA(control, BM_GETCHECK, 0, 0));
}

static void MakeOwnerDraw(HWND control, CTRL_STRUCT *record)
{
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    record->savedStyle = style;
    SetWindowLongA(control, GWL_STYLE, LONG((DWORD(style) & ~ButtonTypeMask) | BS_OWNERDRAW));
}

static void RestoreButton(HWND control, const CTRL_STRUCT *record)
{
    SetWindowLongA(control, GWL_STYLE, record->savedStyle);
    if (record->checkState && record->buttonKind)
        SendMessageA(control, BM_SETCHECK, record->checkState, 0);
}

int AttachSkin(HWND control, const SkinDescriptor *descriptor)
{
    if (!IsWindow(control))
        return 0;

    if (!descriptor) {
        SetWindowRgn(control, nullptr, FALSE);
        if (const CTRL_STRUCT *record = SkinRecord(control))
            RestoreButton(control, record);
        RemoveRecord(control);
        return 1;
    }

    bool reattached;
    CTRL_STRUCT *record = StoreRecord(control, descriptor, &reattached);
    if (!record)
        return 0;
    if (!reattached) {
        ReadButtonKind(control, record);
        MakeOwnerDraw(control, record);
    }
    SubclassOnce(GetParent(control), OldProcProperty, SkinParentProc);
    SubclassOnce(control, OldProcProperty, SkinButtonProc);
    if ((descriptor->flags & CTRL_TRANSPARENT_BITMAP) && descriptor->normalBitmap)
        SetWindowRgn(control, RegionFromBitmap(descriptor->normalBitmap), FALSE);
    return 1;
}

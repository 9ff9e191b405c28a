// The About box.
#include "app/about_box.h"

#include "app/dialog_template.h"
#include "app/hyperlink.h"
#include "app/startup.h"
#include "app/web_link.h"
#include "resources/resource_ids.h"
#include "skin/screen_scale.h"
#include "skin/skin.h"
#include "skin/system_library.h"
#include "skin/texture.h"

#include <ocidl.h>
#include <olectl.h>
#include <string.h>

// The project has no site of its own yet: the address stays under the
// reserved .example domain, so that it can never lead to someone else's.
const char ProjectAddress[] = "https://tarnex.example/";
static const char LinkText[] = "[ tarnex.example ]";
static const char FrameInitials[] = "TX";


struct OwnerAndIcon {
    HWND owner;
    HICON icon;
};

constexpr DWORD AboutStyle = WS_SYSMENU | DS_CENTER | DS_SETFONT;
// The picture's place at 96 dots per inch; it grows with the screen's
// resolution, as the picture itself and the box's dialog units do.
constexpr int PictureX = 100, PictureY = 62, PictureWidth = 200, PictureHeight = 190;
constexpr int HimetricPerInch = 2540;

INT_PTR ShowAboutBox(HWND owner, HICON icon)
{
    OwnerAndIcon parameter = {owner, icon};
    DialogTemplate dialog;
    BeginDialog(&dialog, 1024, AboutStyle, 3, 268, 240, "About Tarnex", 8, "MS Sans Serif");
    AddControl(&dialog, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 8, 4, 248, 188, AboutFrame, ButtonClass, FrameInitials);
    AddControl(&dialog, WS_CHILD | WS_VISIBLE | SS_NOTIFY, 100, 168, 74, 12, AboutLink, StaticClass, LinkText);
    AddControl(&dialog, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_FLAT | BS_DEFPUSHBUTTON, 104, 202, 60, 16, AboutOk,
               ButtonClass, "OK");
    return RunDialog(&dialog, owner, AboutDialogProc, LPARAM(&parameter));
}

HBITMAP PictureToBitmap(IPicture *picture)
{
    if (!picture) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    const int pixelsX = MulDiv(width, GetDeviceCaps(screen, LOGPIXELSX), HimetricPerInch);
    const int pixelsY = MulDiv(height, GetDeviceCaps(screen, LOGPIXELSY), HimetricPerInch);
    HBITMAP bitmap = dc ? CreateCompatibleBitmap(screen, pixelsX, pixelsY) : nullptr;
    HGDIOBJ old = bitmap ? SelectObject(dc, bitmap) : nullptr;
    if (!old) {
        if (bitmap)
            DeleteObject(bitmap);
        bitmap = nullptr;
    } else {
        // A negative source height renders the picture upright.
        const HRESULT rendered = picture->Render(dc, 0, 0, pixelsX, pixelsY, 0, height, width, -height, nullptr);
        SelectObject(dc, old);
        if (FAILED(rendered)) {
            DeleteObject(bitmap);
            bitmap = nullptr;
            SetLastError(DWORD(rendered));
        }
    }
    if (dc)
        DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

HBITMAP PictureFromMemory(const void *bytes, DWORD count)
{
    // The stream owns a movable global block and frees it when released.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, count);
    if (!block)
        return nullptr;
    void *copy = GlobalLock(block);
    if (!copy) {
        GlobalFree(block);
        return nullptr;
    }
    memcpy(copy, bytes, count);
    GlobalUnlock(block);

    IStream *stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return nullptr;
    }
    // Run mode false: Wine gives a picture loaded in run mode no ownership of
    // its bitmap, which then outlives it, one per About box. On Windows the
    // flag only keeps the original data with the picture for its short life.
    IPicture *picture = nullptr;
    static decltype(&OleLoadPicture) oleLoadPicture;
    if (!SystemFunction(oleLoadPicture, "oleaut32.dll", "OleLoadPicture") ||
        FAILED(oleLoadPicture(stream, 0, FALSE, IID_IPicture, reinterpret_cast<void **>(&picture)))) {
        stream->Release();
        return nullptr;
    }
    HBITMAP bitmap = PictureToBitmap(picture);
    stream->Release();
    picture->Release();
    return bitmap;
}

HBITMAP LoadPictureResource(HMODULE module, int id)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "IMAGE");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void *bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    if (!bytes || !size) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return PictureFromMemory(bytes, size);
}

// Each box keeps its own picture: the tray menu can open a second box while
// the first is still open.
static HBITMAP PictureOf(HWND window)
{
    return reinterpret_cast<HBITMAP>(GetWindowLongPtrA(window, DWLP_USER));
}

static void DrawPicture(HWND window, HDC dc)
{
    HBITMAP picture = PictureOf(window);
    if (!picture)
        return;
    BITMAP size = {};
    GetObjectA(picture, sizeof(size), &size);
    const int x = ScaleToScreen(PictureX), y = ScaleToScreen(PictureY);
    const int width = ScaleToScreen(PictureWidth), height = ScaleToScreen(PictureHeight);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture);
    if (size.bmWidth == width && size.bmHeight == height) {
        BitBlt(dc, x, y, width, height, source, 0, 0, SRCCOPY);
    } else {
        const int oldMode = SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, x, y, width, height, source, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
        SetStretchBltMode(dc, oldMode);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

void PaintPicture(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    DrawPicture(window, dc);
    EndPaint(window, &paint);
}

// "About Tarnex Version: " and the FileVersion of the program's version
// block; without a FileVersion the caption ends in " Version: ", without a
// version block it stays as it is.
static void AppendVersionToCaption(HWND window)
{
    static decltype(&GetFileVersionInfoSizeW) getSize;
    static decltype(&GetFileVersionInfoW) getInfo;
    static decltype(&VerQueryValueW) queryValue;
    if (!SystemFunction(getSize, "version.dll", "GetFileVersionInfoSizeW") ||
        !SystemFunction(getInfo, "version.dll", "GetFileVersionInfoW") ||
        !SystemFunction(queryValue, "version.dll", "VerQueryValueW"))
        return;
    DWORD ignored = 0;
    const DWORD size = getSize(programPath, &ignored);
    if (!size)
        return;
    void *block = GlobalAlloc(GPTR, size);
    if (!block)
        return;
    if (getInfo(programPath, 0, size, block)) {
        WCHAR *version = nullptr;
        UINT length = 0;
        if (!queryValue(block, L"\\StringFileInfo\\040904E4\\FileVersion", reinterpret_cast<void **>(&version),
                        &length))
            version = nullptr;
        WCHAR caption[MAX_PATH];
        GetWindowTextW(window, caption, MAX_PATH);
        lstrcpynW(caption + lstrlenW(caption), L" Version: ", MAX_PATH - lstrlenW(caption));
        if (version)
            lstrcpynW(caption + lstrlenW(caption), version, MAX_PATH - lstrlenW(caption));
        SetWindowTextW(window, caption);
    }
    GlobalFree(block);
}

static void OnInitAbout(HWND window, const OwnerAndIcon *parameter)
{
    SendMessageA(window, WM_SETICON, ICON_BIG, LPARAM(parameter->icon));
    SkinDescriptor standard;
    SetStandardDescriptor(&standard);
    AttachSkin(GetDlgItem(window, AboutOk), &standard);
    SetWindowLongPtrA(window, DWLP_USER, LONG_PTR(LoadPictureResource(moduleInstance, IDR_ABOUT_PICTURE)));
    AttachHyperlink(window, AboutLink);
    AppendVersionToCaption(window);
}

INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR textured;
    if (TextureDialogMessage(window, message, wParam, lParam, &textured))
        return textured;
    switch (message) {
    case WM_INITDIALOG:
        OnInitAbout(window, reinterpret_cast<const OwnerAndIcon *>(lParam));
        return 0;
    case WM_PAINT:
        PaintPicture(window);
        return 0;
    case WM_PRINTCLIENT:
        DrawPicture(window, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_COMMAND:
        // OK ends the box, the link opens the web page; Esc does nothing.
        if (wParam == AboutOk)
            EndDialog(window, 0);
        else if (wParam == AboutLink)
            OpenWebAddress(window, ProjectAddress);
        return 0;
    case WM_CLOSE:
        EndDialog(window, 0);
        return 0;
    case WM_DESTROY:
        // Each opening loads the picture anew; it goes with the box.
        if (HBITMAP picture = PictureOf(window))
            DeleteObject(picture);
        SetWindowLongPtrA(window, DWLP_USER, 0);
        return 0;
    }
    return 0;
}

// The parent-window subclass of the skinning layer.
#include "skin/parent.h"

#include "skin/paint.h"
#include "skin/record.h"

void ReassertOwnerDraw(HWND control)
{
    SetWindowLongA(control, GWL_STYLE, GetWindowLongA(control, GWL_STYLE) | BS_OWNERDRAW);
}

int DrawSkinnedItem(const DRAWITEMSTRUCT *item)
{
    if (item->CtlType != ODT_BUTTON)
        return 0;
    CTRL_STRUCT *record = SkinRecord(item->hwndItem);
    if (!record)
        return 0;
    PaintSkinnedButton(item, record);
    return 1;
}

static void RepaintSkinnedChild(HWND child)
{
    if (!SkinRecord(child))
        return;
    ReassertOwnerDraw(child);
    RECT client;
    GetClientRect(child, &client);
    InvalidateRect(child, &client, FALSE);
}

// The dialog manager redraws its default button on its own; a skinned one
// must be repainted by the skin.
static void RepaintDefaultButton(HWND parent)
{
    const LRESULT answer = SendMessageA(parent, DM_GETDEFID, 0, 0);
    if (answer)
        RepaintSkinnedChild(GetDlgItem(parent, LOWORD(answer)));
}

static LRESULT EraseWithWallpaper(HWND parent, HDC dc, LRESULT erased)
{
    HBITMAP wallpaper = static_cast<HBITMAP>(GetPropA(parent, WallpaperProperty));
    if (!wallpaper)
        return erased;
    RECT client;
    GetClientRect(parent, &client);
    HBRUSH brush = CreatePatternBrush(wallpaper);
    HGDIOBJ old = SelectObject(dc, brush);
    PatBlt(dc, client.left, client.top, client.right, client.bottom, PATCOPY);
    SelectObject(dc, old);
    DeleteObject(brush);
    return 1;
}

// After a menu loop: remember whether the menu closed over its arrow strip.
static void EndMenuLoop()
{
    if (!menuOwner)
        return;
    if (menuOwner == MENU_CLOSED_OVER_STRIP) {
        menuOwner = nullptr;  // no control to measure
        return;
    }
    ReleaseCapture();
    InvalidateRect(menuOwner, nullptr, TRUE);
    POINT cursor;
    RECT window;
    GetCursorPos(&cursor);
    GetWindowRect(menuOwner, &window);
    window.left = window.right - ArrowStripWidth();
    menuOwner = PtInRect(&window, cursor) ? MENU_CLOSED_OVER_STRIP : nullptr;
}

// The focused skinned push button, to which Enter belongs: the dialog
// manager takes an owner-drawn button for no push button, and would give
// Enter to the window's default command instead.
static HWND FocusedPushButton(HWND parent)
{
    HWND focus = GetFocus();
    const CTRL_STRUCT *record = focus && GetParent(focus) == parent ? SkinRecord(focus) : nullptr;
    return record && record->buttonKind <= BS_DEFPUSHBUTTON && IsWindowEnabled(focus) ? focus : nullptr;
}

LRESULT CALLBACK SkinParentProc(HWND parent, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result;
    switch (message) {
    case DM_GETDEFID:
        if (HWND button = FocusedPushButton(parent))
            return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
        break;
    case WM_DRAWITEM: {
        const auto *item = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        HWND child = GetDlgItem(parent, int(wParam));
        if (item->CtlType == ODT_BUTTON && SkinRecord(child)) {
            ReassertOwnerDraw(child);
            DrawSkinnedItem(item);
            return 1;
        }
        result = CallOldProc(parent, message, wParam, lParam);
        RepaintDefaultButton(parent);
        return result;
    }
    case WM_DESTROY:
        ReplaceObjectProperty(parent, WallpaperProperty, nullptr);
        break;
    case WM_NCDESTROY:
        return CallOldProcLast(parent, message, wParam, lParam);
    case WM_ERASEBKGND:
        result = CallOldProc(parent, message, wParam, lParam);
        return EraseWithWallpaper(parent, reinterpret_cast<HDC>(wParam), result);
    case WM_COMMAND:
        result = CallOldProc(parent, message, wParam, lParam);
        RepaintSkinnedChild(reinterpret_cast<HWND>(lParam));
        RepaintDefaultButton(parent);
        return result;
    case WM_NEXTDLGCTL:
        result = CallOldProc(parent, message, wParam, lParam);
        if (LOWORD(lParam) == 1)
            RepaintSkinnedChild(reinterpret_cast<HWND>(wParam));
        RepaintDefaultButton(parent);
        return result;
    case WM_EXITMENULOOP:
        EndMenuLoop();
        break;
    }
    return CallOldProc(parent, message, wParam, lParam);
}

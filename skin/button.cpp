// The skinned button's behaviour. It never paints: it changes state and asks
// for repaints, which the parent subclass hands to the painter.
#include "skin/button.h"

#include "skin/record.h"
#include "skin/screen_scale.h"
#include "skin/system_library.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <stddef.h>

#ifndef _WIN64
static_assert(offsetof(TTTOOLINFOA, lParam) + sizeof(LPARAM) == 44, "the tooltip takes its version 2 record");
#endif

constexpr UINT_PTR TooltipTimerId = 1;
constexpr int TooltipMaxWidth = 220;  // at 96 dots per inch
constexpr int TooltipOffsetX = 10;
constexpr int TooltipOffsetY = 20;
constexpr DWORD HoverSoundFlags = SND_MEMORY | SND_NOSTOP | SND_NOWAIT;

enum : DWORD {
    KindAutoCheckBox = BS_AUTOCHECKBOX,
    KindRadioButton = BS_RADIOBUTTON,
    KindAutoRadioButton = BS_AUTORADIOBUTTON,
};

static TTTOOLINFOA TooltipTool(HWND control, const CTRL_STRUCT *record)
{
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT;
    tool.hwnd = control;
    tool.uId = UINT_PTR(tooltipWindow);
    tool.hinst = GetModuleHandleA(nullptr);
    tool.lpszText = const_cast<char *>(record ? record->skin.tooltipText : nullptr);
    return tool;
}

static void HideTooltip(HWND control)
{
    if (tooltipWindow) {
        TTTOOLINFOA tool = TooltipTool(control, SkinRecord(control));
        SendMessageA(tooltipWindow, TTM_TRACKACTIVATE, FALSE, LPARAM(&tool));
        DestroyWindow(tooltipWindow);
        tooltipWindow = nullptr;
    }
    KillTimer(control, tooltipTimer);
}

void CALLBACK ShowTooltipTimer(HWND control, UINT message, UINT_PTR timer, DWORD)
{
    if (message != WM_TIMER || timer != tooltipTimer)
        return;
    KillTimer(control, timer);
    const CTRL_STRUCT *record = SkinRecord(control);
    if (!record)
        return;

    const DWORD style = WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX |
                        ((record->skin.flags & CTRL_BALLOON_TIP) ? TTS_BALLOON : 0);
    tooltipWindow = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, control, nullptr, GetModuleHandleA(nullptr),
                                    nullptr);
    SetWindowPos(tooltipWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    TTTOOLINFOA tool = TooltipTool(control, record);
    SendMessageA(tooltipWindow, TTM_ADDTOOLA, 0, LPARAM(&tool));
    SendMessageA(tooltipWindow, TTM_SETMAXTIPWIDTH, 0, ScaleToScreen(TooltipMaxWidth));
    POINT cursor;
    GetCursorPos(&cursor);
    SendMessageA(tooltipWindow, TTM_TRACKPOSITION, 0, MAKELPARAM(cursor.x + TooltipOffsetX, cursor.y + TooltipOffsetY));
    SendMessageA(tooltipWindow, TTM_TRACKACTIVATE, TRUE, LPARAM(&tool));
    tooltipTimer = SetTimer(control, TooltipTimerId, TooltipLifetime, HideTooltipTimer);
}

void CALLBACK HideTooltipTimer(HWND control, UINT message, UINT_PTR timer, DWORD)
{
    if (message != WM_TIMER || timer != tooltipTimer)
        return;
    HideTooltip(control);
}

static void TrackLeave(HWND control, DWORD flags)
{
    TRACKMOUSEEVENT track = {sizeof(track), flags, control, HOVER_DEFAULT};
    TrackMouseEvent(&track);
}

static void RestoreClassCursor(HWND control)
{
    if (!savedClassCursor)
        return;
    SetClassLongPtrA(control, GCLP_HCURSOR, LONG_PTR(savedClassCursor));
    savedClassCursor = nullptr;
}

// Becoming hot ends the capture the skin took after its drop-down menu, and
// never a capture of the button's own: that one belongs to a press (mouse
// or space bar) which would lose its click.
static void BecomeHot(HWND control, CTRL_STRUCT *record)
{
    if (record->menuCapture) {
        record->menuCapture = FALSE;
        if (GetCapture() == control)
            ReleaseCapture();
    }
    if (record->skin.hoverCursor)
        savedClassCursor =
            reinterpret_cast<HCURSOR>(SetClassLongPtrA(control, GCLP_HCURSOR, LONG_PTR(record->skin.hoverCursor)));
    hotControl = control;
    if (HasHotLook(record))
        InvalidateRect(control, nullptr, FALSE);
    static decltype(&PlaySoundA) playSound;
    if (record->skin.hoverSound && SystemFunction(playSound, "winmm.dll", "PlaySoundA"))
        playSound(static_cast<const char *>(record->skin.hoverSound), nullptr, HoverSoundFlags);
    TrackLeave(control, TME_LEAVE);
    if (record->skin.tooltipText)
        tooltipTimer = SetTimer(control, TooltipTimerId, TooltipDelay, ShowTooltipTimer);
}

static void Leave(HWND control, const CTRL_STRUCT *record)
{
    RestoreClassCursor(control);
    hotControl = nullptr;
    if (HasHotLook(record))
        InvalidateRect(control, nullptr, FALSE);
    TrackLeave(control, TME_CANCEL);
    HideTooltip(control);
}

// Sends BM_SETCHECK 0 to the other buttons of the control's group. The walk
// also ends where it began, should the control itself not be part of it.
static void UncheckGroup(HWND control)
{
    HWND parent = GetParent(control);
    HWND first = GetNextDlgGroupItem(parent, control, FALSE);
    for (HWND next = first; next && next != control;) {
        SendMessageA(next, BM_SETCHECK, BST_UNCHECKED, 0);
        next = GetNextDlgGroupItem(parent, next, FALSE);
        if (next == first)
            break;
    }
}

static void ApplyClickRule(HWND control, const CTRL_STRUCT *record)
{
    switch (record->buttonKind) {
    case KindAutoCheckBox:
        SendMessageA(control, BM_SETCHECK, record->checkState == 1 ? BST_UNCHECKED : BST_CHECKED, 0);
        break;
    case KindRadioButton:
    case KindAutoRadioButton:
        SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
        break;
    }
}

static bool InArrowStrip(const RECT &window, POINT cursor)
{
    const RECT strip = {window.right - ArrowStripWidth(), window.top, window.right, window.bottom};
    return PtInRect(&strip, cursor);
}

// A press on a control with a drop-down menu; true when it was handled here.
static bool PressWithMenu(HWND control, CTRL_STRUCT *record)
{
    POINT cursor;
    RECT window;
    GetCursorPos(&cursor);
    GetWindowRect(control, &window);

    if (InArrowStrip(window, cursor) && !menuOwner) {
        menuOwner = control;
        if (GetFocus() != control)
            SetFocus(control);
        const DWORD flags = record->skin.flags;
        POINT corner = {window.left, window.bottom};
        if (flags & CTRL_MENU_BELOW)
            corner = {window.right - ArrowStripWidth(), window.bottom};
        else if (flags & CTRL_MENU_RIGHT)
            corner = {window.right, window.top};
        TrackPopupMenu(record->skin.dropMenu, 0, corner.x, corner.y, 0, GetParent(control), nullptr);
        SetCapture(control);
        record->menuCapture = TRUE;
        InvalidateRect(control, nullptr, TRUE);
        return true;
    }
    if (menuOwner) {
        ReleaseCapture();
        record->menuCapture = FALSE;
        menuOwner = nullptr;
        InvalidateRect(control, nullptr, TRUE);
        return true;
    }
    return false;
}

static void ReleaseOverControl(HWND control, CTRL_STRUCT *record)
{
    if (hotControl != control) {
        if (!hotControl)
            BecomeHot(control, record);
        return;
    }
    POINT cursor;
    RECT window;
    GetCursorPos(&cursor);
    GetWindowRect(control, &window);
    if (IsMenu(record->skin.dropMenu))
        window.right -= ArrowStripWidth();
    if (PtInRect(&window, cursor))
        ApplyClickRule(control, record);
}

static void SetCheckState(HWND control, CTRL_STRUCT *record, WPARAM state)
{
    if (record->buttonKind) {
        if (state == BST_CHECKED) {
            if (record->buttonKind == KindAutoRadioButton)
                UncheckGroup(control);
            record->checkState = 1;
        } else {
            record->checkState = 0;
        }
    }
    InvalidateRect(control, nullptr, TRUE);
}

LRESULT CALLBACK SkinButtonProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    CTRL_STRUCT *record = SkinRecord(control);
    switch (message) {
    case WM_MOUSEMOVE:
        if (record && !hotControl)
            BecomeHot(control, record);
        break;
    case WM_MOUSELEAVE:
        if (record)
            Leave(control, record);
        break;
    case WM_LBUTTONDBLCLK:
        // A double click counts as a second press.
        SendMessageA(control, WM_LBUTTONDOWN, wParam, lParam);
        break;
    case WM_LBUTTONDOWN:
        if (record && IsMenu(record->skin.dropMenu) && PressWithMenu(control, record))
            return 0;
        break;
    case BM_SETCHECK:
        if (record)
            SetCheckState(control, record, wParam);
        break;
    case BM_GETCHECK:
        if (record)
            return record->checkState;
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONUP:
        if (record)
            ReleaseOverControl(control, record);
        break;
    case WM_KEYUP:
        if (record && wParam == VK_SPACE)
            ApplyClickRule(control, record);
        break;
    case WM_UPDATEUISTATE: {
        // The keyboard cues came or went: the focus frame and the access
        // keys follow them, which an owner-drawn button may not repaint.
        const LRESULT result = CallOldProc(control, message, wParam, lParam);
        if (record)
            InvalidateRect(control, nullptr, FALSE);
        return result;
    }
    case WM_DESTROY:
        TrackLeave(control, TME_CANCEL | TME_LEAVE);
        // A hot control that goes gives back the class cursor and its tooltip.
        if (hotControl == control) {
            RestoreClassCursor(control);
            HideTooltip(control);
            hotControl = nullptr;
        }
        RemoveRecord(control);
        break;
    case WM_NCDESTROY:
        return CallOldProcLast(control, message, wParam, lParam);
    }
    return CallOldProc(control, message, wParam, lParam);
}

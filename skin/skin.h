// The skinning layer: turns ordinary buttons into owner-painted skinned
// buttons with icons, gradient faces, hover states and tooltips.
#pragma once

#include <windows.h>

// What a caller asks of a skin. A zero field means "not given". Handles and
// pointers stay the caller's: the skin keeps copies of the values only.
struct SkinDescriptor {
    HICON normalIcon;
    HICON hotIcon;
    HBITMAP normalBitmap;
    HBITMAP hotBitmap;
    HBITMAP pressedBitmap;
    HBITMAP disabledBitmap;
    COLORREF hotTextColor;
    COLORREF pressedTextColor;
    COLORREF normalTextColor;
    HFONT normalFont;
    HFONT hotFont;
    HCURSOR hoverCursor;
    const void *hoverSound;  // a WAVE image in memory
    HMENU dropMenu;
    const char *tooltipText;
    DWORD flags;
};

constexpr DWORD CTRL_BORDER = 0x00000001;
constexpr DWORD CTRL_HOT_BORDER = 0x00000002;
constexpr DWORD CTRL_FOCUS_RECT = 0x00000004;
constexpr DWORD CTRL_SEE_THROUGH = 0x00000008;
constexpr DWORD CTRL_TRANSPARENT_BITMAP = 0x00000010;
constexpr DWORD CTRL_BALLOON_TIP = 0x00000020;
constexpr DWORD CTRL_ICON_LEFT = 0x00000040;
constexpr DWORD CTRL_ICON_RIGHT = 0x00000080;
constexpr DWORD CTRL_ICON_TOP = 0x00000100;
constexpr DWORD CTRL_ARROW_DOWN = 0x00000200;
constexpr DWORD CTRL_MENU_BELOW = 0x00000400;
constexpr DWORD CTRL_MENU_RIGHT = 0x00000800;
constexpr DWORD CTRL_GRADIENT_FACE = 0x20000000;
constexpr DWORD CTRL_FLAT_FACE = 0x40000000;
constexpr DWORD CTRL_THIN_EDGE = 0x80000000;

// The look every window of the program gives its buttons: a gradient face
// whose border shows while hot, dark blue captions, purple while hot or
// pressed. Clears the rest of the descriptor.
void SetStandardDescriptor(SkinDescriptor *descriptor);

// Skins a button (or re-skins it with a new descriptor); a null descriptor
// removes the skin. Returns 0 when control is not a window, else 1.
int AttachSkin(HWND control, const SkinDescriptor *descriptor);

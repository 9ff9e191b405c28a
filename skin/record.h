// The skin record of a control and the state that all skinned controls of
// the process share; used inside the skinning layer.
#pragma once

#include "skin/skin.h"

// What painting learns of one of the skin's icons, once: its size and its
// lightened copy (made by the first paint that shows it lightened).
struct SkinIconLook {
    SIZE size;  // zero until measured
    HICON lightened;
};

// A control's skin: the caller's descriptor and what attachment learned,
// then what the skin keeps while the control lives.
struct CTRL_STRUCT {
    SkinDescriptor skin;
    DWORD buttonKind;  // the control's BS_ type before attachment, 0 for a push button
    DWORD checkState;  // 1 when the skinned control counts as checked
    LONG savedStyle;   // the control's style before attachment
    SkinIconLook normalLook;
    SkinIconLook hotLook;
    BOOL menuCapture;  // the skin captured the mouse after the drop-down menu
};

extern const char SkinRecordProperty[];   // "CTRL_STRUCT"
extern const char OldProcProperty[];      // "OLD_WND_PROC"
extern const char WallpaperProperty[];    // "WND_WALLPAPER"

// The arrow strip of a control with a drop-down menu: its right-hand 20
// pixels at 96 dots per inch.
int ArrowStripWidth();
// menuOwner after a menu closed with the cursor over its arrow strip.
#define MENU_CLOSED_OVER_STRIP (reinterpret_cast<HWND>(1))

extern HWND hotControl;
extern HCURSOR savedClassCursor;
extern HWND menuOwner;
extern HWND tooltipWindow;
extern UINT_PTR tooltipTimer;
// The arrow strip's glyph font, kept by the painter; deleted when the last
// skinned control goes.
extern HFONT arrowFont;

// The control's record, or null for an unskinned control.
CTRL_STRUCT *SkinRecord(HWND control);
// A record whose look changes while the control is hot.
bool HasHotLook(const CTRL_STRUCT *record);
// Frees the record, with the icons it made, and removes its property; the
// last record takes the arrow font with it.
void RemoveRecord(HWND control);

// Installs procedure on window unless the property already names an earlier
// one; returns the stored property, or the result of storing it.
HANDLE SubclassOnce(HWND window, const char *property, WNDPROC procedure);
// Deletes the GDI object held under the property, then stores object.
void ReplaceObjectProperty(HWND window, const char *property, HGDIOBJ object);
// The region of every pixel that differs from the top-left one; null if none.
HRGN RegionFromBitmap(HBITMAP bitmap);
// Calls a window's replaced procedure, kept under "OLD_WND_PROC".
LRESULT CallOldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The same for the window's last message, WM_NCDESTROY; the property goes
// with it.
LRESULT CallOldProcLast(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The allocation of skin records, whose failure Wine cannot produce. The
// program asks the platform; tests may point this elsewhere.
struct MemoryCalls {
    decltype(&GlobalAlloc) globalAlloc;
};
extern MemoryCalls memoryCalls;

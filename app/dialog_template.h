// Dialog templates built in memory and run as modal dialogs.
#pragma once

#include <windows.h>

// Class ordinals of the standard control classes.
constexpr WORD ButtonClass = 0x0080;
constexpr WORD EditClass = 0x0081;
constexpr WORD StaticClass = 0x0082;
constexpr WORD ListBoxClass = 0x0083;
constexpr WORD ComboBoxClass = 0x0085;

// A template under construction: a zero-filled block and the write position.
// A block that could not be had, or that a control did not fit, is not run.
struct DialogTemplate {
    BYTE *block;
    DWORD capacity;
    DWORD used;
    bool failed;
};

bool BeginDialog(DialogTemplate *dialog, DWORD capacity, DWORD style, WORD itemCount, short cx, short cy,
                 const char *caption, WORD pointSize, const char *fontFace);
bool AddControl(DialogTemplate *dialog, DWORD style, short x, short y, short cx, short cy, WORD id,
                WORD classOrdinal, const char *text);
// A control of a dialog's table, as AddControl takes it.
struct ControlRow {
    WORD id;
    WORD classOrdinal;
    DWORD style;
    short x, y, cx, cy;
    const char *text;
};
// Adds the controls of the table rows (count of them); false at the first
// that does not fit.
bool AddControls(DialogTemplate *dialog, const ControlRow *rows, int count);

// Runs the dialog modally and frees the block; the dialog's result, or -1.
INT_PTR RunDialog(DialogTemplate *dialog, HWND owner, DLGPROC procedure, LPARAM parameter);
// Frees the block without running it.
void FreeDialog(DialogTemplate *dialog);

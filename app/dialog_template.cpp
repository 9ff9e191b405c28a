// Building in-memory dialog templates: a DLGTEMPLATE header and a
// DLGITEMTEMPLATE per control, each control at a multiple of 4 bytes.
#include "app/dialog_template.h"

#include "app/startup.h"
#include "service/settings.h"

#include <string.h>

// Appends 16-bit words, or marks the template failed when they do not fit.
static bool PutWords(DialogTemplate *dialog, const WORD *words, DWORD count)
{
    if (dialog->failed || dialog->used + 2 * count > dialog->capacity) {
        dialog->failed = true;
        return false;
    }
    memcpy(dialog->block + dialog->used, words, 2 * count);
    dialog->used += 2 * count;
    return true;
}

static bool PutDword(DialogTemplate *dialog, DWORD value)
{
    const WORD words[2] = {LOWORD(value), HIWORD(value)};
    return PutWords(dialog, words, 2);
}

// No flags: UTF-8, the program's code page on current systems, refuses
// every flag but one that makes invalid bytes fail.
static bool PutText(DialogTemplate *dialog, const char *text)
{
    const int length = MultiByteToWideChar(ProgramCodePage(), 0, text, -1, nullptr, 0);
    if (length <= 0 || dialog->failed || dialog->used + 2 * DWORD(length) > dialog->capacity) {
        dialog->failed = true;
        return false;
    }
    MultiByteToWideChar(ProgramCodePage(), 0, text, -1, reinterpret_cast<WCHAR *>(dialog->block + dialog->used),
                        length);
    dialog->used += 2 * DWORD(length);
    return true;
}

static void AlignTo(DialogTemplate *dialog, DWORD boundary)
{
    dialog->used = (dialog->used + boundary - 1) & ~(boundary - 1);
    if (dialog->used > dialog->capacity)
        dialog->failed = true;
}

bool BeginDialog(DialogTemplate *dialog, DWORD capacity, DWORD style, WORD itemCount, short cx, short cy,
                 const char *caption, WORD pointSize, const char *fontFace)
{
    *dialog = {static_cast<BYTE *>(GlobalAlloc(GPTR, capacity)), capacity, 0, false};
    if (!dialog->block) {
        dialog->failed = true;
        return false;
    }
    const WORD geometry[] = {itemCount, 0, 0, WORD(cx), WORD(cy), 0 /* menu */, 0 /* class */};
    return PutDword(dialog, style) && PutDword(dialog, 0) && PutWords(dialog, geometry, 7) &&
           PutText(dialog, caption) && PutWords(dialog, &pointSize, 1) && PutText(dialog, fontFace);
}

bool AddControl(DialogTemplate *dialog, DWORD style, short x, short y, short cx, short cy, WORD id,
                WORD classOrdinal, const char *text)
{
    AlignTo(dialog, 4);
    const WORD placement[] = {WORD(x), WORD(y), WORD(cx), WORD(cy), id, 0xFFFF, classOrdinal};
    const WORD none = 0;
    if (!PutDword(dialog, style) || !PutDword(dialog, 0) || !PutWords(dialog, placement, 7))
        return false;
    if (!(text ? PutText(dialog, text) : PutWords(dialog, &none, 1)))
        return false;
    AlignTo(dialog, 2);
    return PutWords(dialog, &none, 1);  // no creation data
}

void FreeDialog(DialogTemplate *dialog)
{
    if (dialog->block)
        GlobalFree(dialog->block);
    dialog->block = nullptr;
}

INT_PTR RunDialog(DialogTemplate *dialog, HWND owner, DLGPROC procedure, LPARAM parameter)
{
    INT_PTR result = -1;
    if (dialog->block && !dialog->failed)
        result = DialogBoxIndirectParamA(moduleInstance, reinterpret_cast<DLGTEMPLATE *>(dialog->block), owner,
                                         procedure, parameter);
    FreeDialog(dialog);
    return result;
}

bool AddControls(DialogTemplate *dialog, const ControlRow *rows, int count)
{
    for (int i = 0; i < count; i++) {
        const ControlRow &c = rows[i];
        if (!AddControl(dialog, c.style, c.x, c.y, c.cx, c.cy, c.id, c.classOrdinal, c.text))
            return false;
    }
    return true;
}

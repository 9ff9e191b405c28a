// The form's texts in the program's code page, exact and within the record.
#include "app/form_text.h"

#include "service/settings.h"

// The copy of a field's last text that fitted, kept with the field.
static const char FittingTextProperty[] = "FORM_FITTING_TEXT";

// A field's text, in a block the caller wipes and frees; its length in
// characters. Null when it cannot be had.
static WCHAR *FieldText(HWND field, int *length)
{
    *length = GetWindowTextLengthW(field);
    auto *text = static_cast<WCHAR *>(GlobalAlloc(GMEM_FIXED, (*length + 1) * sizeof(WCHAR)));
    if (text)
        *length = GetWindowTextW(field, text, *length + 1);
    return text;
}

static void WipeAndFree(WCHAR *text)
{
    if (!text)
        return;
    SecureZeroMemory(text, GlobalSize(text));
    GlobalFree(text);
}

TextFit ReadFormText(HWND field, char *text, DWORD size)
{
    text[0] = '\0';
    int length;
    WCHAR *wide = FieldText(field, &length);
    if (!wide)
        return TextTooLong;
    const int bytes = ExactProgramText(wide, nullptr, 0);
    TextFit fit = TextFits;
    if (!bytes)
        fit = TextNotRepresentable;
    else if (DWORD(bytes) > size)
        fit = TextTooLong;
    else
        ExactProgramText(wide, text, int(size));
    WipeAndFree(wide);
    return fit;
}

// The password is kept no copy of: its field undoes the one change that
// passed its bytes itself, which its undo is emptied for after every change
// that fits. A change it cannot undo (a text set whole) is kept as set, for
// Install to refuse.
static void KeepPasswordWithin(HWND field, DWORD size)
{
    int length;
    WCHAR *text = FieldText(field, &length);
    if (!text)
        return;
    const DWORD bytes = DWORD(ExactProgramText(text, nullptr, 0));
    WipeAndFree(text);
    if (bytes > size && SendMessageW(field, EM_CANUNDO, 0, 0)) {
        SendMessageW(field, EM_UNDO, 0, 0);  // which comes back here as a change that fits
        MessageBeep(MB_OK);
    }
    SendMessageW(field, EM_EMPTYUNDOBUFFER, 0, 0);
}

void KeepFormTextWithin(HWND field, DWORD size)
{
    if (GetWindowLongA(field, GWL_STYLE) & ES_PASSWORD) {
        KeepPasswordWithin(field, size);
        return;
    }
    int length;
    WCHAR *text = FieldText(field, &length);
    if (!text)
        return;
    auto *fitting = static_cast<WCHAR *>(GetPropA(field, FittingTextProperty));
    if (fitting && DWORD(ExactProgramText(text, nullptr, 0)) > size) {
        // The change would pass the field's bytes: back to the text before
        // it, the caret where the change began.
        DWORD caret = 0;
        SendMessageW(field, EM_GETSEL, 0, LPARAM(&caret));
        const int added = length - lstrlenW(fitting);
        SetWindowTextW(field, fitting);  // which keeps that text anew
        caret = added > 0 && DWORD(added) <= caret ? caret - added : 0;
        SendMessageW(field, EM_SETSEL, caret, caret);
        MessageBeep(MB_OK);
        WipeAndFree(text);
        return;
    }
    // What fits, or what the code page cannot hold (which Install refuses,
    // naming the field), is kept as typed.
    SetPropA(field, FittingTextProperty, text);
    WipeAndFree(fitting);
}

void ForgetFormText(HWND field)
{
    WipeAndFree(static_cast<WCHAR *>(RemovePropA(field, FittingTextProperty)));
}

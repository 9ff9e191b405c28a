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

// The bytes text takes in the program's code page, its terminating zero
// included; 0 when the code page cannot hold it exactly: a legacy code page
// would otherwise put a look-alike (a plain letter for a full-width one) or
// a question mark in its place, and UTF-8 a replacement for a lone half of
// a surrogate pair.
static int ExactBytes(const WCHAR *text, char *converted, int size)
{
    const UINT codePage = ProgramCodePage();
    const bool utf8 = codePage == CP_UTF8;
    BOOL lost = FALSE;
    const int bytes = WideCharToMultiByte(codePage, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, text, -1,
                                          converted, size, nullptr, utf8 ? nullptr : &lost);
    return lost ? 0 : bytes;
}

TextFit ReadFormText(HWND field, char *text, DWORD size)
{
    text[0] = '\0';
    int length;
    WCHAR *wide = FieldText(field, &length);
    if (!wide)
        return TextTooLong;
    const int bytes = ExactBytes(wide, nullptr, 0);
    TextFit fit = TextFits;
    if (!bytes)
        fit = TextNotRepresentable;
    else if (DWORD(bytes) > size)
        fit = TextTooLong;
    else
        ExactBytes(wide, text, int(size));
    WipeAndFree(wide);
    return fit;
}

void KeepFormTextWithin(HWND field, DWORD size)
{
    int length;
    WCHAR *text = FieldText(field, &length);
    if (!text)
        return;
    auto *fitting = static_cast<WCHAR *>(GetPropA(field, FittingTextProperty));
    if (fitting && DWORD(ExactBytes(text, nullptr, 0)) > size) {
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

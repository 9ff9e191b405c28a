// The form's texts as the record holds them: bytes of the program's ANSI
// code page, exactly what was typed, within the record's fields.
#pragma once

#include <windows.h>

enum TextFit {
    TextFits,
    TextTooLong,           // more bytes than the record's field holds
    TextNotRepresentable,  // a character the code page has only a look-alike of, or none
};

// Reads a field into text, a buffer of size bytes. Anything but TextFits
// leaves text empty: no path may act on a cut text, or on a look-alike of
// what was typed. Every copy made on the way is wiped, the password being
// one of the fields.
TextFit ReadFormText(HWND field, char *text, DWORD size);

// Keeps a field within size bytes while it is edited: a change after which
// its text would take more is undone whole, as the edit control refuses
// what passes its limit in characters. Called at every change of the field;
// ForgetFormText frees what it keeps of a field's text (of a password
// field's, nothing), when the field goes.
void KeepFormTextWithin(HWND field, DWORD size);
void ForgetFormText(HWND field);

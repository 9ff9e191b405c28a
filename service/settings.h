// The settings of one service as the form shows them, the option tables that
// turn the form's symbolic names into SCM values, and the form's text rules.
#pragma once

#include <windows.h>

// Capacities of the record's text fields, terminating zero included.
constexpr DWORD FieldSize = MAX_PATH;
constexpr DWORD LongFieldSize = 4196;

// The working copy of the main window's form, in the order in which
// RunServiceOperation takes the fields.
struct ServiceSettings {
    char binaryPath[FieldSize];
    char keyName[FieldSize];
    char displayName[FieldSize];
    char description[LongFieldSize];
    DWORD desiredAccess;
    DWORD serviceType;
    DWORD startType;
    DWORD errorControl;
    char loadOrderGroup[FieldSize];
    char dependencies[LongFieldSize];  // dependency text on the form, dependency list for the SCM
    char accountName[FieldSize];
    char password[FieldSize];
};

// The start type of the form's "SERVICE_AUTO_START (DELAYED)": an automatic
// start that Windows delays until the others have started. The service
// manager keeps it as an automatic start and a setting of its own, so this
// value never reaches it.
constexpr DWORD DelayedAutoStart = 0x100 | SERVICE_AUTO_START;

// A fixed table of displayed names and SCM values. Names are stored in
// fields of nameWidth bytes; rows are in alphabetical order, and a row's
// position is its index in the list that shows it.
struct OptionTable {
    const char *names;
    DWORD nameWidth;
    const DWORD *values;
    int rowCount;
    int defaultRow;
};

extern const OptionTable DesiredAccessOptions;
extern const OptionTable ServiceTypeOptions;
extern const OptionTable StartTypeOptions;
extern const OptionTable ErrorControlOptions;

// Position 0 of the load-order-group list: no group.
extern const char NoGroupEntry[];

constexpr char DEPENDENCY_SEPARATOR = '/';
constexpr char SERVICE_GROUP_PREFIX = '+';

const char *OptionName(const OptionTable &table, int index);
DWORD OptionValueForIndex(const OptionTable &table, int index);
int OptionIndexForValue(const OptionTable &table, DWORD value);

// Position of the entry of a combo box that is name (any case); 0, the
// no-group entry, when none is or the name is empty.
int GroupIndexForName(HWND groupList, const char *name);

// Converts the form's slash-separated text into the SCM's double-NUL list in
// place. A text too long to leave room for the closing NUL is cut.
void DependencyTextToList(char *dependencies, DWORD size);
// Converts a double-NUL list back into slash-separated text in place.
void DependencyListToText(char *dependencies, DWORD size);
// Appends one name (a group with its '+') to the text. Refuses, leaving the
// text as it was and returning false, when the result would not fit the
// field with room for the list's closing NUL.
bool AppendDependency(char *text, DWORD size, const char *name, bool isGroup);

// Sets count bytes of buffer to the low byte of value.
void FillBytes(void *buffer, DWORD count, DWORD value);

// Where the program asks which ANSI code page it runs in: UTF-8 from
// Windows 10 1903 on, which the manifest asks for, a legacy one on older
// systems. The program asks the platform; tests may supply a legacy one.
struct CodePageCalls {
    decltype(&GetACP) programCodePage;
};
extern CodePageCalls codePageCalls;
// The code page of the program's texts: every conversion and byte scan of
// them uses it.
UINT ProgramCodePage();
// The bytes text takes in the program's code page, its terminating zero
// included, written to converted when size is not 0; 0 when the code page
// cannot hold it exactly (a legacy one would put a look-alike, a plain
// letter for a full-width one, or a question mark in its place; UTF-8 a
// replacement for a lone half of a surrogate pair) or it does not fit.
int ExactProgramText(const WCHAR *text, char *converted, int size);
// Appends name, exactly as the program's code page holds it, to the
// double-NUL list of *used bytes in list (size bytes, the closing NUL
// included); false, changing nothing, when it cannot be held so or does
// not fit.
bool AppendExactName(char *list, DWORD *used, DWORD size, const WCHAR *name);

// The file name of path without its last four characters (its extension).
void KeyNameFromBinaryPath(const char *path, char *keyName, DWORD size);

// The length of the longest start of text, at most length bytes, that ends
// where a character of the program's code page ends: where a text is cut to
// fit, no character is split. text ends within length bytes, or holds one
// more byte than length.
size_t CharacterBoundary(const char *text, size_t length);

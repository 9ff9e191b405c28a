// The main window's form read into the settings record, exactly as typed or
// not at all.
#include "app/main_window_parts.h"

#include "app/form_text.h"

ServiceSettings serviceSettings;

const FormTextField formTextFields[FormTextFieldCount] = {
    {KeyNameField, FieldSize, "Key Name"},
    {BinaryPathField, FieldSize, "Binary Path"},
    {DisplayNameField, FieldSize, "Display Name"},
    {DescriptionField, LongFieldSize, "Description"},
    {DependenciesField, LongFieldSize - 1, "Dependencies"},  // and the list's closing zero
    {AccountNameField, FieldSize, "Account Name"},
    {PasswordField, FieldSize, "Password"},
};

// Refuses a command whose field the record cannot hold as typed, naming the
// field and why.
static void RefuseField(HWND window, const char *verb, const FormTextField &field, TextFit fit)
{
    char caption[64], text[256];
    wsprintfA(caption, "Tarnex Cannot %s the Service", verb);
    if (fit == TextTooLong)
        wsprintfA(text, "%s is too long: it takes more than the %lu bytes the field holds. Nothing was done.",
                  field.name, field.size - 1);
    else
        wsprintfA(text, "%s holds characters that the system's code page cannot represent. Nothing was done.",
                  field.name);
    MessageBoxA(window, text, caption, MB_OK | MB_ICONERROR);
}

bool ReadFormField(HWND window, const char *verb, int index, char *text)
{
    const FormTextField &field = formTextFields[index];
    const TextFit fit = ReadFormText(GetDlgItem(window, field.id), text, field.size);
    if (fit == TextFits)
        return true;
    RefuseField(window, verb, field, fit);
    return false;
}

static DWORD SelectedOption(HWND window, int id, const OptionTable &table)
{
    return OptionValueForIndex(table, int(SendDlgItemMessageA(window, id, CB_GETCURSEL, 0, 0)));
}

// The group of the selection; position 0 (or none) is no group. A name too
// long for the field is cut to it.
static void ReadGroup(HWND window, char *group)
{
    FillBytes(group, FieldSize, 0);
    HWND list = GetDlgItem(window, LoadOrderGroupList);
    const LRESULT selected = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (selected <= 0)
        return;
    const LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, selected, 0);
    if (length == CB_ERR)
        return;
    char *text = static_cast<char *>(GlobalAlloc(GPTR, length + 1));
    if (!text)
        return;
    SendMessageA(list, CB_GETLBTEXT, selected, LPARAM(text));
    lstrcpynA(group, text, FieldSize);
    GlobalFree(text);
}

// The record's text fields in the order of formTextFields.
static char *RecordText(ServiceSettings *s, int index)
{
    char *const texts[FormTextFieldCount] = {s->keyName,      s->binaryPath,  s->displayName, s->description,
                                             s->dependencies, s->accountName, s->password};
    return texts[index];
}

// A form that the record would hold other than as typed is refused, with a
// box naming the field: a service of another name or settings would result.
bool ReadFormSettings(HWND window, const char *verb, ServiceSettings *s)
{
    for (int i = 0; i < FormTextFieldCount; i++)
        if (!ReadFormField(window, verb, i, RecordText(s, i))) {
            SecureZeroMemory(s->password, sizeof(s->password));
            return false;
        }
    s->desiredAccess = SelectedOption(window, DesiredAccessList, DesiredAccessOptions);
    s->serviceType = SelectedOption(window, ServiceTypeList, ServiceTypeOptions);
    s->startType = SelectedOption(window, StartTypeList, StartTypeOptions);
    s->errorControl = SelectedOption(window, ErrorControlList, ErrorControlOptions);
    ReadGroup(window, s->loadOrderGroup);
    DependencyTextToList(s->dependencies, sizeof(s->dependencies));
    return true;
}

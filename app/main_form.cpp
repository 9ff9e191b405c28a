// The main window's form read into the settings record, exactly as typed or
// not at all.
#include "app/main_window_parts.h"

#include "app/form_text.h"
#include "service/operation.h"

ServiceSettings serviceSettings;

// The fields of the shown service that the code page cannot hold, by the
// control that shows each, and what of them is still untyped.
static const struct {
    int id;
    DWORD bit;
    const char *name;
} unheldFields[] = {
    {BinaryPathField, UnheldBinaryPath, "Binary Path"},       {DisplayNameField, UnheldDisplayName, "Display Name"},
    {DescriptionField, UnheldDescription, "Description"},     {LoadOrderGroupList, UnheldGroup, "Load Order Group"},
    {DependenciesField, UnheldDependencies, "Dependencies"}, {AccountNameField, UnheldAccountName, "Account Name"},
};
static DWORD untyped;
// The type of the service shown before, which the list may not hold.
static DWORD shownType;

void KeepUnheldFields(DWORD unheld, DWORD serviceType)
{
    untyped = unheld;
    shownType = serviceType;
}

void ForgetUnheldField(int id)
{
    for (const auto &field : unheldFields)
        if (field.id == id)
            untyped &= ~field.bit;
}

const FormTextField formTextFields[FormTextFieldCount] = {
    {KeyNameField, FieldSize, "Key Name"},
    {BinaryPathField, FieldSize, "Binary Path"},
    {DisplayNameField, FieldSize, "Display Name"},
    {DescriptionField, LongFieldSize, "Description"},
    {DependenciesField, LongFieldSize - 1, "Dependencies"},  // and the list's closing zero
    {AccountNameField, FieldSize, "Account Name"},
    {PasswordField, FieldSize, "Password"},
};

void RefuseCommand(HWND window, const char *verb, const char *text)
{
    // wsprintf writes 1,024 characters at most.
    char caption[64], full[1025];
    wsprintfA(caption, "Tarnex Cannot %s the Service", verb);
    wsprintfA(full, "%s Nothing was done.", text);
    MessageBoxA(window, full, caption, MB_OK | MB_ICONERROR);
}

// Refuses a command whose field the record cannot hold as typed, naming the
// field and why.
static void RefuseField(HWND window, const char *verb, const FormTextField &field, TextFit fit)
{
    char text[256];
    if (fit == TextTooLong)
        wsprintfA(text, "%s is too long: it takes more than the %lu bytes the field holds.", field.name,
                  field.size - 1);
    else
        wsprintfA(text, "%s holds characters that the system's code page cannot represent.", field.name);
    RefuseCommand(window, verb, text);
}

// What the form cannot stand for as typed: a field of the service shown
// before that the code page could not hold (a default would take its
// place), a service type the list could not show (another would), or a
// binary path whose program cannot be told. Null when it can.
static const char *Unfit(HWND window, const ServiceSettings *s, char *text)
{
    for (const auto &field : unheldFields)
        if (untyped & field.bit) {
            wsprintfA(text,
                      "%s of the service shown before is more than the form could show (characters the system's "
                      "code page cannot represent, or more than the field holds): type it anew.",
                      field.name);
            return text;
        }
    if (SendDlgItemMessageA(window, ServiceTypeList, CB_GETCURSEL, 0, 0) < 0) {
        wsprintfA(text,
                  "Service Type shows no type: the service shown before has the type 0x%lX, which the list does "
                  "not hold. Choose one.",
                  shownType);
        return text;
    }
    char quoted[FieldSize + 2];
    const char *installed;
    return InstalledBinaryPath(s->binaryPath, s->serviceType, quoted, &installed);
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
bool ReadFormFields(HWND window, const char *verb, ServiceSettings *s)
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
    return true;
}

bool ReadFormSettings(HWND window, const char *verb, ServiceSettings *s)
{
    if (!ReadFormFields(window, verb, s))
        return false;
    char text[256];
    if (const char *unfit = Unfit(window, s, text)) {
        SecureZeroMemory(s->password, sizeof(s->password));
        RefuseCommand(window, verb, unfit);
        return false;
    }
    DependencyTextToList(s->dependencies, sizeof(s->dependencies));
    return true;
}

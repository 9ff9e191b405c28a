// What the main window's own files share, each file's part under its name:
// the window, its commands, reading the form, its change in place, the
// refresh and the Recovery command, and beside them the checks and the
// setup of a service made or changed. Used inside the main window only, and
// by the tests that look inside it.
#pragma once

#include "app/main_window.h"
#include "service/settings.h"

#include <windows.h>

// main_window.cpp: from the moment the window is closed until it has
// ended, nothing is refreshed and no command begins.
bool MainWindowClosing();

// main_form.cpp: the form's text fields, the bytes their record fields hold
// (the terminating zero included), and their names as the labels give them.
struct FormTextField {
    int id;
    DWORD size;
    const char *name;
};
constexpr int FormTextFieldCount = 7;
// Positions in formTextFields, which lists the fields in the form's order.
enum FormTextIndex : int { KeyNameText = 0, DependenciesText = 4 };
extern const FormTextField formTextFields[FormTextFieldCount];

// The working copy of the form.
extern ServiceSettings serviceSettings;

// Reads a text field into the record; false, after refusing the command
// (its verb in the refusal's title), when the record cannot hold its text
// as typed. The form stays as it is.
bool ReadFormField(HWND window, const char *verb, int index, char *text);
// Reads the whole form as Install takes it; false, the password wiped,
// after a refusal.
bool ReadFormSettings(HWND window, const char *verb, ServiceSettings *settings);
// Reads the form's fields as typed, the dependencies as their text, with
// the refusals of each field alone.
bool ReadFormFields(HWND window, const char *verb, ServiceSettings *settings);
// Refuses the command (its verb in the title) for the reason text.
void RefuseCommand(HWND window, const char *verb, const char *text);
// The fields of the shown service that the form cannot show whole
// (UnheldField bits), and its type: kept as the template of a new service,
// such a field is refused until it is typed anew, as is a type the list
// does not hold until one is chosen.
void KeepUnheldFields(DWORD unheld, DWORD serviceType);
// A field was changed (its control's identifier): what it holds is typed.
void ForgetUnheldField(int id);

// form_edit.cpp: the change of the shown service in place.
void BeginChange(HWND window);
void ApplyChange(HWND window);
void CancelChange(HWND window);

// service_recovery.cpp: the Recovery command, and the recovery chosen for
// the new service the form describes (null when none was), forgotten with
// a new window. Nothing is said to be kept that cannot be read back: the
// line RecoveryUntold says so.
void OnRecoveryCommand(HWND window);
const struct RecoverySettings *FormRecovery();
void ForgetFormRecovery();
bool RecoveryReadsBack(const char *keyName);
extern const char RecoveryUntold[];

// main_commands.cpp: a click of one of the window's buttons but Close, and
// the end of a command that ran off the window's thread.
void OnMainCommand(HWND window, WPARAM wParam);
// A command runs, or a command's question is open: no other begins, and
// the form shows none.
bool CommandsHeld();
// A command's question: while it is open no other command begins (from the
// tray, say), and the form and the tray show none; the answer.
int AskAboutCommand(HWND window, const char *text, const char *caption, UINT type);
void OnServiceCommandDone(HWND window, WPARAM wParam, LPARAM lParam);
void CopyAsCommands(HWND window);

// form_refresh.cpp: the once-a-second refresh.
constexpr UINT_PTR RefreshTimerId = 0;
void StartRefreshing(HWND window);
// Reads the key name and shows the service's state in the form.
void RefreshForm(HWND window);
// A new main window, or a form written by a command: the refresh sets every
// part of the form anew.
void ForgetFormState(HWND window);
// The key name was edited: a refused service no longer stops the refresh.
void OnKeyNameEdited(HWND window);
void StopRefreshing(HWND window);
// A command left the service keyName marked for deletion, its key last
// written then: the form shows it so, taking no command, until it has gone.
void KeepMarkedForDeletion(const char *keyName, const FILETIME *written);
// The installed service the form shows at the last refresh; empty when it
// shows none.
const char *ShownService();
// The shown service's form is given back for a change: the refresh no
// longer writes its fields, and only Apply is a command. It ends when the
// change is applied or cancelled, and when the service goes.
bool Editing();
void BeginEditing(HWND window);
void EndEditing(HWND window);

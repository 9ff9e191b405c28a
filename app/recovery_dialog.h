// The Recovery dialog: what Windows does when a service fails, as the
// Services console's Recovery page holds it.
#pragma once

#include "service/recovery.h"

#include <windows.h>

// Runs the Recovery dialog of the service named in the caption, owned by
// owner, showing settings; note (or null) is one line inside the dialog
// (e.g. that the system cannot say what it holds). On OK, with every field
// valid, settings holds what was chosen and the result is IDOK; IDCANCEL
// leaves settings as they were, as does -1 (the dialog could not be made).
// A field that is off (its action chosen nowhere) is not read: settings
// keep what they held for it.
INT_PTR RunRecoveryDialog(HWND owner, HICON icon, const char *serviceName, RecoverySettings *settings,
                          const char *note);

// The dialog's controls, in its tab order; OK and Cancel are IDOK and
// IDCANCEL.
enum RecoveryControl : int {
    RecoveryNote = 100,
    FirstFailureLabel,
    FirstFailureList,
    SecondFailureLabel,
    SecondFailureList,
    LaterFailuresLabel,
    LaterFailuresList,
    ResetLabel,
    ResetField,
    ResetUnit,
    RestartLabel,
    RestartField,
    RestartUnit,
    StopsWithErrorsBox,
    ProgramFrame,
    ProgramLabel,
    ProgramField,
    ProgramBrowse,
    ParametersLabel,
    ParametersField,
    AppendFailCountBox,
    RebootLabel,
    RebootField,
    RebootUnit,
};

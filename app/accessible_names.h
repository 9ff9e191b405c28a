// Names a screen reader says for controls whose text does not tell what
// they do.
#pragma once

#include <windows.h>

// How a control's name is given and taken back: through the system's
// accessibility annotation (IAccPropServices, from oleacc in the system
// folder, held while any name is). The program uses these; tests may point
// them elsewhere.
struct AccessibleNameCalls {
    void (*setName)(HWND control, const WCHAR *name);
    void (*clearName)(HWND control);
};
extern AccessibleNameCalls accessibleNameCalls;

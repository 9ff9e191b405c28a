// What the window says of a command once it has ended.
#pragma once

#include "service/service_command.h"

#include <windows.h>

// Says what became of the service: success, marked for deletion, or the
// failure with the program's line of help where it has one.
void ShowVerdict(HWND owner, const ServiceOutcome *outcome);

// The commands that create a service on another machine: a script for the
// system's own cmd.exe and sc.exe.
#pragma once

#include "service/settings.h"

#include <windows.h>

// The characters a script takes at most: each character of a value takes
// two at most, and the key name stands in three lines.
constexpr DWORD ScriptLength = 2 * (7 * FieldSize + 2 * LongFieldSize) + 1024;
// The bytes a refusal's text takes at most.
constexpr DWORD RefusalSize = 192;

// Writes into script (ScriptLength characters, CRLF lines) the commands that
// create the service settings describes, as Install would: sc.exe create
// with every setting that sc.exe takes, its description, and in place of
// the password a remark on how to give it. Each value reaches sc.exe as
// Install would pass it. False, with why in refusal, when no such commands
// can be had: a line break in a text, which no command line carries, or a
// service type that sc.exe does not take.
bool WriteServiceScript(const ServiceSettings *settings, WCHAR *script, char *refusal);

// The commands that create a service on another machine: a script for the
// system's own cmd.exe and sc.exe.
#pragma once

#include "service/settings.h"

#include <windows.h>

// The characters a script takes at most.
constexpr DWORD ScriptLength = 3 * FieldSize + 4 * LongFieldSize + 1024;

// Writes into script (ScriptLength characters, CRLF lines) the commands that
// create the service settings describes, as Install would: sc.exe create
// with every setting that sc.exe takes, its description, and in place of
// the password a remark on how to give it. Each value reaches sc.exe
// exactly as the record holds it. Null on success, else the name of the
// field that no command line can carry (a line break in it).
const char *WriteServiceScript(const ServiceSettings *settings, WCHAR *script);

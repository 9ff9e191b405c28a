// The commands that create a service on another machine: a script for the
// system's own cmd.exe and sc.exe.
#pragma once

#include "service/settings.h"

#include <windows.h>

// The characters a line of cmd.exe takes, its end included.
constexpr DWORD CommandLineLength = 8192;
// The characters a script takes at most: its command lines, and a few
// lines more.
constexpr DWORD ScriptLength = 4 * CommandLineLength;
// The bytes a refusal's text takes at most.
constexpr DWORD RefusalSize = 192 + 640;

// Writes into script (ScriptLength characters, CRLF lines) the commands that
// create a service on another machine: sc.exe create with every setting
// that sc.exe takes, its description, and in place of the password a
// remark on how to give it, and its recovery with sc.exe failure and
// failureflag. Each value reaches sc.exe whole, as the service
// holds it. False, with why in refusal (RefusalSize bytes), when no such
// commands can be had: a line break in a text, which no command line
// carries, a line longer than cmd.exe takes, a binary path whose program
// cannot be told, or a service type that sc.exe does not take.
// A new service as the form describes it, settings as Install takes them,
// with the recovery chosen for it (or null):
bool WriteNewServiceScript(const ServiceSettings *settings, const struct RecoverySettings *recovery, WCHAR *script,
                           char *refusal);
// An installed service as the service manager holds it:
bool WriteInstalledServiceScript(const char *keyName, WCHAR *script, char *refusal);

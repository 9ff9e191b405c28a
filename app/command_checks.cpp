// What the checks found before a command, shown once.
#include "app/command_checks.h"

#include "app/main_window_parts.h"
#include "service/service_checks.h"
#include "service/service_command.h"

void WidenList(const char *list, WCHAR *wide, DWORD count)
{
    DWORD length = 0;
    while (list[length] || list[length + 1])
        length++;
    if (!MultiByteToWideChar(ProgramCodePage(), 0, list, int(length + 2), wide, int(count)))
        wide[0] = wide[1] = L'\0';
}

static void Widen(const char *text, WCHAR *wide, DWORD count)
{
    if (!MultiByteToWideChar(ProgramCodePage(), 0, text, -1, wide, int(count)))
        wide[0] = L'\0';
}

// The box titled caption, the operation's failure title; true when there
// is nothing to show, or on Yes.
static bool FindingsAllow(HWND window, const char *caption, const char *doing, const char *keyName,
                          const Findings *findings)
{
    if (!findings->count)
        return true;
    char text[FindingsSize + 2 * FieldSize + 64];
    wsprintfA(text, "Before %s %s:\r\n\r\n", doing, keyName);
    lstrcatA(text, findings->text);
    lstrcatA(text, "\r\nGo on all the same?");
    return AskAboutCommand(window, text, caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

bool InstallChecksAllow(HWND window, const ServiceSettings *s)
{
    Findings findings = {};
    WCHAR text[LongFieldSize];
    Widen(s->binaryPath, text, LongFieldSize);
    CheckProgram(text, s->serviceType, &findings);
    WidenList(s->dependencies, text, LongFieldSize);
    CheckDependencies(text, &findings);
    Widen(s->displayName, text, LongFieldSize);
    CheckDisplayName(text, nullptr, &findings);
    Widen(s->accountName, text, LongFieldSize);
    CheckAccount(text, false, &findings);
    return FindingsAllow(window, "Error Creating the new service!", "installing", s->keyName, &findings);
}

bool ChangeChecksAllow(HWND window, const char *keyName, DWORD serviceType, const ServiceChange *change)
{
    Findings findings = {};
    if (change->binaryPath)
        CheckProgram(change->binaryPath, serviceType, &findings);
    CheckDependencies(change->dependencies, &findings);
    CheckDisplayName(change->displayName, keyName, &findings);
    CheckAccount(change->accountName, false, &findings);
    return FindingsAllow(window, "Error Changing Service", "changing", keyName, &findings);
}

bool StartChecksAllow(HWND window, const char *keyName)
{
    Findings findings = {};
    CheckStart(keyName, &findings);
    return FindingsAllow(window, StartFailure, "starting", keyName, &findings);
}

// The command's thread and its record, which the window's thread and the
// command's share: whichever lets go of it last frees it.
#include "app/command_thread.h"

struct Command {
    LONG holders;  // the window's thread and the command's
    DWORD number;
    HWND window;
    unsigned operation;
    char keyName[FieldSize];
    char stopFirst[LongFieldSize];
    ServiceOutcome outcome;
};

// The command that runs, as the window's thread knows it; only that thread
// touches it.
static Command *running;
static DWORD commandsBegun;

static void LetGo(Command *command)
{
    if (!InterlockedDecrement(&command->holders))
        GlobalFree(command);
}

// The command's thread touches the record, its own copies of the names
// among it, and nothing of the window's but its handle.
static DWORD WINAPI RunCommand(void *parameter)
{
    auto *command = static_cast<Command *>(parameter);
    RunServiceCommand(command->keyName, command->operation, command->stopFirst, &command->outcome);
    PostMessageA(command->window, ServiceCommandDone, command->number, LPARAM(command));
    LetGo(command);
    return 0;
}

bool BeginServiceCommand(HWND window, unsigned operation, const char *keyName, const char *stopFirst)
{
    if (running)
        return false;
    auto *command = static_cast<Command *>(GlobalAlloc(GPTR, sizeof(Command)));
    if (!command)
        return false;
    *command = {2, ++commandsBegun, window, operation, {}, {}, {}};
    lstrcpynA(command->keyName, keyName, sizeof(command->keyName));
    CopyMemory(command->stopFirst, stopFirst, sizeof(command->stopFirst));
    command->stopFirst[LongFieldSize - 2] = command->stopFirst[LongFieldSize - 1] = '\0';
    HANDLE thread = CreateThread(nullptr, 0, RunCommand, command, 0, nullptr);
    if (!thread) {
        GlobalFree(command);
        return false;
    }
    CloseHandle(thread);
    running = command;
    return true;
}

bool ServiceCommandRunning()
{
    return running != nullptr;
}

bool EndServiceCommand(WPARAM wParam, LPARAM lParam, unsigned *operation, char *keyName, ServiceOutcome *outcome)
{
    Command *command = running;
    if (!command || LPARAM(command) != lParam || command->number != wParam)
        return false;
    *operation = command->operation;
    lstrcpynA(keyName, command->keyName, FieldSize);
    *outcome = command->outcome;
    running = nullptr;
    LetGo(command);
    return true;
}

void AbandonServiceCommand()
{
    if (running)
        LetGo(running);
    running = nullptr;
}

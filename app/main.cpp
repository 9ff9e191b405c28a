// The process entry: start-up, the main window, the end of the process.
#include "app/main_window.h"
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    StartProgram();
    ExitProcess(UINT(RunMainWindow()));
}

// Drives the program's windows as a person would, from a thread of its own
// while the window runs its modal loop on the test's main thread.
#pragma once

#include "tests/support/message_boxes.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Waits until condition holds, polling (for windows of another thread);
// false after timeoutMs.
bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs = 3000);
// The same, dispatching this thread's messages meanwhile (for its windows).
bool PumpUntil(const std::function<bool()> &condition, DWORD timeoutMs = 5000);
// Dispatches the messages waiting for this thread.
void PumpMessages();
// Moves the pointer, dispatching this thread's messages, until GetCursorPos
// reports it there: Wine moves it asynchronously, and an older move may
// overtake a newer one. False after the timeout.
bool MovePointerTo(int x, int y);

// A visible top-level window of this process with the caption and class
// (any class when null) other than except; null after the timeout.
HWND WaitForWindow(const char *caption, const char *className, DWORD timeoutMs = 3000, HWND except = nullptr);

// The next message box of this process: its caption and text, answered.
RecordedBox AnswerMessageBox(int answer, DWORD timeoutMs = 3000);
// A message box of this process, left open; null after the timeout.
HWND WaitForMessageBox(DWORD timeoutMs = 3000);
// Answers an open message box; its caption and text.
RecordedBox AnswerBox(HWND box, int answer);
// True when no message box opened within waitMs.
bool NoMessageBox(DWORD waitMs);

// Types text into a control, as WM_SETTEXT does.
void TypeText(HWND window, int id, const char *text);
std::string ControlText(HWND window, int id);
// The texts of a list box's entries, in its order.
std::vector<std::string> ListBoxEntries(HWND list);
// Presses a button a person could press; false when it is greyed or hidden.
bool Press(HWND window, int id);

// The popup menu that opens next: chooses an item with the keys given
// (VK_DOWN, VK_UP, VK_RETURN, VK_ESCAPE).
bool ChooseFromPopupMenu(std::initializer_list<WPARAM> keys, DWORD timeoutMs = 3000);

// The main window's caption, and the main window of this process, if one
// shows.
constexpr char MainWindowCaption[] = "Tarnex (Install/Remove)";
HWND FindMainWindow();
// The main window's tray menu, seen once open: the menu lives as long as
// its window.
HMENU TrayMenuOf(HWND window);

// Runs body on a new thread while run() runs on this one; joins both.
void RunDriven(const std::function<void()> &run, const std::function<void()> &body);

// Each runs its window on this thread while script drives it from another,
// once the window is all made; closes the window afterwards if the script
// has not.
void DriveMainWindow(const std::function<void(HWND window)> &script);
void DriveAboutBox(const std::function<void(HWND about)> &script);
// The picker in mode (PickServices or PickGroups), pickedName "stale" before.
void DrivePicker(LONG mode, const std::function<void(HWND picker, HWND list)> &script);

// The Open dialog as it opened: its file-name box, file type and title.
// Answered with typed in the file-name box and OK, or cancelled when typed
// is empty.
struct OpenDialogSeen {
    std::string fileName, fileType, title;
};
OpenDialogSeen AnswerOpenDialog(HWND dialog, const std::string &typed);
// The binary-path picker on path (MAX_PATH bytes), its dialog answered so
// from this thread; what PickFile returned, and what the dialog showed.
BOOL PickFileAnswered(char *path, const std::string &typed, OpenDialogSeen *seen);

// The window's icon is in the tray: the last thing the main window makes.
bool TrayIconShown(HWND window);

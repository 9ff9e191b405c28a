// The About box: the program's picture, version and web address.
#pragma once

#include <windows.h>

struct IPicture;

// The project's web address; the link shows it between brackets.
extern const char ProjectAddress[];

INT_PTR ShowAboutBox(HWND owner, HICON icon);
INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The picture of type "IMAGE" decoded into a bitmap compatible with the
// screen, or null with the reason in the last error code.
HBITMAP LoadPictureResource(HMODULE module, int id);
HBITMAP PictureFromMemory(const void *bytes, DWORD count);
HBITMAP PictureToBitmap(IPicture *picture);
// Paints the box's own picture in answer to WM_PAINT.
void PaintPicture(HWND window);

// The About box's controls.
constexpr int AboutFrame = 100;
constexpr int AboutLink = 101;
constexpr int AboutOk = 103;

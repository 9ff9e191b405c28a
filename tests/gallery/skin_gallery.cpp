// Renders every state of the program's skinned buttons, and the background
// texture they stand on, into one picture for a person to look at; then the
// same under high contrast, in a dark theme's colours.
//   skin_gallery OUTPUT.bmp
#include "resources/resource_ids.h"
#include "skin/paint.h"
#include "skin/color.h"
#include "skin/record.h"
#include "skin/texture.h"
#include "tests/support/bitmap_file.h"
#include "tests/support/gdi_objects.h"
#include "tests/support/seams.h"

#include <stdio.h>

constexpr int ButtonWidth = 87;  // 58 x 16 dialog units of 8-point MS Sans Serif
constexpr int ButtonHeight = 26;
constexpr int LabelWidth = 70;
constexpr int Gap = 10;

struct Column {
    const char *caption;
    int icon;
    int width;
};
static const Column columns[] = {
    {"&About...", IDI_ABOUT, ButtonWidth}, {"&Install", IDI_INSTALL, ButtonWidth},
    {"&Remove", IDI_REMOVE, ButtonWidth},  {"&Start", IDI_START, ButtonWidth},
    {"&Stop", IDI_STOP, ButtonWidth},      {"&Close", IDI_CLOSE, ButtonWidth},
    {"...", 0, 18},
};
struct Row {
    const char *name;
    UINT itemState;
    bool hot;
    DWORD checked;
};
static const Row rows[] = {
    {"normal", 0, false, 0},          {"hot", 0, true, 0},           {"pressed", ODS_SELECTED, false, 0},
    {"checked", 0, false, 1},         {"disabled", ODS_DISABLED, false, 0}, {"focused", ODS_FOCUS, false, 0},
};
constexpr int RowCount = sizeof(rows) / sizeof(rows[0]);

// One row a state, one column a button, from top; the label in its colour.
static void DrawRows(HDC sheet, HDC screen, HWND parent, HFONT font, int top, COLORREF labelColour)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    SetTextColor(sheet, labelColour);
    SkinDescriptor skin;
    for (int r = 0; r < RowCount; r++) {
        const int y = top + r * (ButtonHeight + Gap);
        RECT label = {Gap, y, LabelWidth, y + ButtonHeight};
        DrawTextA(sheet, rows[r].name, -1, &label, DT_SINGLELINE | DT_VCENTER);
        int x = LabelWidth + Gap;
        for (const Column &c : columns) {
            HWND button = CreateWindowExA(0, "BUTTON", c.caption, WS_CHILD, 0, 0, c.width, ButtonHeight, parent,
                                          nullptr, module, nullptr);
            SendMessageA(button, WM_SETFONT, WPARAM(font), FALSE);
            SetStandardDescriptor(&skin);
            skin.normalIcon = c.icon ? LoadIconA(module, MAKEINTRESOURCEA(c.icon)) : nullptr;
            AttachSkin(button, &skin);
            SkinRecord(button)->checkState = rows[r].checked;
            hotControl = rows[r].hot ? button : nullptr;

            HDC face = CreateCompatibleDC(screen);
            HBITMAP faceBits = CreateCompatibleBitmap(screen, c.width, ButtonHeight);
            HGDIOBJ oldFace = SelectObject(face, faceBits);
            HGDIOBJ oldFaceFont = SelectObject(face, font);
            const DRAWITEMSTRUCT item = DrawRequest(button, face, rows[r].itemState);
            PaintSkinnedButton(&item, SkinRecord(button));
            BitBlt(sheet, x, y, c.width, ButtonHeight, face, 0, 0, SRCCOPY);
            SelectObject(face, oldFaceFont);
            SelectObject(face, oldFace);
            DeleteObject(faceBits);
            DeleteDC(face);
            DestroyWindow(button);
            x += c.width + Gap;
        }
    }
    hotControl = nullptr;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: skin_gallery OUTPUT.bmp\n");
        return 2;
    }
    HINSTANCE module = GetModuleHandleA(nullptr);
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, module, nullptr);

    int sheetWidth = LabelWidth + Gap;
    for (const Column &c : columns)
        sheetWidth += c.width + Gap;
    const int sheetHeight = 2 * (Gap + RowCount * (ButtonHeight + Gap)) + 64 + Gap;

    HDC screen = GetDC(nullptr);
    HDC sheet = CreateCompatibleDC(screen);
    HBITMAP sheetBits = CreateCompatibleBitmap(screen, sheetWidth, sheetHeight);
    HGDIOBJ oldSheet = SelectObject(sheet, sheetBits);

    // The texture as the main window makes it: a tile the size of a button.
    const RECT tile = {0, 0, ButtonWidth, ButtonHeight};
    HBITMAP lighter = nullptr;
    GenerateTexture(TexturePatternNoise, &tile, 30, 15, 0, 0, &textureBitmap, &lighter);
    HBRUSH texture = CreatePatternBrush(textureBitmap);
    const RECT all = {0, 0, sheetWidth, sheetHeight};
    FillRect(sheet, &all, texture);
    DeleteObject(texture);

    HGDIOBJ oldFont = SelectObject(sheet, font);
    SetBkMode(sheet, TRANSPARENT);
    DrawRows(sheet, screen, parent, font, Gap, RGB(0, 0, 0x40));

    // Under high contrast, below the texture's row, on the plain face.
    const int contrastTop = Gap + RowCount * (ButtonHeight + Gap) + 64 + Gap;
    {
        // A dark high-contrast theme: what the system's colours are while
        // its rows are drawn.
        const SystemColours theme({{COLOR_BTNFACE, RGB(0, 0, 0)},
                                   {COLOR_BTNTEXT, RGB(255, 255, 255)},
                                   {COLOR_HIGHLIGHT, RGB(26, 235, 255)},
                                   {COLOR_HIGHLIGHTTEXT, RGB(0, 0, 0)},
                                   {COLOR_GRAYTEXT, RGB(63, 242, 63)}});
        const ScopedOverride on(screenCalls.systemParametersInfo, HighContrastOn);
        ReadHighContrast();
        const RECT contrast = {0, contrastTop - Gap / 2, sheetWidth, sheetHeight};
        FillRect(sheet, &contrast, GetSysColorBrush(COLOR_BTNFACE));
        DrawRows(sheet, screen, parent, font, contrastTop, GetSysColor(COLOR_BTNTEXT));
    }
    ReadHighContrast();
    SetTextColor(sheet, RGB(0, 0, 0x40));

    // The texture's tile at eight times its size, to show the grain.
    const int textureTop = Gap + RowCount * (ButtonHeight + Gap);
    RECT caption = {Gap, textureTop, LabelWidth, textureTop + 64};
    DrawTextA(sheet, "texture x8", -1, &caption, DT_SINGLELINE | DT_VCENTER);
    HDC tileDc = CreateCompatibleDC(screen);
    HGDIOBJ oldTile = SelectObject(tileDc, textureBitmap);
    StretchBlt(sheet, LabelWidth + Gap, textureTop, 8 * 40, 64, tileDc, 0, 0, 40, 8, SRCCOPY);
    SelectObject(tileDc, oldTile);
    DeleteDC(tileDc);

    SelectObject(sheet, oldFont);
    SelectObject(sheet, oldSheet);
    const bool saved = SaveBitmapFile(sheetBits, argv[1]);
    DeleteObject(sheetBits);
    DeleteDC(sheet);
    ReleaseDC(nullptr, screen);
    DeleteObject(textureBitmap);
    DeleteObject(lighter);
    DestroyWindow(parent);
    DeleteObject(font);
    printf(saved ? "gallery written to %s\n" : "could not write %s\n", argv[1]);
    return saved ? 0 : 1;
}

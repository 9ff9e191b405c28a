#include "tests/support/bitmap_file.h"

#include <vector>

bool SaveBitmapFile(HBITMAP bitmap, const char *path)
{
    BITMAP size = {};
    if (!GetObjectA(bitmap, sizeof(size), &size))
        return false;
    BITMAPINFOHEADER header = {sizeof(header), size.bmWidth, -size.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<BYTE> pixels(size_t(size.bmWidth) * size.bmHeight * 4);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, size.bmHeight, pixels.data(),
                               reinterpret_cast<BITMAPINFO *>(&header), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != size.bmHeight)
        return false;
    for (size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = 0xFF;  // what was drawn is opaque

    header.biSizeImage = DWORD(pixels.size());
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    HANDLE out = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(out, &file, sizeof(file), &written, nullptr) &&
              WriteFile(out, &header, sizeof(header), &written, nullptr) &&
              WriteFile(out, pixels.data(), header.biSizeImage, &written, nullptr);
    CloseHandle(out);
    return ok;
}

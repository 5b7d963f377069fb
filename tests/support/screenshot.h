#pragma once
// A window as the screen shows it, saved as a 32-bit bitmap file (for screenshot programs).
#include <windows.h>

#include <fstream>
#include <string>

#include "platform/win/gdi.h"

namespace qs::test {

inline bool saveWindowBitmap(HWND hwnd, const std::wstring& path) {
    RECT r;
    if (!GetWindowRect(hwnd, &r)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    win::WindowDC screen(nullptr);
    win::MemoryDC mem(screen.get());
    win::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), w, h));
    {
        win::Selection selected(mem.get(), bitmap.get());
        BitBlt(mem.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
    }
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 32;
    std::string pixels(size_t(w) * size_t(h) * 4, '\0');
    GetDIBits(mem.get(), bitmap.get(), 0, UINT(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = DWORD(file.bfOffBits + pixels.size());
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), std::streamsize(pixels.size()));
    return bool(out);
}

}  // namespace qs::test

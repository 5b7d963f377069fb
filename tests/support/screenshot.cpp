#include "tests/support/screenshot.h"

#include <cstdio>
#include <fstream>

#include "platform/runtime/text.h"
#include "platform/win/gdi.h"
#include "tests/support/files.h"

namespace qs::test {

std::string shotFolder(int argc, char** argv, const char* program) {
    if (argc < 2 || !*argv[1]) {
        std::fprintf(stderr, "usage: %s <folder>\n", program);
        return {};
    }
    return argv[1];
}

bool saveShot(HWND hwnd, const std::string& folder, const std::string& name) {
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
    std::ofstream out(rt::widen(folder + "\\" + name + ".bmp").c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), std::streamsize(pixels.size()));
    std::printf("%s\n", name.c_str());
    return bool(out);
}

void markSceneReady(const std::string& folder, const std::string& scene) { writeFile(folder + "\\ready-" + scene, ""); }

bool sceneShot(const std::string& folder, const std::string& scene) {
    return GetFileAttributesW(rt::widen(folder + "\\shot-" + scene).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace qs::test

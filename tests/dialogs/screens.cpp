// Pictures of the import window halfway through an import, the About window, and the help window at
// the top and the bottom of its page, each taken from the screen as a .bmp file into <folder>.
// Usage: dialogs_screens <folder>   (tests/dialogs/shots.sh runs it under Xvfb)
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/dialogs/form2.h"
#include "app/dialogs/form4.h"
#include "app/dialogs/form5.h"
#include "app/globals.h"
#include "platform/runtime/text.h"
#include "tests/app/app_support.h"
#include "tests/support/pump.h"

using namespace qs;
using namespace qs::test;

namespace {

// The screen's picture of a window, as a 32-bit bottom-up bitmap file.
void saveWindow(HWND hwnd, const std::string& path) {
    RECT r;
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 32;
    std::string pixels(size_t(w) * h * 4, '\0');
    GetDIBits(mem, bitmap, 0, UINT(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = DWORD(file.bfOffBits + pixels.size());
    std::ofstream out(rt::widen(path).c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), std::streamsize(pixels.size()));
    std::printf("%s\n", path.c_str());
}

void settle() { pumpFor(500); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: dialogs_screens <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    {
        MainWindowRun run("screens");
        if (!run.start()) return 1;
        SetCursorPos(1000, 900);

        TempDir tree("screenstree");
        // Large enough for the bar to be repainted many times before the picture is taken.
        for (int f = 0; f < 10; ++f) {
            const std::string sub = tree.file("Folder " + std::to_string(f));
            makeFolder(sub);
            for (int n = 0; n < 100; ++n)
                writeFile(sub + "\\Site " + std::to_string(f * 100 + n) + ".url",
                          "[InternetShortcut]\r\nURL=http://site-" + std::to_string(n) + ".example/\r\n");
        }
        run.services->folderAnswer = tree.path();
        {
            app::Form2 import;
            int steps = 0;
            import.onBarStep = [&] {
                if (++steps == 600) saveWindow(import.hWnd(), folder + "\\form2-mid-import.bmp");
            };
            import.Move(1500, 1500, import.Width(), import.Height());
            import.Show();
            settle();
            import.Image2_MouseUp(0, 1, 0, 0, 0);
        }
        {
            app::Form4 about;
            about.Move(1500, 1500, about.Width(), about.Height());
            about.Show();
            settle();
            saveWindow(about.hWnd(), folder + "\\form4.bmp");
        }
        {
            app::Form5 help;
            help.Move(1500, 1500, help.Width(), help.Height());
            help.Show();
            settle();
            saveWindow(help.hWnd(), folder + "\\form5-top.bmp");
            help.dt1.Value(help.dt1.Max());
            settle();
            saveWindow(help.hWnd(), folder + "\\form5-bottom.bmp");
            help.dt1.Value(help.figure(2).Top() - 300);
            settle();
            saveWindow(help.hWnd(), folder + "\\form5-figures.bmp");
        }
    }
    return 0;
}

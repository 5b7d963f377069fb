#pragma once
// Shared helpers of the grid tests: a plain top-level window to host grids, and pixel and mouse helpers
// that work in the grid's own client coordinates.
#include <windows.h>

#include "platform/controls/flexgrid.h"

namespace gridtest {

// The main window's job colouring: the four text columns of a permanent job (column 4 reads "True")
// light, of any other dark.
inline void colourJobRows(qs::controls::FlexGrid& grid) {
    for (int r = 1; r < grid.Rows(); ++r) {
        bool permanent = grid.TextMatrix(r, 4) == "True";
        grid.Row(r);
        for (int c = 0; c < 4; ++c) {
            grid.Col(c);
            grid.CellBackColor(permanent ? 0xFFE169 : 0xA69244);
        }
    }
}

// The same colours the way the main window gives them: asked by the grid for the cells it paints.
inline void colourJobsOnDemand(qs::controls::FlexGrid& grid) {
    grid.onCellBackColor = [&grid](int row, int col) -> uint32_t {
        if (col > 3) return qs::controls::FlexGrid::kRowColour;
        return grid.TextMatrix(row, 4) == "True" ? 0xFFE169 : 0xA69244;
    };
}

inline LRESULT CALLBACK hostProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

// A visible top-level window at the screen's corner, so that painted pixels can be read back.
// Hiding a top-level window costs Wine two seconds without a window manager, so tests share one
// (sharedHost) and leave it to the end of the process.
class Host {
public:
    Host(int width = 640, int height = 480) {
        static bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = hostProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"QsGridTestHost";
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
            return RegisterClassW(&wc) != 0;
        }();
        (void)registered;
        hwnd = CreateWindowExW(WS_EX_TOPMOST, L"QsGridTestHost", L"grid test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width,
                               height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(hwnd);
    }
    ~Host() { DestroyWindow(hwnd); }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    HWND hwnd = nullptr;
};

inline HWND sharedHost() {
    static Host* host = new Host;
    return host->hwnd;
}

// Colour of a pixel of a window's client area, as drawn on the screen.
inline COLORREF pixel(HWND hwnd, int x, int y) {
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

inline LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

}  // namespace gridtest

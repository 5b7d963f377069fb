#pragma once
// Shared helpers of the grid tests: a form to host grids, and pixel and mouse helpers that work in the
// grid's own client coordinates.
#include <windows.h>

#include "platform/controls/flexgrid.h"
#include "platform/forms/form.h"

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

// A shown form at the screen's corner to host grids, so that painted pixels can be read back. A grid
// constructed on it after it loaded makes its window with create(). Hiding a top-level window costs Wine
// two seconds without a window manager, so tests share this one and leave it to the end of the process.
inline qs::forms::Form& sharedHost() {
    static qs::forms::Form* host = [] {
        auto* form = new qs::forms::Form;
        form->Move(0, 0, qs::forms::toTwips(640), qs::forms::toTwips(480));
        form->setTopmost(true);
        form->Show();
        return form;
    }();
    return *host;
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

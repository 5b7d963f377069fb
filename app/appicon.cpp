#include "app/appicon.h"

#include <cstring>
#include <vector>

#include "platform/win/gdi.h"

namespace qs::app {

namespace {

// A rounded tile in the skin's blue with three stacked rows: the three lists.
COLORREF pixelAt(int x, int y, int size, bool& opaque) {
    const int r = size / 5;
    const int cx = x < r ? r - x : (x >= size - r ? x - (size - r - 1) : 0);
    const int cy = y < r ? r - y : (y >= size - r ? y - (size - r - 1) : 0);
    opaque = cx * cx + cy * cy <= r * r;
    if (!opaque) return 0;
    const int border = size >= 32 ? 2 : 1;
    if (x < border || y < border || x >= size - border || y >= size - border) return RGB(0x69, 0xE1, 0xFF);
    const int inset = size / 5;
    const int band = size / 8;
    for (int i = 0; i < 3; ++i) {
        const int top = size / 4 + i * (band + band / 2 + 1);
        if (y >= top && y < top + band && x >= inset && x < size - inset)
            return i == 0 ? RGB(0x69, 0xE1, 0xFF) : RGB(0x44, 0x92, 0xA6);
    }
    return RGB(0x22, 0x39, 0x4A);
}

}  // namespace

HICON makeAppIcon(int size) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::UniqueBitmap colour(CreateDIBSection(win::WindowDC(nullptr).get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour) return nullptr;

    const int stride = ((size + 15) / 16) * 2;  // mask rows are WORD aligned
    std::vector<unsigned char> mask(size_t(stride) * size, 0);
    auto* px = static_cast<DWORD*>(bits);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            bool opaque = false;
            const COLORREF c = pixelAt(x, y, size, opaque);
            px[y * size + x] = opaque ? (0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c)) : 0;
            if (!opaque) mask[size_t(y) * stride + x / 8] |= 0x80 >> (x % 8);
        }
    }
    win::UniqueBitmap maskBitmap(CreateBitmap(size, size, 1, 1, mask.data()));
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour.get();
    info.hbmMask = maskBitmap.get();
    // The icon keeps copies of both bitmaps.
    return CreateIconIndirect(&info);
}

}  // namespace qs::app

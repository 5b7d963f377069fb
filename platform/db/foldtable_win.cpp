#include <windows.h>

#include "platform/db/textrules.h"

namespace qs::db::detail {

void fillFoldTable(uint16_t* table) {
    for (unsigned c = 0; c < 0x10000; ++c) table[c] = static_cast<uint16_t>(c);
    constexpr unsigned chunk = 0x400;
    wchar_t in[chunk], out[chunk];
    for (unsigned base = 0; base < 0x10000; base += chunk) {
        if (base >= 0xD800 && base < 0xE000) continue;  // lone surrogates stay as they are
        for (unsigned i = 0; i < chunk; ++i) in[i] = static_cast<wchar_t>(base + i ? base + i : ' ');
        int n = LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, in, chunk, out, chunk);
        if (n == static_cast<int>(chunk)) {
            for (unsigned i = 0; i < chunk; ++i)
                if (base + i) table[base + i] = static_cast<uint16_t>(out[i]);
        } else {
            for (unsigned i = 0; i < chunk; ++i) {
                wchar_t one = in[i];
                if (base + i && LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, &one, 1, out, 1) == 1)
                    table[base + i] = static_cast<uint16_t>(out[0]);
            }
        }
    }
}

}  // namespace qs::db::detail

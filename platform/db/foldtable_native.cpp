#include "platform/db/textrules.h"
#include "platform/runtime/casetable.h"

namespace qs::db::detail {

void fillFoldTable(uint16_t* table) {
    for (unsigned c = 0; c < 0x10000; ++c)
        table[c] = static_cast<uint16_t>(c >= 0xD800 && c < 0xE000 ? c : rt::casetable::lower(c));
}

}  // namespace qs::db::detail

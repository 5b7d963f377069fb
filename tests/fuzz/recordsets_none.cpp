// The native build has the engine's connection, dialect and transactions but no recordsets (they read
// and write values through the system's date conversions), so no connection ever lists one to tell of a
// rollback.
#include "platform/db/internal.h"

#include <cstdlib>

namespace qs::db::detail {

void forgetRolledBack(RecordsetState&) noexcept { std::abort(); }

}  // namespace qs::db::detail

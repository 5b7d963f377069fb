// The one generic class object: makes objects through a ClassEntry's create function.
#pragma once

#include "platform/com/module.h"

namespace qs::com {

// A new class object for `entry`, holding one reference (the module's cache). References beyond
// that one, and LockServer(TRUE), keep the module locked.
HRESULT createClassFactory(const ClassEntry& entry, IClassFactory** out);

}  // namespace qs::com

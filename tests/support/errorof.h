#pragma once
#include "platform/runtime/errors.h"

namespace qs::test {

// The runtime error number an action throws, 0 when it throws nothing.
template <class F>
int errorOf(F&& action) {
    try {
        action();
    } catch (const rt::Error& e) {
        return e.number;
    }
    return 0;
}

}  // namespace qs::test

#pragma once

#include "core/Error.h"

#include <optional>

namespace aql::test {

// The AqlError a call raises, or nullopt when it returns normally.
template <class F> std::optional<AqlError> errorOf(F &&call) {
    try {
        call();
    } catch (const AqlError &e) {
        return e;
    }
    return std::nullopt;
}

// The number of that error; 0 when the call returns normally.
template <class F> int errorNumberOf(F &&call) {
    const auto e = errorOf(call);
    return e ? e->number() : 0;
}

} // namespace aql::test

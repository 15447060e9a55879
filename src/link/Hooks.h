#pragma once

#include <functional>

namespace aql::link {

// A hook that whoever wires the parts leaves empty does nothing, so no call site has to test it.
template <typename... Args> void keepCallable(std::function<void(Args...)> &hook) {
    if (!hook) {
        hook = [](Args...) {};
    }
}

} // namespace aql::link

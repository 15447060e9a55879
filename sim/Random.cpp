#include "sim/Random.h"

namespace aql::sim {

Random::Random(std::uint32_t seed) : m_engine(seed) {}

std::uint32_t Random::next() {
    return static_cast<std::uint32_t>(m_engine());
}

int Random::uniform(int lo, int hi) {
    // The modulo bias is far below anything a plausibility check on plant values could see.
    const auto span = static_cast<std::uint32_t>(static_cast<std::int64_t>(hi) - lo + 1);
    return static_cast<int>(lo + static_cast<std::int64_t>(next() % span));
}

bool Random::oneIn(std::uint32_t n) {
    if (n == 0) {
        return false;
    }
    return next() % n == 0;
}

} // namespace aql::sim

#pragma once

#include <cstdint>
#include <random>

namespace aql::sim {

// The simulator's only source of chance. The standard distributions are left out on purpose:
// their algorithms differ between standard libraries, and a given seed must give the same plant,
// log and fault pattern on every machine; mt19937's raw output is the same everywhere.
class Random {
public:
    explicit Random(std::uint32_t seed);

    std::uint32_t next();

    // Uniform in lo..hi, both included (lo <= hi).
    int uniform(int lo, int hi);

    // True once in n draws on average; n = 0 never, n = 1 always.
    bool oneIn(std::uint32_t n);

private:
    std::mt19937 m_engine;
};

} // namespace aql::sim

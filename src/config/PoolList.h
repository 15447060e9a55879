#pragma once

#include "config/Pool.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace aql::config {

// A pool name as a key: letter case does not count (A-Z and the Latin-1 letters À-Þ fold to their
// lower-case forms; ß and ÿ have no single-byte upper case and stay as they are).
std::string poolKey(std::string_view name);

// The main window's pools in the order the configuration was read, keyed by name without regard
// to letter case. Each pool is held by pointer, so references to a pool (and to its record list)
// stay valid while more pools are added.
class PoolList {
public:
    // Appends `pool` under its name (the key is the name at this moment; a later init under
    // another name does not re-key it). A name already present, ignoring case, is AqlError 457 and
    // leaves the list unchanged.
    Pool &add(std::unique_ptr<Pool> pool);

    std::int32_t count() const { return static_cast<std::int32_t>(m_pools.size()); }
    bool empty() const { return m_pools.empty(); }

    // 1-based position; outside 1..count(): AqlError 9.
    Pool &item(std::int32_t position);
    const Pool &item(std::int32_t position) const;

    // By name, ignoring case; a name not present is AqlError 5, as a keyed list reports it.
    Pool &item(std::string_view name);
    const Pool &item(std::string_view name) const;

    // By name, ignoring case; null when not present.
    Pool *find(std::string_view name);
    const Pool *find(std::string_view name) const;
    bool contains(std::string_view name) const { return find(name) != nullptr; }

    void clear();

private:
    std::vector<std::unique_ptr<Pool>> m_pools;
    std::unordered_map<std::string, std::size_t> m_positions; // key -> index into m_pools
};

} // namespace aql::config

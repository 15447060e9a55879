#include "config/PoolList.h"

#include "core/Error.h"

#include <utility>

namespace aql::config {

std::string poolKey(std::string_view name) {
    std::string key(name);
    for (char &c : key) {
        const auto b = static_cast<unsigned char>(c);
        // Latin-1 mirrors ASCII 32 places higher: 0xC0-0xDE are capitals of 0xE0-0xFE, except the
        // multiplication sign 0xD7 (its partner 0xF7 is the division sign).
        if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
            c = static_cast<char>(b + 0x20);
        }
    }
    return key;
}

Pool &PoolList::add(std::unique_ptr<Pool> pool) {
    if (!pool) {
        throw standardError(errc::kInvalidArgument, "PoolList.add");
    }
    std::string key = poolKey(pool->name());
    if (m_positions.count(key) != 0) {
        throw standardError(errc::kKeyAlreadyPresent, "PoolList.add");
    }
    m_pools.reserve(m_pools.size() + 1);
    m_positions.emplace(std::move(key), m_pools.size());
    m_pools.push_back(std::move(pool));
    return *m_pools.back();
}

Pool &PoolList::item(std::int32_t position) {
    return const_cast<Pool &>(std::as_const(*this).item(position));
}

const Pool &PoolList::item(std::int32_t position) const {
    if (position < 1 || static_cast<std::size_t>(position) > m_pools.size()) {
        throw standardError(errc::kSubscriptOutOfRange, "PoolList.item");
    }
    return *m_pools[static_cast<std::size_t>(position) - 1];
}

Pool &PoolList::item(std::string_view name) {
    return const_cast<Pool &>(std::as_const(*this).item(name));
}

const Pool &PoolList::item(std::string_view name) const {
    const Pool *pool = find(name);
    if (pool == nullptr) {
        throw standardError(errc::kInvalidArgument, "PoolList.item");
    }
    return *pool;
}

Pool *PoolList::find(std::string_view name) {
    return const_cast<Pool *>(std::as_const(*this).find(name));
}

const Pool *PoolList::find(std::string_view name) const {
    auto it = m_positions.find(poolKey(name));
    return it == m_positions.end() ? nullptr : m_pools[it->second].get();
}

void PoolList::clear() {
    m_positions.clear();
    m_pools.clear();
}

} // namespace aql::config

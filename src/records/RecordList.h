#pragma once

#include "records/LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace aql::records {

// The records of one pool, in ascending recordNumber, equal numbers in arrival order, each key
// ("K" + number) at most once: a record whose key is present already is refused and the first
// arrival stays. Insertion finds its place through an ordered index (O(log n)), never by walking
// the list, so a 100,000-record log fills in milliseconds.
class RecordList {
public:
    enum class InsertResult { Inserted, KeyAlreadyPresent };

    RecordList();
    ~RecordList();
    RecordList(RecordList &&) noexcept;
    RecordList &operator=(RecordList &&) noexcept;
    RecordList(const RecordList &) = delete;
    RecordList &operator=(const RecordList &) = delete;

    InsertResult insert(LogRecord record);

    std::size_t count() const;
    bool empty() const { return count() == 0; }

    // 1-based position, as the windows count; position outside 1..count(): AqlError 9.
    const LogRecord &item(std::size_t position) const;

    // The record under this key, or null.
    const LogRecord *find(std::string_view key) const;
    bool contains(std::string_view key) const { return find(key) != nullptr; }

    void clear();

    // Calls f(const LogRecord &) for every record in list order.
    template <class F> void forEach(F &&f) const;

private:
    struct Impl;
    Impl *m_impl;
    // Visiting through a plain function pointer keeps the index type out of this header.
    void visit(void (*fn)(const LogRecord &, void *), void *context) const;
};

template <class F> void RecordList::forEach(F &&f) const {
    using Fn = std::remove_reference_t<F>;
    visit([](const LogRecord &r, void *ctx) { (*static_cast<Fn *>(ctx))(r); },
          const_cast<void *>(static_cast<const void *>(&f)));
}

} // namespace aql::records

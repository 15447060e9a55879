#pragma once

#include "records/LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

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

    InsertResult insert(const LogRecord &record);
    InsertResult insert(LogRecord &&record);

    // Inserts the records of `batch` as insert() would, one after the other in the batch's order,
    // and returns how many were inserted; the batch is left empty. A large batch in any order costs
    // one sort, where single inserts of scattered numbers would each search the list, and its
    // records are not copied: the batch's own storage is kept to hold them (closed up first when
    // some were refused).
    std::size_t insertAll(std::vector<LogRecord> &&batch);

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

// The record list is an index of (recordNumber, record) pairs kept in sorted chunks of at most
// kChunkCapacity entries, plus an arena that owns the records in arrival order. Finding a place
// is a binary search over the chunks' last numbers and then within one chunk; an insertion moves
// at most one chunk's entries. A log arriving in ascending order only ever appends.
//
// The key of a record is "K" + its number, so two records share a key exactly when they share a
// number: the duplicate test is the equal-number test of the same search.

#include "records/RecordList.h"

#include "core/Error.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <vector>

namespace aql::records {

namespace {
constexpr std::size_t kChunkCapacity = 512;
// Arena blocks grow from small to kArenaBlock records, so a list of a few records stays small.
constexpr std::size_t kFirstArenaBlock = 16;
constexpr std::size_t kArenaBlock = 1024;

struct Entry {
    std::int32_t number;
    LogRecord *record;
};

bool numberLess(const Entry &e, std::int32_t n) {
    return e.number < n;
}

// The number a canonical key stands for; false for anything that no record's key can equal.
bool numberFromKey(std::string_view key, std::int32_t &number) {
    if (key.size() < 2 || key[0] != 'K') {
        return false;
    }
    std::string_view digits = key.substr(1);
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
        return false;
    }
    // Only the exact text key() produces: no leading zeros, no "-0", no "+".
    return key == "K" + std::to_string(number);
}
} // namespace

struct RecordList::Impl {
    std::vector<std::unique_ptr<LogRecord[]>> arena;
    std::size_t usedInLastBlock = 0;
    std::size_t lastBlockSize = 0;
    std::vector<std::vector<Entry>> chunks;
    std::vector<std::int32_t> chunkLast; // last (highest) number of each chunk
    std::size_t count = 0;
    // Where the last positional read ended, so reading positions 1..n in order costs O(n).
    mutable std::size_t cacheChunk = 0;
    mutable std::size_t cacheStart = 0; // 0-based position of the first entry of cacheChunk

    LogRecord *store(LogRecord &&record) {
        if (usedInLastBlock == lastBlockSize) {
            lastBlockSize =
                lastBlockSize == 0 ? kFirstArenaBlock : std::min(lastBlockSize * 2, kArenaBlock);
            arena.emplace_back(new LogRecord[lastBlockSize]);
            usedInLastBlock = 0;
        }
        LogRecord *slot = &arena.back()[usedInLastBlock++];
        *slot = std::move(record);
        return slot;
    }

    const Entry *findEntry(std::int32_t number) const {
        auto c = std::lower_bound(chunkLast.begin(), chunkLast.end(), number);
        if (c == chunkLast.end()) {
            return nullptr;
        }
        const auto &chunk = chunks[static_cast<std::size_t>(c - chunkLast.begin())];
        auto e = std::lower_bound(chunk.begin(), chunk.end(), number, numberLess);
        return (e != chunk.end() && e->number == number) ? &*e : nullptr;
    }
};

RecordList::RecordList() : m_impl(new Impl) {}
RecordList::~RecordList() {
    delete m_impl;
}
RecordList::RecordList(RecordList &&other) noexcept : m_impl(other.m_impl) {
    other.m_impl = new Impl;
}
RecordList &RecordList::operator=(RecordList &&other) noexcept {
    std::swap(m_impl, other.m_impl);
    return *this;
}

RecordList::InsertResult RecordList::insert(LogRecord record) {
    Impl &d = *m_impl;
    const std::int32_t number = record.recordNumber;

    if (d.chunks.empty()) {
        d.chunks.emplace_back();
        d.chunks.back().reserve(kChunkCapacity);
        d.chunkLast.push_back(number);
    }
    auto c = std::lower_bound(d.chunkLast.begin(), d.chunkLast.end(), number);
    std::size_t ci = (c == d.chunkLast.end()) ? d.chunks.size() - 1
                                              : static_cast<std::size_t>(c - d.chunkLast.begin());
    auto &chunk = d.chunks[ci];
    auto pos = std::lower_bound(chunk.begin(), chunk.end(), number, numberLess);
    if (pos != chunk.end() && pos->number == number) {
        return InsertResult::KeyAlreadyPresent;
    }

    const bool appendAtEnd = (ci + 1 == d.chunks.size()) && pos == chunk.end();
    if (appendAtEnd && chunk.size() >= kChunkCapacity) {
        // Ascending arrival: start a new full-size chunk rather than splitting a full one.
        d.chunks.emplace_back();
        d.chunks.back().reserve(kChunkCapacity);
        d.chunks.back().push_back(Entry{number, d.store(std::move(record))});
        d.chunkLast.push_back(number);
    } else {
        chunk.insert(pos, Entry{number, d.store(std::move(record))});
        d.chunkLast[ci] = chunk.back().number;
        if (chunk.size() > kChunkCapacity) {
            std::vector<Entry> upper(chunk.begin() + static_cast<std::ptrdiff_t>(chunk.size() / 2),
                                     chunk.end());
            chunk.resize(chunk.size() / 2);
            upper.reserve(kChunkCapacity);
            d.chunkLast[ci] = chunk.back().number;
            d.chunkLast.insert(d.chunkLast.begin() + static_cast<std::ptrdiff_t>(ci) + 1,
                               upper.back().number);
            d.chunks.insert(d.chunks.begin() + static_cast<std::ptrdiff_t>(ci) + 1,
                            std::move(upper));
        }
    }
    ++d.count;
    d.cacheChunk = 0;
    d.cacheStart = 0;
    return InsertResult::Inserted;
}

std::size_t RecordList::count() const {
    return m_impl->count;
}

const LogRecord &RecordList::item(std::size_t position) const {
    const Impl &d = *m_impl;
    if (position < 1 || position > d.count) {
        throw standardError(errc::kSubscriptOutOfRange, "RecordList.item");
    }
    std::size_t index = position - 1;
    if (index < d.cacheStart) {
        d.cacheChunk = 0;
        d.cacheStart = 0;
    }
    while (index >= d.cacheStart + d.chunks[d.cacheChunk].size()) {
        d.cacheStart += d.chunks[d.cacheChunk].size();
        ++d.cacheChunk;
    }
    return *d.chunks[d.cacheChunk][index - d.cacheStart].record;
}

const LogRecord *RecordList::find(std::string_view key) const {
    std::int32_t number = 0;
    if (!numberFromKey(key, number)) {
        return nullptr;
    }
    const Entry *e = m_impl->findEntry(number);
    return e ? e->record : nullptr;
}

void RecordList::clear() {
    delete m_impl;
    m_impl = new Impl;
}

void RecordList::visit(void (*fn)(const LogRecord &, void *), void *context) const {
    for (const auto &chunk : m_impl->chunks) {
        for (const Entry &e : chunk) {
            fn(*e.record, context);
        }
    }
}

} // namespace aql::records

// The record list is an index of record numbers kept in sorted chunks of at most kChunkCapacity
// entries, plus an arena that owns the records in arrival order. Finding a place is a binary search
// over the chunks' last numbers and then within one chunk; an insertion moves at most one chunk's
// entries. A log arriving in ascending order only ever appends.
//
// The key of a record is "K" + its number, so two records share a key exactly when they share a
// number: the duplicate test is the equal-number test of the same search.

#include "records/RecordList.h"

#include "core/Error.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace aql::records {

namespace {
constexpr std::size_t kChunkCapacity = 512;
// Arena blocks grow from small to kArenaBlock records, so a list of a few records stays small.
constexpr std::size_t kFirstArenaBlock = 16;
constexpr std::size_t kArenaBlock = 1024;

// One stretch of the index. The numbers are held apart from the records so that the searches,
// which look at numbers only, touch a quarter of the memory: the index of a long log then stays
// in the processor's nearer caches.
struct Chunk {
    std::vector<std::int32_t> numbers; // ascending
    std::vector<LogRecord *> records;  // the record of the number at the same position
};

// The first of the `n` numbers from `first` that is not below `number`, as std::lower_bound finds
// it, but choosing each half without a branch: records read from a shuffled file would have the
// processor guess wrong at every other step.
const std::int32_t *lowerBound(const std::int32_t *first, std::size_t n, std::int32_t number) {
    while (n > 1) {
        const std::size_t half = n / 2;
        first = first[half - 1] < number ? first + half : first;
        n -= half;
    }
    return first + (n == 1 && *first < number ? 1 : 0);
}

std::size_t lowerBound(const std::vector<std::int32_t> &numbers, std::int32_t number) {
    return static_cast<std::size_t>(lowerBound(numbers.data(), numbers.size(), number) -
                                    numbers.data());
}

// Sorts the keys by their upper 32 bits, eight bits at a time from the lowest, keeping equal ones
// in the order they had (a least-significant-digit radix sort): four passes over the keys, where a
// comparison sort of a shuffled batch takes several times as long. A pass in which every key has
// the same eight bits changes nothing and is left out.
void sortByUpperHalf(std::vector<std::uint64_t> &keys) {
    std::vector<std::uint64_t> sorted(keys.size());
    for (unsigned shift = 32; shift < 64; shift += 8) {
        std::array<std::size_t, 256> start{};
        for (const std::uint64_t key : keys) {
            ++start[(key >> shift) & 0xFFu];
        }
        if (std::find(start.begin(), start.end(), keys.size()) != start.end()) {
            continue;
        }
        std::size_t total = 0;
        for (std::size_t &bucket : start) {
            total += std::exchange(bucket, total);
        }
        for (const std::uint64_t key : keys) {
            sorted[start[(key >> shift) & 0xFFu]++] = key;
        }
        keys.swap(sorted);
    }
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
    // Blocks filled up to their capacity and never beyond, so a record never moves.
    std::vector<std::vector<LogRecord>> arena;
    std::vector<Chunk> chunks;
    std::vector<std::int32_t> chunkLast; // last (highest) number of each chunk
    std::size_t count = 0;
    // Where the last positional read ended, so reading positions 1..n in order costs O(n).
    mutable std::size_t cacheChunk = 0;
    mutable std::size_t cacheStart = 0; // 0-based position of the first entry of cacheChunk

    LogRecord *store(LogRecord &&record) {
        if (arena.empty() || arena.back().size() == arena.back().capacity()) {
            const std::size_t size = arena.empty()
                                         ? kFirstArenaBlock
                                         : std::min(arena.back().capacity() * 2, kArenaBlock);
            arena.emplace_back();
            arena.back().reserve(size);
        }
        arena.back().push_back(std::move(record));
        return &arena.back().back();
    }

    void addChunk(std::size_t at) {
        Chunk &chunk = *chunks.emplace(chunks.begin() + static_cast<std::ptrdiff_t>(at));
        chunk.numbers.reserve(kChunkCapacity);
        chunk.records.reserve(kChunkCapacity);
    }

    // The chunk where `number` stands or belongs: the first whose last number is not below it,
    // or the last chunk for a number above all.
    std::size_t chunkFor(std::int32_t number) const {
        const std::size_t c = lowerBound(chunkLast, number);
        return c == chunkLast.size() ? c - 1 : c;
    }

    LogRecord *find(std::int32_t number) const {
        if (chunks.empty()) {
            return nullptr;
        }
        const Chunk &chunk = chunks[chunkFor(number)];
        const std::size_t at = lowerBound(chunk.numbers, number);
        return at != chunk.numbers.size() && chunk.numbers[at] == number ? chunk.records[at]
                                                                         : nullptr;
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

RecordList::InsertResult RecordList::insert(const LogRecord &record) {
    return insert(LogRecord(record));
}

RecordList::InsertResult RecordList::insert(LogRecord &&record) {
    Impl &d = *m_impl;
    const std::int32_t number = record.recordNumber;

    if (d.chunks.empty()) {
        d.addChunk(0);
        d.chunkLast.push_back(number);
    }
    const std::size_t ci = d.chunkFor(number);
    const std::size_t at = lowerBound(d.chunks[ci].numbers, number);
    if (at != d.chunks[ci].numbers.size() && d.chunks[ci].numbers[at] == number) {
        return InsertResult::KeyAlreadyPresent;
    }

    if (ci + 1 == d.chunks.size() && at == d.chunks[ci].numbers.size() &&
        d.chunks[ci].numbers.size() >= kChunkCapacity) {
        // Ascending arrival: start a new full-size chunk rather than splitting a full one.
        d.addChunk(ci + 1);
        d.chunks[ci + 1].numbers.push_back(number);
        d.chunks[ci + 1].records.push_back(d.store(std::move(record)));
        d.chunkLast.push_back(number);
    } else {
        Chunk &chunk = d.chunks[ci];
        chunk.numbers.insert(chunk.numbers.begin() + static_cast<std::ptrdiff_t>(at), number);
        chunk.records.insert(chunk.records.begin() + static_cast<std::ptrdiff_t>(at),
                             d.store(std::move(record)));
        d.chunkLast[ci] = chunk.numbers.back();
        if (chunk.numbers.size() > kChunkCapacity) {
            // The upper half moves to a new chunk after this one.
            const auto half = static_cast<std::ptrdiff_t>(chunk.numbers.size() / 2);
            d.addChunk(ci + 1);
            Chunk &lower = d.chunks[ci]; // the insertion above may have moved the chunks
            Chunk &upper = d.chunks[ci + 1];
            upper.numbers.assign(lower.numbers.begin() + half, lower.numbers.end());
            upper.records.assign(lower.records.begin() + half, lower.records.end());
            lower.numbers.resize(static_cast<std::size_t>(half));
            lower.records.resize(static_cast<std::size_t>(half));
            d.chunkLast[ci] = lower.numbers.back();
            d.chunkLast.insert(d.chunkLast.begin() + static_cast<std::ptrdiff_t>(ci) + 1,
                               upper.numbers.back());
        }
    }
    ++d.count;
    d.cacheChunk = 0;
    d.cacheStart = 0;
    return InsertResult::Inserted;
}

std::size_t RecordList::insertAll(std::vector<LogRecord> &&batch) {
    Impl &d = *m_impl;
    if (batch.empty()) {
        return 0;
    }
    if (batch.size() > std::numeric_limits<std::uint32_t>::max()) {
        // Beyond what a sort key below can number; never met in practice.
        std::size_t inserted = 0;
        for (LogRecord &record : batch) {
            inserted += insert(std::move(record)) == InsertResult::Inserted ? 1 : 0;
        }
        batch.clear();
        return inserted;
    }

    // Each record's number (made unsigned, order kept) above its position in the batch: sorted by
    // number, equal numbers stay in arrival order, so the first of them is the first arrival.
    std::vector<std::uint64_t> order(batch.size());
    for (std::size_t i = 0; i < batch.size(); ++i) {
        const auto number = static_cast<std::uint32_t>(batch[i].recordNumber) ^ 0x8000'0000u;
        order[i] = std::uint64_t{number} << 32 | i;
    }
    sortByUpperHalf(order);
    auto numberOf = [](std::uint64_t key) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(key >> 32) ^ 0x8000'0000u);
    };
    auto positionOf = [](std::uint64_t key) {
        return static_cast<std::size_t>(key & 0xFFFF'FFFFu);
    };

    // Only the first arrival of every number the list does not hold yet stays in the order; the
    // list's numbers are walked beside it.
    std::size_t kept = 0;
    std::size_t chunk = 0;
    std::size_t inChunk = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::int32_t number = numberOf(order[i]);
        if (kept > 0 && numberOf(order[kept - 1]) == number) {
            continue;
        }
        while (chunk < d.chunks.size() && d.chunks[chunk].numbers[inChunk] < number) {
            if (++inChunk == d.chunks[chunk].numbers.size()) {
                ++chunk;
                inChunk = 0;
            }
        }
        if (chunk < d.chunks.size() && d.chunks[chunk].numbers[inChunk] == number) {
            continue;
        }
        order[kept++] = order[i];
    }
    order.resize(kept);
    if (kept == 0) {
        batch.clear();
        return 0;
    }
    if (kept < batch.size()) {
        // Some were refused: the others close up, in arrival order, and their positions follow.
        std::vector<std::size_t> newPosition(batch.size(), batch.size());
        for (const std::uint64_t key : order) {
            newPosition[positionOf(key)] = 0;
        }
        std::size_t to = 0;
        for (std::size_t from = 0; from < batch.size(); ++from) {
            if (newPosition[from] != batch.size()) {
                if (to != from) {
                    batch[to] = std::move(batch[from]);
                }
                newPosition[from] = to++;
            }
        }
        batch.erase(batch.begin() + static_cast<std::ptrdiff_t>(kept), batch.end());
        for (std::uint64_t &key : order) {
            key = (key & ~std::uint64_t{0xFFFF'FFFFu}) | newPosition[positionOf(key)];
        }
    }
    // The batch's storage becomes a block of the arena as it stands: nothing is copied.
    std::vector<LogRecord> &block = d.arena.emplace_back(std::move(batch));

    // The index built anew from the old entries and the new ones, merged in number order.
    std::vector<Chunk> merged;
    auto append = [&merged](std::int32_t number, LogRecord *record) {
        if (merged.empty() || merged.back().numbers.size() == kChunkCapacity) {
            Chunk &c = merged.emplace_back();
            c.numbers.reserve(kChunkCapacity);
            c.records.reserve(kChunkCapacity);
        }
        merged.back().numbers.push_back(number);
        merged.back().records.push_back(record);
    };
    auto next = order.begin();
    auto appendNewBelow = [&](std::int64_t bound) {
        for (; next != order.end() && numberOf(*next) < bound; ++next) {
            append(numberOf(*next), &block[positionOf(*next)]);
        }
    };
    for (const Chunk &c : d.chunks) {
        for (std::size_t i = 0; i < c.numbers.size(); ++i) {
            appendNewBelow(c.numbers[i]);
            append(c.numbers[i], c.records[i]);
        }
    }
    appendNewBelow(std::numeric_limits<std::int64_t>::max());
    d.chunks = std::move(merged);
    d.chunkLast.clear();
    for (const Chunk &c : d.chunks) {
        d.chunkLast.push_back(c.numbers.back());
    }
    d.count += kept;
    d.cacheChunk = 0;
    d.cacheStart = 0;
    return kept;
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
    while (index >= d.cacheStart + d.chunks[d.cacheChunk].records.size()) {
        d.cacheStart += d.chunks[d.cacheChunk].records.size();
        ++d.cacheChunk;
    }
    return *d.chunks[d.cacheChunk].records[index - d.cacheStart];
}

const LogRecord *RecordList::find(std::string_view key) const {
    std::int32_t number = 0;
    if (!numberFromKey(key, number)) {
        return nullptr;
    }
    return m_impl->find(number);
}

void RecordList::clear() {
    delete m_impl;
    m_impl = new Impl;
}

void RecordList::visit(void (*fn)(const LogRecord &, void *), void *context) const {
    for (const Chunk &chunk : m_impl->chunks) {
        for (const LogRecord *record : chunk.records) {
            fn(*record, context);
        }
    }
}

} // namespace aql::records

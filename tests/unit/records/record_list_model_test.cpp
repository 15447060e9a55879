// The record list against the simplest structure that is obviously right, an ordered map, over
// thousands of inserts in the orders a log really arrives in (and worse), far past one chunk.

#include "records/RecordList.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace aql::records {
namespace {

LogRecord numbered(std::int32_t number, std::int32_t arrival) {
    LogRecord record;
    record.recordNumber = number;
    record.recordKey = arrival; // tells the first arrival of a number from a later one
    return record;
}

std::string keyOf(std::int32_t number) {
    return "K" + std::to_string(number);
}

class Model {
public:
    bool insert(std::int32_t number, std::int32_t arrival) {
        const bool fresh = m_firstArrival.emplace(number, arrival).second;
        if (fresh) {
            m_numbers.insert(std::lower_bound(m_numbers.begin(), m_numbers.end(), number), number);
        }
        return fresh;
    }
    std::size_t count() const { return m_numbers.size(); }
    bool has(std::int32_t number) const { return m_firstArrival.count(number) != 0; }
    std::int32_t numberAt(std::size_t position) const { return m_numbers[position - 1]; }
    std::int32_t arrivalOf(std::int32_t number) const { return m_firstArrival.at(number); }
    std::size_t positionOf(std::int32_t number) const {
        return static_cast<std::size_t>(
                   std::lower_bound(m_numbers.begin(), m_numbers.end(), number) -
                   m_numbers.begin()) +
               1;
    }
    const std::vector<std::int32_t> &numbers() const { return m_numbers; }

private:
    std::map<std::int32_t, std::int32_t> m_firstArrival;
    std::vector<std::int32_t> m_numbers;
};

struct Sequence {
    const char *name;
    std::vector<std::int32_t> numbers;
};

std::vector<Sequence> sequences() {
    std::mt19937 random(20240603);
    std::vector<Sequence> all;

    std::vector<std::int32_t> shuffled;
    for (std::int32_t n = 1; n <= 5000; ++n) {
        for (unsigned copies = 1 + random() % 3; copies > 0; --copies) {
            shuffled.push_back(n);
        }
    }
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    all.push_back({"shuffled with repeats", shuffled});

    std::vector<std::int32_t> descending;
    for (std::int32_t n = 4000; n >= 1; --n) {
        descending.push_back(n);
        if (n % 3 == 0) {
            descending.push_back(n);
        }
        if (n % 7 == 0) {
            descending.push_back(n + 100);
        }
    }
    all.push_back({"descending with repeats", descending});

    // A log read in two passes: every second record first, then the gaps from the top down.
    std::vector<std::int32_t> gaps;
    for (std::int32_t n = 0; n <= 6000; n += 2) {
        gaps.push_back(n);
    }
    for (std::int32_t n = 5999; n >= 1; n -= 2) {
        gaps.push_back(n);
        gaps.push_back(n - 1);
    }
    all.push_back({"ascending then the gaps descending", gaps});

    // One narrow range hammered after the list has grown: the same chunk splits again and again.
    std::vector<std::int32_t> cluster;
    cluster.reserve(7000);
    for (std::int32_t n = 0; n < 3000; ++n) {
        cluster.push_back(n * 1000);
    }
    for (int i = 0; i < 4000; ++i) {
        cluster.push_back(1'500'000 + static_cast<std::int32_t>(random() % 3000));
    }
    all.push_back({"a cluster inside a long ascending list", cluster});

    std::vector<std::int32_t> extremes = {std::numeric_limits<std::int32_t>::max(),
                                          std::numeric_limits<std::int32_t>::min(), 0, -1};
    for (int i = 0; i < 3000; ++i) {
        extremes.push_back(static_cast<std::int32_t>(random()));
        extremes.push_back(-static_cast<std::int32_t>(random() % 2000));
    }
    extremes.push_back(std::numeric_limits<std::int32_t>::min());
    all.push_back({"negative and extreme numbers", extremes});
    return all;
}

// Every read the windows make, in an order where a cache or chunk bound left stale by the last
// insert would be trusted: the last position first (never below a stale cache), then others.
void expectSameReads(const RecordList &list, const Model &model, std::int32_t inserted,
                     std::mt19937 &random) {
    const std::size_t count = model.count();
    const std::size_t positions[] = {count, 1 + random() % count, model.positionOf(inserted),
                                     1 + random() % count, count};
    for (const std::size_t position : positions) {
        ASSERT_EQ(list.item(position).recordNumber, model.numberAt(position))
            << "item(" << position << ") of " << count;
    }
    for (const std::int32_t number : {inserted, model.numberAt(1 + random() % count)}) {
        const LogRecord *found = list.find(keyOf(number));
        ASSERT_NE(found, nullptr) << keyOf(number);
        EXPECT_EQ(found->recordKey, model.arrivalOf(number)) << "first arrival stays";
    }
    // The neighbours of the extreme numbers would overflow: only those that exist are asked.
    for (const std::int64_t wide : {std::int64_t{inserted} - 1, std::int64_t{inserted} + 1}) {
        if (wide < std::numeric_limits<std::int32_t>::min() ||
            wide > std::numeric_limits<std::int32_t>::max()) {
            continue;
        }
        const auto near = static_cast<std::int32_t>(wide);
        EXPECT_EQ(list.contains(keyOf(near)), model.has(near)) << keyOf(near);
    }
}

void expectSameList(const RecordList &list, const Model &model) {
    ASSERT_EQ(list.count(), model.count());
    for (std::size_t position = 1; position <= model.count(); ++position) {
        ASSERT_EQ(list.item(position).recordNumber, model.numberAt(position))
            << "item(" << position << ")";
    }
    std::vector<std::int32_t> visited;
    list.forEach([&](const LogRecord &record) { visited.push_back(record.recordNumber); });
    ASSERT_EQ(visited, model.numbers());
    for (const std::int32_t number : model.numbers()) {
        ASSERT_TRUE(list.contains(keyOf(number))) << keyOf(number);
    }
}

TEST(RecordListModel, agreesWithAnOrderedMapAfterEveryInsert) {
    for (const Sequence &sequence : sequences()) {
        SCOPED_TRACE(sequence.name);
        RecordList list;
        Model model;
        std::mt19937 random(1);
        for (std::size_t i = 0; i < sequence.numbers.size(); ++i) {
            const std::int32_t number = sequence.numbers[i];
            const auto arrival = static_cast<std::int32_t>(i);
            const auto expected = model.insert(number, arrival)
                                      ? RecordList::InsertResult::Inserted
                                      : RecordList::InsertResult::KeyAlreadyPresent;
            ASSERT_EQ(list.insert(numbered(number, arrival)), expected)
                << "insert #" << i << " of " << number;
            ASSERT_EQ(list.count(), model.count()) << "after insert #" << i;
            ASSERT_NO_FATAL_FAILURE(expectSameReads(list, model, number, random))
                << "after insert #" << i << " of " << number;
            if (i % 97 == 0) {
                ASSERT_NO_FATAL_FAILURE(expectSameList(list, model)) << "after insert #" << i;
            }
        }
        ASSERT_GT(model.count(), 2000u);
        ASSERT_NO_FATAL_FAILURE(expectSameList(list, model));
        EXPECT_EQ(test::errorNumberOf([&] { list.item(0); }), 9);
        EXPECT_EQ(test::errorNumberOf([&] { list.item(model.count() + 1); }), 9);
    }
}

// The same sequences in batches of every size from one record to thousands, mixed with single
// inserts between them: each batch must leave the list as its records inserted one by one would,
// and say how many it inserted. Records held before a batch must stay where they are in memory.
TEST(RecordListModel, batchesAgreeWithAnOrderedMapAsTheirRecordsOneByOneWould) {
    for (const Sequence &sequence : sequences()) {
        SCOPED_TRACE(sequence.name);
        RecordList list;
        Model model;
        std::mt19937 random(2);
        std::size_t i = 0;
        while (i < sequence.numbers.size()) {
            const std::size_t size =
                std::min<std::size_t>(sequence.numbers.size() - i,
                                      random() % 4 == 0 ? 1 + random() % 5000 : random() % 40);
            if (size == 1 && random() % 2 == 0) {
                const std::int32_t number = sequence.numbers[i];
                const auto arrival = static_cast<std::int32_t>(i);
                ASSERT_EQ(list.insert(numbered(number, arrival)) ==
                              RecordList::InsertResult::Inserted,
                          model.insert(number, arrival));
                ++i;
                continue;
            }
            const LogRecord *held =
                list.empty() ? nullptr : &list.item(1 + random() % list.count());
            const std::int32_t heldNumber = held ? held->recordNumber : 0;
            std::vector<LogRecord> batch;
            std::size_t fresh = 0;
            for (std::size_t k = 0; k < size; ++k, ++i) {
                const auto arrival = static_cast<std::int32_t>(i);
                batch.push_back(numbered(sequence.numbers[i], arrival));
                fresh += model.insert(sequence.numbers[i], arrival) ? 1 : 0;
            }
            ASSERT_EQ(list.insertAll(std::move(batch)), fresh) << "batch ending at #" << i;
            ASSERT_EQ(list.count(), model.count()) << "after the batch ending at #" << i;
            if (held != nullptr) {
                ASSERT_EQ(list.find(keyOf(heldNumber)), held) << "a record held moved";
            }
            ASSERT_NO_FATAL_FAILURE(expectSameReads(list, model, sequence.numbers[i - 1], random))
                << "after the batch ending at #" << i;
            ASSERT_NO_FATAL_FAILURE(expectSameList(list, model))
                << "after the batch ending at #" << i;
        }
        // Single inserts after batches find their places in the index the batches built.
        for (std::int32_t n = 0; n < 3000; ++n) {
            const std::int32_t seen =
                sequence.numbers[static_cast<std::size_t>(n) * 7 % sequence.numbers.size()];
            const std::int32_t number =
                n % 3 == 0 && seen < std::numeric_limits<std::int32_t>::max() ? seen + 1 : seen;
            ASSERT_EQ(list.insert(numbered(number, -n)) == RecordList::InsertResult::Inserted,
                      model.insert(number, -n));
            ASSERT_NO_FATAL_FAILURE(expectSameReads(list, model, number, random));
        }
        ASSERT_NO_FATAL_FAILURE(expectSameList(list, model));
    }
    RecordList list;
    EXPECT_EQ(list.insertAll({}), 0u);
    EXPECT_TRUE(list.empty());
}

} // namespace
} // namespace aql::records

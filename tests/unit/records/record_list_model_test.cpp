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

using Int = std::int32_t;
constexpr Int kMax = std::numeric_limits<Int>::max();
constexpr Int kMin = std::numeric_limits<Int>::min();

LogRecord numbered(Int number, Int arrival) {
    LogRecord record;
    record.recordNumber = number;
    record.recordKey = arrival; // tells the first arrival of a number from a later one
    return record;
}

std::string keyOf(std::int64_t number) {
    return "K" + std::to_string(number);
}

struct Model {
    std::map<Int, Int> firstArrival;
    std::vector<Int> numbers; // in order

    bool insert(Int number, Int arrival) {
        const bool fresh = firstArrival.emplace(number, arrival).second;
        if (fresh) {
            numbers.insert(std::lower_bound(numbers.begin(), numbers.end(), number), number);
        }
        return fresh;
    }
    std::size_t positionOf(Int number) const {
        return static_cast<std::size_t>(std::lower_bound(numbers.begin(), numbers.end(), number) -
                                        numbers.begin() + 1);
    }
};

std::vector<std::pair<const char *, std::vector<Int>>> sequences() {
    std::mt19937 random(20240603);
    std::vector<Int> shuffled, descending, gaps, cluster, extremes = {kMax, kMin, 0, -1};
    for (Int n = 1; n <= 5000; ++n) {
        shuffled.insert(shuffled.end(), 1 + random() % 3, n);
    }
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    for (Int n = 4000; n >= 1; --n) {
        descending.insert(descending.end(), n % 3 == 0 ? 2 : 1, n);
        if (n % 7 == 0) {
            descending.push_back(n + 100);
        }
    }
    // A log read in two passes: every second record first, then the gaps from the top down.
    for (Int n = 0; n <= 6000; n += 2) {
        gaps.push_back(n);
    }
    for (Int n = 5999; n >= 1; n -= 2) {
        gaps.insert(gaps.end(), {n, n - 1});
    }
    // One narrow range hammered after the list has grown: the same chunk splits again and again.
    for (Int n = 0; n < 3000; ++n) {
        cluster.push_back(n * 1000);
    }
    for (int i = 0; i < 4000; ++i) {
        cluster.push_back(1'500'000 + static_cast<Int>(random() % 3000));
    }
    for (int i = 0; i < 3000; ++i) {
        extremes.push_back(static_cast<Int>(random()));
        extremes.push_back(-static_cast<Int>(random() % 2000));
    }
    extremes.push_back(kMin);
    return {{"shuffled with repeats", shuffled},
            {"descending with repeats", descending},
            {"ascending then the gaps descending", gaps},
            {"a cluster inside a long ascending list", cluster},
            {"negative and extreme numbers", extremes}};
}

// Every read the windows make, in an order where a cache or chunk bound left stale by the last
// insert would be trusted: the last position first (never below a stale cache), then others.
void expectSameReads(const RecordList &list, const Model &model, Int inserted,
                     std::mt19937 &random) {
    const std::size_t count = model.numbers.size();
    for (const std::size_t position :
         {count, 1 + random() % count, model.positionOf(inserted), 1 + random() % count, count}) {
        ASSERT_EQ(list.item(position).recordNumber, model.numbers[position - 1])
            << "item(" << position << ") of " << count;
    }
    for (const Int number : {inserted, model.numbers[random() % count]}) {
        const LogRecord *found = list.find(keyOf(number));
        ASSERT_NE(found, nullptr) << keyOf(number);
        EXPECT_EQ(found->recordKey, model.firstArrival.at(number)) << "first arrival stays";
    }
    for (const std::int64_t near : {std::int64_t{inserted} - 1, std::int64_t{inserted} + 1}) {
        if (near >= kMin && near <= kMax) {
            EXPECT_EQ(list.contains(keyOf(near)),
                      model.firstArrival.count(static_cast<Int>(near)) != 0)
                << keyOf(near);
        }
    }
}

void expectSameList(const RecordList &list, const Model &model) {
    ASSERT_EQ(list.count(), model.numbers.size());
    for (std::size_t position = 1; position <= model.numbers.size(); ++position) {
        ASSERT_EQ(list.item(position).recordNumber, model.numbers[position - 1]) << position;
    }
    std::vector<Int> visited;
    list.forEach([&](const LogRecord &record) { visited.push_back(record.recordNumber); });
    ASSERT_EQ(visited, model.numbers);
    for (const Int number : model.numbers) {
        ASSERT_TRUE(list.contains(keyOf(number))) << keyOf(number);
    }
}

TEST(RecordListModel, agreesWithAnOrderedMapAfterEveryInsert) {
    for (const auto &[name, numbers] : sequences()) {
        SCOPED_TRACE(name);
        RecordList list;
        Model model;
        std::mt19937 random(1);
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            const auto arrival = static_cast<Int>(i);
            const auto expected = model.insert(numbers[i], arrival)
                                      ? RecordList::InsertResult::Inserted
                                      : RecordList::InsertResult::KeyAlreadyPresent;
            ASSERT_EQ(list.insert(numbered(numbers[i], arrival)), expected) << "insert #" << i;
            ASSERT_EQ(list.count(), model.numbers.size()) << "after insert #" << i;
            ASSERT_NO_FATAL_FAILURE(expectSameReads(list, model, numbers[i], random)) << i;
            if (i % 97 == 0) {
                ASSERT_NO_FATAL_FAILURE(expectSameList(list, model)) << "after insert #" << i;
            }
        }
        ASSERT_GT(model.numbers.size(), 2000u);
        ASSERT_NO_FATAL_FAILURE(expectSameList(list, model));
        EXPECT_EQ(test::errorNumberOf([&] { list.item(0); }), 9);
        EXPECT_EQ(test::errorNumberOf([&] { list.item(model.numbers.size() + 1); }), 9);
    }
}

// The same sequences in batches of every size from one record to thousands, mixed with single
// inserts between them: each batch must leave the list as its records inserted one by one would,
// and say how many it inserted. Records held before a batch must stay where they are in memory.
TEST(RecordListModel, batchesAgreeWithAnOrderedMapAsTheirRecordsOneByOneWould) {
    for (const auto &[name, numbers] : sequences()) {
        SCOPED_TRACE(name);
        RecordList list;
        Model model;
        std::mt19937 random(2);
        for (std::size_t i = 0; i < numbers.size();) {
            const std::size_t size = std::min<std::size_t>(
                numbers.size() - i, random() % 4 == 0 ? 1 + random() % 5000 : random() % 40);
            if (size == 1 && random() % 2 == 0) {
                const auto arrival = static_cast<Int>(i);
                ASSERT_EQ(list.insert(numbered(numbers[i], arrival)) ==
                              RecordList::InsertResult::Inserted,
                          model.insert(numbers[i], arrival));
                ++i;
                continue;
            }
            const LogRecord *held =
                list.empty() ? nullptr : &list.item(1 + random() % list.count());
            const Int heldNumber = held ? held->recordNumber : 0;
            std::vector<LogRecord> batch;
            std::size_t fresh = 0;
            for (std::size_t k = 0; k < size; ++k, ++i) {
                batch.push_back(numbered(numbers[i], static_cast<Int>(i)));
                fresh += model.insert(numbers[i], static_cast<Int>(i)) ? 1 : 0;
            }
            ASSERT_EQ(list.insertAll(std::move(batch)), fresh) << "batch ending at #" << i;
            if (held != nullptr) {
                ASSERT_EQ(list.find(keyOf(heldNumber)), held) << "a record held moved";
            }
            ASSERT_NO_FATAL_FAILURE(expectSameReads(list, model, numbers[i - 1], random)) << i;
            ASSERT_NO_FATAL_FAILURE(expectSameList(list, model))
                << "after the batch ending at #" << i;
        }
        // Single inserts after batches find their places in the index the batches built.
        for (Int n = 0; n < 3000; ++n) {
            const Int seen = numbers[static_cast<std::size_t>(n) * 7 % numbers.size()];
            const Int number = n % 3 == 0 && seen < kMax ? seen + 1 : seen;
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

#pragma once

#include "core/TextId.h"
#include "trend/Series.h"

#include <functional>
#include <string>

namespace aql::trend {

// The language table as the trend window reads it: text number in, text out ("####-n-####" for a
// number the table does not have).
using TextSource = std::function<std::string(int)>;

// The first and last of the trend window's texts (TextId::Trend...).
constexpr int kFirstTrendText = TextId::TrendTitle;
constexpr int kLastTrendText = TextId::TrendRecordWord;

// The text number of a series' name.
constexpr int seriesText(Series s) {
    return TextId::TrendPh + static_cast<int>(indexOf(s));
}

// The English text of a trend text number; "" for a number that is not one.
const char *englishTrendText(int id);

// Text `id` from `texts`; the English one where the table has none (a language file of an older
// program, or one somebody edited), so the window never shows a placeholder.
std::string trendText(const TextSource &texts, int id);

} // namespace aql::trend

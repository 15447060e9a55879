#pragma once

#include "trend/Series.h"

#include <functional>
#include <string>

namespace aql::trend {

// The language table as the trend window reads it: text number in, text out ("####-n-####" for a
// number the table does not have).
using TextSource = std::function<std::string(int)>;

// The numbers of the trend window's language texts. They continue the language files' numbering;
// until a language file carries one, the English text below stands in for it.
struct TrendText {
    enum : int {
        WindowTitle = 230,
        TimeAxisTitle = 231,
        PhLabel = 232, // the fifteen series, in the order of the Series enumeration
        WaterTemperatureLabel = 246,
        OutsideLimits = 247,
        PanEarlier = 248,
        PanLater = 249,
        ZoomIn = 250,
        ZoomOut = 251,
        ZoomBack = 252,
        WholeLog = 253,
        SavePng = 254,
        Close = 255,
        Hint = 256,
        ReadoutIdle = 257,
        RecordsCharted = 258,
        ImpossibleTimestamps = 259,
        WithoutValues = 260,
        ClockSetBack = 261,
        NothingToChart = 262,
        PngFilter = 263,
        ChartSaved = 264,
        ChartNotSaved = 265,
        SeriesPanelTitle = 266,
        RecordLabel = 267,
        First = WindowTitle,
        Last = RecordLabel,
    };
};

// The text number of a series' name.
constexpr int seriesText(Series s) {
    return TrendText::PhLabel + static_cast<int>(indexOf(s));
}

// The English text of a trend text number; "" for a number that is not one.
const char *englishTrendText(int id);

// Text `id` from `texts`, or the English one where the table has none.
std::string trendText(const TextSource &texts, int id);

} // namespace aql::trend

#include "trend/TrendTexts.h"

#include <array>

namespace aql::trend {
namespace {

constexpr std::array<const char *, kLastTrendText - kFirstTrendText + 1> kEnglish{{
    "Trend",
    "Time (controller clock)",
    "pH",
    "pH setpoint",
    "pH high alarm",
    "pH low alarm",
    "Reagent",
    "Reagent setpoint",
    "Reagent high alarm",
    "Reagent low alarm",
    "Flow",
    "Flow low alarm",
    "Flow stop alarm",
    "Redox",
    "Redox high alarm",
    "Redox low alarm",
    "Water temperature",
    "Outside alarm limits",
    "Earlier",
    "Later",
    "Zoom &in",
    "Zoom &out",
    "&Back",
    "&Whole log",
    "Save as &PNG...",
    "&Close",
    "Drag across the chart to zoom in; drag with the right button or use the arrow keys to pan; "
    "right-click to go back.",
    "Point at the chart to read its values.",
    "Records in the chart:",
    "Left out, impossible timestamp:",
    "Left out, no values:",
    "Clock set back:",
    "There are no records with a valid timestamp to chart.",
    "PNG images",
    "The chart has been saved as",
    "The chart could not be saved.",
    "Show",
    "record",
}};

static_assert(TextId::TrendWaterTemperature - TextId::TrendPh + 1 == kSeriesCount,
              "one text per series");

} // namespace

const char *englishTrendText(int id) {
    if (id < kFirstTrendText || id > kLastTrendText) {
        return "";
    }
    return kEnglish[static_cast<std::size_t>(id - kFirstTrendText)];
}

std::string trendText(const TextSource &texts, int id) {
    if (texts) {
        std::string text = texts(id);
        if (text != "####-" + std::to_string(id) + "-####") {
            return text;
        }
    }
    return englishTrendText(id);
}

} // namespace aql::trend

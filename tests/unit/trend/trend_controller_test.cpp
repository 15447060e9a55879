#include "records/LogRecord.h"
#include "trend/Calendar.h"
#include "trend/TrendController.h"

#include "support/LinkFakes.h"
#include "support/MemoryFileSaver.h"
#include "support/WindowFakes.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace aql::trend;
using Strings = std::vector<std::string>;

namespace {

constexpr std::int64_t kStart = 1236434400;         // 2009-03-07 14:00
constexpr std::int64_t kStep = 600;                 // a record every ten minutes
constexpr std::int64_t kEnd = kStart + kStep * 144; // a day: 145 records

RecordReading reading(int number, std::int64_t time) {
    RecordReading r;
    r.recordNumber = number;
    r.moment = momentAt(time);
    const std::pair<Series, double> values[] = {
        {Series::Ph, 7.0 + 0.01 * (number % 50)},
        {Series::PhSetpoint, 7.2},
        {Series::PhHighAlarm, 7.6},
        {Series::PhLowAlarm, 6.8},
        {Series::Reagent, 100 + number % 7},
        {Series::ReagentHighAlarm, 150},
        {Series::ReagentLowAlarm, 50},
        {Series::Flow, 20},
        {Series::FlowLowAlarm, 10},
    };
    for (const auto &[series, value] : values) {
        r.values[indexOf(series)] = value;
    }
    return r;
}

TrendModel dayLog(bool withRedox = false) {
    TrendBuilder builder;
    for (int i = 0; i < 145; ++i) {
        RecordReading r = reading(i + 1, kStart + kStep * i);
        if (withRedox) {
            r.values[indexOf(Series::Redox)] = 700;
        }
        builder.add(r);
    }
    return builder.build();
}

// Dutch for a few texts, nothing for the others: the table of a language file not yet extended.
std::string partlyDutch(int n) {
    static const std::map<int, std::string> kDutch = {
        {aql::TextId::TrendTitle, "Trendgrafiek"},
        {seriesText(Series::Ph), "zuurgraad"},
        {aql::TextId::TrendRecordWord, "regel"},
    };
    const auto it = kDutch.find(n);
    return it != kDutch.end() ? it->second : "####-" + std::to_string(n) + "-####";
}

using Range = std::pair<std::int64_t, std::int64_t>;

struct Rig {
    aql::test::MemoryFileSaver files;
    aql::test::ScriptedFileDialog dialog;
    aql::test::RecordingMessageBox box;
    TrendController controller;

    explicit Rig(TrendModel model = dayLog(), TextSource texts = nullptr,
                 std::string pool = "Pool 1")
        : controller(std::move(model), std::move(pool), std::move(texts), files, dialog, box,
                     "/data") {
        files.addFolder("/data");
    }
    const TrendController::View &view() const { return controller.view(); }
    Range visible() const { return {view().visible.from, view().visible.to}; }
    Strings paneTitles() const {
        Strings out;
        for (const auto &pane : view().panes) {
            out.push_back(pane.axisTitle + (pane.visible ? "" : " (hidden)"));
        }
        return out;
    }
};

} // namespace

TEST(TrendController, panesFollowTheQuantitiesTheRecordsCarry) {
    Rig plain;
    EXPECT_EQ(plain.paneTitles(), (Strings{"pH", "Reagent", "Flow (m3/h)"}));
    ASSERT_EQ(plain.view().panes[2].series.size(), 3u);
    EXPECT_EQ(plain.view().windowTitle, "Trend - Pool 1");
    EXPECT_EQ(plain.view().chartTitle, "Pool 1  2009-03-07 14:00 - 2009-03-08 14:00");

    Rig redox(dayLog(true));
    EXPECT_EQ(redox.paneTitles(), (Strings{"pH", "Reagent", "Flow (m3/h)", "Redox (mV)"}));
    EXPECT_TRUE(redox.view().shown.contains(Series::Redox));
    plain.controller.setShown(Series::Redox, true); // a series the log lacks cannot be shown
    EXPECT_FALSE(plain.view().shown.contains(Series::Redox));
}

TEST(TrendController, zoomStaysWithinTheLogAndIsNeverNarrowerThanTenMinutes) {
    const std::pair<Range, Range> cases[] = {
        {{kStart + 7200, kStart + 3600}, {kStart + 3600, kStart + 7200}}, // either order
        {{kStart + 3600, kStart + 3660}, {kStart + 3330, kStart + 3930}}, // ten minutes around
        {{kEnd - 1000, kEnd + 1000}, {kEnd - 2000, kEnd}},                // moved back inside
        {{kStart - 86400, kEnd + 86400}, {kStart, kEnd}},                 // wider than the log
    };
    for (const auto &[asked, shown] : cases) {
        Rig rig;
        rig.controller.zoomTo(asked.first, asked.second);
        EXPECT_EQ(rig.visible(), shown) << asked.first - kStart;
        EXPECT_EQ(rig.view().zoomed, shown != Range(kStart, kEnd)) << asked.first - kStart;
    }
    Rig rig;
    rig.controller.zoomTo(kStart + 3600, kStart + 3600 + TrendController::kMinimumSpan);
    EXPECT_FALSE(rig.view().canZoomIn);
    rig.controller.zoomBy(0.5);
    EXPECT_EQ(rig.visible(), Range(kStart + 3600, kStart + 4200));
}

TEST(TrendController, backReturnsThroughEarlierZoomsThenToTheWholeLog) {
    Rig rig;
    EXPECT_FALSE(rig.view().canGoBack);
    rig.controller.zoomTo(kStart + 3600, kStart + 36000);
    rig.controller.zoomTo(kStart + 7200, kStart + 10800);
    rig.controller.panBy(0.5); // a pan changes the view but is no step to go back to
    EXPECT_EQ(rig.visible().first, kStart + 9000);
    EXPECT_TRUE(rig.view().canGoBack);
    rig.controller.zoomBack();
    EXPECT_EQ(rig.visible(), Range(kStart + 3600, kStart + 36000));
    rig.controller.zoomBack();
    EXPECT_EQ(rig.visible(), Range(kStart, kEnd));
    EXPECT_FALSE(rig.view().canGoBack);
}

TEST(TrendController, panMovesByItsShareUpToTheEndsAndZoomKeepsItsAnchorInPlace) {
    // Zoomed to two hours from 16:00: the share of a pan, and where the view starts after it.
    const std::pair<double, std::int64_t> pans[] = {{-1, kStart}, {100, kEnd - 7200}};
    for (const auto &[share, from] : pans) {
        Rig rig;
        rig.controller.zoomTo(kStart + 7200, kStart + 14400);
        rig.controller.panBy(share);
        EXPECT_EQ(rig.visible(), Range(from, from + 7200)) << share;
    }
    Rig rig;
    rig.controller.zoomTo(kStart + 36000, kStart + 43200); // 24:00 to 02:00
    rig.controller.zoomBy(0.5, kStart + 37800);            // a quarter in
    EXPECT_EQ(rig.visible(), Range(kStart + 36900, kStart + 40500));
    rig.controller.zoomBy(4, kStart + 37800); // wider again, a quarter in still
    EXPECT_EQ(rig.visible(), Range(kStart + 37800 - 3600, kStart + 37800 + 10800));
    rig.controller.zoomBy(1000, kStart);
    EXPECT_FALSE(rig.view().zoomed);
}

TEST(TrendController, readoutNamesTheSampleUnderThePointerInTheLanguage) {
    Rig rig(dayLog(), partlyDutch);
    EXPECT_EQ(rig.view().windowTitle, "Trendgrafiek - Pool 1");
    const std::string idle = "Point at the chart to read its values.";
    EXPECT_EQ(rig.view().readoutText, idle);
    for (Series s : {Series::PhSetpoint, Series::PhHighAlarm, Series::PhLowAlarm,
                     Series::ReagentSetpoint, Series::ReagentHighAlarm, Series::ReagentLowAlarm,
                     Series::FlowLowAlarm, Series::FlowStopAlarm}) {
        rig.controller.setShown(s, false);
    }
    rig.controller.pointAt(kStart + 24 * 60); // nearest to record 3, written at 14:20
    ASSERT_TRUE(rig.view().readout);
    EXPECT_EQ(rig.view().readout->recordNumber, 3);
    EXPECT_EQ(rig.view().readoutText,
              "2009-03-07 14:20  zuurgraad 7.03  Reagent 103  Flow 20 m3/h  (regel 3)");
    rig.controller.setShown(Series::Reagent, false); // out of the readout at once
    EXPECT_EQ(rig.view().readoutText, "2009-03-07 14:20  zuurgraad 7.03  Flow 20 m3/h  (regel 3)");
    rig.controller.leaveChart();
    EXPECT_FALSE(rig.view().readout);
    EXPECT_EQ(rig.view().readoutText, idle);
}

TEST(TrendController, countsSayWhatWasLeftOut) {
    TrendBuilder builder;
    builder.add(reading(1, kStart));
    builder.add(reading(2, kStart + 600));
    RecordReading impossible = reading(3, kStart);
    impossible.moment.hour = 99;
    builder.add(impossible);
    builder.add(reading(4, kStart + 300));  // the clock went back
    builder.add(aql::records::LogRecord()); // no values
    EXPECT_EQ(Rig(builder.build()).view().countsText,
              "Records in the chart: 3   Left out, impossible timestamp: 1   "
              "Left out, no values: 1   Clock set back: 1");
}

TEST(TrendController, savingAsksForANameAndWritesThePngThroughTheSaver) {
    const std::string kPng = "\x89PNG\r\n\x1a\n-image-";
    const struct {
        std::optional<std::string> answer;
        std::string render;
        bool refused;             // the saver refuses the file
        const char *expectedFile; // nullptr: nothing written, and said in a box unless cancelled
    } cases[] = {
        {std::nullopt, kPng, false, nullptr},                // cancelled
        {"/data/chart.PNG", kPng, false, "/data/chart.PNG"}, // an extension kept
        {"/data/chart.png", kPng, true, nullptr},            // refused
        {"/data/chart.png", "", false, nullptr},             // the chart could not be drawn
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer.value_or("cancelled") + (c.refused ? " refused" : ""));
        Rig rig;
        if (c.answer) {
            rig.dialog.answer(c.answer);
        }
        if (c.refused) {
            rig.files.refuse(*c.answer, "access denied");
        }
        int renders = 0;
        rig.controller.saveChart([&] {
            ++renders;
            return c.render;
        });
        ASSERT_EQ(rig.dialog.calls.size(), 1u);
        EXPECT_EQ(rig.dialog.calls[0].initialFolder, "/data/Pool 1 trend.png");
        EXPECT_EQ(rig.dialog.calls[0].filter, "PNG images|*.png");
        EXPECT_EQ(renders, c.answer ? 1 : 0);
        const bool told = c.answer && c.expectedFile == nullptr;
        ASSERT_EQ(rig.box.shown.size(), told ? 1u : 0u);
        if (told) {
            EXPECT_EQ(rig.box.shown[0].style, aql::platform::style::kCritical);
            EXPECT_EQ(rig.box.shown[0].text.rfind("The chart could not be saved.", 0), 0u);
            EXPECT_EQ(rig.box.shown[0].text.find("access denied") != std::string::npos, c.refused);
        }
        EXPECT_EQ(rig.files.commits(), c.expectedFile ? 1 : 0);
        if (c.expectedFile != nullptr) {
            EXPECT_EQ(rig.files.content(c.expectedFile), kPng);
        }
        EXPECT_EQ(rig.view().status,
                  c.expectedFile ? std::string("The chart has been saved as ") + c.expectedFile
                                 : "");
    }
}

TEST(TrendController, reloadKeepsTheChoiceAndAZoomThatStillFits) {
    Rig rig;
    rig.controller.setShown(Series::PhSetpoint, false);
    rig.controller.zoomTo(kStart + 3600, kStart + 7200);
    rig.controller.pointAt(kStart + 3600);
    rig.controller.reload(dayLog(true)); // the same day, now with redox
    EXPECT_FALSE(rig.view().shown.contains(Series::PhSetpoint));
    EXPECT_TRUE(rig.view().shown.contains(Series::Redox)) << "new series are shown";
    EXPECT_EQ(rig.visible().first, kStart + 3600);
    EXPECT_FALSE(rig.view().readout);
    EXPECT_EQ(rig.view().panes.size(), 4u);

    rig.controller.reload(TrendModel());
    EXPECT_FALSE(rig.view().hasData);
    EXPECT_TRUE(rig.view().panes.empty());
}

TEST(TrendController, anEmptyLogHasNothingToChartAndAShortOneIsShownAroundItsMiddle) {
    Rig empty(TrendModel{}, nullptr, "");
    EXPECT_FALSE(empty.view().hasData);
    EXPECT_EQ(empty.view().windowTitle, "Trend");
    EXPECT_EQ(empty.view().emptyText, "There are no records with a valid timestamp to chart.");
    empty.controller.saveChart([] { return std::string("png"); });
    EXPECT_TRUE(empty.dialog.calls.empty());

    TrendBuilder builder;
    builder.add(reading(1, kStart));
    builder.add(reading(2, kStart + 120));
    Rig rig(builder.build());
    EXPECT_EQ(rig.visible(), Range(kStart + 60 - 300, kStart + 60 + 300));
    EXPECT_FALSE(rig.view().zoomed);
    rig.controller.panBy(1);
    EXPECT_EQ(rig.visible().first, kStart + 60 - 300);
}

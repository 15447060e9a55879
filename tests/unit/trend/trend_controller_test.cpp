#include "records/LogRecord.h"
#include "trend/Calendar.h"
#include "trend/TrendController.h"

#include "support/LinkFakes.h"
#include "support/MemoryFileSaver.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace aql::trend;
using aql::test::MemoryFileSaver;
using aql::test::RecordingMessageBox;

namespace {

constexpr std::int64_t kStart = 1236434400; // 2009-03-07 14:00
constexpr std::int64_t kStep = 600;         // a record every ten minutes
constexpr int kSamples = 145;               // a day: 14:00 to 14:00 the next day
constexpr std::int64_t kEnd = kStart + kStep * (kSamples - 1);

RecordReading reading(int number, std::int64_t time) {
    RecordReading r;
    r.recordNumber = number;
    r.moment = momentAt(time);
    auto set = [&r](Series s, double v) { r.values[indexOf(s)] = v; };
    set(Series::Ph, 7.0 + 0.01 * (number % 50));
    set(Series::PhSetpoint, 7.2);
    set(Series::PhHighAlarm, 7.6);
    set(Series::PhLowAlarm, 6.8);
    set(Series::Reagent, 100 + number % 7);
    set(Series::ReagentHighAlarm, 150);
    set(Series::ReagentLowAlarm, 50);
    set(Series::Flow, 20);
    set(Series::FlowLowAlarm, 10);
    return r;
}

TrendModel dayLog(bool withRedox = false) {
    TrendBuilder builder;
    for (int i = 0; i < kSamples; ++i) {
        RecordReading r = reading(i + 1, kStart + kStep * i);
        if (withRedox) {
            r.values[indexOf(Series::Redox)] = 700;
        }
        builder.add(r);
    }
    return builder.build();
}

class ScriptedFileDialog : public aql::platform::FileDialog {
public:
    std::optional<std::string> openFile(const std::string &, const std::string &) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string &initialFolder,
                                        const std::string &filter) override {
        asked.push_back({initialFolder, filter});
        return answer;
    }
    struct Asked {
        std::string initial, filter;
    };
    std::vector<Asked> asked;
    std::optional<std::string> answer;
};

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

struct Rig {
    MemoryFileSaver files;
    ScriptedFileDialog dialog;
    RecordingMessageBox box;
    TrendController controller;
    int notifications = 0;
    aql::Subscription subscription;

    explicit Rig(TrendModel model, TextSource texts = nullptr, std::string pool = "Pool 1")
        : controller(std::move(model), std::move(pool), std::move(texts), files, dialog, box,
                     "/data") {
        files.addFolder("/data");
        subscription = controller.subscribe([this] { ++notifications; });
    }
    const TrendController::View &view() const { return controller.view(); }
    TimeRange visible() const { return view().visible; }
};

std::vector<std::string> paneTitles(const TrendController::View &v) {
    std::vector<std::string> out;
    for (const auto &pane : v.panes) {
        out.push_back(pane.axisTitle + (pane.visible ? "" : " (hidden)"));
    }
    return out;
}

} // namespace

TEST(TrendController, panesFollowTheQuantitiesTheRecordsCarry) {
    Rig plain(dayLog());
    EXPECT_EQ(paneTitles(plain.view()), (std::vector<std::string>{"pH", "Reagent", "Flow (m3/h)"}));
    ASSERT_EQ(plain.view().panes[2].series.size(), 3u);
    EXPECT_EQ(plain.view().panes[2].series[1].label, "Flow low alarm");
    EXPECT_EQ(plain.view().windowTitle, "Trend - Pool 1");
    EXPECT_EQ(plain.view().chartTitle, "Pool 1  2009-03-07 14:00 - 2009-03-08 14:00");

    Rig redox(dayLog(true));
    EXPECT_EQ(paneTitles(redox.view()),
              (std::vector<std::string>{"pH", "Reagent", "Flow (m3/h)", "Redox (mV)"}));
    EXPECT_TRUE(redox.view().shown.contains(Series::Redox));

    // Hiding every series of a quantity hides its pane; a series the log lacks cannot be shown.
    for (Series s : {Series::Reagent, Series::ReagentSetpoint, Series::ReagentHighAlarm,
                     Series::ReagentLowAlarm}) {
        plain.controller.setShown(s, false);
    }
    plain.controller.setShown(Series::Redox, true);
    EXPECT_EQ(paneTitles(plain.view()),
              (std::vector<std::string>{"pH", "Reagent (hidden)", "Flow (m3/h)"}));
    EXPECT_FALSE(plain.view().shown.contains(Series::Redox));
    plain.controller.setShown(Series::ReagentLowAlarm, true);
    EXPECT_TRUE(plain.view().panes[1].visible);
}

TEST(TrendController, zoomStaysWithinTheLogAndIsNeverNarrowerThanTenMinutes) {
    struct Case {
        const char *what;
        std::int64_t from, to;
        TimeRange expected;
    };
    const Case kCases[] = {
        {"inside", kStart + 3600, kStart + 7200, {kStart + 3600, kStart + 7200}},
        {"either order", kStart + 7200, kStart + 3600, {kStart + 3600, kStart + 7200}},
        {"too narrow: ten minutes around its middle",
         kStart + 3600,
         kStart + 3660,
         {kStart + 3330, kStart + 3930}},
        {"narrow at the start of the log", kStart - 100, kStart + 20, {kStart, kStart + 600}},
        {"past the end: moved back inside", kEnd - 1000, kEnd + 1000, {kEnd - 2000, kEnd}},
        {"wider than the log", kStart - 86400, kEnd + 86400, {kStart, kEnd}},
    };
    for (const Case &c : kCases) {
        Rig rig(dayLog());
        rig.controller.zoomTo(c.from, c.to);
        EXPECT_EQ(rig.visible().from, c.expected.from) << c.what;
        EXPECT_EQ(rig.visible().to, c.expected.to) << c.what;
        EXPECT_EQ(rig.view().zoomed, c.expected.from != kStart || c.expected.to != kEnd) << c.what;
    }

    Rig rig(dayLog());
    rig.controller.zoomTo(kStart + 3600, kStart + 3600 + TrendController::kMinimumSpan);
    EXPECT_FALSE(rig.view().canZoomIn);
    rig.controller.zoomBy(0.5);
    EXPECT_EQ(rig.visible().to - rig.visible().from, TrendController::kMinimumSpan);
}

TEST(TrendController, backReturnsThroughEarlierZoomsThenToTheWholeLog) {
    Rig rig(dayLog());
    EXPECT_FALSE(rig.view().canGoBack);
    rig.controller.zoomTo(kStart + 3600, kStart + 36000);
    rig.controller.zoomTo(kStart + 7200, kStart + 10800);
    rig.controller.panBy(0.5); // a pan changes the view but is no step to go back to
    EXPECT_EQ(rig.visible().from, kStart + 9000);
    EXPECT_TRUE(rig.view().canGoBack);

    rig.controller.zoomBack();
    EXPECT_EQ(rig.visible().from, kStart + 3600);
    EXPECT_EQ(rig.visible().to, kStart + 36000);
    rig.controller.zoomBack();
    EXPECT_EQ(rig.visible().from, kStart);
    EXPECT_EQ(rig.visible().to, kEnd);
    EXPECT_FALSE(rig.view().canGoBack);

    // The whole log forgets the way back; Back then stays there.
    rig.controller.zoomTo(kStart + 3600, kStart + 7200);
    rig.controller.showWholeLog();
    EXPECT_FALSE(rig.view().zoomed);
    rig.controller.zoomBack();
    EXPECT_FALSE(rig.view().zoomed);

    // The memory is bounded.
    for (int i = 0; i < 300; ++i) {
        rig.controller.zoomTo(kStart + 60 * i, kStart + 60 * i + 3600);
    }
    int backs = 0;
    while (rig.view().zoomed && backs < 1000) {
        rig.controller.zoomBack();
        ++backs;
    }
    EXPECT_EQ(backs, static_cast<int>(TrendController::kBackDepth) + 1);
}

TEST(TrendController, panMovesByItsShareAndStopsAtTheEndsOfTheLog) {
    struct Case {
        double fraction;
        std::int64_t expectedFrom;
    };
    // Zoomed to two hours from 16:00.
    const Case kCases[] = {
        {0.25, kStart + 7200 + 1800}, {-1, kStart},       {-0.1, kStart + 7200 - 720},
        {100, kEnd - 7200},           {0, kStart + 7200},
    };
    for (const Case &c : kCases) {
        Rig rig(dayLog());
        rig.controller.zoomTo(kStart + 7200, kStart + 14400);
        rig.notifications = 0;
        rig.controller.panBy(c.fraction);
        EXPECT_EQ(rig.visible().from, c.expectedFrom) << c.fraction;
        EXPECT_EQ(rig.visible().to - rig.visible().from, 7200) << c.fraction;
        EXPECT_EQ(rig.notifications, c.expectedFrom != kStart + 7200 ? 1 : 0) << c.fraction;
    }
    Rig whole(dayLog());
    whole.controller.panBy(-0.5);
    EXPECT_EQ(whole.notifications, 0) << "nothing to pan at the whole log";
}

TEST(TrendController, zoomByKeepsTheAnchorWhereItWas) {
    Rig rig(dayLog());
    rig.controller.zoomTo(kStart + 36000, kStart + 43200); // 24:00 to 02:00
    rig.controller.zoomBy(0.5, kStart + 37800);            // a quarter in
    EXPECT_EQ(rig.visible().from, kStart + 36900);
    EXPECT_EQ(rig.visible().to, kStart + 40500);
    rig.controller.zoomBy(4, kStart + 37800); // wider again, a quarter in still
    EXPECT_EQ(rig.visible().from, kStart + 37800 - 3600);
    EXPECT_EQ(rig.visible().to, kStart + 37800 + 10800);
    rig.controller.zoomBy(1000, kStart);
    EXPECT_FALSE(rig.view().zoomed);
}

TEST(TrendController, readoutNamesTheSampleUnderThePointerInTheLanguage) {
    Rig rig(dayLog(), partlyDutch);
    EXPECT_EQ(rig.view().windowTitle, "Trendgrafiek - Pool 1");
    EXPECT_EQ(rig.view().readoutText, "Point at the chart to read its values.");
    EXPECT_FALSE(rig.view().readout);

    for (Series s : {Series::PhSetpoint, Series::PhHighAlarm, Series::PhLowAlarm,
                     Series::ReagentSetpoint, Series::ReagentHighAlarm, Series::ReagentLowAlarm,
                     Series::FlowLowAlarm, Series::FlowStopAlarm}) {
        rig.controller.setShown(s, false);
    }
    // 14:24 lies nearest to record 3, written at 14:20.
    rig.controller.pointAt(kStart + 24 * 60);
    ASSERT_TRUE(rig.view().readout);
    EXPECT_EQ(rig.view().readout->recordNumber, 3);
    EXPECT_EQ(rig.view().readoutText,
              "2009-03-07 14:20  zuurgraad 7.03  Reagent 103  Flow 20 m3/h  (regel 3)");

    // Hiding a series takes it out of the readout at once.
    rig.controller.setShown(Series::Reagent, false);
    EXPECT_EQ(rig.view().readoutText, "2009-03-07 14:20  zuurgraad 7.03  Flow 20 m3/h  (regel 3)");

    rig.controller.leaveChart();
    EXPECT_FALSE(rig.view().readout);
    EXPECT_EQ(rig.view().readoutText, "Point at the chart to read its values.");
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
    Rig rig(builder.build());
    EXPECT_EQ(rig.view().countsText,
              "Records in the chart: 3   Left out, impossible timestamp: 1   "
              "Left out, no values: 1   Clock set back: 1");

    Rig clean(dayLog());
    EXPECT_EQ(clean.view().countsText,
              "Records in the chart: 145   Left out, impossible timestamp: 0");
}

TEST(TrendController, savingAsksForANameAndWritesThePngThroughTheSaver) {
    const std::string kPng = "\x89PNG\r\n\x1a\n-image-";
    struct Case {
        const char *what;
        std::optional<std::string> answer;
        std::string render;
        const char *refuse; // a path the saver refuses
        const char *expectedFile;
        std::size_t boxes;
    };
    const Case kCases[] = {
        {"cancelled", std::nullopt, kPng, nullptr, nullptr, 0},
        {"a name without extension gets .png", "/data/pool", kPng, nullptr, "/data/pool.png", 0},
        {"an extension is kept", "/data/chart.PNG", kPng, nullptr, "/data/chart.PNG", 0},
        {"the saver refuses", "/data/chart.png", kPng, "/data/chart.png", nullptr, 1},
        {"the chart could not be drawn", "/data/chart.png", "", nullptr, nullptr, 1},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        Rig rig(dayLog());
        rig.dialog.answer = c.answer;
        if (c.refuse != nullptr) {
            rig.files.refuse(c.refuse, "access denied");
        }
        int renders = 0;
        rig.controller.saveChart([&] {
            ++renders;
            return c.render;
        });
        ASSERT_EQ(rig.dialog.asked.size(), 1u);
        EXPECT_EQ(rig.dialog.asked[0].initial, "/data/Pool 1 trend.png");
        EXPECT_EQ(rig.dialog.asked[0].filter, "PNG images|*.png");
        EXPECT_EQ(renders, c.answer ? 1 : 0);
        EXPECT_EQ(rig.box.shown.size(), c.boxes);
        if (c.expectedFile != nullptr) {
            EXPECT_EQ(rig.files.content(c.expectedFile), kPng);
            EXPECT_EQ(rig.view().status,
                      std::string("The chart has been saved as ") + c.expectedFile);
        } else {
            EXPECT_EQ(rig.files.commits(), 0);
            EXPECT_EQ(rig.view().status, "");
        }
        if (c.boxes > 0) {
            EXPECT_EQ(rig.box.shown[0].style, aql::platform::style::kCritical);
            EXPECT_EQ(rig.box.shown[0].text.rfind("The chart could not be saved.", 0), 0u);
        }
        if (c.refuse != nullptr) {
            EXPECT_NE(rig.box.shown[0].text.find("access denied"), std::string::npos);
        }
    }
}

TEST(TrendController, reloadKeepsTheChoiceAndAZoomThatStillFits) {
    Rig rig(dayLog());
    rig.controller.setShown(Series::PhSetpoint, false);
    rig.controller.zoomTo(kStart + 3600, kStart + 7200);
    rig.controller.pointAt(kStart + 3600);

    rig.controller.reload(dayLog(true)); // the same day, now with redox
    EXPECT_FALSE(rig.view().shown.contains(Series::PhSetpoint));
    EXPECT_TRUE(rig.view().shown.contains(Series::Redox)) << "new series are shown";
    EXPECT_EQ(rig.visible().from, kStart + 3600);
    EXPECT_FALSE(rig.view().readout);
    EXPECT_EQ(rig.view().panes.size(), 4u);

    // A log that no longer holds the zoomed range: the whole of it.
    TrendBuilder later;
    for (int i = 0; i < 10; ++i) {
        later.add(reading(500 + i, kEnd + 86400 + 600 * i));
    }
    rig.controller.reload(later.build());
    EXPECT_FALSE(rig.view().zoomed);
    EXPECT_EQ(rig.visible().from, kEnd + 86400);
    EXPECT_EQ(rig.visible().to, kEnd + 86400 + 5400);

    rig.controller.reload(TrendModel());
    EXPECT_FALSE(rig.view().hasData);
    EXPECT_TRUE(rig.view().panes.empty());
}

TEST(TrendController, everyIntentIsAnnouncedOnceAndNonChangesNotAtAll) {
    Rig rig(dayLog());
    struct Step {
        const char *what;
        std::function<void(TrendController &)> act;
        int notifications;
    };
    const Step kSteps[] = {
        {"zoom", [](TrendController &c) { c.zoomTo(kStart + 600, kStart + 4200); }, 1},
        {"pan", [](TrendController &c) { c.panBy(0.5); }, 1},
        {"hide", [](TrendController &c) { c.setShown(Series::Flow, false); }, 1},
        {"hide again", [](TrendController &c) { c.setShown(Series::Flow, false); }, 0},
        {"point", [](TrendController &c) { c.pointAt(kStart + 1200); }, 1},
        {"leave", [](TrendController &c) { c.leaveChart(); }, 1},
        {"leave again", [](TrendController &c) { c.leaveChart(); }, 0},
        {"back", [](TrendController &c) { c.zoomBack(); }, 1},
        {"retranslate", [](TrendController &c) { c.retranslate(); }, 1},
    };
    for (const Step &s : kSteps) {
        rig.notifications = 0;
        s.act(rig.controller);
        EXPECT_EQ(rig.notifications, s.notifications) << s.what;
    }
}

TEST(TrendController, anEmptyLogHasNothingToChart) {
    Rig rig(TrendModel(), nullptr, "");
    EXPECT_FALSE(rig.view().hasData);
    EXPECT_EQ(rig.view().emptyText, "There are no records with a valid timestamp to chart.");
    EXPECT_EQ(rig.view().windowTitle, "Trend");
    EXPECT_TRUE(rig.view().panes.empty());
    rig.controller.zoomTo(kStart, kEnd);
    rig.controller.panBy(1);
    rig.controller.pointAt(kStart);
    rig.controller.saveChart([] { return std::string("png"); });
    EXPECT_EQ(rig.notifications, 0);
    EXPECT_TRUE(rig.dialog.asked.empty());
}

TEST(TrendController, aLogShorterThanTheMinimumIsShownAroundItsMiddle) {
    TrendBuilder builder;
    builder.add(reading(1, kStart));
    builder.add(reading(2, kStart + 120));
    Rig rig(builder.build());
    EXPECT_EQ(rig.visible().from, kStart + 60 - 300);
    EXPECT_EQ(rig.visible().to, kStart + 60 + 300);
    EXPECT_FALSE(rig.view().zoomed);
    rig.controller.panBy(1);
    EXPECT_EQ(rig.visible().from, kStart + 60 - 300);
}

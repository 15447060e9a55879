#include "trend/Calendar.h"
#include "trend/TrendController.h"

#include "support/LinkFakes.h"
#include "support/MemoryFileSaver.h"
#include "support/WindowFakes.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace aql::trend;

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

TrendModel dayLog() {
    TrendBuilder builder;
    for (int i = 0; i < 145; ++i) {
        builder.add(reading(i + 1, kStart + kStep * i));
    }
    return builder.build();
}

using Range = std::pair<std::int64_t, std::int64_t>;

struct Rig {
    aql::test::MemoryFileSaver files;
    aql::test::ScriptedFileDialog dialog;
    aql::test::RecordingMessageBox box;
    TrendController controller;

    explicit Rig(TrendModel model = dayLog())
        : controller(std::move(model), "Pool 1", nullptr, files, dialog, box, "/data") {
        files.addFolder("/data");
    }
    const TrendController::View &view() const { return controller.view(); }
    Range visible() const { return {view().visible.from, view().visible.to}; }
};

} // namespace

namespace {

using Step = std::function<void(TrendController &)>;

Step zoom(std::int64_t from, std::int64_t to) {
    return [=](TrendController &c) { c.zoomTo(kStart + from, kStart + to); };
}
Step scale(double factor, std::optional<std::int64_t> anchor = {}) {
    return
        [=](TrendController &c) { anchor ? c.zoomBy(factor, kStart + *anchor) : c.zoomBy(factor); };
}
Step pan(double share) {
    return [=](TrendController &c) { c.panBy(share); };
}
Step point(std::int64_t at) {
    return [=](TrendController &c) { c.pointAt(kStart + at); };
}
const Step kBack = [](TrendController &c) { c.zoomBack(); };
const Step kLeave = [](TrendController &c) { c.leaveChart(); };

} // namespace

// Zoom stays within the log and is never narrower than ten minutes; back returns through earlier
// zooms (a pan is no step) to the whole log; a pan moves by its share up to the ends; a zoom keeps
// its anchor in place; the readout names the sample nearest the pointer.
TEST(TrendController, operationsLeaveTheVisibleRangeAndReadout) {
    constexpr std::int64_t kDay = kEnd - kStart;
    const std::string idle = "Point at the chart to read its values.";
    const struct {
        std::vector<Step> steps;
        Range visible; // from kStart
        std::string readout;
        std::optional<bool> canGoBack = {};
    } cases[] = {
        {{}, {0, kDay}, idle, false},             // the whole log at first
        {{zoom(7200, 3600)}, {3600, 7200}, idle}, // either order
        {{zoom(3600, 3660)}, {3330, 3930}, idle}, // ten minutes around
        {{zoom(kDay - 1000, kDay + 1000)}, {kDay - 2000, kDay}, idle},
        {{zoom(-86400, kDay + 86400)}, {0, kDay}, idle},
        {{zoom(3600, 4200), scale(0.5)}, {3600, 4200}, idle},
        {{zoom(3600, 36000), zoom(7200, 10800), pan(0.5), kBack}, {3600, 36000}, idle, true},
        {{zoom(3600, 36000), zoom(7200, 10800), kBack, kBack}, {0, kDay}, idle, false},
        {{zoom(7200, 14400), pan(0.5)}, {10800, 18000}, idle},
        {{zoom(7200, 14400), pan(-1)}, {0, 7200}, idle},
        {{zoom(7200, 14400), pan(100)}, {kDay - 7200, kDay}, idle},
        {{zoom(36000, 43200), scale(0.5, 37800)}, {36900, 40500}, idle},
        {{zoom(36000, 43200), scale(0.5, 37800), scale(4, 37800)}, {34200, 48600}, idle},
        {{zoom(36000, 43200), scale(1000, 0)}, {0, kDay}, idle},
        {{point(24 * 60)}, // nearest: record 3, written at 14:20
         {0, kDay},
         "2009-03-07 14:20  pH 7.03  Reagent 103  Flow 20 m3/h  (record 3)"},
        {{point(24 * 60), kLeave}, {0, kDay}, idle},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        Rig rig;
        for (Series s : {Series::PhSetpoint, Series::PhHighAlarm, Series::PhLowAlarm,
                         Series::ReagentSetpoint, Series::ReagentHighAlarm, Series::ReagentLowAlarm,
                         Series::FlowLowAlarm, Series::FlowStopAlarm}) {
            rig.controller.setShown(s, false);
        }
        for (const Step &step : c.steps) {
            step(rig.controller);
        }
        EXPECT_EQ(rig.visible(), Range(kStart + c.visible.first, kStart + c.visible.second));
        EXPECT_EQ(rig.view().zoomed, c.visible != Range(0, kDay));
        EXPECT_EQ(rig.view().readoutText, c.readout);
        if (c.canGoBack) {
            EXPECT_EQ(rig.view().canGoBack, *c.canGoBack);
        }
    }
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
        rig.controller.saveChart([&] { return c.render; });
        ASSERT_EQ(rig.dialog.calls.size(), 1u);
        const bool told = c.answer && c.expectedFile == nullptr;
        ASSERT_EQ(rig.box.shown.size(), told ? 1u : 0u);
        if (told) {
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

TEST(TrendController, anEmptyLogHasNothingToChartAndAShortOneIsShownAroundItsMiddle) {
    Rig empty(TrendModel{});
    EXPECT_FALSE(empty.view().hasData);
    empty.controller.saveChart([] { return std::string("png"); });
    EXPECT_TRUE(empty.dialog.calls.empty());
    Rig emptied;
    emptied.controller.reload(TrendModel());
    EXPECT_FALSE(emptied.view().hasData);
    EXPECT_TRUE(emptied.view().panes.empty());

    TrendBuilder builder;
    builder.add(reading(1, kStart));
    builder.add(reading(2, kStart + 120));
    Rig rig(builder.build());
    EXPECT_EQ(rig.visible(), Range(kStart + 60 - 300, kStart + 60 + 300));
    rig.controller.panBy(1);
    EXPECT_EQ(rig.visible().first, kStart + 60 - 300);
}

// The trend window over its controller on a realistic log: what the charts draw of the zoom, and
// what Save writes. The model and controller are tested without widgets.

#include "records/RecordList.h"
#include "support/LinkFakes.h"
#include "support/MemoryFileSaver.h"
#include "support/WindowFakes.h"
#include "trend/Calendar.h"
#include "ui/TrendWindow.h"
#include "ui/trend/TrendPane.h"
#include "ui/trend/TrendStyle.h"
#include "ui/trend/sample/SampleLog.h"

#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace aql;
using trend::Quantity;
using ui::TrendPane;

namespace {

// The sample log's Wednesday, with its shift in manual mode from 09:00 to 17:00.
const std::int64_t kWednesday = trend::secondsSinceEpoch({2009, 3, 18, 0, 0, 0});

const records::RecordList &week() {
    static const records::RecordList log = ui::sampleTrendLog(7 * 96);
    return log;
}

// A shown trend window at a given size, with fakes for saving.
struct Opened {
    test::MemoryFileSaver files;
    test::ScriptedFileDialog dialog;
    test::RecordingMessageBox box;
    std::unique_ptr<ui::TrendWindow> window;

    explicit Opened(const records::RecordList &records, QSize size = QSize(1100, 760)) {
        files.addFolder("/out");
        window = std::make_unique<ui::TrendWindow>(records, "Pool 1", files, dialog, box, nullptr,
                                                   "/out");
        window->resize(size);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
    }
    trend::TrendController &controller() { return window->controller(); }
    TrendPane *pane(Quantity q) const {
        for (TrendPane *p : window->panes()) {
            if (p->quantity() == q) {
                return p;
            }
        }
        return nullptr;
    }
    QString label(const char *name) const {
        return window->findChild<QLabel *>(QLatin1String(name))->text();
    }
};

QLineSeries *lineNamed(TrendPane *pane, const char *name) {
    for (QAbstractSeries *s : pane->chart()->series()) {
        if (s->name() == QLatin1String(name)) {
            return qobject_cast<QLineSeries *>(s);
        }
    }
    return nullptr;
}

} // namespace

TEST(TrendWindow, everyZoomPanAndResizeRedecimatesToTheWidth) {
    Opened o(ui::sampleTrendLog(100000), QSize(1000, 700));
    TrendPane *ph = o.pane(Quantity::Ph);
    QLineSeries *line = lineNamed(ph, "pH");
    ASSERT_NE(line, nullptr);
    auto bounded = [&](const char *what) {
        const int width = ph->decimationWidth();
        EXPECT_NEAR(width, ph->plotRect().width() * ph->devicePixelRatioF(), 1.0) << what;
        // The first, last, lowest and highest of each pixel column, and a neighbour either side.
        EXPECT_LE(line->count(), 4 * width + 2) << what;
        EXPECT_LE(ph->pointsDrawn(), static_cast<std::size_t>(4 * width + 2) * 4 + 8) << what;
        const trend::TimeRange v = o.controller().view().visible;
        EXPECT_LE(line->at(0).x(), double(v.from)) << what << ": the line starts at the edge";
        EXPECT_GE(line->at(line->count() - 1).x(), double(v.to)) << what;
        EXPECT_GE(line->at(1).x(), double(v.from)) << what;
        EXPECT_LE(line->at(line->count() - 2).x(), double(v.to)) << what;
    };
    bounded("whole log");
    const int wholeCount = line->count();
    EXPECT_GT(wholeCount, 1000) << "a year of spikes keeps several points per column";
    const trend::TimeRange full = o.controller().view().extent;
    const std::int64_t span = full.to - full.from;
    o.controller().zoomTo(full.from + span / 2, full.from + span / 2 + span / 100);
    bounded("one per cent");
    EXPECT_LT(line->count(), wholeCount);
    o.controller().panBy(0.5);
    bounded("panned");
    o.window->resize(600, 700);
    QCoreApplication::processEvents();
    bounded("narrower window");
    o.controller().zoomTo(kWednesday + 9 * 3600, kWednesday + 17 * 3600);
    // Eight hours of records every 15 minutes: each one drawn, and its neighbours.
    EXPECT_EQ(line->count(), 8 * 4 + 1 + 2);
}

TEST(TrendWindow, savePngWritesThePictureThroughTheSaver) {
    Opened o(week());
    o.dialog.answer("/out/pool trend");
    o.window->findChild<QPushButton *>(QStringLiteral("savePng"))->click();
    const std::optional<std::string> png = o.files.content("/out/pool trend.png");
    ASSERT_TRUE(png);
    QImage image;
    ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar *>(png->data()),
                                   static_cast<int>(png->size()), "PNG"));
    const QWidget *area = o.window->findChild<QWidget *>(QStringLiteral("chartArea"));
    EXPECT_EQ(image.size(), area->size() * o.window->devicePixelRatioF());
    // The picture holds the charts, not an empty frame: the pH line's blue runs across it.
    const QColor blue = ui::quantityColour(Quantity::Ph);
    auto nearBlue = [&blue](QColor c) {
        return std::abs(c.red() - blue.red()) + std::abs(c.green() - blue.green()) +
                   std::abs(c.blue() - blue.blue()) <
               60;
    };
    int bluePixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            bluePixels += nearBlue(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    EXPECT_GT(bluePixels, o.pane(Quantity::Ph)->plotRect().width() / 2);
    EXPECT_EQ(o.label("status"), QStringLiteral("The chart has been saved as /out/pool trend.png"));
    EXPECT_TRUE(o.box.shown.empty());
}

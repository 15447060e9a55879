// The trend window on a 100,000-record log from the simulated plant, drawn offscreen: opening it
// (building the model from the record list, the window and its charts, until every chart has been
// painted once) against a target of 500 ms, and a zoom or a pan with the repaint of every chart
// against 50 ms. Each repaint is forced at once, so the time is the whole redraw, not a request.
#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtFileSaver.h"
#include "platform/qt/QtMessageBox.h"
#include "records/RecordList.h"
#include "ui/TrendWindow.h"
#include "ui/trend/TrendPane.h"
#include "ui/trend/sample/SampleLog.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <set>
#include <vector>

namespace {

using namespace aql;

constexpr int kRecords = 100000;

struct Services {
    platform::QtFileSaver files;
    platform::qt::QtFileDialog dialog;
    platform::qt::QtMessageBox box{QStringLiteral("AQL Remote")};
};

// Notes which charts have had a paint event.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(const std::vector<ui::TrendPane *> &panes) {
        for (ui::TrendPane *pane : panes) {
            pane->viewport()->installEventFilter(this);
            m_waiting.insert(pane->viewport());
        }
    }
    bool allPainted() const { return m_waiting.empty(); }
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint) {
            m_waiting.erase(watched);
        }
        return false;
    }

private:
    std::set<QObject *> m_waiting;
};

double openToFirstPaint(const records::RecordList &log, Services &s,
                        std::unique_ptr<ui::TrendWindow> &window) {
    QElapsedTimer clock;
    clock.start();
    window = std::make_unique<ui::TrendWindow>(log, "Pool 1", s.files, s.dialog, s.box, nullptr,
                                               std::string());
    PaintWatch watch(window->panes());
    window->show();
    while (!watch.allPainted() && clock.elapsed() < 10000) {
        QCoreApplication::processEvents();
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void repaintCharts(ui::TrendWindow &window) {
    for (ui::TrendPane *pane : window.panes()) {
        if (!pane->isHidden()) {
            pane->viewport()->repaint();
        }
    }
}

// Wall time is what the operator waits; the processor time of this process is printed beside it
// because on a machine shared with other work the wall time also counts their turns.
struct Timing {
    double median = 0;
    double worst = 0;
    double cpuMedian = 0;
};

double cpuMilliseconds() {
    return static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

// Times `step` and the repaint after it, `count` times; `prepare` runs untimed before each.
template <class Prepare, class Step>
Timing timeSteps(ui::TrendWindow &window, int count, Prepare prepare, Step step) {
    std::vector<double> took;
    std::vector<double> cpu;
    for (int i = 0; i < count; ++i) {
        prepare(i);
        repaintCharts(window);
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = cpuMilliseconds();
        step(i);
        repaintCharts(window);
        took.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        cpu.push_back(cpuMilliseconds() - cpuStart);
    }
    std::sort(took.begin(), took.end());
    std::sort(cpu.begin(), cpu.end());
    return Timing{took[took.size() / 2], took.back(), cpu[cpu.size() / 2]};
}

std::unique_ptr<ui::TrendWindow> g_window;

void BM_ZoomAndRepaint(benchmark::State &state) {
    trend::TrendController &c = g_window->controller();
    const trend::TimeRange full = c.view().extent;
    const std::int64_t span = full.to - full.from;
    int i = 0;
    for (auto _ : state) {
        const std::int64_t from = full.from + (span / 97) * (i++ % 90);
        c.zoomTo(from, from + span / 100);
        repaintCharts(*g_window);
    }
}
BENCHMARK(BM_ZoomAndRepaint)->Unit(benchmark::kMillisecond);

void BM_WholeLogRepaint(benchmark::State &state) {
    trend::TrendController &c = g_window->controller();
    for (auto _ : state) {
        c.zoomBy(0.5);
        c.showWholeLog();
        repaintCharts(*g_window);
    }
}
BENCHMARK(BM_WholeLogRepaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    Services services;
    const records::RecordList log = ui::sampleTrendLog(kRecords);

    std::vector<double> opens;
    for (int run = 0; run < 5; ++run) {
        opens.push_back(openToFirstPaint(log, services, g_window));
        g_window.reset();
    }
    std::sort(opens.begin(), opens.end());
    openToFirstPaint(log, services, g_window); // the window the steps below use
    std::printf("trend window, %d records, offscreen, %dx%d\n", kRecords, g_window->width(),
                g_window->height());
    std::printf("  open to first paint: median %.1f ms, worst %.1f ms of 5 (target < 500 ms)\n",
                opens[opens.size() / 2], opens.back());

    trend::TrendController &c = g_window->controller();
    const trend::TimeRange full = c.view().extent;
    const std::int64_t span = full.to - full.from;
    const auto nothing = [](int) {};
    const Timing zoomWide = timeSteps(
        *g_window, 20, [&](int) { c.showWholeLog(); },
        [&](int i) { c.zoomTo(full.from + span / 40 * i, full.from + span / 40 * i + span / 2); });
    const Timing zoomNarrow = timeSteps(*g_window, 20, nothing, [&](int i) {
        c.zoomTo(full.from + span / 40 * i, full.from + span / 40 * i + span / 100);
    });
    const Timing pan =
        timeSteps(*g_window, 40, nothing, [&](int i) { c.panBy(i % 2 == 0 ? 0.1 : -0.05); });
    const Timing wholeLog = timeSteps(
        *g_window, 10, [&](int) { c.zoomBy(0.5); }, [&](int) { c.showWholeLog(); });
    auto print = [](const char *what, const Timing &t) {
        std::printf("  %-34s median %5.1f ms (processor %5.1f ms), worst %5.1f ms\n", what,
                    t.median, t.cpuMedian, t.worst);
    };
    std::printf("  each a redraw and repaint of every chart (target < 50 ms):\n");
    print("zoom to half the log", zoomWide);
    print("zoom to 1 %", zoomNarrow);
    print("pan by 10 %", pan);
    print("back to the whole log", wholeLog);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}

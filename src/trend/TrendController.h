#pragma once

#include "core/Observers.h"
#include "platform/FileDialog.h"
#include "platform/FileSaver.h"
#include "platform/MessageBox.h"
#include "trend/Series.h"
#include "trend/TrendModel.h"
#include "trend/TrendTexts.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace aql::trend {

// The trend window's logic: which series are shown, the time range on view and the ranges to go
// back to, the readout under the pointer, the counts of records left out, and saving the chart as
// a PNG image. It holds its own model, built from the records as they stood when the window
// opened, so a record list that changes or goes away afterwards cannot disturb it. The window
// draws view() and forwards the operator's intents to the actions; subscribe() tells it when to
// draw again.
class TrendController {
public:
    // The narrowest time range a zoom goes to.
    static constexpr std::int64_t kMinimumSpan = 600;
    // How many earlier ranges Back can return to.
    static constexpr std::size_t kBackDepth = 100;

    struct SeriesChoice {
        Series series = Series::Ph;
        std::string label;
        bool shown = false;
    };

    // One chart pane per quantity the records carry, sharing the time axis with the others.
    struct Pane {
        Quantity quantity = Quantity::Ph;
        std::string axisTitle; // the measured series' name and its unit
        std::vector<SeriesChoice> series;
        bool visible = false; // some series of it is shown
    };

    struct Captions {
        std::string panEarlier, panLater, zoomIn, zoomOut, zoomBack, wholeLog, savePng, close;
        std::string hint, seriesPanelTitle, timeAxisTitle, outsideLimits;
    };

    struct View {
        std::string windowTitle; // "Trend - <pool>"
        std::string chartTitle;  // "<pool>  <first> - <last>" of the range on view
        Captions captions;
        std::vector<Pane> panes;
        SeriesSet shown;
        bool hasData = false;           // false: nothing to chart, the window says so instead
        std::string emptyText;          // what it says then
        TimeRange visible;              // the range on view
        TimeRange extent;               // the whole log, at least kMinimumSpan wide
        bool zoomed = false;            // visible is narrower than the extent
        bool canGoBack = false;         // Back has an earlier range
        bool canZoomIn = false;         // visible is wider than kMinimumSpan
        std::optional<Readout> readout; // the sample under the pointer
        std::string readoutText;        // its line, or the idle text
        std::string countsText;         // records charted and left out
        std::string status;             // the outcome of the last save
    };

    // `poolName` names the pool in the titles. The chart is saved through `files` to a path asked
    // of `dialog`, starting in `exportFolder`; `box` reports a save that failed. All three must
    // outlive the controller.
    TrendController(TrendModel model, std::string poolName, TextSource texts,
                    platform::FileSaver &files, platform::FileDialog &dialog,
                    platform::MessageBox &box, std::string exportFolder);

    const View &view() const { return m_view; }
    const TrendModel &model() const { return m_model; }

    // `observer` runs after every change of the view, for as long as the token lives.
    [[nodiscard]] Subscription subscribe(std::function<void()> observer) {
        return m_notifier.subscribe(std::move(observer));
    }

    // Every available series at first.
    static SeriesSet defaultShown(const TrendModel &model);

    // Another log (a download that went on, a reloaded file): the choice of series stays, the
    // range on view stays where it still lies within the new log, the way back is forgotten.
    void reload(TrendModel model);
    // The language changed.
    void retranslate();

    // Series not available in the log are ignored.
    void setShown(Series s, bool shown);
    void setShownSet(SeriesSet shown);

    // Shows [from, to] (either order), kept within the extent and at least kMinimumSpan wide; the
    // range it replaces is remembered for Back.
    void zoomTo(std::int64_t from, std::int64_t to);
    // Narrows (factor < 1) or widens (factor > 1) the range on view around `anchor`, which stays
    // where it was on the time axis. Remembered for Back like zoomTo.
    void zoomBy(double factor, std::int64_t anchor);
    void zoomBy(double factor);
    // The range before the last zoom; the whole log when there is none.
    void zoomBack();
    // The whole log; forgets the way back.
    void showWholeLog();
    // Moves the range on view by a fraction of its width (negative: earlier), or by seconds,
    // stopping at the ends of the log. Not remembered for Back: a pan is no new view.
    void panBy(double fraction);
    void panBySeconds(std::int64_t seconds);

    // The pointer is over the chart at `time` / has left it.
    void pointAt(std::int64_t time);
    void leaveChart();

    // Asks for a file name and saves what `renderPng` returns (the chart as PNG bytes; empty when
    // it could not be drawn). A name without an extension gets ".png".
    void saveChart(const std::function<std::string()> &renderPng);

private:
    template <class Step> void change(Step &&step);
    std::string text(int id) const;
    void applyTexts();
    void buildPanes();
    void applyShown();
    void updateReadout();
    void updateRange();
    void setVisible(TimeRange range, bool remember);
    TimeRange fitted(std::int64_t from, std::int64_t to) const;
    std::string countsText() const;
    std::string suggestedFileName() const;

    TrendModel m_model;
    std::string m_poolName;
    TextSource m_texts;
    platform::FileSaver &m_files;
    platform::FileDialog &m_dialog;
    platform::MessageBox &m_box;
    std::string m_exportFolder;
    std::vector<TimeRange> m_back;
    std::optional<std::int64_t> m_pointer;
    View m_view;
    ChangeNotifier m_notifier;
};

} // namespace aql::trend

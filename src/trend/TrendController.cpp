#include "trend/TrendController.h"

#include "core/Error.h"
#include "trend/Calendar.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

namespace aql::trend {
namespace {

constexpr Quantity kPaneOrder[] = {Quantity::Ph, Quantity::Reagent, Quantity::Flow, Quantity::Redox,
                                   Quantity::WaterTemperature};

Series measuredOf(Quantity q) {
    switch (q) {
    case Quantity::Ph: return Series::Ph;
    case Quantity::Reagent: return Series::Reagent;
    case Quantity::Flow: return Series::Flow;
    case Quantity::Redox: return Series::Redox;
    case Quantity::WaterTemperature: return Series::WaterTemperature;
    }
    return Series::Ph;
}

bool operator==(TimeRange a, TimeRange b) {
    return a.from == b.from && a.to == b.to;
}

std::int64_t spanOf(TimeRange r) {
    return r.to - r.from;
}

// A file name the operator's file system takes whatever the pool is called.
std::string fileNamePart(const std::string &name) {
    std::string out;
    for (char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ' ';
        out += plain ? c : '_';
    }
    return out;
}

} // namespace

TrendController::TrendController(TrendModel model, std::string poolName, TextSource texts,
                                 platform::FileSaver &files, platform::FileDialog &dialog,
                                 platform::MessageBox &box, std::string exportFolder)
    : m_model(std::move(model)), m_poolName(std::move(poolName)), m_texts(std::move(texts)),
      m_files(files), m_dialog(dialog), m_box(box), m_exportFolder(std::move(exportFolder)) {
    m_view.shown = defaultShown(m_model);
    m_view.hasData = m_model.sampleCount() > 0;
    applyTexts();
    if (m_view.hasData) {
        const TimeRange full = *m_model.fullRange();
        m_view.extent = full;
        m_view.extent = fitted(full.from, full.to);
        m_view.visible = m_view.extent;
    }
    updateRange();
    updateReadout();
}

template <class Step> void TrendController::change(Step &&step) {
    m_notifier.batch(std::forward<Step>(step));
}

SeriesSet TrendController::defaultShown(const TrendModel &model) {
    return model.availableSeries();
}

std::string TrendController::text(int id) const {
    return trendText(m_texts, id);
}

// ---- texts and panes ---------------------------------------------------------------------------

void TrendController::applyTexts() {
    m_view.windowTitle = text(TextId::TrendTitle);
    if (!m_poolName.empty()) {
        m_view.windowTitle += " - " + m_poolName;
    }
    Captions &c = m_view.captions;
    c.panEarlier = text(TextId::TrendPanEarlier);
    c.panLater = text(TextId::TrendPanLater);
    c.zoomIn = text(TextId::TrendZoomIn);
    c.zoomOut = text(TextId::TrendZoomOut);
    c.zoomBack = text(TextId::TrendZoomBack);
    c.wholeLog = text(TextId::TrendWholeLog);
    c.savePng = text(TextId::TrendSavePng);
    c.close = text(TextId::TrendClose);
    c.hint = text(TextId::TrendHint);
    c.seriesPanelTitle = text(TextId::TrendSeriesPanel);
    c.timeAxisTitle = text(TextId::TrendTimeAxis);
    c.outsideLimits = text(TextId::TrendOutsideLimits);
    m_view.emptyText = text(TextId::TrendNothingToChart);
    m_view.countsText = countsText();
    buildPanes();
}

void TrendController::buildPanes() {
    m_view.panes.clear();
    const SeriesSet available = m_model.availableSeries();
    for (Quantity q : kPaneOrder) {
        const Series measured = measuredOf(q);
        if (!available.contains(measured)) {
            continue;
        }
        Pane pane;
        pane.quantity = q;
        pane.axisTitle = text(seriesText(measured));
        const std::string_view unit = seriesInfo(measured).unit;
        if (!unit.empty()) {
            pane.axisTitle += " (" + std::string(unit) + ")";
        }
        for (std::size_t i = 0; i < kSeriesCount; ++i) {
            const auto s = static_cast<Series>(i);
            if (seriesInfo(s).quantity == q && available.contains(s)) {
                pane.series.push_back(SeriesChoice{s, text(seriesText(s)), false});
            }
        }
        m_view.panes.push_back(std::move(pane));
    }
    applyShown();
}

void TrendController::applyShown() {
    for (Pane &pane : m_view.panes) {
        pane.visible = false;
        for (SeriesChoice &choice : pane.series) {
            choice.shown = m_view.shown.contains(choice.series);
            pane.visible = pane.visible || choice.shown;
        }
    }
}

std::string TrendController::countsText() const {
    std::string out =
        text(TextId::TrendRecordsCharted) + " " + std::to_string(m_model.sampleCount());
    out += "   " + text(TextId::TrendImpossibleTimestamps) + " " +
           std::to_string(m_model.impossibleTimestampCount());
    if (m_model.withoutValuesCount() > 0) {
        out += "   " + text(TextId::TrendWithoutValues) + " " +
               std::to_string(m_model.withoutValuesCount());
    }
    if (m_model.clockSetBackCount() > 0) {
        out += "   " + text(TextId::TrendClockSetBack) + " " +
               std::to_string(m_model.clockSetBackCount());
    }
    return out;
}

void TrendController::retranslate() {
    change([&] {
        applyTexts();
        updateRange();
        updateReadout();
    });
}

void TrendController::reload(TrendModel model) {
    change([&] {
        const SeriesSet chosen = m_view.shown;
        const SeriesSet before = m_model.availableSeries();
        m_model = std::move(model);
        // Series the old log did not have are shown as they come; those the operator hid stay
        // hidden.
        m_view.shown = (chosen & m_model.availableSeries()) |
                       SeriesSet::fromBits(m_model.availableSeries().bits() & ~before.bits());
        m_view.hasData = m_model.sampleCount() > 0;
        m_back.clear();
        m_pointer.reset();
        if (m_view.hasData) {
            const TimeRange full = *m_model.fullRange();
            const TimeRange old = m_view.visible;
            const bool wasWhole = !m_view.zoomed;
            m_view.extent = full;
            m_view.extent = fitted(full.from, full.to);
            const bool inside = old.from >= m_view.extent.from && old.to <= m_view.extent.to;
            m_view.visible = !wasWhole && inside ? old : m_view.extent;
        } else {
            m_view.extent = m_view.visible = TimeRange{};
        }
        applyTexts();
        updateRange();
        updateReadout();
    });
}

// ---- series ------------------------------------------------------------------------------------

void TrendController::setShown(Series s, bool shown) {
    SeriesSet set = m_view.shown;
    if (shown) {
        set.insert(s);
    } else {
        set.erase(s);
    }
    setShownSet(set);
}

void TrendController::setShownSet(SeriesSet shown) {
    shown = shown & m_model.availableSeries();
    if (shown == m_view.shown) {
        return;
    }
    change([&] {
        m_view.shown = shown;
        applyShown();
        updateReadout();
    });
}

// ---- range on view -----------------------------------------------------------------------------

TimeRange TrendController::fitted(std::int64_t from, std::int64_t to) const {
    if (from > to) {
        std::swap(from, to);
    }
    const TimeRange &extent = m_view.extent;
    // The extent itself is fitted against the log's own range when it is set, so it may be
    // narrower than the minimum only then.
    const std::int64_t widest = std::max(spanOf(extent), kMinimumSpan);
    const std::int64_t span = std::clamp(to - from, kMinimumSpan, widest);
    std::int64_t start = from + (to - from) / 2 - span / 2;
    if (spanOf(extent) >= kMinimumSpan) {
        start = std::clamp(start, extent.from, extent.to - span);
    }
    return TimeRange{start, start + span};
}

void TrendController::setVisible(TimeRange range, bool remember) {
    if (range == m_view.visible) {
        return;
    }
    if (remember) {
        if (m_back.size() == kBackDepth) {
            m_back.erase(m_back.begin());
        }
        m_back.push_back(m_view.visible);
    }
    m_view.visible = range;
}

void TrendController::updateRange() {
    const TimeRange &v = m_view.visible;
    m_view.zoomed = m_view.hasData && !(v == m_view.extent);
    m_view.canGoBack = m_view.hasData && (!m_back.empty() || m_view.zoomed);
    m_view.canZoomIn = m_view.hasData && spanOf(v) > kMinimumSpan;
    m_view.chartTitle.clear();
    if (m_view.hasData) {
        m_view.chartTitle = m_poolName.empty() ? std::string() : m_poolName + "  ";
        m_view.chartTitle += timeText(v.from) + " - " + timeText(v.to);
    }
}

void TrendController::zoomTo(std::int64_t from, std::int64_t to) {
    if (!m_view.hasData) {
        return;
    }
    change([&] {
        setVisible(fitted(from, to), true);
        updateRange();
        updateReadout();
    });
}

void TrendController::zoomBy(double factor, std::int64_t anchor) {
    if (!m_view.hasData || !(factor > 0) || !std::isfinite(factor)) {
        return;
    }
    const TimeRange v = m_view.visible;
    const double span = static_cast<double>(spanOf(v));
    const double widest = static_cast<double>(std::max(spanOf(m_view.extent), kMinimumSpan));
    const double newSpan = std::clamp(span * factor, static_cast<double>(kMinimumSpan), widest);
    anchor = std::clamp(anchor, v.from, v.to);
    const double share = span > 0 ? static_cast<double>(anchor - v.from) / span : 0.5;
    const auto from = anchor - static_cast<std::int64_t>(std::llround(share * newSpan));
    const auto to = from + static_cast<std::int64_t>(std::llround(newSpan));
    change([&] {
        setVisible(fitted(from, to), true);
        updateRange();
        updateReadout();
    });
}

void TrendController::zoomBy(double factor) {
    const TimeRange v = m_view.visible;
    zoomBy(factor, v.from + spanOf(v) / 2);
}

void TrendController::zoomBack() {
    if (m_back.empty()) {
        showWholeLog();
        return;
    }
    change([&] {
        const TimeRange previous = m_back.back();
        m_back.pop_back();
        setVisible(previous, false);
        updateRange();
        updateReadout();
    });
}

void TrendController::showWholeLog() {
    if (!m_view.hasData) {
        return;
    }
    change([&] {
        m_back.clear();
        setVisible(m_view.extent, false);
        updateRange();
        updateReadout();
    });
}

void TrendController::panBy(double fraction) {
    if (!std::isfinite(fraction)) {
        return;
    }
    panBySeconds(static_cast<std::int64_t>(
        std::llround(fraction * static_cast<double>(spanOf(m_view.visible)))));
}

void TrendController::panBySeconds(std::int64_t seconds) {
    if (!m_view.hasData || seconds == 0) {
        return;
    }
    const TimeRange v = m_view.visible;
    const TimeRange moved = fitted(v.from + seconds, v.to + seconds);
    if (moved == v) {
        return;
    }
    change([&] {
        setVisible(moved, false);
        updateRange();
        updateReadout();
    });
}

// ---- readout -----------------------------------------------------------------------------------

void TrendController::pointAt(std::int64_t time) {
    if (!m_view.hasData) {
        return;
    }
    change([&] {
        m_pointer = time;
        updateReadout();
    });
}

void TrendController::leaveChart() {
    if (!m_pointer) {
        return;
    }
    change([&] {
        m_pointer.reset();
        updateReadout();
    });
}

void TrendController::updateReadout() {
    m_view.readout.reset();
    m_view.readoutText = text(TextId::TrendReadoutIdle);
    if (!m_pointer || !m_view.hasData) {
        return;
    }
    Readout r = m_model.readoutAt(*m_pointer, m_view.shown);
    if (!r.found) {
        return;
    }
    m_view.readoutText = readoutText(r, [this](Series s) { return text(seriesText(s)); });
    m_view.readoutText +=
        "  (" + text(TextId::TrendRecordWord) + " " + std::to_string(r.recordNumber) + ")";
    m_view.readout = std::move(r);
}

// ---- saving ------------------------------------------------------------------------------------

std::string TrendController::suggestedFileName() const {
    const std::string pool = fileNamePart(m_poolName);
    return pool.empty() ? std::string("trend.png") : pool + " trend.png";
}

void TrendController::saveChart(const std::function<std::string()> &renderPng) {
    if (!m_view.hasData) {
        return;
    }
    const std::filesystem::path start =
        m_exportFolder.empty() ? std::filesystem::path(suggestedFileName())
                               : std::filesystem::path(m_exportFolder) / suggestedFileName();
    const std::optional<std::string> chosen =
        m_dialog.saveFile(start.string(), text(TextId::TrendPngFilter) + "|*.png");
    if (!chosen || chosen->empty()) {
        return;
    }
    std::filesystem::path target(*chosen);
    if (!target.has_extension()) {
        target += ".png";
    }
    change([&] {
        m_view.status.clear();
        const std::string bytes = renderPng ? renderPng() : std::string();
        if (bytes.empty()) {
            m_box.show(text(TextId::TrendChartNotSaved), platform::style::kCritical,
                       m_view.windowTitle);
            return;
        }
        try {
            m_files.saveWhole(target, bytes);
        } catch (const AqlError &e) {
            m_box.show(text(TextId::TrendChartNotSaved) + "\r\n" + e.description(),
                       platform::style::kCritical, m_view.windowTitle);
            return;
        }
        m_view.status = text(TextId::TrendChartSaved) + " " + target.string();
    });
}

} // namespace aql::trend

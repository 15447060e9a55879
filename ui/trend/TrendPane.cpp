#include "ui/trend/TrendPane.h"

#include "trend/Axes.h"
#include "ui/trend/TrendStyle.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QGraphicsItem>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace aql::ui {
namespace {

constexpr int kSideMargin = 6;
constexpr int kRightMargin = 26;
// A drag shorter than this is a click.
constexpr int kDragThreshold = 4;
// The time labels need about this much room each; the value labels this much height.
constexpr qreal kTimeLabelSpacing = 96;
constexpr qreal kValueLabelSpacing = 26;
// Step lines and shading reach this far past the plot's edges and are clipped there: coordinates
// of a sample years away would otherwise be millions of pixels long.
constexpr qreal kBeyondEdge = 16;
// The crosshair's dots reach this far either side of its line.
constexpr qreal kCrosshairReach = 6;

QFont smaller(QFont font, qreal points) {
    font.setPointSizeF(points);
    return font;
}

QList<QPointF> toPoints(const std::vector<trend::Point> &points) {
    QList<QPointF> out;
    out.reserve(static_cast<qsizetype>(points.size()));
    for (const trend::Point &p : points) {
        out.append(QPointF(static_cast<double>(p.time), p.value));
    }
    return out;
}

// The lowest and highest value drawn, preferring what lies inside the range on view: the
// measured line's neighbours just outside only lead it to the edge, while a limit step drawn
// across the view counts wherever its ends are.
struct Extent {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    double lowAll = low;
    double highAll = high;

    void add(double time, double value, const trend::TimeRange &visible) {
        lowAll = std::min(lowAll, value);
        highAll = std::max(highAll, value);
        if (time >= static_cast<double>(visible.from) && time <= static_cast<double>(visible.to)) {
            addInside(value);
        }
    }
    void addInside(double value) {
        low = std::min(low, value);
        high = std::max(high, value);
        lowAll = std::min(lowAll, value);
        highAll = std::max(highAll, value);
    }
    bool any() const { return lowAll <= highAll; }
    double bottom() const { return low <= high ? low : lowAll; }
    double top() const { return low <= high ? high : highAll; }
};

} // namespace

// ---- overlay -----------------------------------------------------------------------------------

class TrendPane::Overlay : public QGraphicsItem {
public:
    enum class Layer { Bands, Steps, Pointer };

    // Qt Charts stacks its plot background at 0, its grid at 2, axes at 3 and series at 4: the
    // shading goes under the grid, the limits under the measured line, the crosshair on top.
    Overlay(const TrendPane &pane, Layer layer)
        : QGraphicsItem(pane.m_chart), m_pane(pane), m_layer(layer) {
        setZValue(layer == Layer::Bands ? 1.5 : layer == Layer::Steps ? 3.5 : 6);
        setAcceptedMouseButtons(Qt::NoButton);
    }

    QRectF boundingRect() const override { return m_pane.m_chart->plotArea(); }

    void changed() {
        prepareGeometryChange();
        update();
    }

    // Only the strip around the crosshair at `time` needs drawing again when the pointer moves:
    // repainting the whole plot for it would redraw every line at each move of the mouse.
    void changedAround(std::optional<double> time) {
        const QRectF plot = m_pane.m_chart->plotArea();
        const PaneDrawing &d = m_pane.m_drawing;
        if (!time || plot.isEmpty() || !(d.xMax > d.xMin)) {
            return;
        }
        const qreal x = plot.left() + (*time - d.xMin) * plot.width() / (d.xMax - d.xMin);
        update(QRectF(x - kCrosshairReach, plot.top() - 1, 2 * kCrosshairReach, plot.height() + 2));
    }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override {
        const QRectF plot = m_pane.m_chart->plotArea();
        const PaneDrawing &d = m_pane.m_drawing;
        if (plot.isEmpty() || !(d.xMax > d.xMin) || !(d.yMax > d.yMin)) {
            return;
        }
        const double xScale = plot.width() / (d.xMax - d.xMin);
        const double yScale = plot.height() / (d.yMax - d.yMin);
        auto x = [&](double t) {
            return std::clamp(plot.left() + (t - d.xMin) * xScale, plot.left() - kBeyondEdge,
                              plot.right() + kBeyondEdge);
        };
        auto y = [&](double v) {
            return std::clamp(plot.bottom() - (v - d.yMin) * yScale, plot.top() - kBeyondEdge,
                              plot.bottom() + kBeyondEdge);
        };
        painter->save();
        painter->setClipRect(plot);
        switch (m_layer) {
        case Layer::Bands:
            for (const auto &[from, to] : d.bands) {
                const qreal left = x(from);
                painter->fillRect(QRectF(QPointF(left, plot.top()),
                                         QPointF(std::max(x(to), left + 1), plot.bottom())),
                                  outsideLimitsColour());
            }
            break;
        case Layer::Steps:
            painter->setRenderHint(QPainter::Antialiasing);
            for (const PaneDrawing::StepLines &s : d.steps) {
                painter->setPen(s.pen);
                for (const QPolygonF &line : s.lines) {
                    QPolygonF mapped;
                    mapped.reserve(line.size());
                    for (const QPointF &p : line) {
                        mapped.append(QPointF(x(p.x()), y(p.y())));
                    }
                    painter->drawPolyline(mapped);
                }
            }
            break;
        case Layer::Pointer:
            if (d.pointerTime) {
                painter->setRenderHint(QPainter::Antialiasing);
                const qreal at = x(*d.pointerTime);
                painter->setPen(QPen(QColor(60, 60, 60, 170), 1));
                painter->drawLine(QPointF(at, plot.top()), QPointF(at, plot.bottom()));
                for (const auto &[colour, value] : d.pointerValues) {
                    painter->setPen(QPen(Qt::white, 1.5));
                    painter->setBrush(colour);
                    painter->drawEllipse(QPointF(at, y(value)), 3.5, 3.5);
                }
            }
            break;
        }
        painter->restore();
    }

private:
    const TrendPane &m_pane;
    Layer m_layer;
};

// ---- pane --------------------------------------------------------------------------------------

TrendPane::TrendPane(trend::Quantity quantity, QWidget *parent)
    // The view takes its chart at construction: a chart set later replaces one the view made
    // itself and leaves that one to nobody.
    : QChartView(new QChart, parent), m_quantity(quantity), m_chart(chart()),
      m_timeAxis(new QCategoryAxis), m_valueAxis(new QValueAxis),
      m_band(new QRubberBand(QRubberBand::Rectangle, this)) {
    setRenderHint(QPainter::Antialiasing);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setMinimumHeight(150);
    setCursor(Qt::CrossCursor);

    m_chart->setBackgroundRoundness(0);
    // On the right, room for half a time label at the end of the axis.
    m_chart->setMargins(QMargins(kSideMargin, 2, kRightMargin, 0));
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    QLegend *legend = m_chart->legend();
    legend->setAlignment(Qt::AlignTop);
    legend->setMarkerShape(QLegend::MarkerShapeFromSeries);
    legend->setFont(smaller(font(), 8.5));
    legend->setLabelColor(QColor(50, 50, 50));

    const QColor grid(225, 228, 232);
    for (QAbstractAxis *axis :
         {static_cast<QAbstractAxis *>(m_timeAxis), static_cast<QAbstractAxis *>(m_valueAxis)}) {
        axis->setLabelsFont(smaller(font(), 8));
        axis->setLabelsColor(QColor(60, 60, 60));
        axis->setTitleFont(smaller(font(), 8.5));
        axis->setGridLineColor(grid);
        axis->setLinePenColor(QColor(170, 170, 170));
    }
    m_timeAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_valueAxis->setMinorTickCount(0);
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignLeft);

    auto attach = [this](QAbstractSeries *series) {
        m_chart->addSeries(series);
        series->attachAxis(m_timeAxis);
        series->attachAxis(m_valueAxis);
    };
    for (std::size_t i = 0; i < trend::kSeriesCount; ++i) {
        const auto s = static_cast<trend::Series>(i);
        if (trend::seriesInfo(s).quantity != quantity) {
            continue;
        }
        auto *line = new QLineSeries;
        line->setPen(seriesPen(s));
        attach(line);
        if (trend::isStepSeries(s)) {
            m_legendOnly[s] = line;
        } else {
            m_measured = line;
        }
    }
    m_shadingLegend = new QAreaSeries(new QLineSeries(m_chart)); // the area does not own it
    m_shadingLegend->setBrush(outsideLimitsColour());
    m_shadingLegend->setPen(QPen(outsideLimitsColour().darker(130), 1));
    attach(m_shadingLegend);
    for (QLegendMarker *marker : legend->markers(m_shadingLegend)) {
        // The fill itself is too faint for a marker a few pixels wide.
        marker->setShape(QLegend::MarkerShapeRectangle);
        marker->setBrush(QColor(255, 0, 0, 90));
        marker->setPen(QPen(Qt::NoPen));
    }

    for (auto layer : {Overlay::Layer::Bands, Overlay::Layer::Steps, Overlay::Layer::Pointer}) {
        m_overlays.push_back(new Overlay(*this, layer));
    }
    connect(m_chart, &QChart::plotAreaChanged, this, [this] {
        for (Overlay *o : m_overlays) {
            o->changed();
        }
    });
}

TrendPane::~TrendPane() = default;

void TrendPane::setTexts(const Texts &texts) {
    // The window passes its texts at every change of its view, the pointer's moves included.
    if (m_texts && m_texts->axisTitle == texts.axisTitle &&
        m_texts->timeAxisTitle == texts.timeAxisTitle &&
        m_texts->outsideLimits == texts.outsideLimits && m_texts->labels == texts.labels) {
        return;
    }
    m_texts = texts;
    m_valueAxis->setTitleText(texts.axisTitle);
    m_timeAxis->setTitleText(texts.timeAxisTitle);
    m_shadingLegend->setName(texts.outsideLimits);
    for (const auto &[series, label] : texts.labels) {
        if (trend::seriesInfo(series).quantity != m_quantity) {
            continue;
        }
        if (!trend::isStepSeries(series)) {
            m_measured->setName(label);
        } else {
            m_legendOnly.at(series)->setName(label);
        }
    }
}

int TrendPane::decimationWidth() const {
    const qreal width = plotRect().width() > 1 ? plotRect().width() : viewport()->width();
    return std::max(1, static_cast<int>(std::ceil(width * devicePixelRatioF())));
}

QRectF TrendPane::plotRect() const {
    return mapFromScene(m_chart->mapRectToScene(m_chart->plotArea())).boundingRect();
}

std::int64_t TrendPane::timeAt(qreal x) const {
    const QRectF plot = plotRect();
    if (plot.width() <= 0) {
        return static_cast<std::int64_t>(m_drawing.xMin);
    }
    const double share = std::clamp((x - plot.left()) / plot.width(), 0.0, 1.0);
    return static_cast<std::int64_t>(
        std::llround(m_drawing.xMin + share * (m_drawing.xMax - m_drawing.xMin)));
}

qreal TrendPane::xOf(std::int64_t time) const {
    const QRectF plot = plotRect();
    return plot.left() + (static_cast<double>(time) - m_drawing.xMin) * plot.width() /
                             (m_drawing.xMax - m_drawing.xMin);
}

qreal TrendPane::naturalPlotLeft() {
    if (QGraphicsLayout *layout = m_chart->layout()) {
        layout->activate();
    }
    return m_chart->plotArea().left() - m_extraLeft;
}

void TrendPane::setExtraLeft(int pixels) {
    if (pixels == m_extraLeft) {
        return;
    }
    m_extraLeft = pixels;
    QMargins margins = m_chart->margins();
    margins.setLeft(kSideMargin + pixels);
    m_chart->setMargins(margins);
    if (QGraphicsLayout *layout = m_chart->layout()) {
        layout->activate();
    }
}

// ---- drawing -----------------------------------------------------------------------------------

void TrendPane::redraw(const trend::TrendModel &model, trend::TimeRange visible,
                       trend::SeriesSet shown, bool timeLabels) {
    const std::optional<double> pointer = m_drawing.pointerTime;
    const auto pointerValues = std::move(m_drawing.pointerValues);
    m_drawing = PaneDrawing{};
    m_drawing.pointerTime = pointer;
    m_drawing.pointerValues = pointerValues;
    m_drawing.xMin = static_cast<double>(visible.from);
    m_drawing.xMax = static_cast<double>(std::max(visible.to, visible.from + 1));
    m_pointsDrawn = 0;

    const int width = decimationWidth();
    const trend::SeriesSet here = shown & model.availableSeries();
    Extent extent;
    bool shading = false;
    std::vector<trend::Interval> bands;
    QList<QPointF> measured;
    for (std::size_t i = 0; i < trend::kSeriesCount; ++i) {
        const auto s = static_cast<trend::Series>(i);
        const trend::SeriesInfo &info = trend::seriesInfo(s);
        if (info.quantity != m_quantity) {
            continue;
        }
        if (!trend::isStepSeries(s)) {
            if (here.contains(s)) {
                const std::vector<trend::Point> points = model.decimate(s, visible, width);
                for (const trend::Point &p : points) {
                    extent.add(static_cast<double>(p.time), p.value, visible);
                }
                m_pointsDrawn += points.size();
                measured = toPoints(points);
            }
            continue;
        }
        if (!here.contains(s)) {
            continue;
        }
        PaneDrawing::StepLines lines{seriesPen(s), {}};
        for (const std::vector<trend::Point> &line : model.polylines(s, visible, width)) {
            QPolygonF polygon;
            polygon.reserve(static_cast<qsizetype>(line.size()));
            for (const trend::Point &p : line) {
                polygon.append(QPointF(static_cast<double>(p.time), p.value));
                extent.addInside(p.value); // every step the model gives overlaps the view
            }
            m_pointsDrawn += line.size();
            lines.lines.push_back(std::move(polygon));
        }
        m_drawing.steps.push_back(std::move(lines));
        const trend::Role role = info.role;
        const bool limit = role == trend::Role::HighAlarm || role == trend::Role::LowAlarm ||
                           role == trend::Role::StopAlarm;
        if (limit && !measured.isEmpty()) {
            shading = true;
            const std::vector<trend::Interval> found = model.shading(s, visible, width);
            bands.insert(bands.end(), found.begin(), found.end());
        }
    }
    // Stretches beyond two limits at once (below the low and the stop alarm) are shaded once.
    std::sort(bands.begin(), bands.end(),
              [](const trend::Interval &a, const trend::Interval &b) { return a.start < b.start; });
    for (const trend::Interval &b : bands) {
        const auto from = static_cast<double>(b.start);
        const auto to = static_cast<double>(b.end);
        if (!m_drawing.bands.empty() && from <= m_drawing.bands.back().second) {
            m_drawing.bands.back().second = std::max(m_drawing.bands.back().second, to);
        } else {
            m_drawing.bands.emplace_back(from, to);
        }
    }

    // Every change of an axis lays out the chart's lines anew: the old line goes first and the new
    // one comes last, so that thousands of points are laid out once instead of three times.
    m_measured->clear();
    m_timeAxis->setRange(m_drawing.xMin, m_drawing.xMax);
    setTimeLabels(visible, timeLabels);
    if (extent.any()) {
        fitValueAxis(extent.bottom(), extent.top());
    } else {
        fitValueAxis(0, 1);
    }
    m_measured->replace(measured);
    updateLegend(here, shading);
    for (Overlay *o : m_overlays) {
        o->changed();
    }
}

void TrendPane::fitValueAxis(double low, double high) {
    const double room = (high - low) * 0.06;
    const qreal plotHeight = plotRect().height() > 1 ? plotRect().height() : height() - 60;
    const int marks = std::clamp(static_cast<int>(plotHeight / kValueLabelSpacing), 3, 9);
    const trend::ValueScale scale = trend::valueScale(low - room, high + room, marks);
    m_valueAxis->setRange(scale.min, scale.max);
    m_valueAxis->setTickCount(scale.tickCount());
    m_valueAxis->setLabelFormat(QStringLiteral("%.%1f").arg(scale.decimals));
    m_drawing.yMin = scale.min;
    m_drawing.yMax = scale.max;
}

void TrendPane::setTimeLabels(trend::TimeRange visible, bool timeLabels) {
    for (const QString &label : m_timeAxis->categoriesLabels()) {
        m_timeAxis->remove(label);
    }
    const qreal plotWidth = plotRect().width() > 1 ? plotRect().width() : width() - 80;
    const int marks = std::clamp(static_cast<int>(plotWidth / kTimeLabelSpacing), 2, 14);
    // A mark on the first second of the range is still a category of its own.
    m_timeAxis->setStartValue(m_drawing.xMin - 1);
    int k = 0;
    for (const trend::TimeTick &tick : trend::timeTicks(visible, marks)) {
        // Labels are rich text: the date goes on a second line, and a comment keeps apart labels
        // that read the same on different days (the axis takes each label once).
        QString label = QString::fromLatin1(tick.text.c_str());
        if (!tick.dateText.empty()) {
            label += QStringLiteral("<br>") + QString::fromLatin1(tick.dateText.c_str());
        }
        label += QStringLiteral("<!--%1-->").arg(k++);
        const auto at = static_cast<double>(tick.time);
        if (at > m_timeAxis->startValue()) {
            m_timeAxis->append(label, at);
        }
    }
    m_timeAxis->setLabelsVisible(timeLabels);
    m_timeAxis->setTitleVisible(timeLabels);
}

void TrendPane::updateLegend(trend::SeriesSet shown, bool shading) {
    QLegend *legend = m_chart->legend();
    auto show = [legend](QAbstractSeries *series, bool visible) {
        for (QLegendMarker *marker : legend->markers(series)) {
            marker->setVisible(visible);
        }
    };
    for (std::size_t i = 0; i < trend::kSeriesCount; ++i) {
        const auto s = static_cast<trend::Series>(i);
        if (trend::seriesInfo(s).quantity != m_quantity) {
            continue;
        }
        if (!trend::isStepSeries(s)) {
            show(m_measured, shown.contains(s));
        } else {
            show(m_legendOnly.at(s), shown.contains(s));
        }
    }
    show(m_shadingLegend, shading);
}

void TrendPane::showReadout(const std::optional<trend::Readout> &readout) {
    std::optional<double> time;
    std::vector<std::pair<QColor, double>> values;
    if (readout && readout->found) {
        time = static_cast<double>(readout->time);
        for (const trend::ReadoutEntry &e : readout->entries) {
            if (e.value && trend::seriesInfo(e.series).quantity == m_quantity &&
                !trend::isStepSeries(e.series)) {
                values.emplace_back(quantityColour(m_quantity), *e.value);
            }
        }
    }
    if (time == m_drawing.pointerTime && values == m_drawing.pointerValues) {
        return;
    }
    Overlay *pointer = m_overlays.back();
    pointer->changedAround(m_drawing.pointerTime);
    m_drawing.pointerTime = time;
    m_drawing.pointerValues = std::move(values);
    pointer->changedAround(m_drawing.pointerTime);
}

// ---- the operator's mouse ----------------------------------------------------------------------

void TrendPane::mousePressEvent(QMouseEvent *event) {
    const QPointF at = event->position();
    if (!plotRect().contains(at)) {
        event->ignore();
        return;
    }
    m_pressAt = at;
    m_dragged = false;
    const bool panButton =
        event->button() == Qt::RightButton || event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier));
    if (panButton) {
        m_drag = Drag::Pan;
        m_lastPanX = at.x();
        m_panRemainder = 0;
        setCursor(Qt::ClosedHandCursor);
    } else if (event->button() == Qt::LeftButton) {
        m_drag = Drag::Zoom;
        const QRectF plot = plotRect();
        m_band->setGeometry(QRect(static_cast<int>(at.x()), static_cast<int>(plot.top()), 1,
                                  static_cast<int>(plot.height())));
        m_band->show();
    }
    event->accept();
}

void TrendPane::mouseMoveEvent(QMouseEvent *event) {
    const QPointF at = event->position();
    const QRectF plot = plotRect();
    m_dragged = m_dragged || std::abs(at.x() - m_pressAt.x()) >= kDragThreshold;
    if (m_drag == Drag::Zoom) {
        const qreal x = std::clamp(at.x(), plot.left(), plot.right());
        const int left = static_cast<int>(std::min<qreal>(x, m_pressAt.x()));
        const int right = static_cast<int>(std::max<qreal>(x, m_pressAt.x()));
        m_band->setGeometry(QRect(left, static_cast<int>(plot.top()), std::max(1, right - left),
                                  static_cast<int>(plot.height())));
    } else if (m_drag == Drag::Pan && plot.width() > 0) {
        const double seconds =
            -(at.x() - m_lastPanX) * (m_drawing.xMax - m_drawing.xMin) / plot.width() +
            m_panRemainder;
        const double whole = std::trunc(seconds);
        m_panRemainder = seconds - whole;
        m_lastPanX = at.x();
        if (whole != 0) {
            emit panRequested(static_cast<qint64>(whole));
        }
    }
    if (plot.contains(at)) {
        emit pointerMoved(timeAt(at.x()));
    } else if (m_drag == Drag::None) {
        emit pointerLeft();
    }
    event->accept();
}

void TrendPane::mouseReleaseEvent(QMouseEvent *event) {
    const Drag drag = m_drag;
    m_drag = Drag::None;
    setCursor(Qt::CrossCursor);
    m_band->hide();
    const qreal x = std::clamp(event->position().x(), plotRect().left(), plotRect().right());
    if (drag == Drag::Zoom && m_dragged) {
        emit zoomRequested(timeAt(std::min<qreal>(x, m_pressAt.x())),
                           timeAt(std::max<qreal>(x, m_pressAt.x())));
    } else if (drag == Drag::Pan && !m_dragged && event->button() == Qt::RightButton) {
        emit backRequested();
    }
    event->accept();
}

void TrendPane::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && plotRect().contains(event->position())) {
        emit zoomByRequested(0.5, timeAt(event->position().x()));
    }
    event->accept();
}

void TrendPane::wheelEvent(QWheelEvent *event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0 && plotRect().contains(event->position())) {
        emit zoomByRequested(std::pow(0.8, steps), timeAt(event->position().x()));
    }
    event->accept();
}

void TrendPane::leaveEvent(QEvent *event) {
    if (m_drag == Drag::None) {
        emit pointerLeft();
    }
    QChartView::leaveEvent(event);
}

void TrendPane::keyPressEvent(QKeyEvent *event) {
    // The window's keys (arrows pan, + and - zoom); the view would scroll its scene with them.
    event->ignore();
}

void TrendPane::resizeEvent(QResizeEvent *event) {
    QChartView::resizeEvent(event);
    emit resized();
}

} // namespace aql::ui

#pragma once

#include "trend/Series.h"
#include "trend/TrendModel.h"

#include <QChartView>
#include <QPen>
#include <QPolygonF>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAreaSeries;
class QCategoryAxis;
class QLineSeries;
class QRubberBand;
class QValueAxis;

namespace aql::ui {

// What a pane draws itself on top of the chart, in chart values (seconds, the quantity's unit):
// the shading outside the limits under everything, the limit and setpoint steps (a chart line
// cannot leave the gaps where a limit is unset), and the pointer's crosshair over everything.
struct PaneDrawing {
    double xMin = 0, xMax = 1, yMin = 0, yMax = 1;
    std::vector<std::pair<double, double>> bands; // from, to
    struct StepLines {
        QPen pen;
        std::vector<QPolygonF> lines;
    };
    std::vector<StepLines> steps;
    std::optional<double> pointerTime;
    std::vector<std::pair<QColor, double>> pointerValues; // a dot per measured value
};

// One chart of the trend window: a quantity's measured values, its setpoints and alarm limits,
// over the time range the window shows. Panes sit one above the other and share the time axis;
// the bottom one writes the time labels. The pane turns the operator's mouse into requests for
// the window (zoom, pan, back, the time under the pointer) and changes no range itself.
class TrendPane : public QChartView {
    Q_OBJECT
public:
    explicit TrendPane(trend::Quantity quantity, QWidget *parent = nullptr);
    ~TrendPane() override;

    trend::Quantity quantity() const { return m_quantity; }

    struct Texts {
        QString axisTitle, timeAxisTitle, outsideLimits;
        std::map<trend::Series, QString> labels;
    };
    void setTexts(const Texts &texts);

    // Draws the shown series of this quantity over `visible`, decimated to decimationWidth().
    void redraw(const trend::TrendModel &model, trend::TimeRange visible, trend::SeriesSet shown,
                bool timeLabels);
    // The crosshair at the readout's sample; none hides it.
    void showReadout(const std::optional<trend::Readout> &readout);

    // The pixel columns the model decimates to: the pane's width in device pixels.
    int decimationWidth() const;
    // What the pane draws itself over the chart.
    const PaneDrawing &drawing() const { return m_drawing; }
    // The points the last redraw handed over: the measured line and the limit steps.
    std::size_t pointsDrawn() const { return m_pointsDrawn; }
    // The plot area in the pane's coordinates, and the time at an x of it.
    QRectF plotRect() const;
    std::int64_t timeAt(qreal x) const;
    qreal xOf(std::int64_t time) const;

    // Panes line up their plot areas: the left edge of this one as its axis needs it, and the
    // extra room to put in front of that.
    qreal naturalPlotLeft();
    void setExtraLeft(int pixels);

signals:
    void zoomRequested(qint64 from, qint64 to);
    void zoomByRequested(double factor, qint64 anchor);
    void panRequested(qint64 seconds);
    void backRequested();
    void pointerMoved(qint64 time);
    void pointerLeft();
    void resized();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    enum class Drag { None, Zoom, Pan };
    class Overlay;

    void fitValueAxis(double low, double high);
    void setTimeLabels(trend::TimeRange visible, bool timeLabels);
    void updateLegend(trend::SeriesSet shown, bool shading);

    trend::Quantity m_quantity;
    QChart *m_chart;
    QCategoryAxis *m_timeAxis;
    QValueAxis *m_valueAxis;
    // The measured line, drawn by the chart; each step series has a line without points that
    // only stands in the legend, and so does the shading.
    QLineSeries *m_measured = nullptr;
    std::map<trend::Series, QLineSeries *> m_legendOnly;
    QAreaSeries *m_shadingLegend = nullptr;
    std::optional<Texts> m_texts;
    PaneDrawing m_drawing;
    std::vector<Overlay *> m_overlays;
    std::size_t m_pointsDrawn = 0;
    int m_extraLeft = 0;

    Drag m_drag = Drag::None;
    QPointF m_pressAt;
    qreal m_lastPanX = 0;
    double m_panRemainder = 0;
    bool m_dragged = false;
    QRubberBand *m_band;
};

} // namespace aql::ui

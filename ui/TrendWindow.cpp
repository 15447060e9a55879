#include "ui/TrendWindow.h"

#include "records/RecordList.h"
#include "trend/TrendModel.h"
#include "ui/Latin1Text.h"
#include "ui/trend/TrendPane.h"
#include "ui/trend/TrendStyle.h"

#include <QBuffer>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace aql::ui {
namespace {

// A sample of the series' line for its check box, drawn at the screen's pixel density.
QIcon swatch(trend::Series s, qreal ratio) {
    const QSize size(26, 12);
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen = seriesPen(s);
    pen.setWidthF(pen.widthF() + 0.4);
    painter.setPen(pen);
    painter.drawLine(QPointF(1, size.height() / 2.0),
                     QPointF(size.width() - 1, size.height() / 2.0));
    return QIcon(pixmap);
}

bool sameRange(trend::TimeRange a, trend::TimeRange b) {
    return a.from == b.from && a.to == b.to;
}

} // namespace

TrendWindow::TrendWindow(const records::RecordList &records, const std::string &poolName,
                         platform::FileSaver &files, platform::FileDialog &dialog,
                         platform::MessageBox &box, trend::TextSource texts,
                         std::string exportFolder, QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_controller(std::make_unique<trend::TrendController>(trend::TrendModel::fromRecords(records),
                                                            poolName, std::move(texts), files,
                                                            dialog, box, std::move(exportFolder))) {
    setObjectName(QStringLiteral("trendWindow"));
    build();
    m_subscription = m_controller->subscribe([this] { refresh(); });
    refresh();
    resize(firstSize());
}

// Three charts (pH, reagent, flow: what controller records carry) fit the first size; a log with
// redox or water temperature gets the height for its further charts, as far as the screen has
// room, so that no chart opens too low for its axis title.
QSize TrendWindow::firstSize() const {
    constexpr int kWidth = 1120;
    constexpr int kHeight = 780;
    constexpr int kChartsInFirstSize = 3;
    constexpr int kFurtherChart = 130;
    int height = kHeight + std::max<int>(0, static_cast<int>(m_panes.size()) - kChartsInFirstSize) *
                               kFurtherChart;
    if (const QScreen *shown = screen()) {
        height = std::min(height, static_cast<int>(shown->availableGeometry().height() * 0.92));
    }
    return {kWidth, std::max(height, kHeight)};
}

TrendWindow::~TrendWindow() = default;

void TrendWindow::reload(const records::RecordList &records) {
    ++m_generation;
    m_controller->reload(trend::TrendModel::fromRecords(records));
}

void TrendWindow::retranslate() {
    m_controller->retranslate();
}

void TrendWindow::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QWidget::changeEvent(event);
}

// ---- building ----------------------------------------------------------------------------------

void TrendWindow::build() {
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(10, 8, 10, 8);
    root->setSpacing(6);

    auto *tools = new QHBoxLayout;
    tools->setSpacing(4);
    m_panEarlier = new QToolButton(this);
    m_panEarlier->setArrowType(Qt::LeftArrow);
    m_panLater = new QToolButton(this);
    m_panLater->setArrowType(Qt::RightArrow);
    m_zoomIn = new QPushButton(this);
    m_zoomOut = new QPushButton(this);
    m_zoomBack = new QPushButton(this);
    m_wholeLog = new QPushButton(this);
    m_savePng = new QPushButton(this);
    m_close = new QPushButton(this);
    m_panEarlier->setObjectName(QStringLiteral("panEarlier"));
    m_panLater->setObjectName(QStringLiteral("panLater"));
    m_zoomIn->setObjectName(QStringLiteral("zoomIn"));
    m_zoomOut->setObjectName(QStringLiteral("zoomOut"));
    m_zoomBack->setObjectName(QStringLiteral("zoomBack"));
    m_wholeLog->setObjectName(QStringLiteral("wholeLog"));
    m_savePng->setObjectName(QStringLiteral("savePng"));
    m_close->setObjectName(QStringLiteral("close"));
    for (QWidget *w : std::initializer_list<QWidget *>{m_panEarlier, m_panLater, m_zoomIn,
                                                       m_zoomOut, m_zoomBack, m_wholeLog}) {
        tools->addWidget(w);
    }
    // The keys that pan and zoom belong to the window whatever was clicked last; the buttons
    // keep their access keys.
    setFocusPolicy(Qt::StrongFocus);
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_panEarlier, m_panLater, m_zoomIn, m_zoomOut, m_zoomBack,
                                          m_wholeLog, m_savePng, m_close}) {
        w->setFocusPolicy(Qt::NoFocus);
    }
    const int height = m_zoomIn->sizeHint().height();
    m_panEarlier->setFixedSize(height + 6, height);
    m_panLater->setFixedSize(height + 6, height);
    tools->addStretch(1);
    tools->addWidget(m_savePng);
    tools->addWidget(m_close);
    root->addLayout(tools);

    auto *body = new QHBoxLayout;
    body->setSpacing(8);
    m_stack = new QStackedWidget(this);
    m_chartArea = new QWidget;
    m_chartArea->setObjectName(QStringLiteral("chartArea"));
    m_chartArea->setAutoFillBackground(true);
    QPalette white = m_chartArea->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_chartArea->setPalette(white);
    m_paneLayout = new QVBoxLayout(m_chartArea);
    m_paneLayout->setContentsMargins(4, 6, 4, 2);
    m_paneLayout->setSpacing(0);
    m_chartTitle = new QLabel(m_chartArea);
    m_chartTitle->setObjectName(QStringLiteral("chartTitle"));
    QFont titleFont = m_chartTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() + 1);
    m_chartTitle->setFont(titleFont);
    m_chartTitle->setAlignment(Qt::AlignCenter);
    m_paneLayout->addWidget(m_chartTitle);
    m_empty = new QLabel;
    m_empty->setObjectName(QStringLiteral("nothingToChart"));
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_stack->addWidget(m_chartArea);
    m_stack->addWidget(m_empty);
    body->addWidget(m_stack, 1);

    auto *side = new QWidget;
    auto *sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    m_seriesTitle = new QLabel(side);
    QFont bold = m_seriesTitle->font();
    bold.setBold(true);
    m_seriesTitle->setFont(bold);
    sideLayout->addWidget(m_seriesTitle);
    m_seriesLayout = new QVBoxLayout;
    m_seriesLayout->setSpacing(6);
    sideLayout->addLayout(m_seriesLayout);
    sideLayout->addStretch(1);
    auto *scroll = new QScrollArea(this);
    m_seriesPanel = scroll;
    scroll->setWidget(side);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(210);
    scroll->setMaximumWidth(260);
    body->addWidget(scroll);
    root->addLayout(body, 1);

    m_readout = new QLabel(this);
    m_readout->setObjectName(QStringLiteral("readout"));
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A readout of every series is long: it wraps instead of widening the window.
    m_readout->setWordWrap(true);
    m_readout->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QFont readoutFont = m_readout->font();
    readoutFont.setPointSizeF(readoutFont.pointSizeF() + 0.5);
    m_readout->setFont(readoutFont);
    root->addWidget(m_readout);

    auto *bottom = new QHBoxLayout;
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("counts"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bottom->addWidget(m_counts);
    bottom->addStretch(1);
    bottom->addWidget(m_status);
    root->addLayout(bottom);
    m_hint = new QLabel(this);
    m_hint->setWordWrap(true);
    QPalette grey = m_hint->palette();
    grey.setColor(QPalette::WindowText, QColor(100, 100, 100));
    m_hint->setPalette(grey);
    root->addWidget(m_hint);

    auto &c = *m_controller;
    connect(m_panEarlier, &QToolButton::clicked, this, [&c] { c.panBy(-0.25); });
    connect(m_panLater, &QToolButton::clicked, this, [&c] { c.panBy(0.25); });
    connect(m_zoomIn, &QPushButton::clicked, this, [&c] { c.zoomBy(0.5); });
    connect(m_zoomOut, &QPushButton::clicked, this, [&c] { c.zoomBy(2); });
    connect(m_zoomBack, &QPushButton::clicked, this, [&c] { c.zoomBack(); });
    connect(m_wholeLog, &QPushButton::clicked, this, [&c] { c.showWholeLog(); });
    connect(m_savePng, &QPushButton::clicked, this,
            [this] { m_controller->saveChart([this] { return renderPng(); }); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
}

// One pane and one group of check boxes per quantity; the quantities change only with a reload.
void TrendWindow::syncPanes() {
    const auto &panes = m_controller->view().panes;
    const bool same =
        panes.size() == m_panes.size() && std::equal(panes.begin(), panes.end(), m_panes.begin(),
                                                     [](const auto &view, TrendPane *pane) {
                                                         return view.quantity == pane->quantity();
                                                     });
    if (!same) {
        for (TrendPane *pane : m_panes) {
            delete pane;
        }
        for (QGroupBox *group : m_groups) {
            delete group;
        }
        m_panes.clear();
        m_groups.clear();
        m_choices.clear();
        for (const auto &view : panes) {
            auto *pane = new TrendPane(view.quantity, m_chartArea);
            m_paneLayout->addWidget(pane, 1);
            m_panes.push_back(pane);
            auto &c = *m_controller;
            connect(pane, &TrendPane::zoomRequested, this,
                    [&c](qint64 from, qint64 to) { c.zoomTo(from, to); });
            connect(pane, &TrendPane::zoomByRequested, this,
                    [&c](double factor, qint64 anchor) { c.zoomBy(factor, anchor); });
            connect(pane, &TrendPane::panRequested, this,
                    [&c](qint64 seconds) { c.panBySeconds(seconds); });
            connect(pane, &TrendPane::backRequested, this, [&c] { c.zoomBack(); });
            connect(pane, &TrendPane::pointerMoved, this, [&c](qint64 time) { c.pointAt(time); });
            connect(pane, &TrendPane::pointerLeft, this, [&c] { c.leaveChart(); });
            connect(pane, &TrendPane::resized, this, [this, pane] {
                redrawPane(pane);
                alignPanes();
            });

            auto *group = new QGroupBox;
            auto *groupLayout = new QVBoxLayout(group);
            groupLayout->setSpacing(2);
            groupLayout->setContentsMargins(8, 4, 8, 6);
            for (const auto &choice : view.series) {
                auto *box = new QCheckBox(group);
                box->setObjectName(QString::fromLatin1(
                    trend::seriesInfo(choice.series).key.data(),
                    static_cast<qsizetype>(trend::seriesInfo(choice.series).key.size())));
                box->setIcon(swatch(choice.series, devicePixelRatioF()));
                box->setIconSize(QSize(26, 12));
                box->setFocusPolicy(Qt::NoFocus);
                const trend::Series series = choice.series;
                connect(box, &QCheckBox::toggled, this,
                        [&c, series](bool on) { c.setShown(series, on); });
                groupLayout->addWidget(box);
                m_choices[series] = box;
            }
            m_seriesLayout->addWidget(group);
            m_groups.push_back(group);
        }
        m_drawnGeneration = -1;
    }
}

// ---- showing the view --------------------------------------------------------------------------

void TrendWindow::refresh() {
    const trend::TrendController::View &v = m_controller->view();
    const trend::TrendController::Captions &c = v.captions;
    setWindowTitle(fromLatin1(v.windowTitle));
    m_panEarlier->setToolTip(withoutAccessKey(fromLatin1(c.panEarlier)));
    m_panLater->setToolTip(withoutAccessKey(fromLatin1(c.panLater)));
    m_zoomIn->setText(fromLatin1(c.zoomIn));
    m_zoomOut->setText(fromLatin1(c.zoomOut));
    m_zoomBack->setText(fromLatin1(c.zoomBack));
    m_wholeLog->setText(fromLatin1(c.wholeLog));
    m_savePng->setText(fromLatin1(c.savePng));
    m_close->setText(fromLatin1(c.close));
    m_seriesTitle->setText(fromLatin1(c.seriesPanelTitle));
    m_hint->setText(fromLatin1(c.hint));

    m_panEarlier->setEnabled(v.zoomed && v.visible.from > v.extent.from);
    m_panLater->setEnabled(v.zoomed && v.visible.to < v.extent.to);
    m_zoomIn->setEnabled(v.canZoomIn);
    m_zoomOut->setEnabled(v.zoomed);
    m_zoomBack->setEnabled(v.canGoBack);
    m_wholeLog->setEnabled(v.zoomed);
    m_savePng->setEnabled(v.hasData);

    m_stack->setCurrentIndex(v.hasData ? 0 : 1);
    m_seriesPanel->setVisible(v.hasData);
    m_readout->setVisible(v.hasData);
    m_hint->setVisible(v.hasData);
    m_empty->setText(fromLatin1(v.emptyText));
    m_chartTitle->setText(fromLatin1(v.chartTitle));
    m_readout->setText(fromLatin1(v.readoutText));
    m_counts->setText(fromLatin1(v.countsText));
    m_status->setText(fromLatin1(v.status));

    syncPanes();
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        const auto &view = v.panes[i];
        TrendPane::Texts texts;
        texts.axisTitle = fromLatin1(view.axisTitle);
        texts.timeAxisTitle = fromLatin1(c.timeAxisTitle);
        texts.outsideLimits = fromLatin1(c.outsideLimits);
        m_groups[i]->setTitle(fromLatin1(view.axisTitle));
        for (const auto &choice : view.series) {
            texts.labels[choice.series] = fromLatin1(choice.label);
            QCheckBox *box = m_choices.at(choice.series);
            const QSignalBlocker quiet(box);
            box->setText(fromLatin1(choice.label));
            box->setChecked(choice.shown);
        }
        m_panes[i]->setTexts(texts);
        m_panes[i]->setVisible(view.visible);
    }
    if (v.hasData && (m_drawnGeneration != m_generation || !sameRange(m_drawnRange, v.visible) ||
                      m_drawnShown != v.shown)) {
        redrawCharts();
    }
    for (TrendPane *pane : m_panes) {
        pane->showReadout(v.readout);
    }
}

TrendPane *TrendWindow::bottomPane() const {
    const auto &views = m_controller->view().panes;
    for (std::size_t i = m_panes.size(); i-- > 0;) {
        if (views[i].visible) {
            return m_panes[i];
        }
    }
    return nullptr;
}

void TrendWindow::redrawPane(TrendPane *pane) {
    const trend::TrendController::View &v = m_controller->view();
    if (!v.hasData || pane->isHidden()) {
        return;
    }
    pane->redraw(m_controller->model(), v.visible, v.shown, pane == bottomPane());
}

void TrendWindow::redrawCharts() {
    const trend::TrendController::View &v = m_controller->view();
    for (TrendPane *pane : m_panes) {
        redrawPane(pane);
    }
    alignPanes();
    m_drawnRange = v.visible;
    m_drawnShown = v.shown;
    m_drawnGeneration = m_generation;
}

// The value axes' labels differ in width from chart to chart; the plot areas start where the
// widest needs them to, so that one moment lies at the same x in every chart.
void TrendWindow::alignPanes() {
    std::vector<std::pair<TrendPane *, qreal>> natural;
    qreal target = 0;
    for (TrendPane *pane : m_panes) {
        if (!pane->isHidden()) {
            const qreal left = pane->naturalPlotLeft();
            natural.emplace_back(pane, left);
            target = std::max(target, left);
        }
    }
    for (const auto &[pane, left] : natural) {
        pane->setExtraLeft(static_cast<int>(std::lround(target - left)));
    }
}

std::string TrendWindow::renderPng() {
    // The chart as it stands, without the pointer's crosshair.
    for (TrendPane *pane : m_panes) {
        pane->showReadout(std::nullopt);
    }
    const QPixmap pixmap = m_chartArea->grab();
    for (TrendPane *pane : m_panes) {
        pane->showReadout(m_controller->view().readout);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (pixmap.isNull() || !pixmap.save(&buffer, "PNG")) {
        return {};
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// ---- keys --------------------------------------------------------------------------------------

void TrendWindow::keyPressEvent(QKeyEvent *event) {
    trend::TrendController &c = *m_controller;
    const bool wide = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Left: c.panBy(wide ? -0.5 : -0.1); break;
    case Qt::Key_Right: c.panBy(wide ? 0.5 : 0.1); break;
    case Qt::Key_PageUp: c.panBy(-1); break;
    case Qt::Key_PageDown: c.panBy(1); break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: c.zoomBy(0.5); break;
    case Qt::Key_Minus: c.zoomBy(2); break;
    case Qt::Key_Backspace: c.zoomBack(); break;
    case Qt::Key_Home: c.showWholeLog(); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

} // namespace aql::ui

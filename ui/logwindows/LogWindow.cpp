#include "ui/logwindows/LogWindow.h"

#include "ui/Latin1Text.h"
#include "ui/logwindows/ButtonStyle.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace aql::ui {

namespace {
// The count is what the operator opens the window for: larger than the text around it.
constexpr qreal kCountScale = 1.6;
} // namespace

LogWindow::LogWindow(shell::LogController &controller, QWidget *parent)
    : QDialog(parent), m_controller(controller), m_topmost(this) {
    setModal(true);
    setObjectName(QStringLiteral("logWindow"));

    m_caption = new QLabel(this);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("recordCount"));
    QFont large = m_count->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * kCountScale);
    m_count->setFont(large);
    m_count->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_count->setMinimumWidth(QFontMetrics(large).horizontalAdvance(QStringLiteral("0000000")));
    m_caption->setBuddy(m_count);

    m_saveCsv = new QPushButton(this);
    m_excel = new QPushButton(this);
    m_xml = new QPushButton(this);
    m_quit = new QPushButton(this);
    m_trend = new QPushButton(this);
    m_trend->setObjectName(QStringLiteral("trendButton"));
    styleOutlinedButton(m_trend);
    styleFilledButton(m_saveCsv);
    styleOutlinedButton(m_excel);
    styleOutlinedButton(m_xml);
    styleFilledButton(m_quit);
    for (QPushButton *button : {m_saveCsv, m_excel, m_xml, m_trend, m_quit}) {
        // Enter presses the button that has the focus, never a save nobody chose.
        button->setAutoDefault(false);
    }

    auto *countRow = new QHBoxLayout;
    countRow->addWidget(m_caption);
    countRow->addStretch(1);
    countRow->addWidget(m_count);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_saveCsv);
    buttons->addWidget(m_excel);
    buttons->addWidget(m_xml);
    buttons->addSpacing(fontMetrics().averageCharWidth() * 3);
    buttons->addWidget(m_trend);
    buttons->addStretch(1);
    buttons->addWidget(m_quit);

    auto *layout = new QVBoxLayout(this);
    const int margin = fontMetrics().height();
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(margin);
    layout->addLayout(countRow);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_saveCsv, &QPushButton::clicked, this, [this] { m_controller.saveCsv(); });
    connect(m_excel, &QPushButton::clicked, this, [this] { m_controller.saveWorkbook(); });
    connect(m_xml, &QPushButton::clicked, this, [this] { m_controller.saveXml(); });
    connect(m_quit, &QPushButton::clicked, this, [this] { m_controller.quit(); });
    connect(m_trend, &QPushButton::clicked, this, [this] { m_controller.showTrend(); });

    m_subscription = m_controller.subscribe([this] { refresh(); });
    m_controller.retranslate();
}

LogWindow::~LogWindow() {
    m_subscription.reset();
    m_controller.quit();
}

void LogWindow::setVisible(bool visible) {
    if (visible && !m_controller.view().open) {
        m_controller.open(m_topmost);
    }
    QDialog::setVisible(visible);
}

void LogWindow::reject() {
    // The controller hides the window as its own button would.
    m_controller.quit();
    if (isVisible()) {
        QDialog::reject();
    }
}

void LogWindow::refresh() {
    const shell::LogController::View &v = m_controller.view();
    setWindowTitle(fromLatin1(v.title));
    m_caption->setText(fromLatin1(v.countCaption));
    m_count->setText(fromLatin1(v.recordCount));
    // Read as one: "Number of log records: 120".
    m_count->setAccessibleName(fromLatin1(v.countCaption) + QLatin1Char(' ') +
                               fromLatin1(v.recordCount));

    const std::pair<QPushButton *, const std::string *> captions[] = {{m_saveCsv, &v.saveCsv},
                                                                      {m_excel, &v.excel},
                                                                      {m_xml, &v.xml},
                                                                      {m_quit, &v.quit},
                                                                      {m_trend, &v.trend}};
    for (const auto &[button, caption] : captions) {
        button->setText(fromLatin1(*caption));
        button->setAccessibleName(withoutAccessKey(button->text()));
    }
    m_excel->setToolTip(fromLatin1(v.excelTip));
    m_xml->setToolTip(fromLatin1(v.xmlTip));
    m_trend->setVisible(v.trendAvailable);

    if (!v.open && isVisible()) {
        done(QDialog::Accepted);
    }
}

} // namespace aql::ui

#include "ui/LinkStatusBar.h"

#include "ui/Latin1Text.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace aql::ui {

namespace {

// Online reads as the controller's green darkened for text, Connecting as amber, Offline as
// plain grey: the phase is told at a glance without reading it.
QColor phaseColour(link::LinkPhase phase) {
    switch (phase) {
    case link::LinkPhase::Online: return {36, 120, 36};
    case link::LinkPhase::Connecting: return {176, 110, 0};
    case link::LinkPhase::Offline: break;
    }
    return {96, 96, 96};
}

const QColor kStaleColour(168, 52, 28);

QLabel *statusLabel(const char *name, QWidget *parent) {
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

void setShown(QLabel *label, const QString &text) {
    if (label->text() != text) {
        label->setText(text);
    }
    label->setVisible(!text.isEmpty());
}

} // namespace

LinkStatusBar::LinkStatusBar(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("linkStatus"));
    m_phase = statusLabel("statusPhase", this);
    m_stale = statusLabel("statusStale", this);
    m_reply = statusLabel("statusReply", this);
    m_download = statusLabel("statusDownload", this);
    m_reconnect = statusLabel("statusReconnect", this);
    m_linesReceived = statusLabel("statusLinesReceived", this);
    m_checksumErrors = statusLabel("statusChecksumErrors", this);
    m_droppedLines = statusLabel("statusDroppedLines", this);

    QFont bold = font();
    bold.setBold(true);
    m_phase->setFont(bold);
    m_stale->setFont(bold);
    QPalette red = m_stale->palette();
    red.setColor(QPalette::WindowText, kStaleColour);
    m_stale->setPalette(red);
    for (QLabel *counter : {m_linesReceived, m_checksumErrors, m_droppedLines}) {
        counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    const int gap = fontMetrics().averageCharWidth() * 2;
    auto *first = new QHBoxLayout;
    first->setSpacing(gap);
    first->addWidget(m_phase);
    // Last in its line: coming and going, it moves nothing else.
    first->addWidget(m_reply);
    first->addWidget(m_stale);
    first->addStretch(1);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 2, 0, 2);
    grid->setHorizontalSpacing(gap * 2);
    grid->setVerticalSpacing(0);
    grid->addLayout(first, 0, 0);
    grid->addWidget(m_download, 1, 0);
    grid->addWidget(m_reconnect, 2, 0);
    grid->addWidget(m_linesReceived, 0, 1);
    grid->addWidget(m_checksumErrors, 1, 1);
    grid->addWidget(m_droppedLines, 2, 1);
    grid->setColumnStretch(0, 1);
    for (int row = 0; row < 3; ++row) {
        grid->setRowMinimumHeight(row, fontMetrics().height());
    }
}

void LinkStatusBar::showStatus(const link::LinkStatus &status, const link::LinkStatusTexts &texts) {
    QPalette palette = m_phase->palette();
    palette.setColor(QPalette::WindowText, phaseColour(status.phase));
    m_phase->setPalette(palette);
    setShown(m_phase, fromLatin1(texts.phase));
    setShown(m_stale, fromLatin1(texts.staleNote));
    setShown(m_reply, fromLatin1(texts.reply));
    setShown(m_download, fromLatin1(texts.download));
    setShown(m_reconnect, fromLatin1(texts.reconnect));
    setShown(m_linesReceived, fromLatin1(texts.linesReceived));
    setShown(m_checksumErrors, fromLatin1(texts.checksumErrors));
    setShown(m_droppedLines, fromLatin1(texts.droppedLines));
}

} // namespace aql::ui

#pragma once

#include "link/LinkStatus.h"
#include "link/LinkStatusText.h"

#include <QWidget>

class QLabel;

namespace aql::ui {

// The main window's status bar: how the link is doing. On the left, the phase with the age of
// the last valid reply and the stale note, under it the progress or end of the last log
// download, under that the countdown to the next reconnect attempt; on the right the three line
// counters. Its height stays the same whichever lines are empty, so the window above it never
// jumps. Every text is a label an assistive tool reads.
class LinkStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit LinkStatusBar(QWidget *parent = nullptr);

    void showStatus(const link::LinkStatus &status, const link::LinkStatusTexts &texts);

    QLabel *phaseLabel() const { return m_phase; }
    QLabel *staleLabel() const { return m_stale; }
    QLabel *replyLabel() const { return m_reply; }
    QLabel *downloadLabel() const { return m_download; }
    QLabel *reconnectLabel() const { return m_reconnect; }
    QLabel *linesReceivedLabel() const { return m_linesReceived; }
    QLabel *checksumErrorsLabel() const { return m_checksumErrors; }
    QLabel *droppedLinesLabel() const { return m_droppedLines; }

private:
    QLabel *m_phase;
    QLabel *m_stale;
    QLabel *m_reply;
    QLabel *m_download;
    QLabel *m_reconnect;
    QLabel *m_linesReceived;
    QLabel *m_checksumErrors;
    QLabel *m_droppedLines;
};

} // namespace aql::ui

#pragma once

#include "core/Observers.h"

#include <QWidget>

#include <deque>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace aql::link {
class TcpLink;
}

namespace aql::ui {

// The connection's service window: the address and port of the last connect, the last frame
// sent and text received, the answer time-out, the event log and the buttons to connect and
// close, all behind the service password. It shows and hides itself as the link's view says
// (the main window calls TcpLink::show()); closing it with the window's close box hides it and
// asks for the password at the next showing, as Hide does. Any other close (the main window's
// shut-down) ends the window's binding to the link. The link must outlive the window.
class ConnectionWindow : public QWidget {
    Q_OBJECT
public:
    explicit ConnectionWindow(link::TcpLink &link, QWidget *parent = nullptr);
    ~ConnectionWindow() override;

    // The language changed: the link takes the texts of the new table and the window follows.
    void retranslate();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildPasswordPage();
    void buildServicePage();
    void refresh();
    void refreshLog();
    void applyVisibility();
    void confirmPassword();
    void escape();

    link::TcpLink &m_link;
    Subscription m_subscription;
    std::deque<std::string> m_shownLog;

    QStackedWidget *m_pages = nullptr;
    QWidget *m_passwordPage = nullptr;
    QWidget *m_servicePage = nullptr;

    QLabel *m_passwordLabel = nullptr;
    QLineEdit *m_password = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;

    QLabel *m_hostLabel = nullptr;
    QLineEdit *m_host = nullptr;
    QLabel *m_portLabel = nullptr;
    QLineEdit *m_port = nullptr;
    QLabel *m_sentLabel = nullptr;
    QLineEdit *m_sent = nullptr;
    QLabel *m_receivedLabel = nullptr;
    QLineEdit *m_received = nullptr;
    QLabel *m_attemptsBefore = nullptr;
    QLineEdit *m_attempts = nullptr;
    QLabel *m_attemptsAfter = nullptr;
    QLabel *m_timeoutBefore = nullptr;
    QLineEdit *m_timeout = nullptr;
    QLabel *m_timeoutAfter = nullptr;
    QLabel *m_ticksBefore = nullptr;
    QLineEdit *m_ticks = nullptr;
    QLabel *m_ticksAfter = nullptr;
    QListWidget *m_eventLog = nullptr;
    QPushButton *m_connect = nullptr;
    QPushButton *m_close = nullptr;
    QPushButton *m_hide = nullptr;
};

} // namespace aql::ui

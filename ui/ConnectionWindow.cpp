#include "ui/ConnectionWindow.h"

#include "link/TcpLink.h"
#include "ui/Latin1Text.h"
#include "ui/WindowParts.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace aql::ui {

namespace {
constexpr int kLogLinesShown = 12; // the list's height; it scrolls to the other lines
constexpr int kSettingDigits = 7;  // the attempts, time-out and tick boxes
constexpr int kPortDigits = 6;
constexpr int kHostCharacters = 16;
constexpr int kPasswordCharacters = 20;

QLineEdit *readOnlyBox() {
    auto *box = new QLineEdit;
    box->setReadOnly(true);
    // Read-only boxes stay in the tab order, so assistive tools and keyboard users can read them.
    box->setFocusPolicy(Qt::StrongFocus);
    return box;
}

QLabel *buddyLabel(QWidget *box) {
    auto *label = new QLabel;
    label->setBuddy(box);
    return label;
}
} // namespace

ConnectionWindow::ConnectionWindow(link::TcpLink &link, QWidget *parent)
    : QWidget(parent, Qt::Window), m_link(link) {
    setObjectName(QStringLiteral("connectionWindow"));
    m_pages = new QStackedWidget;
    buildPasswordPage();
    buildServicePage();
    m_pages->addWidget(m_passwordPage);
    m_pages->addWidget(m_servicePage);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &ConnectionWindow::escape);

    m_subscription = m_link.subscribe([this] { refresh(); });
    refresh();
    resize(sizeHint());
}

ConnectionWindow::~ConnectionWindow() = default;

void ConnectionWindow::buildPasswordPage() {
    m_passwordPage = new QWidget;
    m_password = new QLineEdit;
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_passwordLabel = buddyLabel(m_password);
    m_ok = new QPushButton;
    m_ok->setObjectName(QStringLiteral("passwordOk"));
    m_cancel = new QPushButton;
    m_cancel->setObjectName(QStringLiteral("passwordCancel"));

    connect(m_password, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_link.setPassword(toLatin1(text)); });
    connect(m_password, &QLineEdit::returnPressed, this, &ConnectionWindow::confirmPassword);
    connect(m_ok, &QPushButton::clicked, this, &ConnectionWindow::confirmPassword);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_link.cancelPassword(); });

    // A panel in the middle of the window; what lies behind it stays covered until the password
    // is given.
    auto *panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    auto *row = new QHBoxLayout;
    row->addWidget(m_passwordLabel);
    row->addWidget(m_password, 1);
    m_password->setMinimumWidth(m_password->fontMetrics().averageCharWidth() * kPasswordCharacters);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto *inside = new QVBoxLayout(panel);
    inside->setContentsMargins(16, 16, 16, 16);
    inside->setSpacing(12);
    inside->addLayout(row);
    inside->addLayout(buttons);

    auto *page = new QGridLayout(m_passwordPage);
    page->setRowStretch(0, 1);
    page->setRowStretch(2, 1);
    page->setColumnStretch(0, 1);
    page->setColumnStretch(2, 1);
    page->addWidget(panel, 1, 1);
}

void ConnectionWindow::buildServicePage() {
    m_servicePage = new QWidget;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    m_host = readOnlyBox();
    m_host->setObjectName(QStringLiteral("host"));
    parts::fitCharacters(m_host, kHostCharacters);
    m_hostLabel = buddyLabel(m_host);
    m_port = readOnlyBox();
    m_port->setObjectName(QStringLiteral("port"));
    parts::fitCharacters(m_port, kPortDigits);
    m_portLabel = buddyLabel(m_port);
    m_sent = readOnlyBox();
    m_sent->setObjectName(QStringLiteral("lastSent"));
    m_sent->setFont(fixed);
    m_sentLabel = buddyLabel(m_sent);
    m_received = readOnlyBox();
    m_received->setObjectName(QStringLiteral("lastReceived"));
    m_received->setFont(fixed);
    m_receivedLabel = buddyLabel(m_received);

    m_attempts = new QLineEdit;
    m_attempts->setObjectName(QStringLiteral("attempts"));
    parts::fitCharacters(m_attempts, kSettingDigits);
    m_attemptsBefore = buddyLabel(m_attempts);
    m_attemptsAfter = new QLabel;
    m_timeout = new QLineEdit;
    m_timeout->setObjectName(QStringLiteral("answerTimeout"));
    parts::fitCharacters(m_timeout, kSettingDigits);
    m_timeoutBefore = buddyLabel(m_timeout);
    m_timeoutAfter = new QLabel;
    m_ticks = readOnlyBox();
    m_ticks->setObjectName(QStringLiteral("connectTicks"));
    parts::fitCharacters(m_ticks, kSettingDigits);
    m_ticksBefore = buddyLabel(m_ticks);
    m_ticksAfter = new QLabel;
    for (QLineEdit *box : {m_attempts, m_timeout, m_ticks, m_port}) {
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    connect(m_attempts, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_link.setAttempts(toLatin1(text)); });
    connect(m_timeout, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_link.setAnswerTimeout(toLatin1(text)); });

    m_eventLog = new QListWidget;
    m_eventLog->setObjectName(QStringLiteral("eventLog"));
    m_eventLog->setFont(fixed);
    m_eventLog->setUniformItemSizes(true);
    m_eventLog->setMinimumHeight(m_eventLog->fontMetrics().lineSpacing() * kLogLinesShown +
                                 2 * m_eventLog->frameWidth());

    m_connect = new QPushButton;
    m_connect->setObjectName(QStringLiteral("connect"));
    m_close = new QPushButton;
    m_close->setObjectName(QStringLiteral("close"));
    m_hide = new QPushButton;
    m_hide->setObjectName(QStringLiteral("hide"));
    connect(m_connect, &QPushButton::clicked, this, [this] { m_link.goOnline(); });
    connect(m_close, &QPushButton::clicked, this, [this] { m_link.closeConnection(); });
    connect(m_hide, &QPushButton::clicked, this, [this] { m_link.hide(); });

    // One label column and one column of boxes, so every box starts at the same place; a box's
    // second caption and the port follow it on its row.
    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->addWidget(m_hostLabel, 0, 0);
    auto *endpoint = new QHBoxLayout;
    endpoint->addWidget(m_host, 1);
    endpoint->addSpacing(12);
    endpoint->addWidget(m_portLabel);
    endpoint->addWidget(m_port);
    grid->addLayout(endpoint, 0, 1);
    grid->addWidget(m_sentLabel, 1, 0);
    grid->addWidget(m_sent, 1, 1);
    grid->addWidget(m_receivedLabel, 2, 0);
    grid->addWidget(m_received, 2, 1);

    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 3, 0, 1, 2);

    const struct {
        QLabel *before;
        QLineEdit *box;
        QLabel *after;
    } rows[] = {{m_attemptsBefore, m_attempts, m_attemptsAfter},
                {m_timeoutBefore, m_timeout, m_timeoutAfter},
                {m_ticksBefore, m_ticks, m_ticksAfter}};
    int r = 4;
    for (const auto &row : rows) {
        grid->addWidget(row.before, r, 0);
        auto *setting = new QHBoxLayout;
        setting->addWidget(row.box);
        setting->addWidget(row.after, 1);
        grid->addLayout(setting, r, 1);
        ++r;
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_connect);
    buttons->addWidget(m_close);
    buttons->addSpacing(12);
    buttons->addWidget(m_hide);

    auto *page = new QVBoxLayout(m_servicePage);
    page->setContentsMargins(0, 0, 0, 0);
    page->addLayout(grid);
    page->addWidget(m_eventLog, 1);
    page->addLayout(buttons);

    setTabOrder(m_host, m_port);
    setTabOrder(m_port, m_sent);
    setTabOrder(m_sent, m_received);
    setTabOrder(m_received, m_attempts);
    setTabOrder(m_attempts, m_timeout);
    setTabOrder(m_timeout, m_ticks);
    setTabOrder(m_ticks, m_eventLog);
    setTabOrder(m_eventLog, m_connect);
    setTabOrder(m_connect, m_close);
    setTabOrder(m_close, m_hide);
}

void ConnectionWindow::retranslate() {
    m_link.retranslate();
}

void ConnectionWindow::refresh() {
    const link::TcpLink::View &view = m_link.view();
    const link::TcpLink::Captions &c = view.captions;

    const QString title = withoutAccessKey(fromLatin1(c.title));
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
    parts::setCaption(m_passwordLabel, fromLatin1(c.passwordLabel));
    parts::setAccessibleName(m_password, withoutAccessKey(fromLatin1(c.passwordLabel)));
    parts::setCaption(m_ok, fromLatin1(c.ok));
    parts::setCaption(m_cancel, fromLatin1(c.cancel));
    parts::setCaption(m_connect, fromLatin1(c.connect));
    parts::setCaption(m_close, fromLatin1(c.close));
    parts::setCaption(m_hide, fromLatin1(c.hide));

    const struct {
        QLabel *label;
        const std::string &caption;
        QLineEdit *box;
    } labelled[] = {{m_hostLabel, c.hostLabel, m_host},
                    {m_portLabel, c.portLabel, m_port},
                    {m_sentLabel, c.sentLabel, m_sent},
                    {m_receivedLabel, c.receivedLabel, m_received}};
    for (const auto &field : labelled) {
        parts::setCaption(field.label, fromLatin1(field.caption));
        parts::setAccessibleName(field.box, withoutAccessKey(fromLatin1(field.caption)));
    }
    const struct {
        QLabel *before;
        const std::string &beforeText;
        QLineEdit *box;
        QLabel *after;
        const std::string &afterText;
    } settings[] = {
        {m_attemptsBefore, c.attemptsBefore, m_attempts, m_attemptsAfter, c.attemptsAfter},
        {m_timeoutBefore, c.timeoutBefore, m_timeout, m_timeoutAfter, c.timeoutAfter},
        {m_ticksBefore, c.ticksBefore, m_ticks, m_ticksAfter, c.ticksAfter}};
    for (const auto &row : settings) {
        parts::setCaption(row.before, fromLatin1(row.beforeText));
        parts::setCaption(row.after, fromLatin1(row.afterText));
        // The box sits between its two captions; read together they say what it holds.
        parts::setAccessibleName(row.box, withoutAccessKey(fromLatin1(row.beforeText)) +
                                              QLatin1Char(' ') +
                                              withoutAccessKey(fromLatin1(row.afterText)));
    }
    parts::setAccessibleName(m_eventLog, withoutAccessKey(title));

    parts::setText(m_host, fromLatin1(view.host));
    parts::setText(m_port, fromLatin1(view.port));
    parts::setText(m_sent, printableBytes(view.lastSent));
    parts::setText(m_received, printableBytes(view.lastReceived));
    parts::setText(m_attempts, fromLatin1(view.attempts));
    parts::setText(m_timeout, fromLatin1(view.answerTimeout));
    parts::setText(m_ticks, fromLatin1(view.connectTicks));
    parts::setText(m_password, fromLatin1(view.password));
    refreshLog();

    QWidget *page = view.passwordPanelVisible ? m_passwordPage : m_servicePage;
    if (m_pages->currentWidget() != page) {
        m_pages->setCurrentWidget(page);
        if (page == m_passwordPage && isVisible()) {
            m_password->setFocus(Qt::OtherFocusReason);
        }
    }
    applyVisibility();
}

void ConnectionWindow::refreshLog() {
    const std::deque<std::string> &lines = m_link.view().eventLog;
    if (lines == m_shownLog) {
        return;
    }
    // The log drops its oldest lines as it adds new ones: keep the lines both hold and add the
    // rest, so the list does not flicker or jump on every frame sent.
    std::size_t dropped = 0;
    for (; dropped < m_shownLog.size(); ++dropped) {
        const std::size_t overlap = m_shownLog.size() - dropped;
        if (overlap <= lines.size() &&
            std::equal(m_shownLog.begin() + static_cast<std::ptrdiff_t>(dropped), m_shownLog.end(),
                       lines.begin())) {
            break;
        }
    }
    const std::size_t kept = m_shownLog.size() - dropped;
    const bool atEnd = m_eventLog->count() == 0 || m_eventLog->verticalScrollBar()->value() ==
                                                       m_eventLog->verticalScrollBar()->maximum();
    for (std::size_t i = 0; i < dropped; ++i) {
        delete m_eventLog->takeItem(0);
    }
    for (std::size_t i = kept; i < lines.size(); ++i) {
        m_eventLog->addItem(printableBytes(lines[i]));
    }
    m_shownLog = lines;
    if (atEnd) {
        m_eventLog->scrollToBottom();
    }
}

void ConnectionWindow::applyVisibility() {
    const bool wanted = m_link.view().visible;
    if (wanted && !isVisible()) {
        show();
        raise();
        activateWindow();
        if (m_pages->currentWidget() == m_passwordPage) {
            m_password->setFocus(Qt::OtherFocusReason);
        }
    } else if (!wanted && isVisible()) {
        hide();
    }
}

void ConnectionWindow::confirmPassword() {
    m_link.confirmPassword();
    // A wrong password leaves the panel up with the box emptied; typing starts again there.
    if (m_link.view().passwordFocused && m_link.view().passwordPanelVisible) {
        m_password->setFocus(Qt::OtherFocusReason);
    } else if (!m_link.view().passwordPanelVisible) {
        m_connect->setFocus(Qt::OtherFocusReason);
    }
}

void ConnectionWindow::escape() {
    if (m_link.view().passwordPanelVisible) {
        m_link.cancelPassword();
    } else {
        m_link.hide();
    }
}

void ConnectionWindow::closeEvent(QCloseEvent *event) {
    if (event->spontaneous() && m_link.view().visible) {
        // The operator's close box hides the window as Hide does; the connection stays.
        m_link.hide();
        event->ignore();
        return;
    }
    // Any other close is the program's shut-down: the window stops following the link, whose
    // closing still logs lines and would show the window again.
    m_subscription.reset();
    QWidget::closeEvent(event);
}

} // namespace aql::ui

#include "ui/MainWindow.h"

#include "core/TextId.h"

#include "link/LinkStatusText.h"
#include "ui/KeyRouter.h"
#include "ui/Latin1Text.h"
#include "ui/LinkStatusBar.h"
#include "ui/Logo.h"
#include "ui/ModeChoice.h"
#include "ui/widgets/Accessibility.h"
#include "ui/widgets/ArrowButton.h"
#include "ui/widgets/Colours.h"
#include "ui/widgets/Keypad.h"
#include "ui/widgets/Lamp.h"
#include "ui/widgets/LcdDisplay.h"
#include "ui/widgets/SlidingPanel.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetricsF>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

namespace aql::ui {

namespace {

constexpr qreal kInitialGrowth = 1.35;
// Where a status bar places the left edge of its first item.
constexpr int kStatusItemInset = 2;
constexpr int kMostConnectingDots = 20;
// The distance the panel moves, at 96 dots per inch: 2000 twips.
constexpr int kSlideTravelPx = (link::kPanelTopLowered - link::kPanelTopRaised) / 15;

// The mode buttons wear the controller's green, whatever the desktop's style.
const char *const kModeButtonStyle =
    "QPushButton, QRadioButton {"
    "  background-color: rgb(140, 198, 62); color: black;"
    "  border: 1px solid rgb(98, 148, 36); border-radius: 4px;"
    "  padding: 0.35em 0.9em; }"
    "QPushButton:hover, QRadioButton:hover { background-color: rgb(158, 212, 84); }"
    "QPushButton:pressed { background-color: rgb(112, 168, 44); }"
    "QRadioButton:checked { border: 2px solid rgb(40, 56, 144); font-weight: bold; }"
    "QPushButton:disabled, QRadioButton:disabled {"
    "  background-color: rgb(214, 230, 190); color: rgb(120, 128, 112);"
    "  border-color: rgb(180, 200, 150); }"
    "QPushButton:focus, QRadioButton:focus { border: 2px solid rgb(40, 56, 144); }";

template <class Widget> void setTextOf(Widget *widget, const QString &text) {
    if (widget->text() != text) {
        widget->setText(text);
    }
}

void setToolTipOf(QWidget *widget, const QString &tip) {
    if (widget->toolTip() != tip) {
        widget->setToolTip(tip);
    }
}

void setActionText(QAction *action, const std::string &caption) {
    const QString text = fromLatin1(caption);
    if (action->text() != text) {
        action->setText(text);
    }
}

QLabel *blueLabel(const QString &text, qreal scale, bool bold) {
    auto *label = new QLabel(text);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
    QPalette blue = label->palette();
    blue.setColor(QPalette::WindowText, QColor(colours::kBlue));
    label->setPalette(blue);
    return label;
}

// Holds one widget at the shape of its size hint, as large as the width allows: the display's
// glass then hugs its characters at every size.
class AspectBox : public QWidget {
public:
    explicit AspectBox(QWidget *child) : m_child(child) {
        child->setParent(this);
        QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const QSize shape = m_child->sizeHint();
        return std::max(m_child->minimumSizeHint().height(),
                        width * shape.height() / std::max(1, shape.width()));
    }
    QSize sizeHint() const override { return m_child->sizeHint(); }
    QSize minimumSizeHint() const override { return m_child->minimumSizeHint(); }

protected:
    void resizeEvent(QResizeEvent * /*event*/) override {
        const QSize fitted = m_child->sizeHint().scaled(size(), Qt::KeepAspectRatio);
        m_child->setGeometry(QRect(QPoint((width() - fitted.width()) / 2, 0), fitted));
    }

private:
    QWidget *m_child;
};

} // namespace

MainWindow::MainWindow(shell::MainController &main, QWidget *parent)
    : QMainWindow(parent), m_main(main), m_console(main.console()) {
    installAccessibleFactory();
    ModeChoice::installAccessibleFactory();
    setObjectName(QStringLiteral("mainWindow"));

    buildMenus();
    auto *central = new QWidget;
    auto *page = new QVBoxLayout(central);
    const int gap = fontMetrics().height();
    page->setContentsMargins(gap, gap / 2, gap, gap);
    page->setSpacing(gap / 2);
    page->addWidget(buildHeader());
    auto *line = new QFrame;
    line->setObjectName(QStringLiteral("separatorLine"));
    line->setFixedHeight(3);
    line->setAutoFillBackground(true);
    QPalette green = line->palette();
    green.setColor(QPalette::Window, QColor(colours::kGreen));
    line->setPalette(green);
    page->addWidget(line);

    auto *body = new QHBoxLayout;
    body->setSpacing(gap);
    body->addWidget(buildFrontPanel(), 1);
    body->addWidget(buildSideColumn());
    page->addLayout(body, 1);
    setCentralWidget(central);
    m_linkStatus = new LinkStatusBar;
    // Its texts line up with the panels above it; a thin line sets it apart from them.
    m_linkStatus->setContentsMargins(gap - kStatusItemInset, 0, gap - kStatusItemInset, 0);
    statusBar()->addWidget(m_linkStatus, 1);
    statusBar()->setSizeGripEnabled(false);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->setStyleSheet(
        QStringLiteral("#statusBar { border-top: 1px solid #c4c9d2; background: #f3f4f7; }"));

    m_keys = new KeyRouter(
        this, [this](int keyCode) { m_console.keyDown(keyCode); }, this);
    qApp->installEventFilter(m_keys);

    m_mainChanges = m_main.subscribe([this] { refresh(); });
    m_panelChanges = m_console.subscribe([this] { refreshPanel(); });
    m_statusChanges = m_console.subscribeStatus([this] { refreshStatus(); });
    refresh();
    m_slidingPanel->setPosition(m_console.view().panelTop);
    resize(initialSize());
}

QSize MainWindow::initialSize() const {
    // Larger than the least that fits, so the display reads from a metre away; never larger than
    // the screen.
    QSize size = sizeHint() * kInitialGrowth;
    if (const QScreen *shown = screen()) {
        size = size.boundedTo(shown->availableGeometry().size() * 0.9);
    }
    return size.expandedTo(minimumSizeHint());
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(m_keys);
}

void MainWindow::buildMenus() {
    m_fileMenu = menuBar()->addMenu(QString());
    m_configuration =
        m_fileMenu->addAction(QString(), this, [this] { m_main.openConfiguration(); });
    m_configurationSeparator = m_fileMenu->addSeparator();
    m_exit = m_fileMenu->addAction(QString(), this, [this] { m_main.exit(); });

    m_optionsMenu = menuBar()->addMenu(QString());
    m_realtimeMenu = m_optionsMenu->addMenu(QString());
    auto *realtime = new QActionGroup(this);
    m_realtimeOn = m_realtimeMenu->addAction(QString(), this, [this] {
        m_console.chooseRealtime(true);
        refreshPanel();
    });
    m_realtimeOff = m_realtimeMenu->addAction(QString(), this, [this] {
        m_console.chooseRealtime(false);
        refreshPanel();
    });
    for (QAction *choice : {m_realtimeOn, m_realtimeOff}) {
        choice->setCheckable(true);
        realtime->addAction(choice);
    }
    m_overview = m_optionsMenu->addAction(QString(), this, [this] { m_main.openOverview(); });
    m_trend = m_optionsMenu->addAction(QString(), this, [this] { m_main.openTrend(); });
    m_variables = m_optionsMenu->addAction(QString(), this, [this] { m_main.openVariables(); });
    m_baseFile = m_optionsMenu->addAction(QString(), this, [this] { m_main.importBaseFile(); });
    m_openArchive = m_optionsMenu->addAction(QString(), this, [this] { m_main.openArchive(); });
    m_optionsMenu->addSeparator();
    m_reconnect = m_optionsMenu->addAction(QString());
    m_reconnect->setCheckable(true);
    // The entry shows what the logic decided, not what the click toggled it to.
    connect(m_reconnect, &QAction::triggered, this,
            [this](bool on) { m_main.chooseReconnect(on); });
    m_languageMenu = m_optionsMenu->addMenu(QString());
    m_dutch = m_languageMenu->addAction(QString(), this, [this] {
        m_main.chooseDutch();
        refreshTexts();
    });
    m_english = m_languageMenu->addAction(QString(), this, [this] {
        m_main.chooseEnglish();
        refreshTexts();
    });
    m_dutch->setCheckable(true);
    m_english->setCheckable(true);

    m_helpMenu = menuBar()->addMenu(QString());
    m_about = m_helpMenu->addAction(QString(), this, [this] { m_main.openAbout(); });

    m_fileMenu->setObjectName(QStringLiteral("fileMenu"));
    m_optionsMenu->setObjectName(QStringLiteral("optionsMenu"));
    m_helpMenu->setObjectName(QStringLiteral("helpMenu"));
    m_openArchive->setObjectName(QStringLiteral("openArchiveEntry"));
    m_trend->setObjectName(QStringLiteral("trendEntry"));
    m_reconnect->setObjectName(QStringLiteral("reconnectEntry"));
}

QWidget *MainWindow::buildHeader() {
    auto *header = new QWidget;
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    m_logo = new Logo;
    m_logo->setObjectName(QStringLiteral("logo"));
    connect(m_logo, &QAbstractButton::clicked, this, [this] { m_main.openAbout(); });
    row->addWidget(m_logo, 0, Qt::AlignVCenter);
    row->addSpacing(fontMetrics().height());

    auto *slogans = new QVBoxLayout;
    slogans->setSpacing(0);
    m_sloganQuality = blueLabel(QStringLiteral("Water quality management"), 1.25, true);
    m_sloganAccurate = blueLabel(QStringLiteral("Accurate chlorine and pH control"), 1.0, false);
    slogans->addStretch();
    slogans->addWidget(m_sloganQuality);
    slogans->addWidget(m_sloganAccurate);
    slogans->addStretch();
    row->addLayout(slogans, 1);

    m_connection = new QPushButton;
    m_connection->setObjectName(QStringLiteral("connectionButton"));
    connect(m_connection, &QPushButton::clicked, this, [this] { m_main.openConnectionWindow(); });
    row->addWidget(m_connection, 0, Qt::AlignVCenter);
    return header;
}

QWidget *MainWindow::buildFrontPanel() {
    // The controller's front: its display on top, the lamps and the keys below it.
    auto *face = new QFrame;
    face->setObjectName(QStringLiteral("frontPanel"));
    face->setStyleSheet(QStringLiteral(
        "#frontPanel { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f8f9fb, "
        "stop:1 #e8ebf0); border: 1px solid #c4c9d2; border-radius: 10px; }"));
    auto *column = new QVBoxLayout(face);
    const int gap = fontMetrics().height();
    column->setContentsMargins(gap, gap, gap, gap);
    column->setSpacing(gap);

    m_display = new LcdDisplay;
    m_display->setObjectName(QStringLiteral("display"));
    m_display->setBorderColour(QColor(colours::kBlue));
    column->addWidget(new AspectBox(m_display));

    auto *lower = new QHBoxLayout;
    lower->setSpacing(gap);
    auto *lamps = new QVBoxLayout;
    lamps->setSpacing(gap / 2);
    m_runLamp = new Lamp;
    m_alarmLamp = new Lamp;
    m_manualLamp = new Lamp;
    m_runLamp->setObjectName(QStringLiteral("runLamp"));
    m_alarmLamp->setObjectName(QStringLiteral("alarmLamp"));
    m_manualLamp->setObjectName(QStringLiteral("manualLamp"));
    for (Lamp *lamp : {m_runLamp, m_alarmLamp, m_manualLamp}) {
        // They grow with the room the keypad leaves, as the keypad grows with the window.
        lamp->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
        lamps->addWidget(lamp, 1);
    }
    lower->addLayout(lamps, 1);
    m_keypad = new Keypad;
    m_keypad->setObjectName(QStringLiteral("keypad"));
    m_keypad->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    // Under the right edge of the display, as on the controller's front.
    m_keypad->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(m_keypad, &Keypad::keyClicked, this, [this](int index) { m_console.pressKey(index); });
    lower->addWidget(m_keypad, 2);
    column->addLayout(lower, 1);
    return face;
}

QWidget *MainWindow::buildSideColumn() {
    auto *side = new QFrame;
    side->setObjectName(QStringLiteral("sideColumn"));
    auto *column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    const int gap = fontMetrics().height();
    column->setSpacing(gap / 3);

    m_selectSystem = new QLabel;
    m_selectSystem->setObjectName(QStringLiteral("selectSystemLabel"));
    m_pools = new QComboBox;
    m_pools->setObjectName(QStringLiteral("poolSelection"));
    m_pools->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_pools->setMinimumContentsLength(14);
    m_selectSystem->setBuddy(m_pools);
    connect(m_pools, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        m_main.choosePool(index);
        refresh();
    });
    column->addWidget(m_selectSystem);
    column->addWidget(m_pools);
    column->addSpacing(gap / 2);

    auto *shiftRow = new QHBoxLayout;
    m_shift = new ArrowButton;
    m_shift->setObjectName(QStringLiteral("shiftButton"));
    connect(m_shift, &QAbstractButton::clicked, this, [this] { m_console.toggleShift(); });
    shiftRow->addWidget(m_shift);
    m_connecting = new QLabel;
    m_connecting->setObjectName(QStringLiteral("connectingNotice"));
    m_connectingDots = new QLabel;
    m_connectingDots->setObjectName(QStringLiteral("connectingDots"));
    QFont bold = m_connecting->font();
    bold.setBold(true);
    m_connecting->setFont(bold);
    m_connectingDots->setFont(bold);
    // The notice comes and goes and its dots grow to twenty: its room stays reserved, so the
    // window does not shift while a connect waits.
    m_connectingDots->setMinimumWidth(
        QFontMetrics(bold).horizontalAdvance(QString(kMostConnectingDots, QLatin1Char('.'))));
    for (QLabel *label : {m_connecting, m_connectingDots}) {
        QSizePolicy policy = label->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        label->setSizePolicy(policy);
    }
    shiftRow->addSpacing(gap / 2);
    shiftRow->addWidget(m_connecting);
    shiftRow->addWidget(m_connectingDots);
    shiftRow->addStretch();
    column->addLayout(shiftRow);

    m_slidingPanel = new SlidingPanel;
    m_slidingPanel->setObjectName(QStringLiteral("modePanel"));
    m_slidingPanel->setContent(buildModeButtons());
    m_slidingPanel->setRange(link::kPanelTopRaised, link::kPanelTopLowered);
    m_slidingPanel->setMinimumTravel(kSlideTravelPx);
    column->addWidget(m_slidingPanel, 1);
    return side;
}

QWidget *MainWindow::buildModeButtons() {
    auto *frame = new QFrame;
    frame->setObjectName(QStringLiteral("modeButtons"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setStyleSheet(QString::fromLatin1(kModeButtonStyle));
    auto *column = new QVBoxLayout(frame);
    const int gap = fontMetrics().height();
    column->setContentsMargins(gap / 2, gap / 2, gap / 2, gap / 2);
    column->setSpacing(gap / 2);

    QFont larger = font();
    larger.setPointSizeF(larger.pointSizeF() * 1.15);
    m_offline = new ModeChoice;
    m_online = new ModeChoice;
    m_getLog = new QPushButton;
    m_save = new QPushButton;
    m_offline->setObjectName(QStringLiteral("offlineButton"));
    m_online->setObjectName(QStringLiteral("onlineButton"));
    m_getLog->setObjectName(QStringLiteral("getLogButton"));
    m_save->setObjectName(QStringLiteral("saveButton"));
    for (QAbstractButton *button :
         {static_cast<QAbstractButton *>(m_offline), static_cast<QAbstractButton *>(m_online),
          static_cast<QAbstractButton *>(m_getLog), static_cast<QAbstractButton *>(m_save)}) {
        button->setFont(larger);
        column->addWidget(button);
    }
    // A click, Space, an access key and an assistive tool's press all arrive as a click; the
    // buttons then show what the logic chose (a click on the chosen one changes nothing).
    connect(m_offline, &QAbstractButton::clicked, this, [this] {
        m_console.chooseOffline();
        refreshPanel();
    });
    connect(m_online, &QAbstractButton::clicked, this, [this] {
        m_console.chooseOnline();
        refreshPanel();
    });
    connect(m_getLog, &QAbstractButton::clicked, this, [this] { m_console.requestLog(); });
    connect(m_save, &QAbstractButton::clicked, this, [this] { m_console.saveLog(); });

    m_recordCount = new QLabel;
    m_recordCount->setObjectName(QStringLiteral("recordCount"));
    m_recordCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_recordCount->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont count = larger;
    count.setBold(true);
    count.setPointSizeF(count.pointSizeF() * 1.2);
    m_recordCount->setFont(count);
    QPalette blue = m_recordCount->palette();
    blue.setColor(QPalette::WindowText, QColor(colours::kBlue));
    m_recordCount->setPalette(blue);
    m_recordsHeld = new QLabel;
    m_recordsHeld->setObjectName(QStringLiteral("recordsHeldCaption"));
    m_recordsHeld->setPalette(blue);
    m_recordsHeld->setBuddy(m_save);
    auto *countRow = new QHBoxLayout;
    countRow->setSpacing(gap / 3);
    countRow->addWidget(m_recordCount, 1);
    countRow->addWidget(m_recordsHeld, 1);
    column->addLayout(countRow);
    return frame;
}

void MainWindow::install(shell::MainController::Windows &hooks) {
    hooks.closeMain = [this] { closeForShutdown(); };
}

void MainWindow::closeForShutdown() {
    m_closeAllowed = true;
    if (!m_inCloseEvent) {
        close();
    }
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (!m_closeAllowed && !m_inCloseEvent) {
        // The close box is the Exit command: it may ask first, and it closes the other windows
        // and the connection before this one (whose close then comes back here, allowed).
        m_inCloseEvent = true;
        m_main.exit();
        m_inCloseEvent = false;
    }
    event->setAccepted(m_closeAllowed);
    if (m_closeAllowed) {
        qApp->removeEventFilter(m_keys);
        emit closedForGood();
    }
}

void MainWindow::refresh() {
    refreshTexts();
    refreshPanel();
    refreshStatus();
}

void MainWindow::refreshStatus() {
    const link::LinkStatus &status = m_console.status();
    const link::LinkStatusTexts texts =
        link::describeStatus(status, [this](int n) { return m_main.getText(n); });
    m_linkStatus->showStatus(status, texts);
    m_display->setStale(status.stale, fromLatin1(texts.staleNote));
}

void MainWindow::refreshTexts() {
    const shell::MainController::View &view = m_main.view();
    const shell::MainCaptions &c = view.captions;
    const QString title = fromLatin1(view.title);
    if (windowTitle() != title) {
        setWindowTitle(title);
    }

    setActionText(m_fileMenu->menuAction(), c.fileMenu);
    setActionText(m_configuration, c.configurationEntry);
    setActionText(m_exit, c.exitEntry);
    setActionText(m_optionsMenu->menuAction(), c.optionsMenu);
    setActionText(m_realtimeMenu->menuAction(), c.realtimeMenu);
    setActionText(m_realtimeOn, c.realtimeOn);
    setActionText(m_realtimeOff, c.realtimeOff);
    setActionText(m_overview, c.overviewEntry);
    setActionText(m_variables, c.variablesEntry);
    setActionText(m_baseFile, c.baseFileEntry);
    setActionText(m_openArchive, c.openArchiveEntry);
    m_openArchive->setVisible(view.openArchiveVisible);
    setActionText(m_trend, c.trendEntry);
    m_trend->setVisible(view.trendEntryVisible);
    setActionText(m_reconnect, c.reconnectEntry);
    if (m_reconnect->isChecked() != view.reconnectChecked) {
        m_reconnect->setChecked(view.reconnectChecked);
    }
    setActionText(m_languageMenu->menuAction(), c.languageMenu);
    setActionText(m_dutch, c.dutchEntry);
    setActionText(m_english, c.englishEntry);
    setActionText(m_helpMenu->menuAction(), c.helpMenu);
    setActionText(m_about, c.aboutEntry);
    m_configuration->setVisible(view.configurationEntryVisible);
    m_configurationSeparator->setVisible(view.configurationEntryVisible);
    m_dutch->setChecked(view.dutchChecked);
    m_english->setChecked(view.englishChecked);

    m_runLamp->setCaption(fromLatin1(c.runLamp));
    m_alarmLamp->setCaption(fromLatin1(c.alarmLamp));
    m_manualLamp->setCaption(fromLatin1(c.manualLamp));
    // One size for the three lamps, their captions in one column.
    qreal widest = 0;
    for (const Lamp *lamp : {m_runLamp, m_alarmLamp, m_manualLamp}) {
        widest = std::max(widest, QFontMetricsF(lamp->font()).horizontalAdvance(lamp->caption()));
    }
    for (Lamp *lamp : {m_runLamp, m_alarmLamp, m_manualLamp}) {
        lamp->setCaptionRoom(widest);
    }
    setTextOf(m_selectSystem, fromLatin1(c.selectSystem));
    m_pools->setAccessibleName(withoutAccessKey(fromLatin1(c.selectSystem)));
    setTextOf(m_connecting, fromLatin1(c.connecting));
    setTextOf(m_offline, fromLatin1(c.offline));
    setToolTipOf(m_offline, fromLatin1(c.offlineTip));
    setTextOf(m_online, fromLatin1(c.online));
    setToolTipOf(m_online, fromLatin1(c.onlineTip));
    setTextOf(m_getLog, fromLatin1(c.getLog));
    setToolTipOf(m_getLog, fromLatin1(c.getLogTip));
    setTextOf(m_save, fromLatin1(c.save));
    // The count's caption is the words Save's tooltip puts after the number.
    const QString recordsHeld = fromLatin1(m_main.getText(TextId::RecordsHeld));
    setTextOf(m_recordsHeld, recordsHeld);
    m_recordCount->setAccessibleDescription(recordsHeld);
    // The connection button opens the connection window: it carries that window's title.
    setTextOf(m_connection, fromLatin1(m_main.getText(TextId::ConnectionTitle)));
    m_logo->setAccessibleName(withoutAccessKey(fromLatin1(c.aboutEntry)));
    setToolTipOf(m_logo, withoutAccessKey(fromLatin1(c.aboutEntry)));

    // The pool selection: entries, the selected one, shown only in site mode.
    QStringList names;
    names.reserve(static_cast<qsizetype>(view.poolNames.size()));
    for (const std::string &name : view.poolNames) {
        names.push_back(fromLatin1(name));
    }
    QStringList shown;
    for (int i = 0; i < m_pools->count(); ++i) {
        shown.push_back(m_pools->itemText(i));
    }
    if (shown != names) {
        const QSignalBlocker quiet(m_pools);
        m_pools->clear();
        m_pools->addItems(names);
    }
    if (m_pools->currentIndex() != view.poolIndex) {
        const QSignalBlocker quiet(m_pools);
        m_pools->setCurrentIndex(view.poolIndex);
    }
    m_selectSystem->setVisible(view.poolSelectionVisible);
    m_pools->setVisible(view.poolSelectionVisible);
}

void MainWindow::refreshPanel() {
    const link::PanelView &panel = m_console.view();
    const shell::MainCaptions &c = m_main.view().captions;

    m_display->setCells(panel.cells);
    m_display->setCursorCells(panel.cursorDrawn);
    m_display->setBacklight(QColor(static_cast<QRgb>(panel.backlightColour)));
    m_runLamp->setColour(QColor(static_cast<QRgb>(panel.runLampColour)));
    m_alarmLamp->setColour(QColor(static_cast<QRgb>(panel.alarmLampColour)));
    m_manualLamp->setColour(QColor(static_cast<QRgb>(panel.manualLampColour)));
    for (int key = 0; key < link::kKeys; ++key) {
        m_keypad->setPressed(key, panel.keyFlashing[static_cast<std::size_t>(key)]);
    }
    m_keypad->setCovered(panel.keypadCovered);

    // Set from the logic after every choice: a connect that failed leaves Offline chosen.
    if (m_online->isChecked() != panel.onlineSelected) {
        m_online->setChecked(panel.onlineSelected);
    }
    if (m_offline->isChecked() == panel.onlineSelected) {
        m_offline->setChecked(!panel.onlineSelected);
    }
    m_online->setEnabled(panel.onlineEnabled);
    m_getLog->setEnabled(panel.getLogEnabled);
    m_save->setEnabled(panel.saveEnabled);
    setToolTipOf(m_save, fromLatin1(panel.saveTooltip.empty() ? c.saveTip : panel.saveTooltip));
    setTextOf(m_recordCount, fromLatin1(panel.recordCount));
    m_connecting->setVisible(panel.connectingNoticeVisible);
    setTextOf(m_connectingDots, fromLatin1(panel.connectingDots));
    m_connectingDots->setVisible(panel.connectingDotsVisible);
    m_pools->setEnabled(panel.poolSelectionEnabled);

    m_shift->setArrow(panel.shiftGlyph == "p" ? Qt::UpArrow : Qt::DownArrow);
    m_shift->setAccessibleName(panel.shifted ? QStringLiteral("Raise the panel")
                                             : QStringLiteral("Lower the panel"));
    // The logic steps the slide every 15 ms; each step is drawn as it comes.
    m_slidingPanel->setPosition(panel.panelTop);

    m_fileMenu->menuAction()->setEnabled(panel.fileMenuEnabled);
    m_optionsMenu->menuAction()->setEnabled(panel.optionsMenuEnabled);
    m_helpMenu->menuAction()->setEnabled(panel.helpMenuEnabled);
    m_baseFile->setEnabled(panel.baseFileEnabled);
    if (m_realtimeOn->isChecked() != panel.realtimeOn) {
        m_realtimeOn->setChecked(panel.realtimeOn);
        m_realtimeOff->setChecked(!panel.realtimeOn);
    }
}

} // namespace aql::ui

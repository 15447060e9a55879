#pragma once

#include "core/Observers.h"
#include "shell/MainController.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QActionGroup;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;

namespace aql::ui {

class ArrowButton;
class KeyRouter;
class Keypad;
class Lamp;
class LcdDisplay;
class LinkStatusBar;
class Logo;
class SlidingPanel;

// The console's main window: the mirrored front panel of the controller being operated (display,
// lamps, keypad), the mode panel (Offline, Online, Get Log, Save and the record count), the pool
// selection, the menus and the link's status bar (the display is marked stale with it). It draws
// what the main window's logic and the console show, and hands every click, key and menu choice to
// them as an intent.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(shell::MainController &main, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Sets the hook that closes this window as the last step of the shut-down.
    void install(shell::MainController::Windows &hooks);
    // That last step: closes the window for good, without asking again.
    void closeForShutdown();

    // Draws the views again.
    void refresh();

    // The parts tests and tools look at.
    LcdDisplay *display() const { return m_display; }
    Keypad *keypad() const { return m_keypad; }
    QRadioButton *offlineButton() const { return m_offline; }
    QRadioButton *onlineButton() const { return m_online; }
    QPushButton *getLogButton() const { return m_getLog; }
    QPushButton *saveButton() const { return m_save; }
    QComboBox *poolSelection() const { return m_pools; }
    QLabel *recordCount() const { return m_recordCount; }
    SlidingPanel *modePanel() const { return m_slidingPanel; }
    LinkStatusBar *linkStatus() const { return m_linkStatus; }
    QAction *trendEntry() const { return m_trend; }
    QAction *reconnectEntry() const { return m_reconnect; }

signals:
    // The window has closed for good; the program ends with it.
    void closedForGood();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    QWidget *buildHeader();
    QWidget *buildFrontPanel();
    QWidget *buildSideColumn();
    QWidget *buildModeButtons();
    void refreshTexts();
    void refreshPanel();
    void refreshStatus();
    QSize initialSize() const;

    shell::MainController &m_main;
    link::Console &m_console;
    Subscription m_mainChanges;
    Subscription m_panelChanges;
    Subscription m_statusChanges;
    KeyRouter *m_keys = nullptr;
    bool m_closeAllowed = false;
    bool m_inCloseEvent = false;

    QMenu *m_fileMenu = nullptr;
    QMenu *m_optionsMenu = nullptr;
    QMenu *m_helpMenu = nullptr;
    QMenu *m_realtimeMenu = nullptr;
    QMenu *m_languageMenu = nullptr;
    QAction *m_configuration = nullptr;
    QAction *m_configurationSeparator = nullptr;
    QAction *m_exit = nullptr;
    QAction *m_realtimeOn = nullptr;
    QAction *m_realtimeOff = nullptr;
    QAction *m_overview = nullptr;
    QAction *m_trend = nullptr;
    QAction *m_reconnect = nullptr;
    QAction *m_variables = nullptr;
    QAction *m_baseFile = nullptr;
    QAction *m_openArchive = nullptr;
    QAction *m_dutch = nullptr;
    QAction *m_english = nullptr;
    QAction *m_about = nullptr;

    Logo *m_logo = nullptr;
    QLabel *m_sloganQuality = nullptr;
    QLabel *m_sloganAccurate = nullptr;
    QPushButton *m_connection = nullptr;
    LcdDisplay *m_display = nullptr;
    Keypad *m_keypad = nullptr;
    Lamp *m_runLamp = nullptr;
    Lamp *m_alarmLamp = nullptr;
    Lamp *m_manualLamp = nullptr;
    QLabel *m_selectSystem = nullptr;
    QComboBox *m_pools = nullptr;
    ArrowButton *m_shift = nullptr;
    SlidingPanel *m_slidingPanel = nullptr;
    QRadioButton *m_offline = nullptr;
    QRadioButton *m_online = nullptr;
    QPushButton *m_getLog = nullptr;
    QPushButton *m_save = nullptr;
    QLabel *m_recordCount = nullptr;
    QLabel *m_recordsHeld = nullptr;
    QLabel *m_connecting = nullptr;
    QLabel *m_connectingDots = nullptr;
    LinkStatusBar *m_linkStatus = nullptr;
};

} // namespace aql::ui

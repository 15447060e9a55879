// The console as the program wires it, with every real window: what the wiring can get wrong. The
// language switch reaches every open window, the exit closes every one of them (the modal ones
// running their own loops included), Save writes through the log window and the program's own
// dialogs, and a configuration saved while the log window is open leaves it no pool that is gone.

#include "aqlremote/ConsoleApp.h"
#include "records/Exports.h"
#include "support/LinkFakes.h"
#include "support/TempDir.h"
#include "ui/logwindows/AboutDialog.h"
#include "ui/logwindows/LogWindow.h"
#include "ui/logwindows/RecordTableModel.h"
#include "ui/logwindows/RecordTableWindow.h"
#include "unit/shell/LogRecords.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace aql;
using namespace aql::test;

namespace {

const std::string kSite =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
    "<aqlRemoteConfig version=\"1.0\">\r\n<siteName>Zwembad Oost</siteName>\r\n"
    "<managedSystems>\r\n"
    "<system address=\"1\" ipaddress=\"127.0.0.1\" port=\"4001\" "
    "name=\"Main pool\"/>\r\n"
    "<system address=\"1\" ipaddress=\"127.0.0.1\" port=\"4001\" "
    "name=\"Kids pool\"/>\r\n"
    "</managedSystems>\r\n</aqlRemoteConfig>\r\n";

// The program with every window it has, in a program folder of its own.
struct ConsoleRig {
    TempDir dir;
    std::unique_ptr<app::ConsoleApp> app;

    ConsoleRig() {
        for (const char *language : {"English.lng", "Nederlands.lng"}) {
            writeBytes(dir / language,
                       readBytes(std::filesystem::path(AQL_RESOURCES_DIR) / language));
        }
        writeBytes(dir / "config.xml", kSite);
        app::ConsoleOptions options;
        options.programFolder = dir.path();
        options.settingsFile = QString::fromStdString((dir / "settings.ini").u8string());
        options.windows = app::availableWindows();
        app = std::make_unique<app::ConsoleApp>(std::move(options));
        EXPECT_TRUE(app->start());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&app->window()));
    }
    ~ConsoleRig() {
        if (!app->main().closing()) {
            app->main().closeAll();
        }
    }
    shell::MainController &main() { return app->main(); }
    ui::CompanionWindows &windows() { return app->companions(); }
    void hold(int first, int count) {
        addLogRecords(main().currentPool()->records(), first, count);
    }
    std::vector<std::string> visibleWindows() const {
        std::vector<std::string> names;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible()) {
                names.push_back(window->objectName().toStdString());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

template <class T> std::function<bool(QWidget *)> isA() {
    return [](QWidget *w) { return qobject_cast<T *>(w) != nullptr; };
}

std::function<bool(QWidget *)> named(const char *name) {
    return [name](QWidget *w) { return w->objectName() == QLatin1String(name); };
}

// The operator's hands while modal windows run their own loops: each step acts on the modal
// window it waits for, once that window is in front. A step may open the next modal window (its
// action returns when that one has closed); the script goes on meanwhile. A message box no step
// waits for is noted and closed, so that a test fails instead of hanging.
class ModalScript {
public:
    struct Step {
        std::function<bool(QWidget *)> waitsFor;
        std::function<void(QWidget *)> act;
    };

    explicit ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
        QObject::connect(&m_poll, &QTimer::timeout, [this] { poll(); });
        m_poll.start(10);
    }
    bool finished() const { return m_next == m_steps.size(); }
    std::vector<std::string> unexpectedBoxes;

private:
    void poll() {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        if (!finished() && m_steps[m_next].waitsFor(modal)) {
            // Out of the poll: a timer does not fire again while it is still being handled, and
            // the action may run a modal window's loop.
            QTimer::singleShot(0, modal, [act = m_steps[m_next].act, modal] { act(modal); });
            ++m_next;
            return;
        }
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            unexpectedBoxes.push_back(box->text().toStdString());
            box->close();
        }
    }

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    QTimer m_poll;
};

// Types a file name into the save dialog and presses Save.
void chooseFile(QWidget *dialog, const QString &name) {
    dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
    QMetaObject::invokeMethod(dialog, "accept");
}

QString menuEntry(QMainWindow &window, const char *name) {
    for (QAction *action : window.findChildren<QAction *>()) {
        if (action->objectName() == QLatin1String(name)) {
            return action->text();
        }
    }
    return {};
}

// The texts that change with the language, one or two of each window.
struct Shown {
    QString optionsMenu, openArchive;        // main window
    QString connectionTitle, connect;        // connection window
    QString askedBlock, busyNotice;          // variables window
    QString configurationTitle, systemLabel; // configuration window
    QString logCaption, logSave;             // log window
    QString aboutTitle, aboutVersionLabel;   // About
    QString recordTableTitle;                // record table: the same in every language
};

} // namespace

TEST(ConsoleWindows, theLanguageSwitchReTextsEveryOpenWindowModalOnesIncluded) {
    ConsoleRig rig;
    rig.hold(1, 4);
    rig.main().openConnectionWindow();
    rig.main().openVariables();
    rig.main().openOverview();

    auto shown = [&rig] {
        Shown s;
        ui::MainWindow &main = rig.app->window();
        s.optionsMenu = main.menuBar()->actions().at(1)->text();
        s.openArchive = menuEntry(main, "openArchiveEntry");
        QWidget *connection = rig.windows().connectionWindow();
        s.connectionTitle = connection->windowTitle();
        s.connect = connection->findChild<QPushButton *>(QStringLiteral("connect"))->text();
        QWidget *variables = rig.windows().variablesWindow();
        s.askedBlock =
            variables->findChild<QLabel *>(QStringLiteral("askedBlock"))->accessibleName();
        s.busyNotice = variables->findChild<QLabel *>(QStringLiteral("busyText"))->text();
        QDialog *configuration = rig.windows().configurationWindow();
        s.configurationTitle = configuration->windowTitle();
        for (QLabel *label : configuration->findChildren<QLabel *>()) {
            if (label->buddy() != nullptr && label->buddy()->objectName() == "systems") {
                s.systemLabel = label->text();
            }
        }
        auto *log = qobject_cast<ui::LogWindow *>(rig.windows().logWindow());
        s.logSave = log->saveCsvButton()->text();
        s.logCaption = log->recordCountLabel()->accessibleName();
        auto *about = qobject_cast<ui::AboutDialog *>(rig.windows().aboutDialog());
        s.aboutTitle = about->windowTitle();
        s.aboutVersionLabel = about->versionLabel()->text();
        s.recordTableTitle = rig.windows().recordTableWindow()->windowTitle();
        return s;
    };
    Shown english;
    Shown dutch;
    ModalScript script({
        {named("configurationWindow"), [&](QWidget *) { rig.main().console().saveLog(); }},
        {isA<ui::LogWindow>(), [&](QWidget *) { rig.main().openAbout(); }},
        {isA<ui::AboutDialog>(),
         [&](QWidget *about) {
             english = shown();
             rig.main().chooseDutch();
             dutch = shown();
             qobject_cast<QDialog *>(about)->reject();
         }},
        {isA<ui::LogWindow>(), [](QWidget *log) { qobject_cast<QDialog *>(log)->reject(); }},
        {named("configurationWindow"), [](QWidget *d) { qobject_cast<QDialog *>(d)->reject(); }},
    });
    rig.main().openConfiguration();
    ASSERT_TRUE(script.finished());
    EXPECT_TRUE(script.unexpectedBoxes.empty());

    const std::pair<QString Shown::*, std::pair<const char *, const char *>> expected[] = {
        {&Shown::optionsMenu, {"O&ptions", "O&pties"}},
        {&Shown::openArchive, {"Open archive", "Archief openen"}},
        {&Shown::connectionTitle, {"Communication", "Verbinding"}},
        {&Shown::connect, {"&Connect", "&Verbinden"}},
        {&Shown::askedBlock, {"Block asked", "Gevraagd blok"}},
        {&Shown::configurationTitle, {"Configuration", "Configuratie"}},
        {&Shown::systemLabel, {"Select s&ystem", "Kies s&ysteem"}},
        {&Shown::logSave, {"&Save", "&Opslaan"}},
        {&Shown::logCaption, {"Number of log records: 4", "Aantal logrecords: 4"}},
        {&Shown::aboutTitle, {"About AQL Remote Console...", "Info over AQL Remote Console..."}},
        {&Shown::recordTableTitle, {"Database", "Database"}},
    };
    for (const auto &[text, languages] : expected) {
        EXPECT_EQ((english.*text).toStdString(), languages.first);
        EXPECT_EQ((dutch.*text).toStdString(), languages.second);
    }
    EXPECT_TRUE(dutch.busyNotice.startsWith(QStringLiteral("Er wordt nog een wijziging")));
    EXPECT_NE(english.aboutVersionLabel, dutch.aboutVersionLabel);
}

TEST(ConsoleWindows, exitClosesEveryWindowTheModalOnesRunningInsideEachOtherIncluded) {
    ConsoleRig rig;
    rig.main().openConnectionWindow();
    rig.main().openVariables();
    rig.main().openOverview();
    EXPECT_EQ(rig.visibleWindows(),
              (std::vector<std::string>{"connectionWindow", "mainWindow", "recordTableWindow",
                                        "variablesWindow"}));
    QSignalSpy closed(&rig.app->window(), &ui::MainWindow::closedForGood);
    std::vector<std::string> openAtExit;
    ModalScript script({
        {named("configurationWindow"), [&](QWidget *) { rig.main().console().saveLog(); }},
        {isA<ui::LogWindow>(), [&](QWidget *) { rig.main().openAbout(); }},
        {isA<ui::AboutDialog>(),
         [&](QWidget *) {
             openAtExit = rig.visibleWindows();
             rig.main().exit();
         }},
    });
    rig.main().openConfiguration();
    ASSERT_TRUE(script.finished());
    EXPECT_EQ(openAtExit.size(), 7u);
    EXPECT_TRUE(rig.visibleWindows().empty());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(rig.main().console().variablesLoaded());
    EXPECT_TRUE(script.unexpectedBoxes.empty());
}

TEST(ConsoleWindows, aClosedVariablesWindowGoesWithItsLogicAndTheNextOpeningStartsAfresh) {
    ConsoleRig rig;
    rig.main().openVariables();
    QPointer<QWidget> first = rig.windows().variablesWindow();
    ASSERT_TRUE(first && first->isVisible());
    ASSERT_TRUE(rig.main().console().variablesLoaded());
    first->close();
    EXPECT_FALSE(rig.main().console().variablesLoaded());
    rig.main().openVariables(); // before the closed one is deleted
    QWidget *second = rig.windows().variablesWindow();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->isVisible());
    EXPECT_TRUE(rig.main().console().variablesLoaded());
    QTest::qWait(10);
    EXPECT_TRUE(first.isNull());
}

TEST(ConsoleWindows, saveWritesCsvAndXmlThroughTheLogWindowAndDialogsInFrontOfIt) {
    ConsoleRig rig;
    rig.main().choosePool(1);
    rig.hold(1, 6);
    ui::MainWindow &main = rig.app->window();
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.saveButton()->isEnabled(); }, 2000));

    QWidget *logWindow = nullptr;
    std::vector<QWidget *> parents; // of each dialog and box
    std::vector<QString> folders;   // where each save dialog starts
    std::vector<std::string> told;
    auto save = [&](QWidget *dialog, const char *name) {
        parents.push_back(dialog->parentWidget());
        folders.push_back(qobject_cast<QFileDialog *>(dialog)->directory().absolutePath());
        chooseFile(dialog, QString::fromLatin1(name));
    };
    auto confirm = [&](QWidget *box) {
        parents.push_back(box->parentWidget());
        told.push_back(qobject_cast<QMessageBox *>(box)->text().toStdString());
        qobject_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click();
    };
    ModalScript script({
        {isA<ui::LogWindow>(),
         [&](QWidget *log) {
             logWindow = log;
             qobject_cast<ui::LogWindow *>(log)->xmlButton()->click();
         }},
        {isA<QFileDialog>(), [&](QWidget *d) { save(d, "export"); }},
        {isA<QMessageBox>(), confirm},
        {isA<ui::LogWindow>(),
         [&](QWidget *log) { qobject_cast<ui::LogWindow *>(log)->saveCsvButton()->click(); }},
        {isA<QFileDialog>(), [&](QWidget *d) { save(d, "week 12"); }},
        {isA<QMessageBox>(), confirm},
    });
    main.saveButton()->click(); // returns when the log window has closed
    ASSERT_TRUE(script.finished());
    EXPECT_TRUE(script.unexpectedBoxes.empty());
    EXPECT_FALSE(logWindow != nullptr && rig.windows().logWindow() != nullptr);

    // Each dialog and box stood in front of the log window, which is kept on top.
    ASSERT_EQ(parents.size(), 4u);
    for (QWidget *parent : parents) {
        EXPECT_EQ(parent, logWindow);
    }
    const QString program = QString::fromStdString(rig.dir.path().u8string());
    EXPECT_EQ(folders, (std::vector<QString>{program, program + QStringLiteral("/Data")}));

    // The type's extension added to the names typed; the system the records came from named.
    const records::RecordList &held = rig.main().currentPool()->records();
    const std::string csv = readBytes(rig.dir / "Data" / "week 12.csv");
    EXPECT_EQ(csv, records::recordListCsv(held));
    const std::string xml = readBytes(rig.dir / "export.xml");
    EXPECT_NE(xml.find("<pool name=\"Kids pool\">"), std::string::npos);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_NE(told[0].find("export.xml"), std::string::npos);
    EXPECT_NE(told[1].find("week 12.csv"), std::string::npos);
    EXPECT_FALSE(rig.main().unsavedRecords());
}

TEST(ConsoleWindows, aConfigurationSavedWhileTheLogWindowIsOpenLeavesItNoPoolThatIsGone) {
    ConsoleRig rig;
    rig.hold(1, 3);
    rig.main().markSaved();
    rig.main().openOverview();
    rig.main().console().chooseRealtime(true);
    QString countAfter;
    ModalScript script({
        {isA<ui::LogWindow>(),
         [&](QWidget *log) {
             // Not a path an operator can take (the log window is modal), but the pools behind
             // an open window are replaced as a configuration save replaces them.
             config::ConfigurationController &configuration = rig.main().configuration();
             configuration.selectEntry(0);
             configuration.editName("Main basin");
             configuration.saveSystem();
             QTest::qWait(3 * shell::LogController::kRefreshMs);
             countAfter = qobject_cast<ui::LogWindow *>(log)->recordCountLabel()->text();
             rig.app->log().saveRealtimeCsv();
             qobject_cast<QDialog *>(log)->reject();
         }},
    });
    rig.main().console().saveLog();
    ASSERT_TRUE(script.finished());
    EXPECT_TRUE(script.unexpectedBoxes.empty());
    ASSERT_NE(rig.main().pools().find("Main basin"), nullptr) << "the pools were read again";
    EXPECT_EQ(countAfter, QStringLiteral("0")); // the new pool's, which holds none yet
    // The record table keeps the copy it was opened with.
    auto *table = qobject_cast<ui::RecordTableWindow *>(rig.windows().recordTableWindow());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->model()->rowCount(), 3);
}

// --- The trend window, as the program opens it --------------------------------------------------

#ifdef AQL_HAS_TREND_WINDOW

namespace {

QString labelOf(QWidget *window, const char *name) {
    auto *label = window->findChild<QLabel *>(QLatin1String(name));
    return label != nullptr ? label->text() : QStringLiteral("(no label %1)").arg(name);
}

QString buttonOf(QWidget *window, const char *name) {
    auto *button = window->findChild<QAbstractButton *>(QLatin1String(name));
    return button != nullptr ? button->text() : QStringLiteral("(no button %1)").arg(name);
}

} // namespace

TEST(ConsoleTrend, opensFromOptionsAndTheLogWindowOneAtATimeOverACopyThatOutlivesAReload) {
    ConsoleRig rig;
    rig.hold(1, 50);
    rig.main().markSaved();
    QAction *entry = rig.app->window().trendEntry();
    ASSERT_TRUE(entry->isVisible());
    EXPECT_EQ(entry->text(), QStringLiteral("Trend"));
    entry->trigger();
    QPointer<QWidget> trend = rig.windows().trendWindow();
    ASSERT_TRUE(trend);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(trend));
    EXPECT_EQ(trend->windowTitle(), QStringLiteral("Trend - Main pool"));
    EXPECT_TRUE(labelOf(trend, "counts").startsWith(QStringLiteral("Records in the chart: 50")));

    // Opened again on the same system's records: the same window, with the records now held.
    rig.hold(51, 10);
    entry->trigger();
    EXPECT_EQ(rig.windows().trendWindow(), trend.data());
    EXPECT_TRUE(labelOf(trend, "counts").startsWith(QStringLiteral("Records in the chart: 60")));

    // The log window's button closes it (it is modal) and brings the trend window to the front.
    bool logClosed = false;
    ModalScript script({
        {isA<ui::LogWindow>(),
         [&](QWidget *log) {
             QPushButton *button = qobject_cast<ui::LogWindow *>(log)->trendButton();
             EXPECT_TRUE(button->isVisible());
             EXPECT_EQ(button->text(), QStringLiteral("&Trend"));
             trend->lower();
             button->click();
             logClosed = !log->isVisible();
         }},
    });
    rig.main().console().saveLog();
    ASSERT_TRUE(script.finished());
    EXPECT_TRUE(script.unexpectedBoxes.empty());
    EXPECT_TRUE(logClosed);
    EXPECT_EQ(rig.windows().trendWindow(), trend.data());
    EXPECT_TRUE(trend->isVisible());
    EXPECT_EQ(rig.windows().logWindow(), nullptr);

    // A configuration saved replaces every pool and its records: the window keeps its copy.
    rig.main().markSaved();
    config::ConfigurationController &configuration = rig.main().configuration();
    configuration.selectEntry(0);
    configuration.editName("Main basin");
    configuration.saveSystem();
    ASSERT_NE(rig.main().pools().find("Main basin"), nullptr);
    ASSERT_EQ(rig.main().currentPool()->records().count(), 0u);
    QTest::qWait(20);
    ASSERT_TRUE(trend);
    EXPECT_TRUE(labelOf(trend, "counts").startsWith(QStringLiteral("Records in the chart: 60")));
    EXPECT_EQ(trend->windowTitle(), QStringLiteral("Trend - Main pool"));

    // The language switch re-texts it.
    EXPECT_EQ(buttonOf(trend, "zoomIn"), QStringLiteral("Zoom &in"));
    rig.main().chooseDutch();
    EXPECT_EQ(buttonOf(trend, "zoomIn"), QStringLiteral("&Inzoomen"));
    EXPECT_EQ(buttonOf(trend, "close"), QStringLiteral("&Sluiten"));
    EXPECT_TRUE(labelOf(trend, "counts").startsWith(QStringLiteral("Records in de grafiek: 60")));

    // The records come from another system now: a new window, whose title names that one.
    entry->trigger();
    QWidget *renamed = rig.windows().trendWindow();
    ASSERT_NE(renamed, nullptr);
    EXPECT_NE(renamed, trend.data());
    // (A saved system goes to the end of the list: the first one is now the other system.)
    const config::Pool *source = rig.main().recordsSource();
    ASSERT_NE(source, nullptr);
    EXPECT_NE(source->name(), "Main pool");
    EXPECT_EQ(renamed->windowTitle().toStdString(), "Trend - " + source->name());
    QTest::qWait(20);
    EXPECT_TRUE(trend.isNull()) << "the window it replaced is gone with its copy";

    // Closed and opened again at once, before the closed one is deleted: a window that stays.
    QPointer<QWidget> closed = renamed;
    QMetaObject::invokeMethod(renamed->findChild<QPushButton *>(QStringLiteral("close")), "click");
    ASSERT_TRUE(closed && closed->isHidden());
    entry->trigger();
    QPointer<QWidget> reopened = rig.windows().trendWindow();
    ASSERT_TRUE(reopened);
    EXPECT_NE(reopened.data(), closed.data());
    QTest::qWait(20);
    EXPECT_TRUE(closed.isNull());
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(reopened->isVisible());

    // It goes with the main window.
    QPointer<QWidget> last = reopened.data();
    rig.main().exit();
    QTest::qWait(20);
    EXPECT_TRUE(last.isNull() || !last->isVisible());
    EXPECT_TRUE(rig.visibleWindows().empty());
}

#endif

// --- Look: every window of the program, in both languages, as the program opens it -------------

namespace {

QString scaleSuffix() {
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR");
    return scale.isEmpty() ? QStringLiteral("1") : scale;
}

void shoot(QWidget &window, const QString &name, const QString &language) {
    QApplication::processEvents();
    QDir().mkpath(QStringLiteral(AQL_SCREENSHOT_DIR));
    const QString file = QStringLiteral(AQL_SCREENSHOT_DIR "/console-%1-%2-scale%3.png")
                             .arg(name, language, scaleSuffix());
    EXPECT_TRUE(window.grab().save(file)) << file.toStdString();
}

// Every visible label and button has the room its text asks for and lies inside its parent.
void expectNothingClipped(QWidget &window) {
    for (QWidget *w : window.findChildren<QWidget *>()) {
        const bool text =
            (qobject_cast<QLabel *>(w) && !qobject_cast<QLabel *>(w)->text().isEmpty()) ||
            (qobject_cast<QAbstractButton *>(w) &&
             !qobject_cast<QAbstractButton *>(w)->text().isEmpty());
        if (!text || !w->isVisibleTo(&window)) {
            continue;
        }
        SCOPED_TRACE(window.objectName().toStdString() + " " + w->objectName().toStdString() + " " +
                     w->metaObject()->className());
        EXPECT_GE(w->width(), w->minimumSizeHint().width());
        EXPECT_GE(w->height(), w->minimumSizeHint().height());
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()));
    }
}

} // namespace

TEST(ConsoleWindowsLook, everyWindowInBothLanguagesHasRoomForItsTexts) {
    for (const QString &language : {QStringLiteral("en"), QStringLiteral("nl")}) {
        SCOPED_TRACE(language.toStdString());
        ConsoleRig rig;
        if (language == QLatin1String("nl")) {
            rig.main().chooseDutch();
        }
        rig.hold(1, 1234);
        QTest::qWait(150); // the record count takes them in
        auto look = [&](QWidget &window, const char *name) {
            QApplication::processEvents(); // the layout takes in the latest texts
            expectNothingClipped(window);
            shoot(window, QLatin1String(name), language);
        };
        look(rig.app->window(), "main");

        rig.main().openConnectionWindow();
        QWidget &connection = *rig.windows().connectionWindow();
        look(connection, "connection-password");
        rig.main().console().connection().setPassword(link::TcpLink::kServicePassword);
        rig.main().console().connection().confirmPassword();
        look(connection, "connection");
        connection.close();

        rig.main().openVariables();
        look(*rig.windows().variablesWindow(), "variables");
        rig.windows().variablesWindow()->close();

        rig.main().openOverview();
        QWidget &table = *rig.windows().recordTableWindow();
        table.resize(qobject_cast<ui::RecordTableWindow *>(&table)->fullSize());
        look(table, "records");
        table.close();

#ifdef AQL_HAS_TREND_WINDOW
        rig.main().openTrend();
        QWidget &trend = *rig.windows().trendWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&trend));
        look(trend, "trend");
        trend.close();
#endif

        ModalScript script({
            {named("configurationWindow"),
             [&](QWidget *w) {
                 look(*w, "configuration");
                 qobject_cast<QDialog *>(w)->reject();
             }},
            {isA<ui::LogWindow>(),
             [&](QWidget *w) {
                 look(*w, "log");
                 qobject_cast<QDialog *>(w)->reject();
             }},
            {isA<ui::AboutDialog>(),
             [&](QWidget *w) {
                 look(*w, "about");
                 qobject_cast<QDialog *>(w)->reject();
             }},
        });
        rig.main().openConfiguration();
        rig.main().console().saveLog();
        rig.main().openAbout();
        EXPECT_TRUE(script.finished());
        EXPECT_TRUE(script.unexpectedBoxes.empty());
    }
}

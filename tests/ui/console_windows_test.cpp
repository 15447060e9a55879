// The console as the program wires it, with every real window: what the wiring can get wrong. The
// language switch reaches every open window, the exit closes every one of them (the modal ones
// running their own loops included), Save writes through the log window and the program's own
// dialogs, and the trend window keeps its copy of the records when a saved configuration replaces
// the pools.

#include "ConsoleRig.h"
#include "records/Exports.h"
#include "ui/logwindows/AboutDialog.h"
#include "ui/logwindows/LogWindow.h"
#include "ui/widgets/Lamp.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>

#include <algorithm>
#include <map>

using namespace aql;
using namespace aql::test;

namespace {

// The names of the windows on screen, sorted.
std::vector<std::string> visibleWindows() {
    std::vector<std::string> names;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            names.push_back(window->objectName().toStdString());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

QString textOf(QWidget *window, const char *name) {
    QObject *child = window->findChild<QObject *>(QLatin1String(name));
    if (auto *label = qobject_cast<QLabel *>(child)) {
        return label->text();
    }
    auto *button = qobject_cast<QAbstractButton *>(child);
    return button != nullptr ? button->text() : QStringLiteral("(no %1)").arg(name);
}

// The configuration window, the log window in it and About in that: every window open at once.
std::vector<ModalScript::Step> allOpen(ConsoleRig &rig, std::function<void(QWidget *)> act) {
    return {
        {isA<ui::ConfigurationWindow>(), [&rig](QWidget *) { rig.main().console().saveLog(); }},
        {isA<ui::LogWindow>(), [&rig](QWidget *) { rig.main().openAbout(); }},
        {isA<ui::AboutDialog>(), std::move(act)},
    };
}

void reject(QWidget *dialog) {
    qobject_cast<QDialog *>(dialog)->reject();
}

} // namespace

TEST(ConsoleWindows, theLanguageSwitchReTextsEveryOpenWindowModalOnesIncluded) {
    ConsoleRig rig;
    rig.hold(1, 4);
    rig.main().openConnectionWindow();
    rig.main().openVariables();
    rig.main().openOverview();
    ui::CompanionWindows &w = rig.app->companions();
    auto shown = [&] {
        ui::MainWindow &main = rig.app->window();
        auto *log = qobject_cast<ui::LogWindow *>(w.logWindow());
        return std::map<std::string, QString>{
            {"menu", main.menuBar()->actions().at(1)->text()},
            {"lamp", main.findChild<ui::Lamp *>(QStringLiteral("runLamp"))->caption()},
            {"connect", textOf(w.connectionWindow(), "connect")},
            {"asked", w.variablesWindow()
                          ->findChild<QLabel *>(QStringLiteral("askedBlock"))
                          ->accessibleName()},
            {"newSystem", textOf(w.configurationWindow(), "newSystem")},
            {"logCount", log->recordCountLabel()->accessibleName()},
            {"version", qobject_cast<ui::AboutDialog *>(w.aboutDialog())->versionLabel()->text()}};
    };
    std::map<std::string, QString> english, dutch, back;
    std::vector<ModalScript::Step> steps = allOpen(rig, [&](QWidget *about) {
        EXPECT_TRUE(about->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        english = shown();
        rig.main().chooseDutch();
        dutch = shown();
        rig.main().chooseEnglish();
        back = shown();
        rig.main().chooseDutch();
        reject(about);
    });
    steps.push_back({isA<ui::LogWindow>(), reject});
    steps.push_back({isA<ui::ConfigurationWindow>(), reject});
    ModalScript script(std::move(steps));
    rig.main().openConfiguration();
    ASSERT_TRUE(script.finished());
    EXPECT_TRUE(script.unexpectedBoxes.empty());

    const std::map<std::string, std::pair<const char *, const char *>> expected = {
        {"menu", {"O&ptions", "O&pties"}},
        {"lamp", {"RUN", "BEDRIJF"}},
        {"connect", {"&Connect", "&Verbinden"}},
        {"asked", {"Block asked", "Gevraagd blok"}},
        {"newSystem", {"&New", "&Nieuw"}},
        {"logCount", {"Number of log records: 4", "Aantal logrecords: 4"}},
        {"version", {"Version:", "Versie:"}},
    };
    for (const auto &[key, texts] : expected) {
        EXPECT_EQ(english[key].toStdString(), texts.first) << key;
        EXPECT_EQ(dutch[key].toStdString(), texts.second) << key;
    }
    EXPECT_EQ(back, english);
    // A window built after the switch starts in the new language.
    w.variablesWindow()->close();
    rig.main().openVariables();
    EXPECT_TRUE(w.variablesWindow()
                    ->findChild<QLabel *>(QStringLiteral("busyText"))
                    ->text()
                    .startsWith(QStringLiteral("Er wordt nog een wijziging")));
}

TEST(ConsoleWindows, exitClosesEveryWindowTheModalOnesRunningInsideEachOtherIncluded) {
    ConsoleRig rig;
    rig.main().openConnectionWindow();
    rig.main().openVariables();
    rig.app->companions().variablesWindow()->close(); // and opened again before it is deleted
    EXPECT_FALSE(rig.main().console().variablesLoaded());
    rig.main().openVariables();
    rig.main().openOverview();
    QSignalSpy closed(&rig.app->window(), &ui::MainWindow::closedForGood);
    std::vector<std::string> openAtExit;
    ModalScript script(allOpen(rig, [&](QWidget *) {
        openAtExit = visibleWindows();
        rig.main().exit();
    }));
    rig.main().openConfiguration();
    ASSERT_TRUE(script.finished());
    EXPECT_EQ(openAtExit, (std::vector<std::string>{"aboutWindow", "configurationWindow",
                                                    "connectionWindow", "logWindow", "mainWindow",
                                                    "recordTableWindow", "variablesWindow"}));
    EXPECT_TRUE(visibleWindows().empty());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(rig.main().console().variablesLoaded());
    EXPECT_TRUE(script.unexpectedBoxes.empty());
}

TEST(ConsoleWindows, theCloseBoxKeepsUnsavedRecordsUntilTheyAreSaved) {
    ConsoleRig rig;
    rig.hold(9, 1);
    ModalScript script({{isA<QMessageBox>(), [](QWidget *box) {
                             qobject_cast<QMessageBox *>(box)->button(QMessageBox::Cancel)->click();
                         }}});
    EXPECT_FALSE(rig.app->window().close());
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(visibleWindows(), std::vector<std::string>{"mainWindow"});
    EXPECT_EQ(rig.main().currentPool()->records().count(), 1u);
    rig.main().markSaved();
    EXPECT_TRUE(rig.app->window().close());
    EXPECT_TRUE(visibleWindows().empty());
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
    auto save = [&](const char *name) {
        return [&, name](QWidget *dialog) {
            parents.push_back(dialog->parentWidget());
            folders.push_back(qobject_cast<QFileDialog *>(dialog)->directory().absolutePath());
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
            QMetaObject::invokeMethod(dialog, "accept");
        };
    };
    auto confirm = [&](QWidget *box) {
        parents.push_back(box->parentWidget());
        qobject_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click();
    };
    ModalScript script({
        {isA<ui::LogWindow>(),
         [&](QWidget *log) {
             logWindow = log;
             qobject_cast<ui::LogWindow *>(log)->xmlButton()->click();
         }},
        {isA<QFileDialog>(), save("export")},
        {isA<QMessageBox>(), confirm},
        {isA<ui::LogWindow>(), // still open after XML
         [&](QWidget *log) { qobject_cast<ui::LogWindow *>(log)->saveCsvButton()->click(); }},
        {isA<QFileDialog>(), save("week 12")},
        {isA<QMessageBox>(), confirm},
    });
    main.saveButton()->click(); // returns when the log window has closed
    ASSERT_TRUE(script.finished());
    EXPECT_TRUE(script.unexpectedBoxes.empty());
    EXPECT_EQ(rig.app->companions().logWindow(), nullptr);

    // Each dialog and box stood in front of the log window, which is kept on top.
    EXPECT_EQ(parents, std::vector<QWidget *>(4, logWindow));
    const QString program = QString::fromStdString(rig.folder.dir.path().u8string());
    EXPECT_EQ(folders, (std::vector<QString>{program, program + QStringLiteral("/Data")}));

    // The type's extension added to the names typed; the system the records came from named.
    const records::RecordList &held = rig.main().currentPool()->records();
    EXPECT_EQ(readBytes(rig.folder.dir / "Data" / "week 12.csv"), records::recordListCsv(held));
    const std::string xml = readBytes(rig.folder.dir / "export.xml");
    EXPECT_NE(xml.find("<pool name=\"Kids pool\">"), std::string::npos);
    EXPECT_FALSE(rig.main().unsavedRecords());
}

#ifdef AQL_HAS_TREND_WINDOW

TEST(ConsoleTrend, opensFromOptionsAndTheLogWindowOverACopyThatOutlivesAReload) {
    ConsoleRig rig;
    rig.hold(1, 50);
    rig.main().markSaved();
    QAction *entry = rig.app->window().trendEntry();
    ASSERT_TRUE(entry->isVisible());
    entry->trigger();
    QPointer<QWidget> trend = rig.app->companions().trendWindow();
    ASSERT_TRUE(trend && QTest::qWaitForWindowExposed(trend));
    EXPECT_EQ(trend->windowTitle(), QStringLiteral("Trend - Main pool"));
    auto counted = [&](QWidget *window, const char *text) {
        return textOf(window, "counts").startsWith(QLatin1String(text));
    };
    EXPECT_TRUE(counted(trend, "Records in the chart: 50"));

    // The log window's button closes it (it is modal) and brings the trend window to the front.
    ModalScript script({{isA<ui::LogWindow>(), [&](QWidget *log) {
                             trend->lower();
                             qobject_cast<ui::LogWindow *>(log)->trendButton()->click();
                         }}});
    rig.main().console().saveLog();
    ASSERT_TRUE(script.finished());
    EXPECT_TRUE(script.unexpectedBoxes.empty());
    EXPECT_EQ(rig.app->companions().logWindow(), nullptr);
    EXPECT_EQ(rig.app->companions().trendWindow(), trend.data());
    EXPECT_TRUE(trend->isVisible());

    // A configuration saved replaces every pool and its records: the window keeps its copy.
    config::ConfigurationController &configuration = rig.main().configuration();
    configuration.selectEntry(0);
    configuration.editName("Main basin");
    configuration.saveSystem();
    ASSERT_EQ(rig.main().currentPool()->records().count(), 0u);
    QTest::qWait(20);
    ASSERT_TRUE(trend);
    EXPECT_TRUE(counted(trend, "Records in the chart: 50"));
    rig.main().chooseDutch(); // the language switch re-texts it
    EXPECT_TRUE(counted(trend, "Records in de grafiek: 50"));

    // The records come from another system now: a new window, whose title names that one.
    entry->trigger();
    QPointer<QWidget> renamed = rig.app->companions().trendWindow();
    ASSERT_TRUE(renamed && renamed != trend);
    const config::Pool *source = rig.main().recordsSource();
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(renamed->windowTitle().toStdString(), "Trend - " + source->name());

    // Closed and opened again at once, before the closed one is deleted: a window that stays.
    QMetaObject::invokeMethod(renamed->findChild<QPushButton *>(QStringLiteral("close")), "click");
    entry->trigger();
    QPointer<QWidget> reopened = rig.app->companions().trendWindow();
    ASSERT_TRUE(reopened && reopened != renamed);
    QTest::qWait(20);
    EXPECT_TRUE(trend.isNull() && renamed.isNull());
    EXPECT_TRUE(reopened && reopened->isVisible());

    rig.main().exit(); // it goes with the main window
    QTest::qWait(20);
    EXPECT_TRUE(visibleWindows().empty());
}

#endif

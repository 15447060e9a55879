// The log, record table and About windows as the operator sees them, drawn into PNG files:
//   log-window-shots FOLDER LANGUAGE-FILE
// Each window is drawn once, named after the window and the language file, for example
// log-English.png; run it with QT_SCALE_FACTOR=2 for the high-resolution look.

#include "config/Pool.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtFileOpener.h"
#include "platform/qt/QtFileSaver.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtTimerFactory.h"
#include "shell/AboutController.h"
#include "shell/LanguageTexts.h"
#include "shell/LogController.h"
#include "shell/RecordTable.h"
#include "ui/logwindows/AboutDialog.h"
#include "ui/logwindows/LogWindow.h"
#include "ui/logwindows/RecordTableWindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <string>

namespace {

using namespace aql;

// A day of readings every quarter of an hour, with the values moving a little.
void addSampleRecords(records::RecordList &list, int count) {
    for (int n = 1; n <= count; ++n) {
        const int minutes = n * 15;
        const std::string time =
            "2026-05-" + std::to_string(10 + minutes / 1440) + " " +
            (minutes / 60 % 24 < 10 ? "0" : "") + std::to_string(minutes / 60 % 24) + ":" +
            (minutes % 60 < 10 ? "0" : "") + std::to_string(minutes % 60) + ":00";
        const std::string reagent = std::to_string(600 + n % 17 * 3);
        const std::string ph = "7." + std::to_string(10 + n % 9);
        const std::string line = "3," + std::to_string(n) + "," + std::to_string(n) + "," + time +
                                 ",27,850,400,600," + reagent + "," + reagent + ",7.6,6.8,7.2," +
                                 ph + "," + ph + ",5,3," + std::to_string(180 + n % 5) + "," +
                                 std::to_string(180 + n % 5) + ",40,25,700,650,100,0,710,10,5,0,0";
        records::LogRecord record;
        record.fromExportCsv(line, records::rtype::kLog);
        list.insert(record);
    }
}

bool save(QWidget &window, const QString &file) {
    window.show();
    QApplication::processEvents();
    const bool saved = window.grab().save(file);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
    return saved;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: log-window-shots FOLDER LANGUAGE-FILE\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const std::string languageFile = argv[2];
    const QString language = QFileInfo(QString::fromLocal8Bit(argv[2])).completeBaseName();

    platform::qt::QtMessageBox box(QStringLiteral("AQL Remote Console"));
    shell::LanguageTexts texts(box);
    texts.readFile(languageFile);
    const link::TextSource text = [&texts](int n) { return texts.getText(n); };

    config::Pool pool;
    pool.init("Zwembad Oost", "Pool 1", 1, "127.0.0.1", "4001", 1);
    addSampleRecords(pool.records(), 1234);

    platform::qt::QtTimerFactory timers;
    platform::qt::QtClock clock;
    platform::qt::QtFileDialog dialogs;
    platform::QtFileSaver files;
    platform::qt::QtFileOpener opener;
    shell::LogController log(shell::LogServices{timers, clock, dialogs, box, files, opener}, text,
                             QDir::tempPath().toStdString());
    log.setPool(&pool);
    shell::AboutController about(text);

    bool ok = true;
    {
        ui::LogWindow window(log);
        ok = save(window, folder + QStringLiteral("/log-") + language + QStringLiteral(".png")) &&
             ok;
    }
    {
        ui::RecordTableWindow window{shell::RecordTable(&pool.records())};
        // The offscreen screen is small; a desktop shows the whole width the window asks for.
        window.resize(window.fullSize());
        ok = save(window,
                  folder + QStringLiteral("/records-") + language + QStringLiteral(".png")) &&
             ok;
    }
    {
        ui::AboutDialog window(about);
        ok = save(window, folder + QStringLiteral("/about-") + language + QStringLiteral(".png")) &&
             ok;
    }
    return ok ? 0 : 1;
}

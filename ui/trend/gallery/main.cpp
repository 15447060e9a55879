// The trend window over the simulated plant's log, for looking at it and for screenshots:
//   trend-gallery [--records N] [--zoom-day] [--pointer] [--hide-limits] [--grab FILE.png]
// --records: how long a log (default 672, a week); --zoom-day: the last Wednesday only (the shift
// in manual mode); --pointer: the readout at its afternoon; --hide-limits: measured values only.
// With --grab the window is drawn once into FILE.png and the program ends; the PNG the window
// saves itself goes beside it as FILE-export.png.

#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtFileSaver.h"
#include "platform/qt/QtMessageBox.h"
#include "trend/Calendar.h"
#include "ui/TrendWindow.h"
#include "ui/trend/TrendPane.h"
#include "ui/trend/sample/SampleLog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <string>

using namespace aql;

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    auto valueOf = [&args](const char *option) {
        const qsizetype at = args.indexOf(QLatin1String(option));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    };
    const QString grabFile = valueOf("--grab");
    const QString records = valueOf("--records");
    const int count = records.isEmpty() ? 7 * 96 : records.toInt();

    platform::QtFileSaver files;
    platform::qt::QtFileDialog dialog;
    platform::qt::QtMessageBox box(QStringLiteral("AQL Remote"));
    const records::RecordList log = ui::sampleTrendLog(count);
    ui::TrendWindow window(log, "Pool 1", files, dialog, box, nullptr,
                           QDir::homePath().toStdString());
    window.show();
    QApplication::processEvents();

    trend::TrendController &c = window.controller();
    // The log ends on Saturday 2009-03-21; its Wednesday is the 18th.
    const std::int64_t wednesday = trend::secondsSinceEpoch({2009, 3, 18, 0, 0, 0});
    if (args.contains(QStringLiteral("--hide-limits"))) {
        c.setShownSet({trend::Series::Ph, trend::Series::Reagent, trend::Series::Flow});
    }
    if (args.contains(QStringLiteral("--zoom-day"))) {
        c.zoomTo(wednesday + 6 * 3600, wednesday + 22 * 3600);
    }
    if (args.contains(QStringLiteral("--pointer"))) {
        c.pointAt(wednesday + 14 * 3600 + 20 * 60);
    }
    QApplication::processEvents();

    if (grabFile.isEmpty()) {
        return QApplication::exec();
    }
    QDir().mkpath(QFileInfo(grabFile).absolutePath());
    const bool saved = window.grab().save(grabFile);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(grabFile));
    if (count > 0) {
        const std::string png = window.renderPng();
        QString exportFile = grabFile;
        exportFile.replace(QStringLiteral(".png"), QStringLiteral("-export.png"));
        QFile out(exportFile);
        if (out.open(QIODevice::WriteOnly)) {
            out.write(png.data(), static_cast<qint64>(png.size()));
        }
    }
    return saved ? 0 : 1;
}

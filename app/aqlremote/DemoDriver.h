#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <string>

namespace aql::app {

class ConsoleApp;

// Runs the console without an operator, for the demonstration, the end-to-end test and the
// start-up benchmark. Chosen by the environment, never by an argument (the first argument is a
// system code):
//   AQL_DEMO=shown     print "shown" once the main window is on screen, then end
//   AQL_DEMO=poll      wait until the controller's display arrives while Online (project mode
//                      goes Online by itself; otherwise Online is clicked), take a screenshot,
//                      then end
//   AQL_DEMO=download  click Online and Get Log, wait until the status bar says the log is
//                      complete (the console's own end-of-log rule), take a screenshot, save the
//                      log as CSV, XML and an Excel workbook through the log window's save
//                      actions (the file dialog answered by the driver), open the trend window
//                      from the Options menu where the build has it and take its picture, then
//                      end
// AQL_DEMO_OUT names the folder for the screenshots (console.png, trend.png) and the log files
// (default "out"). What was written is printed, one path a line. The process ends with status 0
// when everything was done, 1 when not (why goes to standard error).
class DemoDriver : public QObject {
    Q_OBJECT
public:
    enum class Mode { None, Shown, Poll, Download };

    static constexpr int kTimeoutMs = 120000;
    static constexpr int kWatchMs = 50;
    static constexpr std::uint64_t kDisplayPacketsBeforeShot = 5;

    explicit DemoDriver(ConsoleApp &console, QObject *parent = nullptr);

    static Mode modeFromEnvironment();
    Mode mode() const { return m_mode; }

    // Starts the run; the driver ends the process's event loop when done.
    void begin();
    int exitStatus() const { return m_status; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch();
    void finish(bool ok, const std::string &why = {});
    bool online() const;
    bool saveScreenshot(QWidget &window, const QString &name);
    bool saveLog();
    void watchDownload(qint64 now);
    void watchTrend(qint64 now);

    ConsoleApp &m_console;
    Mode m_mode;
    QString m_out;
    QTimer m_watch;
    QElapsedTimer m_elapsed;
    std::uint64_t m_linesAtStart = 0;
    bool m_logRequested = false;
    bool m_trendRequested = false;
    qint64 m_trendRequestedMs = 0;
    int m_status = 0;
    bool m_done = false;
};

} // namespace aql::app

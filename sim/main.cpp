#include "sim/Options.h"
#include "sim/server/SimServer.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTimer>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onStopSignal(int) {
    stopRequested = 1;
}

} // namespace

int main(int argc, char **argv) {
    using namespace aql::sim;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParseResult parsed = parseArguments(args);
    if (!parsed.ok()) {
        std::cerr << "aqlsim: " << parsed.error << "\n\n" << usage("aqlsim");
        return 2;
    }
    const Options &options = parsed.options;
    if (options.help) {
        std::cout << usage("aqlsim");
        return 0;
    }

    QCoreApplication app(argc, argv);
    QHostAddress host;
    if (options.bind == "localhost") {
        host = QHostAddress(QHostAddress::LocalHost);
    } else if (!host.setAddress(QString::fromStdString(options.bind))) {
        std::cerr << "aqlsim: --bind needs an IP address, got \"" << options.bind << "\"\n";
        return 2;
    }

    SimServer server(options);
    const quint16 port = server.listen(host, options.port);
    if (port == 0) {
        std::cerr << "aqlsim: cannot listen on " << options.bind << ":" << options.port << ": "
                  << server.errorString().toStdString() << "\n";
        return 1;
    }

    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    // The handler may only set a flag; the event loop looks at it.
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, &app, [&app]() {
        if (stopRequested != 0) {
            app.quit();
        }
    });
    stopWatch.start(50);

    std::cout << "listening on " << host.toString().toStdString() << ":" << port << std::endl;
    const int rc = app.exec();
    // stdout carries the one "listening" line that scripts wait for; the counts go to stderr.
    std::cerr << server.simulator().report() << std::flush;
    return rc;
}

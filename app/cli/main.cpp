// aqlremote-cli: the console's controller logic without a window, for operators who collect logs
// from scripts and for machines without a display.

#include "cli/BuiltInTexts.h"
#include "cli/CliArgs.h"
#include "cli/DownloadSession.h"
#include "cli/Options.h"
#include "cli/Outputs.h"
#include "cli/ReadProblem.h"
#include "cli/StreamMessageBox.h"
#include "cli/VariablesSession.h"
#include "core/Error.h"
#include "core/Numbers.h"
#include "link/Console.h"
#include "platform/Beep.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtFileSaver.h"
#include "platform/qt/QtSocket.h"
#include "platform/qt/QtTimerFactory.h"
#include "records/RecordList.h"
#include "shell/FileReader.h"
#include "shell/LanguageTexts.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTimer>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

using namespace aql;

namespace {

namespace fs = std::filesystem;

const char *kUsage =
    "usage: aqlremote-cli COMMAND [options]\n"
    "\n"
    "commands:\n"
    "  download   connect, ask the controller for its log, write it as CSV, XML and/or Excel\n"
    "  convert    read a stored record file (CSV) and write it as CSV, XML and/or Excel\n"
    "  variables  print the controller's variable blocks, or change one variable\n"
    "\n"
    "Run 'aqlremote-cli COMMAND --help' for the options of a command.\n";

const char *kOutputsHelp =
    "Outputs: --csv FILE, --xml FILE, --xlsx FILE (at least one; \"-\" is standard output).\n"
    "They are checked before anything starts; two outputs that are the same file, or an output\n"
    "that is the input, are refused. A run that fails never replaces an existing file: with\n"
    "nothing received nothing is written; otherwise the records go to a file that does not\n"
    "exist yet, or beside an existing one as NAME.incomplete.EXT, or straight into a device,\n"
    "pipe or standard output.\n";

const char *kDownloadUsage =
    "usage: aqlremote-cli download --host H --port P [--address N] [--csv FILE] [--xml FILE]\n"
    "                              [--xlsx FILE] [--site NAME] [--pool NAME] [--idle SECONDS]\n"
    "                              [--timeout SECONDS] [--max-records N]\n"
    "\n"
    "Connects, goes Online, polls every 120 ms and sends Get Log. Every record that arrives is\n"
    "held in number order without duplicates. The log is complete once the controller has gone\n"
    "on answering for --idle seconds (default 3) without sending a record; a controller that\n"
    "stops answering is a failure, never the end of the log. --timeout (default 30) bounds\n"
    "connecting plus the wait for the first record, never a download that is receiving.\n"
    "--max-records (default 1000000) ends the download as a failure once that many records are\n"
    "held. Ctrl-C ends it as a failure keeping what arrived. Progress goes to stderr.\n"
    "\n"
    "Exit status: 0 the log was downloaded and written; 1 the controller could not be reached,\n"
    "did not answer, stopped answering, the link failed or the cap was reached; 2 bad options\n"
    "or an output that could not be written; 130/143 interrupted by SIGINT/SIGTERM.\n";

const char *kConvertUsage =
    "usage: aqlremote-cli convert --in FILE [--csv FILE] [--xml FILE] [--xlsx FILE]\n"
    "                             [--site NAME] [--pool NAME]\n"
    "\n"
    "Reads a stored record file as the Base-file import does (a CSV export of this program or a\n"
    "stored log) and writes it again. A file that cannot be read completely writes nothing\n"
    "(the input is still there): the error names the file and, where the reader knows it, the\n"
    "line. Exit status: 0 done; 1 the file could not be read completely; 2 bad options or an\n"
    "output that could not be written.\n";

const char *kVariablesUsage =
    "usage: aqlremote-cli variables --host H --port P [--address N] [--block B]\n"
    "                               [--set B:V=VALUE] [--timeout SECONDS]\n"
    "\n"
    "Prints variable blocks 0-8 (or block B) as 'block B: v1 ... v26'. With --set, writes VALUE\n"
    "(a whole number from -32768 to 32767) to variable V (1-25) of block B (1-8), repeating the\n"
    "write until a reply of block B that arrived after it holds the value, and prints that\n"
    "block. --timeout (default 20) bounds connecting plus the wait for the blocks or the\n"
    "confirmation. Exit status: 0 done; 1 no connection, no valid reply, a block missing or the\n"
    "write not confirmed in time; 2 bad options; 130/143 interrupted.\n";

class SilentBeep : public platform::Beep {
public:
    void beep() override {}
};

// Counts what a language file's reading would have shown.
class CountingBox : public platform::MessageBox {
public:
    int show(const std::string &, int, const std::string &) override {
        ++shown;
        return platform::kResultOk;
    }
    int shown = 0;
};

// Signals: the first asks the run to stop and keep what it has; a second ends the process.
volatile std::sig_atomic_t receivedSignal = 0;

extern "C" void onSignal(int number) {
    if (receivedSignal != 0) {
        std::_Exit(128 + number);
    }
    receivedSignal = number;
}

void catchSignals() {
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

int signalStatus() {
    return 128 + static_cast<int>(receivedSignal);
}

// Calls `stop` once a signal has come; a signal that comes while connecting ends the process at
// once, as nothing has been received.
void watchSignals(QObject *owner, const bool &connectDecided, std::function<void()> stop) {
    auto *timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, [timer, &connectDecided, stop = std::move(stop)] {
        if (receivedSignal == 0) {
            return;
        }
        timer->stop();
        if (!connectDecided) {
            std::cerr << "interrupted while connecting: nothing was received" << std::endl;
            std::_Exit(signalStatus());
        }
        stop();
    });
    timer->start(50);
}

fs::path programFolder() {
    return fs::u8path(QCoreApplication::applicationDirPath().toStdString());
}

std::string nowText(const platform::Clock &clock) {
    platform::LocalTime t = clock.now();
    return padded(t.year, 4) + "-" + padded(t.month, 2) + "-" + padded(t.day, 2) + " " +
           padded(t.hour, 2) + ":" + padded(t.minute, 2) + ":" + padded(t.second, 2);
}

// The language file beside the program, or the built-in English texts when it is missing or
// cannot be read (said once). Reading a language file reports its failures through a box; here
// they only decide that the built-in texts are used.
std::unique_ptr<shell::LanguageTexts> loadTexts() {
    static CountingBox quiet;
    const fs::path file = programFolder() / "English.lng";
    std::error_code ec;
    const bool present = fs::exists(file, ec);
    if (present) {
        const int before = quiet.shown;
        auto texts = std::make_unique<shell::LanguageTexts>(quiet);
        texts->readFile(file.u8string());
        if (quiet.shown == before && texts->count() > 0) {
            return texts;
        }
    }
    std::cerr << "note: " << file.u8string() << (present ? " could not be read" : " is missing")
              << "; using the built-in English texts" << std::endl;
    auto texts = std::make_unique<shell::LanguageTexts>(quiet);
    texts->readText(cli::builtInEnglishTexts(), "built-in English texts");
    return texts;
}

// Keeps the last message a reader would have shown.
class CapturingBox : public platform::MessageBox {
public:
    int show(const std::string &text, int, const std::string &) override {
        last = text;
        return 0;
    }
    std::string last;
};

struct Platform {
    platform::qt::QtSocket socket;
    platform::qt::QtTimerFactory timers;
    platform::qt::QtEventPump pump;
    cli::StreamMessageBox box{std::cerr};
    SilentBeep beep;
    platform::qt::QtClock clock;
};

cli::ExportTexts exportTexts(const cli::CliArgs &args, const platform::Clock &clock,
                             const std::string &defaultPool) {
    cli::ExportTexts texts;
    texts.generatedAt = nowText(clock);
    texts.siteName = args.value("site").value_or("");
    texts.poolName = args.value("pool").value_or(defaultPool);
    return texts;
}

// Runs a session until it says it has finished; Ctrl-C and SIGTERM interrupt it, so that it
// keeps what arrived. Boxes the session raised are written out once the loop has ended.
template <class Session> void runUntilFinished(Session &session, Platform &p) {
    bool connectDecided = false;
    catchSignals();
    watchSignals(QCoreApplication::instance(), connectDecided, [&] { session.interrupt(); });
    QTimer::singleShot(0, [&] {
        session.start();
        connectDecided = true;
    });
    QCoreApplication::exec();
    p.box.flush();
}

int runDownload(const cli::CliArgs &args) {
    if (args.help) {
        std::cout << kDownloadUsage << "\n" << kOutputsHelp;
        return 0;
    }
    const cli::DownloadSettings settings = cli::downloadSettings(args);
    platform::QtFileSaver files;
    const std::vector<cli::Output> outputs = cli::planOutputs(args, files);

    Platform p;
    const auto texts = loadTexts();
    const link::TextSource textSource = [&texts](int n) { return texts->getText(n); };
    p.socket.setConnectTimeout(static_cast<int>(settings.timeoutMs));
    link::Console console({p.socket, p.timers, p.pump, p.box, p.beep, p.clock}, textSource);
    records::RecordList records;
    cli::DownloadSession session(console, p.timers, records, settings);
    session.progress = [](const std::string &line) { std::cerr << line << "\n"; };
    session.finished = [] { QCoreApplication::exit(0); };
    runUntilFinished(session, p);

    std::cerr << (session.succeeded() ? "" : "error: ") << session.summary() << "\n";
    const bool written =
        cli::writeOutputs(outputs, records, session.succeeded(),
                          exportTexts(args, p.clock, settings.host), files, std::cerr);
    if (!written) {
        return 2;
    }
    if (session.state() == link::DownloadState::Cancelled && receivedSignal != 0) {
        return signalStatus();
    }
    return session.succeeded() ? 0 : 1;
}

int runConvert(const cli::CliArgs &args) {
    if (args.help) {
        std::cout << kConvertUsage << "\n" << kOutputsHelp;
        return 0;
    }
    const auto inText = args.value("in");
    if (!inText || inText->empty()) {
        throw std::invalid_argument("--in is required");
    }
    const fs::path in = fs::u8path(*inText);
    platform::QtFileSaver files;
    const std::vector<cli::Output> outputs = cli::planOutputs(args, files, in);

    const auto texts = loadTexts();
    records::RecordList records;
    CapturingBox readerBox;
    shell::FileReader reader(records, *texts, readerBox);
    std::string problem;
    try {
        reader.readFile(in.u8string(), ",", true, 20000);
    } catch (const AqlError &e) {
        problem = cli::readProblem(*inText, e);
    }
    if (problem.empty() && !readerBox.last.empty()) {
        problem = *inText + ": " + readerBox.last; // an empty file, or one that is no stored log
    }
    const bool readWhole = problem.empty();
    if (readWhole) {
        std::cerr << "read " << records.count() << " records from " << *inText << "\n";
    } else {
        std::cerr << "error: " << problem << "\n"
                  << "read " << records.count() << " records before the error\n";
    }
    if (!readWhole) {
        // The input is still there, so nothing is lost by writing nothing: a partial copy of a
        // file that was refused would only be mistaken for the whole.
        for (const cli::Output &output : outputs) {
            std::cerr << "nothing was written: " << cli::leftAsItWas(output, files) << "\n";
        }
        return 1;
    }
    platform::qt::QtClock clock;
    const bool written =
        cli::writeOutputs(outputs, records, true, exportTexts(args, clock, in.stem().u8string()),
                          files, std::cerr, in);
    return written ? 0 : 2;
}

int runVariables(const cli::CliArgs &args) {
    if (args.help) {
        std::cout << kVariablesUsage;
        return 0;
    }
    const cli::VariablesSettings settings = cli::variablesSettings(args);

    Platform p;
    const auto texts = loadTexts();
    const link::TextSource textSource = [&texts](int n) { return texts->getText(n); };
    p.socket.setConnectTimeout(static_cast<int>(settings.timeoutMs));
    link::Console console({p.socket, p.timers, p.pump, p.box, p.beep, p.clock}, textSource);
    cli::VariablesSession session(console, p.timers, settings);
    session.finished = [](cli::VariablesSession::Outcome) { QCoreApplication::exit(0); };
    runUntilFinished(session, p);

    std::cout << session.report();
    const auto outcome = session.outcome();
    std::cerr << (outcome == cli::VariablesSession::Outcome::Done ? "" : "error: ")
              << session.summary() << "\n";
    if (outcome == cli::VariablesSession::Outcome::Interrupted && receivedSignal != 0) {
        return signalStatus();
    }
    return outcome == cli::VariablesSession::Outcome::Done ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    // Qt decodes the arguments as the system does (the ANSI code page on Windows); the program
    // works in UTF-8 from here on.
    std::vector<std::string> args;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        args.push_back(arguments[i].toStdString());
    }

    try {
        const cli::CliArgs parsed = cli::parseCliArgs(args, cli::valuedOptions());
        if (parsed.command == "download") {
            return runDownload(parsed);
        }
        if (parsed.command == "convert") {
            return runConvert(parsed);
        }
        if (parsed.command == "variables") {
            return runVariables(parsed);
        }
        if (parsed.command.empty() && parsed.help) {
            std::cout << kUsage;
            return 0;
        }
        std::cerr << (parsed.command.empty() ? std::string("no command given")
                                             : "unknown command \"" + parsed.command + "\"")
                  << "\n\n"
                  << kUsage;
        return 2;
    } catch (const std::invalid_argument &e) {
        std::cerr << "error: " << e.what() << "\n";
        return 2;
    }
}

// aqlremote-cli: the console's controller logic without a window, for operators who collect logs
// from scripts and for machines without a display.

#include "cli/CliArgs.h"
#include "cli/DownloadSession.h"
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
#include "records/Exports.h"
#include "records/RecordList.h"
#include "shell/FileReader.h"
#include "shell/LanguageTexts.h"

#include <QCoreApplication>
#include <QTimer>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

using namespace aql;

namespace {

const char *kUsage =
    "usage: aqlremote-cli COMMAND [options]\n"
    "\n"
    "commands:\n"
    "  download   connect, ask the controller for its log, write it as CSV and/or XML\n"
    "  convert    read a stored record file (CSV) and write it as CSV and/or XML\n"
    "  variables  print the controller's variable blocks, or change one variable\n"
    "\n"
    "Run 'aqlremote-cli COMMAND --help' for the options of a command.\n";

const char *kDownloadUsage =
    "usage: aqlremote-cli download --host H --port P [--address N] [--csv FILE] [--xml FILE]\n"
    "                              [--site NAME] [--pool NAME] [--idle SECONDS] [--timeout "
    "SECONDS]\n"
    "\n"
    "Connects, goes Online, polls every 120 ms and sends Get Log. Every record that arrives is\n"
    "held in number order without duplicates until no record has arrived for --idle seconds\n"
    "(default 3). --timeout (default 30) bounds the wait for the first record. Progress goes to\n"
    "stderr. Whatever was received is written, also after a failure. Exit status 0 when the log\n"
    "was downloaded, 1 when the controller could not be reached, the link failed or no record\n"
    "came, 2 for bad options or a file that could not be written.\n";

const char *kConvertUsage =
    "usage: aqlremote-cli convert --in FILE [--csv FILE] [--xml FILE] [--site NAME] [--pool NAME]\n"
    "\n"
    "Reads a stored record file as the Base-file import does (a CSV export of this program or a\n"
    "stored log) and writes it again as CSV and/or XML. Exit status 1 when the file could not be\n"
    "read completely, 2 for bad options or a file that could not be written.\n";

const char *kVariablesUsage =
    "usage: aqlremote-cli variables --host H --port P [--address N] [--block B]\n"
    "                               [--set B:V=VALUE] [--timeout SECONDS]\n"
    "\n"
    "Prints variable blocks 0-8 (or block B) as 'block B: v1 ... v26'. With --set, writes VALUE\n"
    "(a whole number from -32768 to 32767) to variable V (1-25) of block B (1-8), repeating the\n"
    "write until the controller reports it; exit status 0 once it does, 1 after --timeout seconds\n"
    "(default 20) or when the link fails, 2 for bad options.\n";

class SilentBeep : public platform::Beep {
public:
    void beep() override {}
};

std::filesystem::path programFolder() {
    return std::filesystem::u8path(QCoreApplication::applicationDirPath().toStdString());
}

std::string nowText(const platform::Clock &clock) {
    platform::LocalTime t = clock.now();
    return padded(t.year, 4) + "-" + padded(t.month, 2) + "-" + padded(t.day, 2) + " " +
           padded(t.hour, 2) + ":" + padded(t.minute, 2) + ":" + padded(t.second, 2);
}

// Writes the exports asked for; returns false after reporting a failure.
bool writeExports(const cli::CliArgs &args, const records::RecordList &records,
                  const platform::Clock &clock, const std::string &defaultPool) {
    bool ok = true;
    platform::QtFileSaver files;
    try {
        if (auto csv = args.value("csv")) {
            records::writeRecordListCsv(files, std::filesystem::u8path(*csv), records);
            std::cerr << "wrote " << records.count() << " records to " << *csv << "\n";
        }
    } catch (const AqlError &e) {
        std::cerr << "error: " << e.description() << "\n";
        ok = false;
    }
    try {
        if (auto xml = args.value("xml")) {
            records::XmlDocumentInfo info;
            info.executableName = "AQLRemote";
            info.generatedAt = nowText(clock);
            info.contact = "";
            info.siteName = args.value("site").value_or("");
            info.poolName = args.value("pool").value_or(defaultPool);
            info.numberOfPools = 1;
            records::writeXmlDocument(files, std::filesystem::u8path(*xml), info, records);
            std::cerr << "wrote " << records.count() << " records to " << *xml << "\n";
        }
    } catch (const AqlError &e) {
        std::cerr << "error: " << e.description() << "\n";
        ok = false;
    }
    return ok;
}

struct Platform {
    platform::qt::QtSocket socket;
    platform::qt::QtTimerFactory timers;
    platform::qt::QtEventPump pump;
    cli::StreamMessageBox box{std::cerr};
    SilentBeep beep;
    platform::qt::QtClock clock;
};

std::uint8_t addressOption(const cli::CliArgs &args) {
    return static_cast<std::uint8_t>(
        cli::parseBounded("address", args.value("address").value_or("1"), 0, 255));
}

std::string requiredOption(const cli::CliArgs &args, const std::string &name) {
    auto v = args.value(name);
    if (!v || v->empty()) {
        throw std::invalid_argument("--" + name + " is required");
    }
    return *v;
}

// --host, --port and --address, common to the commands that talk to a controller.
template <class Settings> void readEndpoint(const cli::CliArgs &args, Settings &settings) {
    settings.host = requiredOption(args, "host");
    settings.port =
        std::to_string(cli::parseBounded("port", requiredOption(args, "port"), 1, 65535));
    settings.address = addressOption(args);
}

int runDownload(const cli::CliArgs &args, const link::TextSource &texts) {
    if (args.help) {
        std::cout << kDownloadUsage;
        return 0;
    }
    cli::DownloadSettings settings;
    readEndpoint(args, settings);
    settings.idleSeconds =
        static_cast<int>(cli::parseBounded("idle", args.value("idle").value_or("3"), 1, 3600));
    settings.timeoutSeconds = static_cast<int>(
        cli::parseBounded("timeout", args.value("timeout").value_or("30"), 1, 86400));

    Platform p;
    link::Console console({p.socket, p.timers, p.pump, p.box, p.beep, p.clock}, texts);
    records::RecordList records;
    cli::DownloadSession session(console, p.timers, records, settings);
    session.progress = [](const std::string &line) { std::cerr << line << "\n"; };
    session.finished = [](cli::DownloadSession::Outcome) { QCoreApplication::exit(0); };
    QTimer::singleShot(0, [&] { session.start(); });
    QCoreApplication::exec();

    const auto outcome = session.outcome();
    std::cerr << cli::DownloadSession::describe(outcome) << ": " << records.count()
              << " records held\n";
    const bool written = writeExports(args, records, p.clock, settings.host);
    if (outcome != cli::DownloadSession::Outcome::Done) {
        return 1;
    }
    return written ? 0 : 2;
}

int runConvert(const cli::CliArgs &args, shell::LanguageTexts &language) {
    if (args.help) {
        std::cout << kConvertUsage;
        return 0;
    }
    const std::string in = requiredOption(args, "in");
    cli::StreamMessageBox box(std::cerr);
    records::RecordList records;
    shell::FileReader reader(records, language, box);
    int status = 0;
    try {
        reader.readFile(in, ",", true, 20000);
    } catch (const AqlError &e) {
        std::cerr << "error: " << e.description() << " (" << e.source() << ", error " << e.number()
                  << ")\n";
        status = 1;
    }
    if (box.count() > 0) {
        status = 1; // the import's own messages (empty file, not a record file)
    }
    std::cerr << "read " << records.count() << " records from " << in << "\n";
    platform::qt::QtClock clock;
    if (!writeExports(args, records, clock, std::filesystem::u8path(in).stem().u8string())) {
        return 2;
    }
    return status;
}

int runVariables(const cli::CliArgs &args, const link::TextSource &texts) {
    if (args.help) {
        std::cout << kVariablesUsage;
        return 0;
    }
    cli::VariablesSettings settings;
    readEndpoint(args, settings);
    if (auto b = args.value("block")) {
        settings.block = static_cast<int>(cli::parseBounded("block", *b, 0, 8));
    }
    settings.timeoutSeconds = static_cast<int>(
        cli::parseBounded("timeout", args.value("timeout").value_or("20"), 1, 86400));
    if (auto set = args.value("set")) {
        auto colon = set->find(':');
        auto eq = set->find('=');
        if (colon == std::string::npos || eq == std::string::npos || eq < colon) {
            throw std::invalid_argument("--set must look like B:V=VALUE, e.g. 4:7=25");
        }
        cli::VariableWrite w;
        w.block = static_cast<int>(cli::parseBounded("set block", set->substr(0, colon), 1, 8));
        w.var = static_cast<int>(
            cli::parseBounded("set variable", set->substr(colon + 1, eq - colon - 1), 1, 25));
        w.value = set->substr(eq + 1);
        settings.write = w;
    }

    Platform p;
    link::Console console({p.socket, p.timers, p.pump, p.box, p.beep, p.clock}, texts);
    cli::VariablesSession session(console, p.timers, settings);
    session.finished = [](cli::VariablesSession::Outcome) { QCoreApplication::exit(0); };
    QTimer::singleShot(0, [&] { session.start(); });
    QCoreApplication::exec();

    std::cout << session.report();
    if (session.outcome() != cli::VariablesSession::Outcome::Done) {
        std::cerr << "error: " << cli::VariablesSession::describe(session.outcome()) << "\n";
        return session.outcome() == cli::VariablesSession::Outcome::Refused ? 2 : 1;
    }
    if (settings.write) {
        std::cerr << "variable " << settings.write->var << " of block " << settings.write->block
                  << " now reads " << settings.write->value << "\n";
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);

    cli::StreamMessageBox languageBox(std::cerr);
    shell::LanguageTexts language(languageBox);
    const auto lng = programFolder() / "English.lng";
    if (std::filesystem::exists(lng)) {
        language.readFile(lng.u8string());
    }
    link::TextSource texts = [&language](int n) { return language.getText(n); };

    try {
        cli::CliArgs parsed =
            cli::parseCliArgs(args, {"host", "port", "address", "csv", "xml", "site", "pool",
                                     "idle", "timeout", "in", "block", "set"});
        if (parsed.command == "download") {
            return runDownload(parsed, texts);
        }
        if (parsed.command == "convert") {
            return runConvert(parsed, language);
        }
        if (parsed.command == "variables") {
            return runVariables(parsed, texts);
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

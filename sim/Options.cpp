#include "sim/Options.h"

#include "sim/Calendar.h"

#include <limits>

namespace aql::sim {

namespace {

// A fixed default start keeps every run with the same seed byte for byte the same.
const Timestamp kDefaultStart{2024, 6, 3, 8, 0};

constexpr std::uint32_t kDefaultWrongAddressOneIn = 8;
constexpr std::uint32_t kDefaultUnknownTypeOneIn = 10;
constexpr std::uint32_t kDefaultGarbageOneIn = 10;
constexpr std::uint32_t kDefaultDuplicatesOneIn = 10;
constexpr std::uint32_t kMaxRecords = 1'000'000;
constexpr std::uint32_t kMaxLogRate = 1'000'000;
constexpr std::uint32_t kMaxSlowMs = 60'000;

// Plain decimal digits only: "+5", " 5", "5x" and "0x10" are refused rather than half-read.
bool parseNumber(const std::string &text, std::uint64_t max, std::uint64_t &out) {
    if (text.empty() || text.size() > 19) {
        return false;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > max) {
        return false;
    }
    out = value;
    return true;
}

template <typename T> bool parseInto(const std::string &text, std::uint64_t max, T &out) {
    std::uint64_t v = 0;
    if (!parseNumber(text, max, v)) {
        return false;
    }
    out = static_cast<T>(v);
    return true;
}

// "YYYY-MM-DDTHH:MM" (a blank instead of the T is accepted too).
bool parseStart(const std::string &text, std::int64_t &minutes) {
    if (text.size() != 16 || text[4] != '-' || text[7] != '-' ||
        (text[10] != 'T' && text[10] != ' ') || text[13] != ':') {
        return false;
    }
    Timestamp t;
    if (!parseInto(text.substr(0, 4), 9999, t.year) || !parseInto(text.substr(5, 2), 12, t.month) ||
        !parseInto(text.substr(8, 2), 31, t.day) || !parseInto(text.substr(11, 2), 23, t.hour) ||
        !parseInto(text.substr(14, 2), 59, t.minute) || t.month < 1 || t.day < 1 || t.year < 1970) {
        return false;
    }
    if (!(timestampFromMinutes(minutesFromTimestamp(t)) == t)) {
        return false; // 31 April and the like
    }
    minutes = minutesFromTimestamp(t);
    return true;
}

std::string optionalOneIn(const std::string &name, const std::string &value, bool hasValue,
                          std::uint32_t fallback, std::uint32_t &out) {
    if (!hasValue) {
        out = fallback;
        return {};
    }
    if (!parseInto(value, std::numeric_limits<std::uint32_t>::max(), out) || out == 0) {
        return "--fault " + name + " needs a positive number, got \"" + value + "\"";
    }
    return {};
}

} // namespace

bool FaultOptions::any() const {
    return corruptEvery != 0 || drop || silent || split || wrongAddressOneIn != 0 ||
           unknownTypeOneIn != 0 || garbageOneIn != 0 || duplicatesOneIn != 0 || slow;
}

Options::Options() : startMinutes(minutesFromTimestamp(kDefaultStart)) {}

std::string applyFault(const std::string &setting, FaultOptions &faults) {
    const auto eq = setting.find('=');
    const std::string name = setting.substr(0, eq);
    const bool hasValue = eq != std::string::npos;
    const std::string value = hasValue ? setting.substr(eq + 1) : std::string();
    const auto needsValue = [&]() { return "--fault " + name + " needs =N"; };
    constexpr auto kMax32 = std::numeric_limits<std::uint32_t>::max();

    if (name == "corrupt-checksum") {
        if (!hasValue || !parseInto(value, kMax32, faults.corruptEvery) ||
            faults.corruptEvery == 0) {
            return needsValue() + " with N >= 1";
        }
        return {};
    }
    if (name == "drop-after") {
        std::string count = value;
        faults.dropMidLine = false;
        const auto colon = value.find(':');
        if (colon != std::string::npos) {
            if (value.substr(colon + 1) != "mid") {
                return "--fault drop-after=N[:mid]: unknown suffix \"" + value.substr(colon + 1) +
                       "\"";
            }
            count = value.substr(0, colon);
            faults.dropMidLine = true;
        }
        if (!hasValue || !parseInto(count, kMax32, faults.dropAfter)) {
            return needsValue() + "[:mid]";
        }
        faults.drop = true;
        return {};
    }
    if (name == "silent-after") {
        if (!hasValue || !parseInto(value, kMax32, faults.silentAfter)) {
            return needsValue();
        }
        faults.silent = true;
        return {};
    }
    if (name == "slow") {
        if (!hasValue || !parseInto(value, kMaxSlowMs, faults.slowMs)) {
            return needsValue() + " (milliseconds, at most " + std::to_string(kMaxSlowMs) + ")";
        }
        faults.slow = true;
        return {};
    }
    if (name == "split") {
        if (hasValue) {
            return "--fault split takes no value";
        }
        faults.split = true;
        return {};
    }
    if (name == "wrong-address") {
        return optionalOneIn(name, value, hasValue, kDefaultWrongAddressOneIn,
                             faults.wrongAddressOneIn);
    }
    if (name == "unknown-type") {
        return optionalOneIn(name, value, hasValue, kDefaultUnknownTypeOneIn,
                             faults.unknownTypeOneIn);
    }
    if (name == "garbage") {
        return optionalOneIn(name, value, hasValue, kDefaultGarbageOneIn, faults.garbageOneIn);
    }
    if (name == "duplicates") {
        return optionalOneIn(name, value, hasValue, kDefaultDuplicatesOneIn,
                             faults.duplicatesOneIn);
    }
    return "unknown fault \"" + name + "\"";
}

ParseResult parseArguments(const std::vector<std::string> &args) {
    ParseResult result;
    Options &o = result.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool hasInlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            const auto eq = arg.find('=');
            // "--fault=drop-after=3" splits at the first "=" only.
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasInlineValue = true;
            }
        }
        const auto takeValue = [&](std::string &out) {
            if (hasInlineValue) {
                out = value;
                return true;
            }
            if (i + 1 >= args.size()) {
                return false;
            }
            out = args[++i];
            return true;
        };
        const auto flagOnly = [&]() {
            if (hasInlineValue) {
                result.error = arg + " takes no value";
                return false;
            }
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            if (!flagOnly()) {
                return result;
            }
            o.help = true;
        } else if (arg == "--unaddressed") {
            if (!flagOnly()) {
                return result;
            }
            o.unaddressed = true;
        } else if (arg == "--port") {
            if (!takeValue(v) || !parseInto(v, 65535, o.port)) {
                result.error = "--port needs a number 0-65535";
                return result;
            }
        } else if (arg == "--bind") {
            if (!takeValue(v) || v.empty()) {
                result.error = "--bind needs a host address";
                return result;
            }
            o.bind = v;
        } else if (arg == "--address") {
            if (!takeValue(v) || !parseInto(v, 255, o.address)) {
                result.error = "--address needs a number 0-255";
                return result;
            }
        } else if (arg == "--records") {
            if (!takeValue(v) || !parseInto(v, kMaxRecords, o.records)) {
                result.error = "--records needs a number 0-" + std::to_string(kMaxRecords);
                return result;
            }
        } else if (arg == "--seed") {
            if (!takeValue(v) || !parseInto(v, std::numeric_limits<std::uint32_t>::max(), o.seed)) {
                result.error = "--seed needs a number 0-4294967295";
                return result;
            }
        } else if (arg == "--log-rate") {
            if (!takeValue(v) || !parseInto(v, kMaxLogRate, o.logRate) || o.logRate == 0) {
                result.error =
                    "--log-rate needs lines per second, 1-" + std::to_string(kMaxLogRate);
                return result;
            }
        } else if (arg == "--start") {
            if (!takeValue(v) || !parseStart(v, o.startMinutes)) {
                result.error = "--start needs a date and time as YYYY-MM-DDTHH:MM";
                return result;
            }
        } else if (arg == "--fault") {
            if (!takeValue(v)) {
                result.error = "--fault needs a fault name";
                return result;
            }
            result.error = applyFault(v, o.faults);
            if (!result.ok()) {
                return result;
            }
        } else {
            result.error = "unknown argument \"" + args[i] + "\"";
            return result;
        }
    }
    return result;
}

std::string usage(const std::string &program) {
    return "usage: " + program +
           " [--port P] [--bind HOST] [--address N] [--records N] [--seed S]\n"
           "       [--unaddressed] [--log-rate LINES_PER_S] [--start YYYY-MM-DDTHH:MM]\n"
           "       [--fault NAME[=N]]...\n"
           "\n"
           "A simulated AQL-170 pool controller on TCP. Prints \"listening on HOST:PORT\" when\n"
           "ready; ends on SIGINT or SIGTERM and prints its counts.\n"
           "\n"
           "  --port P           TCP port, 0 picks a free one (default 0)\n"
           "  --bind HOST        address to listen on (default 127.0.0.1)\n"
           "  --address N        controller address 0-255 (default 1)\n"
           "  --records N        log records held, one per 15 minutes (default 500)\n"
           "  --seed S           seed of the plant, the log and the faults (default 1)\n"
           "  --unaddressed      send display and log packets as unaddressed lines\n"
           "  --log-rate R       after \"get log\", push R record lines per second unasked\n"
           "  --start T          controller clock at start (default 2024-06-03T08:00)\n"
           "\n"
           "Faults (repeatable, combinable):\n"
           "  corrupt-checksum=N every Nth line carries a wrong checksum\n"
           "  drop-after=N[:mid] close the connection after N lines (with :mid inside line N+1);\n"
           "                     once per run, so a console that reconnects can finish\n"
           "  silent-after=N     stop answering after N polls (once per run, until reconnect)\n"
           "  split              deliver lines in random pieces, down to single bytes\n"
           "  wrong-address[=N]  one line in N is preceded by a packet for another address\n"
           "  unknown-type[=N]   one line in N is preceded by a packet of an unknown type\n"
           "  garbage[=N]        one line in N is preceded by random bytes or an over-long line\n"
           "  duplicates[=N]     log records resent (one in N) and swapped out of order\n"
           "  slow=D             every answer waits D milliseconds\n";
}

} // namespace aql::sim

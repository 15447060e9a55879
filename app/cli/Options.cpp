#include "cli/Options.h"

#include <stdexcept>

namespace aql::cli {

namespace {

constexpr long kMaxTimeoutSeconds = 86400;

std::string requiredOption(const CliArgs &args, const std::string &name) {
    auto v = args.value(name);
    if (!v || v->empty()) {
        throw std::invalid_argument("--" + name + " is required");
    }
    return *v;
}

// --host, --port and --address, common to the commands that talk to a controller.
template <class Settings> void readEndpoint(const CliArgs &args, Settings &settings) {
    settings.host = requiredOption(args, "host");
    settings.port = std::to_string(parseBounded("port", requiredOption(args, "port"), 1, 65535));
    settings.address = static_cast<std::uint8_t>(
        parseBounded("address", args.value("address").value_or("1"), 0, 255));
}

std::int64_t timeoutMs(const CliArgs &args, const char *fallback) {
    return 1000 *
           parseBounded("timeout", args.value("timeout").value_or(fallback), 1, kMaxTimeoutSeconds);
}

} // namespace

const std::vector<std::string> &valuedOptions() {
    static const std::vector<std::string> kNames = {
        "host", "port", "address", "csv", "xml",   "xlsx",        "site",
        "pool", "idle", "timeout", "in",  "block", "max-records", "set"};
    return kNames;
}

DownloadSettings downloadSettings(const CliArgs &args) {
    DownloadSettings settings;
    readEndpoint(args, settings);
    settings.quietMs = 1000 * parseBounded("idle", args.value("idle").value_or("3"), 1, 3600);
    settings.timeoutMs = timeoutMs(args, "30");
    settings.maxRecords = static_cast<std::size_t>(
        parseBounded("max-records", args.value("max-records").value_or("1000000"), 1, 100000000));
    return settings;
}

VariableWrite parseWrite(const std::string &text) {
    const auto colon = text.find(':');
    const auto eq = text.find('=');
    if (colon == std::string::npos || eq == std::string::npos || eq < colon) {
        throw std::invalid_argument("--set must look like B:V=VALUE, e.g. 4:7=25 (got \"" + text +
                                    "\")");
    }
    VariableWrite write;
    write.block = static_cast<int>(parseBounded("set block", text.substr(0, colon), 1, 8));
    write.variable = static_cast<int>(
        parseBounded("set variable", text.substr(colon + 1, eq - colon - 1), 1, 25));
    write.value =
        static_cast<std::int16_t>(parseBounded("set value", text.substr(eq + 1), -32768, 32767));
    return write;
}

VariablesSettings variablesSettings(const CliArgs &args) {
    VariablesSettings settings;
    readEndpoint(args, settings);
    if (auto b = args.value("block")) {
        settings.block = static_cast<int>(parseBounded("block", *b, 0, 8));
    }
    if (auto set = args.value("set")) {
        if (settings.block) {
            throw std::invalid_argument("--block and --set do not go together: --set reads its "
                                        "own block back");
        }
        settings.write = parseWrite(*set);
    }
    settings.timeoutMs = timeoutMs(args, "20");
    return settings;
}

} // namespace aql::cli

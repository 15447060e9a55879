#include "cli/CliArgs.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace aql::cli {

std::optional<std::string> CliArgs::value(const std::string &name) const {
    auto it = options.find(name);
    if (it == options.end() || it->second.empty()) {
        return std::nullopt;
    }
    return it->second.back();
}

namespace {
bool listed(const std::vector<std::string> &list, const std::string &name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}
} // namespace

CliArgs parseCliArgs(const std::vector<std::string> &args, const std::vector<std::string> &valued,
                     const std::vector<std::string> &flags,
                     const std::vector<std::string> &repeatable) {
    CliArgs out;
    std::size_t i = 0;
    if (i < args.size() && args[i].rfind("--", 0) != 0) {
        out.command = args[i++];
    }
    for (; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--help" || a == "-h") {
            out.help = true;
            continue;
        }
        if (a.rfind("--", 0) != 0) {
            throw std::invalid_argument("unexpected argument \"" + a + "\"");
        }
        std::string name = a.substr(2);
        std::optional<std::string> inlineValue;
        if (auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (listed(flags, name)) {
            out.options[name].push_back("");
            continue;
        }
        if (!listed(valued, name)) {
            throw std::invalid_argument("unknown option --" + name);
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                throw std::invalid_argument("option --" + name + " needs a value");
            }
            inlineValue = args[++i];
        }
        if (out.has(name) && !listed(repeatable, name)) {
            throw std::invalid_argument("option --" + name + " given twice");
        }
        out.options[name].push_back(*inlineValue);
    }
    return out;
}

long parseBounded(const std::string &name, const std::string &text, long low, long high) {
    long v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || v < low ||
        v > high) {
        throw std::invalid_argument("--" + name + " must be a whole number from " +
                                    std::to_string(low) + " to " + std::to_string(high) +
                                    " (got \"" + text + "\")");
    }
    return v;
}

} // namespace aql::cli

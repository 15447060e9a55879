#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace aql::cli {

// "aqlremote-cli COMMAND --name value ... [--flag]": the command word, then options. An option
// may be given once, except those listed as repeatable.
struct CliArgs {
    std::string command;
    std::map<std::string, std::vector<std::string>> options;
    bool help = false;

    bool has(const std::string &name) const { return options.count(name) != 0; }
    std::optional<std::string> value(const std::string &name) const;
};

// Parses argv[1..]. `valued` names the options that take a value, `flags` those that don't.
// Unknown options, a missing value or a repeated non-repeatable option: std::invalid_argument
// with a message for the operator.
CliArgs parseCliArgs(const std::vector<std::string> &args, const std::vector<std::string> &valued,
                     const std::vector<std::string> &flags = {},
                     const std::vector<std::string> &repeatable = {});

// A whole number within [low, high], or std::invalid_argument naming the option.
long parseBounded(const std::string &name, const std::string &text, long low, long high);

} // namespace aql::cli

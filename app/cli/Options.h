#pragma once

#include "cli/CliArgs.h"
#include "cli/DownloadSession.h"
#include "cli/VariablesSession.h"

#include <string>
#include <vector>

namespace aql::cli {

// Every option the commands take a value for.
const std::vector<std::string> &valuedOptions();

// The settings of a command from its options, every value checked before anything is connected:
// std::invalid_argument naming the option otherwise.
DownloadSettings downloadSettings(const CliArgs &args);
VariablesSettings variablesSettings(const CliArgs &args);

// "B:V=VALUE": block 1-8, variable 1-25, a whole number from -32768 to 32767.
VariableWrite parseWrite(const std::string &text);

} // namespace aql::cli

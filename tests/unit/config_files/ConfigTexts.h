#pragma once

#include <string>

namespace aql::config::test {

// The language texts the readers and the configuration window show; others read as missing.
inline std::string configText(int n) {
    switch (n) {
    case 46: return "Delete the selected system?";
    case 48: return "No more than 100 systems";
    case 52: return "This name is already in use";
    case 57: return "Configuration";
    case 58: return "Cannot read the configuration file";
    case 113: return "Nieuw systeem";
    default: return "####-" + std::to_string(n) + "-####";
    }
}

} // namespace aql::config::test

#pragma once

#include "platform/SettingsBackend.h"

#include <map>
#include <optional>
#include <string>

namespace aql::test {

// Settings held in a map. `failWrites` makes every write refuse, `failReads` every read, as a
// locked-down or missing settings store would.
class MemorySettings : public platform::SettingsBackend {
public:
    std::optional<std::string> read(const std::string &path) override {
        if (failReads) {
            return std::nullopt;
        }
        auto it = values.find(path);
        if (it == values.end()) {
            return std::nullopt;
        }
        return it->second;
    }

    bool write(const std::string &path, const std::string &value) override {
        if (failWrites) {
            return false;
        }
        values[path] = value;
        return true;
    }

    std::map<std::string, std::string> values;
    bool failReads = false;
    bool failWrites = false;
};

} // namespace aql::test

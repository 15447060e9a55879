#pragma once

#include "platform/SettingsBackend.h"

#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace aql::test {

// Settings held in a map. `throwing` makes every call throw, as a backend that breaks its promise
// not to would.
class MemorySettings : public platform::SettingsBackend {
public:
    std::optional<std::string> read(const std::string &path) override {
        check();
        const auto it = values.find(path);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool write(const std::string &path, const std::string &value) override {
        check();
        values[path] = value;
        return true;
    }

    std::map<std::string, std::string> values;
    bool throwing = false;

private:
    void check() const {
        if (throwing) {
            throw std::runtime_error("settings store gone");
        }
    }
};

} // namespace aql::test

#pragma once

#include <optional>
#include <string>

namespace aql::platform {

// Per-user settings addressed by a full path such as "HKCU\Software\Remote\Language". Values are
// text. Implementations never throw: a failed write reports false, a missing or unreadable value
// reads as nullopt.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    virtual std::optional<std::string> read(const std::string &path) = 0;
    virtual bool write(const std::string &path, const std::string &value) = 0;
};

} // namespace aql::platform

#pragma once

#include "platform/SettingsBackend.h"

#include <string>

namespace aql::shell {

// Reads and writes the program's per-user settings, each a text addressed by its full path
// ("HKCU\Software\Remote\Language"). Keeps no state of its own: instances over the same backend
// are interchangeable.
class SettingsStore {
public:
    explicit SettingsStore(platform::SettingsBackend &backend);

    // Stores `Value` under `Folder`. A failure has no effect and is not reported.
    void CreateKey(const std::string &Folder, const std::string &Value);

    // The stored text, or "" when the setting is missing or cannot be read.
    std::string ReadKey(const std::string &Value);

private:
    platform::SettingsBackend &m_backend;
};

} // namespace aql::shell

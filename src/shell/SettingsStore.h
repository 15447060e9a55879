#pragma once

#include "platform/SettingsBackend.h"

#include <string>

namespace aql::shell {

// The program's per-user settings.
enum class SettingKey {
    Language,      // the language file's name, beside the program
    ProgramFolder, // where the program runs from, for the programs that start it
    ProjectFolder, // the folder of the project file, written by the monitoring program
    Reconnect,     // reconnect by itself after a lost connection: a switch, off unless "1"
};

// Where a setting is stored: the path under which the settings have always been kept and other
// programs read and write them ("HKCU\Software\Remote\Language" = [Remote] Language).
const char *settingPath(SettingKey key);

// Reads and writes the settings. Keeps no state of its own: instances over the same backend are
// interchangeable.
class SettingsStore {
public:
    explicit SettingsStore(platform::SettingsBackend &backend);

    // Stores `value`. A failure has no effect and is not reported.
    void write(SettingKey key, const std::string &value);

    // The stored text, or "" when the setting is missing or cannot be read.
    std::string read(SettingKey key);

    // A switch: stored as "1" or "0"; anything but "1", a missing setting included, reads as off.
    void writeSwitch(SettingKey key, bool on);
    bool readSwitch(SettingKey key);

private:
    platform::SettingsBackend &m_backend;
};

} // namespace aql::shell

#include "shell/SettingsStore.h"

namespace aql::shell {

const char *settingPath(SettingKey key) {
    switch (key) {
    case SettingKey::Language: return "HKCU\\Software\\Remote\\Language";
    case SettingKey::ProgramFolder: return "HKCU\\Software\\Remote\\DataDir";
    case SettingKey::ProjectFolder: return "HKCU\\Software\\Monitor\\Database";
    case SettingKey::Reconnect: return "HKCU\\Software\\Remote\\Reconnect";
    }
    return "";
}

SettingsStore::SettingsStore(platform::SettingsBackend &backend) : m_backend(backend) {}

// Settings only ever hold conveniences (the language, remembered folders); the callers supply a
// default for anything missing, so no settings failure may stop the program. The backends promise
// not to throw, and these two catch-alls keep that promise for any backend that breaks it.
void SettingsStore::write(SettingKey key, const std::string &value) {
    try {
        (void)m_backend.write(settingPath(key), value);
    } catch (...) {
    }
}

std::string SettingsStore::read(SettingKey key) {
    try {
        return m_backend.read(settingPath(key)).value_or(std::string());
    } catch (...) {
        return {};
    }
}

void SettingsStore::writeSwitch(SettingKey key, bool on) {
    write(key, on ? "1" : "0");
}

bool SettingsStore::readSwitch(SettingKey key) {
    // Off unless plainly on: a switch that changes how the link behaves after a loss must not be
    // turned on by a stray value.
    return read(key) == "1";
}

} // namespace aql::shell

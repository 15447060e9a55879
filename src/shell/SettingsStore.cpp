#include "shell/SettingsStore.h"

namespace aql::shell {

const char *settingPath(SettingKey key) {
    switch (key) {
    case SettingKey::Language: return "HKCU\\Software\\Remote\\Language";
    case SettingKey::ProgramFolder: return "HKCU\\Software\\Remote\\DataDir";
    case SettingKey::ProjectFolder: return "HKCU\\Software\\Monitor\\Database";
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

} // namespace aql::shell

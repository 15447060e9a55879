#include "shell/SettingsStore.h"

namespace aql::shell {

SettingsStore::SettingsStore(platform::SettingsBackend &backend) : m_backend(backend) {}

// Settings only ever hold conveniences (the language, remembered folders); the callers supply a
// default for anything missing, so no settings failure may stop the program. The backends promise
// not to throw, and these two catch-alls keep that promise for any backend that breaks it.
void SettingsStore::CreateKey(const std::string &Folder, const std::string &Value) {
    try {
        (void)m_backend.write(Folder, Value);
    } catch (...) {
    }
}

std::string SettingsStore::ReadKey(const std::string &Value) {
    try {
        return m_backend.read(Value).value_or(std::string());
    } catch (...) {
        return {};
    }
}

} // namespace aql::shell

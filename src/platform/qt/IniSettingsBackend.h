#pragma once

#include "platform/SettingsBackend.h"

#include <QString>

namespace aql::platform::qt {

// platform::SettingsBackend as a per-user INI file (the registry on Windows). A setting path
// "HKCU\Software\<section>\<key>" is the value <key> of the INI section [<section>]; deeper
// paths keep their middle parts in the key. Paths outside HKCU\Software are not stored: they
// read as missing and fail to write.
//
// Values are UTF-8: every setting the program keeps is the name of a file or folder, joined to
// other UTF-8 paths, and the program that writes the project folder writes it as Unicode text. A
// value that is no valid UTF-8 is stored as its bytes and read back unchanged.
class IniSettingsBackend final : public platform::SettingsBackend {
public:
    // The user's store: the registry under HKEY_CURRENT_USER on Windows, defaultIniPath()
    // elsewhere.
    IniSettingsBackend();
    // This INI file, on every platform.
    explicit IniSettingsBackend(QString iniFile);

    std::optional<std::string> read(const std::string &path) override;
    bool write(const std::string &path, const std::string &value) override;

    // ${XDG_CONFIG_HOME:-$HOME/.config}/aqlremote/settings.ini
    static QString defaultIniPath();

private:
    QString m_iniFile; // empty: the Windows registry
};

} // namespace aql::platform::qt

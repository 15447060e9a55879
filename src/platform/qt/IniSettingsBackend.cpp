#include "platform/qt/IniSettingsBackend.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include <memory>

namespace aql::platform::qt {

namespace {

struct Location {
    QString section;
    QString key;
};

std::optional<Location> locate(const std::string &path) {
    const QStringList parts = QString::fromLatin1(path.data(), static_cast<qsizetype>(path.size()))
                                  .split(QLatin1Char('\\'));
    if (parts.size() < 4) {
        return std::nullopt;
    }
    const QString &hive = parts[0];
    if (hive.compare(QLatin1String("HKCU"), Qt::CaseInsensitive) != 0 &&
        hive.compare(QLatin1String("HKEY_CURRENT_USER"), Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    if (parts[1].compare(QLatin1String("Software"), Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    for (const QString &part : parts) {
        if (part.isEmpty()) {
            return std::nullopt; // "a\\b" or a trailing "\" names a key, not a value
        }
    }
    // QSettings nests on "/", so the middle parts of a deep path become subkeys of the section.
    return Location{parts[2], parts.mid(3).join(QLatin1Char('/'))};
}

std::unique_ptr<QSettings> openStore(const QString &iniFile, const QString &section) {
    std::unique_ptr<QSettings> settings;
    if (iniFile.isEmpty()) {
        settings = std::make_unique<QSettings>(
            QStringLiteral("HKEY_CURRENT_USER\\Software\\") + section, QSettings::NativeFormat);
    } else {
        settings = std::make_unique<QSettings>(iniFile, QSettings::IniFormat);
        settings->beginGroup(section);
    }
    return settings;
}

bool isUtf8(const QByteArray &bytes) {
    // Decoding replaces every invalid sequence, so a text that survives the round trip was valid.
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

} // namespace

IniSettingsBackend::IniSettingsBackend()
#ifdef Q_OS_WIN
    : m_iniFile()
#else
    : m_iniFile(defaultIniPath())
#endif
{
}

IniSettingsBackend::IniSettingsBackend(QString iniFile) : m_iniFile(std::move(iniFile)) {
    if (m_iniFile.isEmpty()) {
        m_iniFile = defaultIniPath(); // an empty name must not silently mean the registry
    }
}

QString IniSettingsBackend::defaultIniPath() {
    // Relative values are to be ignored: they would depend on the working folder.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty()) {
            home = QDir::homePath();
        }
        base = home + QStringLiteral("/.config");
    }
    return QDir::cleanPath(base + QStringLiteral("/aqlremote/settings.ini"));
}

std::optional<std::string> IniSettingsBackend::read(const std::string &path) {
    try {
        const auto location = locate(path);
        if (!location) {
            return std::nullopt;
        }
        auto store = openStore(m_iniFile, location->section);
        if (store->status() == QSettings::AccessError || !store->contains(location->key)) {
            return std::nullopt;
        }
        const QVariant value = store->value(location->key);
        if (value.typeId() == QMetaType::QByteArray) {
            return value.toByteArray().toStdString();
        }
        // A hand-edited line with unquoted commas reads back as a list; it was one text.
        const QString text = value.typeId() == QMetaType::QStringList
                                 ? value.toStringList().join(QStringLiteral(", "))
                                 : value.toString();
        return text.toStdString();
    } catch (...) {
        return std::nullopt;
    }
}

bool IniSettingsBackend::write(const std::string &path, const std::string &value) {
    try {
        const auto location = locate(path);
        if (!location) {
            return false;
        }
        auto store = openStore(m_iniFile, location->section);
        if (!store->isWritable()) {
            return false;
        }
        const QByteArray bytes(value.data(), static_cast<qsizetype>(value.size()));
        if (isUtf8(bytes)) {
            store->setValue(location->key, QString::fromUtf8(bytes));
        } else {
            store->setValue(location->key, bytes);
        }
        store->sync();
        if (store->status() != QSettings::NoError) {
            return false;
        }
        // QSettings gives up quietly when it cannot create the file's folder.
        return m_iniFile.isEmpty() || QFileInfo::exists(m_iniFile);
    } catch (...) {
        return false;
    }
}

} // namespace aql::platform::qt

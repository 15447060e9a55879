#include "platform/qt/QtFileDialog.h"

#include <QFile>
#include <QFileDialog>
#include <QStringList>

namespace aql::platform::qt {

namespace {

std::optional<std::string> chosenPath(const QString &path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(path).toStdString();
}

QString folderName(const std::string &folder) {
    return QFile::decodeName(QByteArray(folder.data(), static_cast<qsizetype>(folder.size())));
}

} // namespace

QtFileDialog::QtFileDialog(QWidget *parent) : m_parent(parent) {}

QString QtFileDialog::toQtFilter(const std::string &filter) {
    const QStringList parts =
        QString::fromLatin1(filter.data(), static_cast<qsizetype>(filter.size()))
            .split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (description.isEmpty() && patterns.isEmpty()) {
            continue;
        }
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns = patterns.simplified();
        if (patterns.isEmpty()) {
            patterns = QStringLiteral("*");
        }
        entries << (description.isEmpty() ? patterns : description) + QStringLiteral(" (") +
                       patterns + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

std::optional<std::string> QtFileDialog::openFile(const std::string &initialFolder,
                                                  const std::string &filter) {
    return chosenPath(QFileDialog::getOpenFileName(m_parent, QString(), folderName(initialFolder),
                                                   toQtFilter(filter)));
}

std::optional<std::string> QtFileDialog::saveFile(const std::string &initialFolder,
                                                  const std::string &filter) {
    // Qt asks before replacing an existing file; an export must not overwrite one silently.
    return chosenPath(QFileDialog::getSaveFileName(m_parent, QString(), folderName(initialFolder),
                                                   toQtFilter(filter)));
}

} // namespace aql::platform::qt

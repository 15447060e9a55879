#include "platform/qt/QtFileDialog.h"

#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>
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

QString QtFileDialog::extensionOf(const QString &nameFilter) {
    // The first pattern of the entry that names an extension: "CSV files (*.csv)" gives "csv";
    // "All files (*.*)" and "(*)" give none.
    static const QRegularExpression kPattern(QStringLiteral(R"(\*\.([^\s;*?()]+))"));
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    const QRegularExpressionMatch match =
        kPattern.match(open < 0 ? nameFilter : nameFilter.mid(open));
    return match.hasMatch() ? match.captured(1) : QString();
}

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
    QFileDialog dialog(m_parent, QString(), folderName(initialFolder), toQtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without an extension takes the chosen type's. The dialog adds it before it
    // asks about replacing an existing file, so an export never overwrites one silently.
    dialog.setDefaultSuffix(extensionOf(dialog.selectedNameFilter()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString &chosen) { dialog.setDefaultSuffix(extensionOf(chosen)); });
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? std::nullopt : chosenPath(chosen.front());
}

} // namespace aql::platform::qt

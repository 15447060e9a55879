#include "platform/qt/QtFileOpener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QString>
#include <QUrl>

namespace aql::platform::qt {

bool QtFileOpener::open(const std::filesystem::path &file) {
    const QString name = QString::fromStdU16String(file.u16string());
    // The desktop would start a helper for a file that is not there and report success.
    if (!QFileInfo(name).isFile()) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(name).absoluteFilePath()));
}

} // namespace aql::platform::qt

#pragma once

#include "platform/FileDialog.h"

#include <QPointer>
#include <QString>

class QWidget;

namespace aql::platform::qt {

// platform::FileDialog over QFileDialog. A file name typed without an extension in the save
// dialog takes that of the chosen file type. Paths cross as the file system's own
// byte encoding, the same bytes the standard library's file streams take.
class QtFileDialog final : public platform::FileDialog {
public:
    explicit QtFileDialog(QWidget *parent = nullptr);

    void setParentWidget(QWidget *parent) { m_parent = parent; }

    std::optional<std::string> openFile(const std::string &initialFolder,
                                        const std::string &filter) override;
    std::optional<std::string> saveFile(const std::string &initialFolder,
                                        const std::string &filter) override;

    // "CSV files|*.csv|All files|*.*" becomes "CSV files (*.csv);;All files (*.*)"; several
    // patterns of one entry ("*.csv;*.txt") are separated by blanks; a description without a
    // pattern matches every file.
    static QString toQtFilter(const std::string &filter);
    // The extension a name filter's first pattern gives ("CSV files (*.csv)": "csv"); empty when
    // it matches any name.
    static QString extensionOf(const QString &nameFilter);

private:
    QPointer<QWidget> m_parent;
};

} // namespace aql::platform::qt

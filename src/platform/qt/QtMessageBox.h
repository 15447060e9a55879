#pragma once

#include "platform/MessageBox.h"

#include <QPointer>
#include <QString>

class QWidget;

namespace aql::platform::qt {

// platform::MessageBox over QMessageBox. Styles decode as button set (low bits) plus icon:
// 0 and 1 are OK and OK/Cancel, any other button set shows OK; 16, 32, 48, 64 are the critical,
// question, warning and information icons.
class QtMessageBox final : public platform::MessageBox {
public:
    // `programTitle` is used whenever a caller leaves the title empty.
    explicit QtMessageBox(QString programTitle, QWidget *parent = nullptr);

    // Boxes opened later are centred on and modal to this window (none: to the application).
    void setParentWidget(QWidget *parent) { m_parent = parent; }

    int show(const std::string &text, int style, const std::string &title = {}) override;

    // Text as the box shows it: single-byte characters, CR LF and lone CR as line breaks.
    static QString displayText(const std::string &text);

private:
    QString m_programTitle;
    QPointer<QWidget> m_parent;
};

} // namespace aql::platform::qt

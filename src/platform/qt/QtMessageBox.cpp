#include "platform/qt/QtMessageBox.h"

#include <QMessageBox>

namespace aql::platform::qt {

namespace {
constexpr int kButtonMask = 0x0F;
constexpr int kIconMask = 0x70;
constexpr int kOkCancelButtons = 1;
} // namespace

QtMessageBox::QtMessageBox(QString programTitle, QWidget *parent)
    : m_programTitle(std::move(programTitle)), m_parent(parent) {}

QString QtMessageBox::displayText(const std::string &text) {
    QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

int QtMessageBox::show(const std::string &text, int style, const std::string &title) {
    QMessageBox box(m_parent);
    box.setWindowTitle(
        title.empty() ? m_programTitle
                      : QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size())));
    // Texts come from language files and records, never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(text));

    switch (style & kIconMask) {
    case 16: box.setIcon(QMessageBox::Critical); break;
    case 32: box.setIcon(QMessageBox::Question); break;
    case 48: box.setIcon(QMessageBox::Warning); break;
    case 64: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }

    const bool offersCancel = (style & kButtonMask) == kOkCancelButtons;
    if (offersCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);

    box.exec();
    if (!offersCancel) {
        return kResultOk;
    }
    // Escape and the close box press the escape button; a box torn down without any press
    // must not read as consent either.
    return box.clickedButton() == box.button(QMessageBox::Ok) ? kResultOk : kResultCancel;
}

} // namespace aql::platform::qt

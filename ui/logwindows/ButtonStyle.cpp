#include "ui/logwindows/ButtonStyle.h"

#include "ui/widgets/Colours.h"

#include <QColor>
#include <QPushButton>

namespace aql::ui {

namespace {

QString css(QRgb rgb) {
    return QColor(rgb).name();
}

QString buttonSheet(const QString &background, const QString &text, const QString &border,
                    const QString &hover, const QString &pressed) {
    return QStringLiteral("QPushButton { background-color: %1; color: %2; border: 2px solid %3;"
                          " border-radius: 4px; padding: 0.35em 1.1em; min-width: 4.5em; }"
                          "QPushButton:hover { background-color: %4; }"
                          "QPushButton:pressed { background-color: %5; }"
                          "QPushButton:focus { border-color: %6; }"
                          "QPushButton:disabled { color: #8a8a8a; border-color: #b8b8b8; }")
        .arg(background, text, border, hover, pressed, css(colours::kGreen));
}

} // namespace

void styleFilledButton(QPushButton *button) {
    const QColor blue(colours::kBlue);
    button->setStyleSheet(buttonSheet(blue.name(), QStringLiteral("#ffffff"), blue.name(),
                                      blue.lighter(125).name(), blue.darker(130).name()));
}

void styleOutlinedButton(QPushButton *button) {
    const QColor blue(colours::kBlue);
    button->setStyleSheet(buttonSheet(QStringLiteral("#ffffff"), blue.name(), blue.name(),
                                      QStringLiteral("#e8ebf7"), QStringLiteral("#d0d6ef")));
}

} // namespace aql::ui

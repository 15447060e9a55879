#include "ui/WindowParts.h"

#include "ui/Latin1Text.h"

#include <QAbstractButton>
#include <QColor>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace aql::ui::parts {

void setText(QLineEdit *box, const QString &text) {
    if (box->text() != text) {
        box->setText(text);
    }
}

void setText(QLabel *label, const QString &text) {
    if (label->text() != text) {
        label->setText(text);
    }
}

void setCaption(QAbstractButton *button, const QString &caption) {
    if (button->text() != caption) {
        button->setText(caption);
    }
    setAccessibleName(button, withoutAccessKey(caption));
}

void setCaption(QLabel *label, const QString &caption) {
    setText(label, caption);
    setAccessibleName(label, withoutAccessKey(caption));
}

void setAccessibleName(QWidget *widget, const QString &name) {
    if (widget->accessibleName() != name) {
        widget->setAccessibleName(name);
    }
}

void fitCharacters(QLineEdit *box, int characters) {
    const QFontMetrics metrics(box->font());
    const QMargins margins = box->textMargins();
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth =
        box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
    // The text plus a little air, then whatever the style adds for frame and padding.
    const int text = metrics.horizontalAdvance(QString(characters, QLatin1Char('0'))) +
                     metrics.averageCharWidth() + margins.left() + margins.right();
    const QSize size = box->style()->sizeFromContents(QStyle::CT_LineEdit, &option,
                                                      QSize(text, metrics.height()), box);
    box->setMinimumWidth(size.width());
    box->setMaximumWidth(size.width());
}

void paintButton(QAbstractButton *button, unsigned int rgb) {
    const QColor face = QColor::fromRgb(rgb);
    const QColor edge = face.darker(140);
    const QColor muted = QColor::fromRgbF(face.redF() * 0.4 + 0.6, face.greenF() * 0.4 + 0.6,
                                          face.blueF() * 0.4 + 0.6);
    // A style sheet rather than the palette: native styles (Windows among them) ignore a palette's
    // button colour. The focus frame is drawn as a thicker dark edge so keyboard users still see
    // which button Enter or Space would press.
    const QString text =
        face.lightness() > 110 ? QStringLiteral("#000000") : QStringLiteral("#ffffff");
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: %2; border: 1px solid %3;"
                       " border-radius: 4px; padding: 4px 16px; }"
                       "QPushButton:hover { background-color: %4; }"
                       "QPushButton:pressed { background-color: %5; }"
                       "QPushButton:focus { border: 2px solid #283890; padding: 3px 15px; }"
                       "QPushButton:disabled { background-color: %6; color: #6e6e6e;"
                       " border-color: %6; }")
            .arg(face.name(), text, edge.name(), face.lighter(110).name(), face.darker(115).name(),
                 muted.name()));
}

} // namespace aql::ui::parts

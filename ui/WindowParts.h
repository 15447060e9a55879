#pragma once

#include <QString>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QWidget;

// Small steps the console's secondary windows share: texts that change only when they differ
// (a refresh runs on every change of a view, some of them many times a second), captions that
// double as accessible names, and boxes sized for the characters they hold.
namespace aql::ui::parts {

// Leaves the box alone when it already shows the text, so typing and the cursor survive a refresh.
void setText(QLineEdit *box, const QString &text);
void setText(QLabel *label, const QString &text);
// The caption, and the same words without access-key marker as the accessible name.
void setCaption(QAbstractButton *button, const QString &caption);
void setCaption(QLabel *label, const QString &caption);
void setAccessibleName(QWidget *widget, const QString &name);
// Wide enough for `characters` digits of the box's font, frame and margins included.
void fitCharacters(QLineEdit *box, int characters);
// A push button of one of the controller's colours, readable in both states.
void paintButton(QAbstractButton *button, unsigned int rgb);

} // namespace aql::ui::parts

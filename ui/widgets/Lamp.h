#pragma once

#include <QColor>
#include <QWidget>

namespace aql::ui {

// A round status lamp with its caption beside or below it. The owner sets the colour the
// controller reports; black means off. Assistive tools read the caption and the state
// ("RUN on").
class Lamp : public QWidget {
    Q_OBJECT
public:
    enum class CaptionPlacement { Right, Below };

    explicit Lamp(QWidget *parent = nullptr);
    Lamp(const QString &caption, QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    QString caption() const { return m_caption; }
    void setColour(const QColor &colour);
    QColor colour() const { return m_colour; }
    bool isLit() const;
    void setCaptionPlacement(CaptionPlacement placement);
    CaptionPlacement captionPlacement() const { return m_placement; }
    // Room kept for the caption however short it is: lamps in one column, each given the room of
    // the widest caption, are drawn the same size with their captions lined up.
    void setCaptionRoom(qreal width);
    // The words for the two states in the accessible name; "on" and "off" until set.
    void setStateTexts(const QString &on, const QString &off);

    // Caption and state, as assistive tools read them.
    QString accessibleText() const;
    // Where the lamp itself is drawn at the current size.
    QRectF lampRect() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QSize sizeFor(qreal diameter) const;
    qreal minimumDiameter() const;
    QRectF captionRect() const;
    qreal captionWidth() const;
    void announceNameChange();

    QString m_caption;
    QColor m_colour;
    CaptionPlacement m_placement = CaptionPlacement::Right;
    qreal m_captionRoom = 0;
    QString m_onText;
    QString m_offText;
};

} // namespace aql::ui

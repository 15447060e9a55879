#include "ui/Logo.h"

#include "ui/widgets/Colours.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QtMath>

namespace aql::ui {

namespace {
constexpr qreal kLetterScale = 2.2; // the letters against the window's font
constexpr qreal kDropWidthShare = 0.72;
} // namespace

Logo::Logo(QWidget *parent) : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QFont Logo::letterFont() const {
    QFont letters = font();
    letters.setPointSizeF(font().pointSizeF() * kLetterScale);
    letters.setWeight(QFont::Black);
    letters.setLetterSpacing(QFont::PercentageSpacing, 104);
    return letters;
}

QSize Logo::sizeHint() const {
    const QFontMetricsF letters(letterFont());
    const qreal height = letters.height() * 1.15;
    const qreal drop = height * kDropWidthShare;
    const QFontMetricsF small(font());
    const qreal width = drop + letters.height() * 0.25 +
                        letters.horizontalAdvance(QStringLiteral("AQL")) +
                        small.horizontalAdvance(QStringLiteral("TM")) + 6;
    return {qCeil(width), qCeil(height) + 4};
}

QSize Logo::minimumSizeHint() const {
    return sizeHint();
}

void Logo::paintEvent(QPaintEvent * /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor blue(colours::kBlue);
    const QColor green(colours::kGreen);
    const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);

    // The drop: a round bottom drawn up into a point.
    const qreal dropHeight = area.height();
    const qreal dropWidth = dropHeight * kDropWidthShare;
    const QRectF dropBox(area.left(), area.top(), dropWidth, dropHeight);
    const qreal radius = dropWidth / 2;
    const QPointF centre(dropBox.center().x(), dropBox.bottom() - radius);
    QPainterPath drop;
    drop.moveTo(dropBox.center().x(), dropBox.top());
    drop.cubicTo(QPointF(dropBox.center().x() + radius * 0.2, dropBox.top() + dropHeight * 0.22),
                 QPointF(dropBox.right(), centre.y() - radius * 0.55),
                 QPointF(dropBox.right(), centre.y()));
    drop.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 0, -180);
    drop.cubicTo(QPointF(dropBox.left(), centre.y() - radius * 0.55),
                 QPointF(dropBox.center().x() - radius * 0.2, dropBox.top() + dropHeight * 0.22),
                 QPointF(dropBox.center().x(), dropBox.top()));
    QLinearGradient water(dropBox.topLeft(), dropBox.bottomRight());
    water.setColorAt(0, blue.lighter(160));
    water.setColorAt(1, blue);
    painter.setPen(Qt::NoPen);
    painter.setBrush(water);
    painter.drawPath(drop);

    // A green wave across the lower half, clipped to the drop.
    painter.save();
    painter.setClipPath(drop);
    QPainterPath wave;
    const qreal waveTop = centre.y() + radius * 0.05;
    wave.moveTo(dropBox.left(), waveTop);
    wave.cubicTo(QPointF(dropBox.left() + dropWidth * 0.3, waveTop - radius * 0.35),
                 QPointF(dropBox.left() + dropWidth * 0.6, waveTop + radius * 0.35),
                 QPointF(dropBox.right(), waveTop));
    wave.lineTo(dropBox.bottomRight());
    wave.lineTo(dropBox.bottomLeft());
    wave.closeSubpath();
    painter.setBrush(green);
    painter.drawPath(wave);
    painter.restore();

    // A highlight, so it reads as water.
    painter.setBrush(QColor(255, 255, 255, 150));
    painter.drawEllipse(QPointF(centre.x() - radius * 0.38, centre.y() - radius * 0.42),
                        radius * 0.16, radius * 0.26);

    // The letters and the trade-mark sign.
    const QFont letters = letterFont();
    const QFontMetricsF letterMetrics(letters);
    const qreal textLeft = dropBox.right() + letterMetrics.height() * 0.25;
    const qreal baseline =
        area.top() + (area.height() + letterMetrics.ascent() - letterMetrics.descent()) / 2;
    painter.setFont(letters);
    painter.setPen(blue);
    painter.drawText(QPointF(textLeft, baseline), QStringLiteral("AQL"));
    const qreal lettersRight = textLeft + letterMetrics.horizontalAdvance(QStringLiteral("AQL"));
    QFont small = font();
    small.setBold(true);
    painter.setFont(small);
    painter.drawText(QPointF(lettersRight + 2, baseline - letterMetrics.ascent() * 0.55),
                     QStringLiteral("TM"));

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

} // namespace aql::ui

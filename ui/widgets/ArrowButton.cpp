#include "ui/widgets/ArrowButton.h"

#include "ui/widgets/Colours.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace aql::ui {

ArrowButton::ArrowButton(QWidget *parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ArrowButton::setArrow(Qt::ArrowType arrow) {
    if (arrow != m_arrow) {
        m_arrow = arrow;
        update();
    }
}

QSize ArrowButton::minimumSizeHint() const {
    const int side = std::max(22, QFontMetrics(font()).height() * 3 / 2);
    return {side, side};
}

QSize ArrowButton::sizeHint() const {
    return minimumSizeHint();
}

void ArrowButton::paintEvent(QPaintEvent * /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal side = std::min(box.width(), box.height());
    const qreal radius = side * 0.18;

    QColor fill(colours::kBlue);
    if (!isEnabled()) {
        fill = fill.lighter(170);
    } else if (isDown()) {
        fill = fill.darker(130);
    } else if (underMouse()) {
        fill = fill.lighter(125);
    }
    painter.setPen(QPen(fill.darker(140), 1.0));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, radius, radius);

    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box.adjusted(1.5, 1.5, -1.5, -1.5), radius, radius);
    }

    const qreal h = side * 0.2;
    QPainterPath head;
    head.moveTo(0, -h);
    head.lineTo(h * 1.2, h * 0.7);
    head.lineTo(-h * 1.2, h * 0.7);
    head.closeSubpath();
    QTransform turn;
    turn.translate(box.center().x(), box.center().y());
    switch (m_arrow) {
    case Qt::DownArrow: turn.rotate(180); break;
    case Qt::LeftArrow: turn.rotate(270); break;
    case Qt::RightArrow: turn.rotate(90); break;
    default: break;
    }
    painter.setPen(QPen(Qt::white, side * 0.04, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::white);
    painter.drawPath(turn.map(head));
}

} // namespace aql::ui

#include "ui/widgets/Keypad.h"

#include "ui/widgets/Accessibility.h"
#include "ui/widgets/Colours.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace aql::ui {

namespace {
// Proportions of the panel in key sides: the gap between keys, the plate's margin and the
// extra room between the arrow cross and the V/X column.
constexpr qreal kGap = 0.16;
constexpr qreal kMargin = 0.34;
constexpr qreal kColumnGap = 0.50;
constexpr qreal kPairGap = 0.30;
constexpr qreal kCrossSpan = 3 + 2 * kGap;
constexpr qreal kWidthUnits = 2 * kMargin + kCrossSpan + kColumnGap + 1;
constexpr qreal kHeightUnits = 2 * kMargin + kCrossSpan;
// A key is wide enough for a fingertip-sized symbol at any font, and grows with the font.
constexpr qreal kMinimumSide = 30.0;
constexpr qreal kSidePerLine = 1.9;
constexpr qreal kFadedOpacity = 0.38;

const QColor kPlate(236, 239, 244);
const QColor kPlateEdge(196, 202, 214);
const QColor kRing(222, 227, 236);
const QColor kCapTop(252, 252, 253);
const QColor kCapBottom(216, 221, 230);
const QColor kCapEdge(146, 154, 170);
const QColor kCancelRed(200, 36, 36);

class KeyButton : public QAbstractButton {
public:
    KeyButton(Keypad *keypad, int index)
        : QAbstractButton(keypad), m_keypad(keypad), m_index(index) {
        // Tab reaches the keys; a mouse click does not take the focus away from other controls.
        setFocusPolicy(Qt::TabFocus);
        setAccessibleName(Keypad::keyName(index));
        setToolTip(Keypad::keyName(index));
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent * /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (!isEnabled()) {
            painter.setOpacity(kFadedOpacity);
        }
        const qreal side = std::min(width(), height());
        const qreal travel = std::max<qreal>(1.0, side * 0.04);
        const bool pressed = isDown() || m_keypad->isPressed(m_index);
        const qreal radius = side * 0.2;

        QRectF cap = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5 - travel);
        if (!pressed) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(20, 30, 60, 70));
            painter.drawRoundedRect(cap.translated(0, travel), radius, radius);
        } else {
            cap.translate(0, travel);
        }

        QLinearGradient face(cap.topLeft(), cap.bottomLeft());
        face.setColorAt(0, pressed ? kCapBottom.darker(108) : kCapTop);
        face.setColorAt(1, pressed ? kCapTop.darker(104) : kCapBottom);
        painter.setPen(QPen(kCapEdge, 1.0));
        painter.setBrush(face);
        painter.drawRoundedRect(cap, radius, radius);

        if (hasFocus()) {
            painter.setPen(
                QPen(palette().color(QPalette::Highlight), std::max<qreal>(2, side * 0.05)));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(cap.adjusted(1, 1, -1, -1), radius, radius);
        }
        drawSymbol(painter, cap);
    }

private:
    void drawSymbol(QPainter &painter, const QRectF &cap) const {
        const QPointF c = cap.center();
        const qreal s = std::min(cap.width(), cap.height());
        if (m_index <= Keypad::Left) {
            // An arrow head pointing away from the cross's centre.
            const qreal h = s * 0.20;
            QPainterPath arrow;
            arrow.moveTo(0, -h);
            arrow.lineTo(h * 1.15, h * 0.75);
            arrow.lineTo(-h * 1.15, h * 0.75);
            arrow.closeSubpath();
            static constexpr std::array<qreal, 4> kTurn{0, 90, 180, 270};
            QTransform turn;
            turn.translate(c.x(), c.y());
            turn.rotate(kTurn[static_cast<std::size_t>(m_index)]);
            painter.setPen(
                QPen(QColor(colours::kBlue), s * 0.04, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(QColor(colours::kBlue));
            painter.drawPath(turn.map(arrow));
            return;
        }
        const qreal h = s * 0.19;
        QPainterPath mark;
        QColor ink;
        if (m_index == Keypad::Accept) {
            mark.moveTo(c.x() - h * 1.05, c.y() + h * 0.02);
            mark.lineTo(c.x() - h * 0.3, c.y() + h * 0.8);
            mark.lineTo(c.x() + h * 1.1, c.y() - h * 0.85);
            ink = QColor(colours::kGreen).darker(135);
        } else {
            mark.moveTo(c.x() - h * 0.85, c.y() - h * 0.85);
            mark.lineTo(c.x() + h * 0.85, c.y() + h * 0.85);
            mark.moveTo(c.x() + h * 0.85, c.y() - h * 0.85);
            mark.lineTo(c.x() - h * 0.85, c.y() + h * 0.85);
            ink = kCancelRed;
        }
        painter.setPen(QPen(ink, s * 0.10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(mark);
    }

    Keypad *m_keypad;
    int m_index;
};

// Key positions in key sides from the top left of the cross.
QPointF keyOrigin(int index) {
    const qreal step = 1 + kGap;
    const qreal pairTop = kCrossSpan / 2 - 1 - kPairGap / 2;
    const qreal column = kCrossSpan + kColumnGap;
    switch (index) {
    case Keypad::Up: return {step, 0};
    case Keypad::Right: return {2 * step, step};
    case Keypad::Down: return {step, 2 * step};
    case Keypad::Left: return {0, step};
    case Keypad::Accept: return {column, pairTop};
    default: return {column, pairTop + 1 + kPairGap};
    }
}
} // namespace

Keypad::Keypad(QWidget *parent) : QWidget(parent) {
    installAccessibleFactory();
    setAccessibleName(QStringLiteral("Keypad"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    for (int index = 0; index < kKeys; ++index) {
        auto *key = new KeyButton(this, index);
        connect(key, &QAbstractButton::clicked, this, [this, index] { emit keyClicked(index); });
        m_keys[static_cast<std::size_t>(index)] = key;
    }
    placeKeys();
}

QString Keypad::keyName(int index) {
    switch (index) {
    case Up: return QStringLiteral("Up");
    case Right: return QStringLiteral("Right");
    case Down: return QStringLiteral("Down");
    case Left: return QStringLiteral("Left");
    case Accept: return QStringLiteral("Accept (V)");
    case Cancel: return QStringLiteral("Cancel (X)");
    default: return {};
    }
}

void Keypad::setKeyName(int index, const QString &name) {
    if (QAbstractButton *key = keyButton(index)) {
        key->setAccessibleName(name);
        key->setToolTip(name);
    }
}

QAbstractButton *Keypad::keyButton(int index) const {
    return index >= 0 && index < kKeys ? m_keys[static_cast<std::size_t>(index)] : nullptr;
}

void Keypad::setPressed(int index, bool pressed) {
    if (index < 0 || index >= kKeys || m_pressed[static_cast<std::size_t>(index)] == pressed) {
        return;
    }
    m_pressed[static_cast<std::size_t>(index)] = pressed;
    m_keys[static_cast<std::size_t>(index)]->update();
}

bool Keypad::isPressed(int index) const {
    return index >= 0 && index < kKeys && m_pressed[static_cast<std::size_t>(index)];
}

void Keypad::setCovered(bool covered) {
    if (covered == m_covered) {
        return;
    }
    m_covered = covered;
    for (QAbstractButton *key : m_keys) {
        key->setEnabled(!covered);
    }
    update();
}

QRect Keypad::keyRect(int index) const {
    if (index < 0 || index >= kKeys) {
        return {};
    }
    const Geometry g = layout();
    return QRectF(g.cross + keyOrigin(index) * g.side, QSizeF(g.side, g.side)).toAlignedRect();
}

qreal Keypad::minimumKeySide() const {
    return std::max(kMinimumSide, QFontMetricsF(font()).height() * kSidePerLine);
}

QSize Keypad::sizeForKey(qreal side) const {
    const QMargins margins = contentsMargins();
    return {static_cast<int>(std::ceil(side * kWidthUnits)) + margins.left() + margins.right(),
            static_cast<int>(std::ceil(side * kHeightUnits)) + margins.top() + margins.bottom()};
}

QSize Keypad::minimumSizeHint() const {
    return sizeForKey(minimumKeySide());
}

QSize Keypad::sizeHint() const {
    return sizeForKey(minimumKeySide() * 1.25);
}

void Keypad::setAlignment(Qt::Alignment alignment) {
    if (alignment != m_alignment) {
        m_alignment = alignment;
        placeKeys();
        update();
    }
}

Keypad::Geometry Keypad::layout() const {
    Geometry g;
    const QRectF area = contentsRect();
    g.side = std::max<qreal>(1, std::min(area.width() / kWidthUnits, area.height() / kHeightUnits));
    const QSizeF size(g.side * kWidthUnits, g.side * kHeightUnits);
    qreal left = area.center().x() - size.width() / 2;
    if (m_alignment & Qt::AlignLeft) {
        left = area.left();
    } else if (m_alignment & Qt::AlignRight) {
        left = area.right() + 1 - size.width();
    }
    g.plate = QRectF(left, area.center().y() - size.height() / 2, size.width(), size.height());
    g.cross = g.plate.topLeft() + QPointF(g.side * kMargin, g.side * kMargin);
    const qreal radius = g.side * (kCrossSpan / 2 + 0.14);
    const QPointF centre = g.cross + QPointF(g.side * kCrossSpan / 2, g.side * kCrossSpan / 2);
    g.ring = QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    return g;
}

void Keypad::placeKeys() {
    for (int index = 0; index < kKeys; ++index) {
        m_keys[static_cast<std::size_t>(index)]->setGeometry(keyRect(index));
    }
}

void Keypad::resizeEvent(QResizeEvent *event) {
    placeKeys();
    QWidget::resizeEvent(event);
}

void Keypad::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ContentsRectChange) {
        updateGeometry();
        placeKeys();
    }
    QWidget::changeEvent(event);
}

void Keypad::paintEvent(QPaintEvent * /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Geometry g = layout();
    if (m_covered) {
        painter.setOpacity(0.6);
    }
    painter.setPen(QPen(kPlateEdge, 1.0));
    painter.setBrush(kPlate);
    painter.drawRoundedRect(g.plate.adjusted(0.5, 0.5, -0.5, -0.5), g.side * 0.3, g.side * 0.3);

    painter.setPen(Qt::NoPen);
    painter.setBrush(kRing);
    painter.drawEllipse(g.ring);
}

} // namespace aql::ui

#include "ui/widgets/Lamp.h"

#include "ui/widgets/Accessibility.h"
#include "ui/widgets/Colours.h"

#include <QAccessible>
#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace aql::ui {

namespace {
// A lamp is at least 1.6 caption lines across, so its state is seen from a metre away
// even with a small caption font.
constexpr qreal kDiameterPerLine = 1.6;
constexpr qreal kMinimumDiameter = 20.0;
constexpr qreal kCaptionScale = 1.2;
constexpr qreal kMinimumCaptionPoints = 11.0;
constexpr qreal kSpacingPerLine = 0.45;
constexpr qreal kBezelShare = 0.10;
} // namespace

Lamp::Lamp(QWidget *parent) : Lamp(QString(), parent) {}

Lamp::Lamp(const QString &caption, QWidget *parent)
    : QWidget(parent), m_caption(caption), m_colour(QColor(colours::kLampOff)),
      m_onText(QStringLiteral("on")), m_offText(QStringLiteral("off")) {
    installAccessibleFactory();
    // Captions a little larger than the surrounding text, so the lamps read from a metre away.
    QFont bold = font();
    bold.setBold(true);
    if (bold.pointSizeF() > 0) {
        bold.setPointSizeF(std::max(kMinimumCaptionPoints, bold.pointSizeF() * kCaptionScale));
    }
    setFont(bold);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void Lamp::setCaption(const QString &caption) {
    if (caption == m_caption) {
        return;
    }
    m_caption = caption;
    updateGeometry();
    update();
    announceNameChange();
}

void Lamp::setColour(const QColor &colour) {
    if (colour == m_colour) {
        return;
    }
    const bool wasLit = isLit();
    m_colour = colour;
    update();
    if (wasLit != isLit()) {
        announceNameChange();
    }
}

bool Lamp::isLit() const {
    return m_colour.isValid() && m_colour.rgb() != colours::kLampOff;
}

void Lamp::setCaptionPlacement(CaptionPlacement placement) {
    if (placement != m_placement) {
        m_placement = placement;
        updateGeometry();
        update();
    }
}

void Lamp::setCaptionRoom(qreal width) {
    if (width != m_captionRoom) {
        m_captionRoom = width;
        updateGeometry();
        update();
    }
}

qreal Lamp::captionWidth() const {
    const qreal text = m_caption.isEmpty() ? 0 : QFontMetricsF(font()).horizontalAdvance(m_caption);
    return std::max(text, m_captionRoom);
}

void Lamp::setStateTexts(const QString &on, const QString &off) {
    m_onText = on;
    m_offText = off;
    announceNameChange();
}

QString Lamp::accessibleText() const {
    const QString state = isLit() ? m_onText : m_offText;
    return m_caption.isEmpty() ? state : m_caption + QLatin1Char(' ') + state;
}

void Lamp::announceNameChange() {
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

qreal Lamp::minimumDiameter() const {
    return std::max(kMinimumDiameter, QFontMetricsF(font()).height() * kDiameterPerLine);
}

QSize Lamp::sizeFor(qreal diameter) const {
    const QFontMetricsF metrics(font());
    const qreal spacing = metrics.height() * kSpacingPerLine;
    const qreal textWidth = captionWidth();
    const qreal textHeight = metrics.height();
    QSizeF size;
    if (m_placement == CaptionPlacement::Right) {
        size = QSizeF(diameter + (textWidth > 0 ? spacing + textWidth : 0),
                      std::max(diameter, textHeight));
    } else {
        size = QSizeF(std::max(diameter, textWidth), diameter + spacing / 2 + textHeight);
    }
    const QMargins margins = contentsMargins();
    return {static_cast<int>(std::ceil(size.width())) + margins.left() + margins.right(),
            static_cast<int>(std::ceil(size.height())) + margins.top() + margins.bottom()};
}

QSize Lamp::minimumSizeHint() const {
    return sizeFor(minimumDiameter());
}

QSize Lamp::sizeHint() const {
    return sizeFor(minimumDiameter() * 1.25);
}

QRectF Lamp::lampRect() const {
    const QFontMetricsF metrics(font());
    const QRectF area = contentsRect();
    const qreal spacing = metrics.height() * kSpacingPerLine;
    const qreal textWidth = captionWidth();
    qreal diameter = 0;
    if (m_placement == CaptionPlacement::Right) {
        const qreal room = area.width() - (textWidth > 0 ? spacing + textWidth : 0);
        diameter = std::max<qreal>(1, std::min(area.height(), room));
        return {area.left(), area.center().y() - diameter / 2, diameter, diameter};
    }
    const qreal room = area.height() - spacing / 2 - metrics.height();
    diameter = std::max<qreal>(1, std::min(area.width(), room));
    return {area.center().x() - diameter / 2, area.top(), diameter, diameter};
}

QRectF Lamp::captionRect() const {
    const QFontMetricsF metrics(font());
    const QRectF area = contentsRect();
    const QRectF lamp = lampRect();
    const qreal spacing = metrics.height() * kSpacingPerLine;
    if (m_placement == CaptionPlacement::Right) {
        return {lamp.right() + spacing, area.top(), area.right() - lamp.right() - spacing,
                area.height()};
    }
    return {area.left(), lamp.bottom() + spacing / 2, area.width(), metrics.height()};
}

void Lamp::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        update();
    }
    QWidget::changeEvent(event);
}

void Lamp::paintEvent(QPaintEvent * /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF lamp = lampRect();
    const qreal bezel = std::max<qreal>(1.5, lamp.width() * kBezelShare);

    // A dark metal ring, lit from above.
    QLinearGradient ring(lamp.topLeft(), lamp.bottomLeft());
    ring.setColorAt(0, QColor(120, 124, 132));
    ring.setColorAt(1, QColor(36, 38, 44));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ring);
    painter.drawEllipse(lamp);

    // The glass: the reported colour, brighter at the centre when lit; a black lamp still shows
    // as a dark glass so the operator sees that a lamp is there and off.
    const QRectF glass = lamp.adjusted(bezel, bezel, -bezel, -bezel);
    QRadialGradient body(glass.center(), glass.width() / 2,
                         QPointF(glass.center().x(), glass.top() + glass.height() * 0.4));
    if (isLit()) {
        body.setColorAt(0, m_colour.lighter(150));
        body.setColorAt(0.55, m_colour);
        body.setColorAt(1, m_colour.darker(135));
    } else {
        body.setColorAt(0, QColor(58, 60, 66));
        body.setColorAt(1, QColor(0, 0, 0));
    }
    painter.setBrush(body);
    painter.drawEllipse(glass);

    // A soft reflection across the top of the glass.
    const QRectF shine(glass.left() + glass.width() * 0.22, glass.top() + glass.height() * 0.07,
                       glass.width() * 0.56, glass.height() * 0.36);
    QLinearGradient reflection(shine.topLeft(), shine.bottomLeft());
    reflection.setColorAt(0, QColor(255, 255, 255, isLit() ? 150 : 70));
    reflection.setColorAt(1, QColor(255, 255, 255, 0));
    painter.setBrush(reflection);
    painter.drawEllipse(shine);

    if (!m_caption.isEmpty()) {
        painter.setPen(isEnabled() ? QColor(colours::kBlue)
                                   : palette().color(QPalette::Disabled, QPalette::WindowText));
        const Qt::Alignment align = m_placement == CaptionPlacement::Right
                                        ? Qt::AlignLeft | Qt::AlignVCenter
                                        : Qt::AlignHCenter | Qt::AlignTop;
        painter.drawText(captionRect(), align, m_caption);
    }
}

} // namespace aql::ui

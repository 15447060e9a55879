#include "ui/widgets/LcdDisplay.h"

#include "ui/widgets/Accessibility.h"
#include "ui/widgets/Colours.h"

#include <QAccessible>
#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace aql::ui {

namespace {
// A character cell is a little wider and taller than its glyph so neighbouring characters never
// touch, as on the controller's glass.
constexpr qreal kCellWidthFactor = 1.12;
constexpr qreal kCellHeightFactor = 1.12;
// Room between the cells and the border, in cells.
constexpr qreal kPaddingX = 0.55;
constexpr qreal kPaddingY = 0.40;
constexpr qreal kBorderPerCellHeight = 0.09;
constexpr qreal kMinimumBorder = 2.0;
constexpr qreal kCornerPerCellHeight = 0.35;
// The unlit pixel matrix of a cell: barely darker than the backlight, so the cells read as an
// LCD without competing with the characters.
constexpr int kCellShade = 106;
// A stale display keeps a fifth of its backlight's colour and draws its characters half as dark,
// as a display that has lost its controller: still legible, plainly not live.
constexpr qreal kStaleColourKept = 0.2;
constexpr int kStaleInkAlpha = 110;
const QColor kStaleGlass(214, 216, 218);
const QColor kNoteBackground(168, 52, 28);
const QColor kNoteText(Qt::white);
// The note's letters against the characters' height.
constexpr qreal kNoteFontScale = 0.62;

QColor blend(const QColor &a, const QColor &b, qreal keepA) {
    return QColor::fromRgbF(a.redF() * keepA + b.redF() * (1 - keepA),
                            a.greenF() * keepA + b.greenF() * (1 - keepA),
                            a.blueF() * keepA + b.blueF() * (1 - keepA));
}

const QString kDescription = QStringLiteral("Controller display, 4 lines of 20 characters");

QChar shownCharacter(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    // The controller's control bytes have no Latin-1 glyph; they show as empty cells.
    if (value < 0x20 || (value >= 0x7F && value < 0xA0)) {
        return QLatin1Char(' ');
    }
    return QChar(value);
}
} // namespace

LcdDisplay::LcdDisplay(QWidget *parent)
    : QWidget(parent), m_backlight(QColor(colours::kBacklightOff)),
      m_border(QColor(colours::kBlue)) {
    installAccessibleFactory();
    setFont(defaultFont());
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

QFont LcdDisplay::defaultFont(qreal pointSize) {
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("Courier New")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // The controller's characters are solid dot matrices; a bold face reads like them at a
    // distance.
    font.setBold(true);
    font.setPointSizeF(pointSize);
    return font;
}

void LcdDisplay::setCells(const Cells &cells) {
    if (cells == m_cells) {
        return;
    }
    const QString before = text();
    m_cells = cells;
    update();
    announceTextChange(before);
}

void LcdDisplay::setCursorCells(const CursorCells &cursor) {
    if (cursor == m_cursor) {
        return;
    }
    m_cursor = cursor;
    update();
    if (QAccessible::isActive()) {
        const auto first = std::find(m_cursor.begin(), m_cursor.end(), true);
        if (first != m_cursor.end()) {
            const int cell = static_cast<int>(first - m_cursor.begin());
            QAccessibleTextCursorEvent event(this,
                                             cell / kColumns * (kColumns + 1) + cell % kColumns);
            QAccessible::updateAccessibility(&event);
        }
    }
}

void LcdDisplay::setBacklight(const QColor &colour) {
    if (colour != m_backlight) {
        m_backlight = colour;
        update();
    }
}

void LcdDisplay::setBorderColour(const QColor &colour) {
    if (colour != m_border) {
        m_border = colour;
        update();
    }
}

void LcdDisplay::setStale(bool stale, const QString &note) {
    const bool noteShown = stale && note != m_staleNote;
    if (stale == m_stale && !noteShown) {
        return;
    }
    m_stale = stale;
    if (stale) {
        m_staleNote = note;
    }
    update();
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

QString LcdDisplay::description() const {
    const QString own = accessibleDescription().isEmpty() ? kDescription : accessibleDescription();
    if (m_stale && !m_staleNote.isEmpty()) {
        return own + QStringLiteral(" (") + m_staleNote + QLatin1Char(')');
    }
    return own;
}

QString LcdDisplay::lineText(int row) const {
    QString line;
    if (row < 0 || row >= kRows) {
        return line;
    }
    line.reserve(kColumns);
    for (int column = 0; column < kColumns; ++column) {
        line.append(shownCharacter(m_cells.at(static_cast<std::size_t>(row) * kColumns +
                                              static_cast<std::size_t>(column))));
    }
    return line;
}

QString LcdDisplay::text() const {
    QStringList lines;
    for (int row = 0; row < kRows; ++row) {
        lines.append(lineText(row));
    }
    return lines.join(QLatin1Char('\n'));
}

QString LcdDisplay::spokenText() const {
    QStringList lines;
    for (int row = 0; row < kRows; ++row) {
        const QString line = lineText(row);
        qsizetype end = line.size();
        while (end > 0 && line.at(end - 1).isSpace()) {
            --end;
        }
        lines.append(line.left(end));
    }
    return lines.join(QLatin1Char('\n'));
}

void LcdDisplay::announceTextChange(const QString &before) {
    const QString after = text();
    if (after == before) {
        return;
    }
    // A changed display is a changed name, value and text for assistive tools: screen readers
    // follow the text events, test tools read the name.
    QAccessibleEvent nameEvent(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameEvent);
    QAccessibleValueChangeEvent valueEvent(this, after);
    QAccessible::updateAccessibility(&valueEvent);
    QAccessibleTextUpdateEvent textEvent(this, 0, before, after);
    QAccessible::updateAccessibility(&textEvent);
}

QSizeF LcdDisplay::baseCellSize() const {
    const QFontMetricsF metrics(font());
    return {metrics.horizontalAdvance(QLatin1Char('M')) * kCellWidthFactor,
            metrics.height() * kCellHeightFactor};
}

QSize LcdDisplay::sizeForCells(const QSizeF &cell) const {
    const qreal border = std::max(kMinimumBorder, cell.height() * kBorderPerCellHeight);
    const qreal width = cell.width() * (kColumns + 2 * kPaddingX) + 2 * border;
    const qreal height = cell.height() * (kRows + 2 * kPaddingY) + 2 * border;
    const QMargins margins = contentsMargins();
    return {static_cast<int>(std::ceil(width)) + margins.left() + margins.right(),
            static_cast<int>(std::ceil(height)) + margins.top() + margins.bottom()};
}

QSize LcdDisplay::minimumSizeHint() const {
    return sizeForCells(baseCellSize());
}

QSize LcdDisplay::sizeHint() const {
    // A little room to grow before the layout has to give more.
    const QSizeF cell = baseCellSize();
    return sizeForCells(QSizeF(cell.width() * 1.15, cell.height() * 1.15));
}

LcdDisplay::Geometry LcdDisplay::layout() const {
    Geometry g;
    const QSizeF base = baseCellSize();
    const QRectF area = contentsRect();
    // Border and padding scale with the cells: solve for the cell size that fills the area in
    // the tighter direction.
    const qreal unitsWide = kColumns + 2 * kPaddingX;
    const qreal unitsHigh = kRows + 2 * kPaddingY;
    const qreal borderShare = 2 * kBorderPerCellHeight;
    const qreal byWidth = area.width() / (base.width() * unitsWide + base.height() * borderShare);
    const qreal byHeight = area.height() / (base.height() * (unitsHigh + borderShare));
    g.scale = std::max<qreal>(0.05, std::min(byWidth, byHeight));
    g.cell = QSizeF(base.width() * g.scale, base.height() * g.scale);
    g.border = std::max(kMinimumBorder, g.cell.height() * kBorderPerCellHeight);

    // The glass fills the widget; the cells sit in its middle.
    g.frame = area.adjusted(g.border / 2, g.border / 2, -g.border / 2, -g.border / 2);
    const QSizeF gridSize(g.cell.width() * kColumns, g.cell.height() * kRows);
    g.grid = QRectF(QPointF(area.center().x() - gridSize.width() / 2,
                            area.center().y() - gridSize.height() / 2),
                    gridSize);
    return g;
}

QRect LcdDisplay::cellRect(int cell) const {
    if (cell < 0 || cell >= kCells) {
        return {};
    }
    const int row = cell / kColumns;
    const int column = cell % kColumns;
    const Geometry g = layout();
    const QRectF r(g.grid.left() + column * g.cell.width(), g.grid.top() + row * g.cell.height(),
                   g.cell.width(), g.cell.height());
    return r.toAlignedRect();
}

QFont LcdDisplay::noteFont(const Geometry &g) const {
    QFont font = scaledFont(g.scale * kNoteFontScale);
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setFixedPitch(false);
    font.setBold(true);
    return font;
}

// A band across the middle of the glass, as wide as the note and a cell on either side.
QRectF LcdDisplay::noteRect(const Geometry &g) const {
    const QFontMetricsF metrics(noteFont(g));
    const qreal width = std::min(g.frame.width() - 2 * g.border,
                                 metrics.horizontalAdvance(m_staleNote) + 2 * g.cell.width());
    const qreal height = metrics.height() + g.cell.height() * 0.45;
    const QPointF centre = g.frame.center();
    return {centre.x() - width / 2, centre.y() - height / 2, width, height};
}

QRect LcdDisplay::staleNoteRect() const {
    if (!m_stale || m_staleNote.isEmpty()) {
        return {};
    }
    return noteRect(layout()).toAlignedRect();
}

QFont LcdDisplay::scaledFont() const {
    return scaledFont(layout().scale);
}

QFont LcdDisplay::scaledFont(qreal scale) const {
    QFont scaled = font();
    if (font().pointSizeF() > 0) {
        scaled.setPointSizeF(font().pointSizeF() * scale);
    } else {
        scaled.setPixelSize(std::max(1, static_cast<int>(std::lround(font().pixelSize() * scale))));
    }
    return scaled;
}

void LcdDisplay::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ContentsRectChange) {
        updateGeometry();
        update();
    }
    QWidget::changeEvent(event);
}

void LcdDisplay::paintEvent(QPaintEvent * /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Geometry g = layout();

    const qreal radius = g.cell.height() * kCornerPerCellHeight;
    const QColor glass = m_stale ? blend(m_backlight, kStaleGlass, kStaleColourKept) : m_backlight;
    painter.setPen(QPen(m_stale ? blend(m_border, kStaleGlass, 0.5) : m_border, g.border));
    painter.setBrush(glass);
    painter.drawRoundedRect(g.frame, radius, radius);

    // Each cell's dot matrix is inset a little so the gaps between characters show.
    const qreal insetX = g.cell.width() * (1 - 1 / kCellWidthFactor);
    const qreal insetY = g.cell.height() * (1 - 1 / kCellHeightFactor);
    const QColor shade = glass.darker(kCellShade);
    QColor ink(Qt::black);
    if (m_stale) {
        ink.setAlpha(kStaleInkAlpha);
    }
    painter.setFont(scaledFont(g.scale));
    painter.setPen(Qt::NoPen);

    for (int cell = 0; cell < kCells; ++cell) {
        const int row = cell / kColumns;
        const int column = cell % kColumns;
        const QRectF box(g.grid.left() + column * g.cell.width() + insetX / 2,
                         g.grid.top() + row * g.cell.height() + insetY / 2, g.cell.width() - insetX,
                         g.cell.height() - insetY);
        const bool cursor = m_cursor[static_cast<std::size_t>(cell)];
        painter.fillRect(box, cursor ? ink : shade);
        const QChar shown = shownCharacter(m_cells[static_cast<std::size_t>(cell)]);
        if (shown != QLatin1Char(' ')) {
            // Under the cursor block the character stays readable in the backlight's colour.
            painter.setPen(cursor ? glass : ink);
            painter.drawText(box, Qt::AlignCenter, QString(shown));
            painter.setPen(Qt::NoPen);
        }
    }

    if (m_stale && !m_staleNote.isEmpty()) {
        const QRectF note = noteRect(g);
        painter.setPen(Qt::NoPen);
        painter.setBrush(kNoteBackground);
        painter.drawRoundedRect(note, note.height() / 4, note.height() / 4);
        painter.setPen(kNoteText);
        painter.setFont(noteFont(g));
        painter.drawText(note, Qt::AlignCenter, m_staleNote);
    }
}

} // namespace aql::ui

#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

#include <array>

namespace aql::ui {

// The controller's 4 x 20 character display. The owner hands it the 80 cells (byte values shown
// as Latin-1, '\0' blank), the cells that carry the cursor block (the owner blinks it) and the
// backlight colour; the display draws them in a fixed-pitch font that grows with the widget.
// Screen readers get the four lines as its accessible name and text, with a change event
// whenever the text changes.
//
// While what it shows may no longer be true (the controller stopped answering), the owner marks
// it stale: the glass and the characters dim and a note stands over them, and the accessible
// description carries the note, until the owner clears the mark.
class LcdDisplay : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 4;
    static constexpr int kColumns = 20;
    static constexpr int kCells = kRows * kColumns;
    using Cells = std::array<char, kCells>;
    using CursorCells = std::array<bool, kCells>;

    explicit LcdDisplay(QWidget *parent = nullptr);

    void setCells(const Cells &cells);
    void setCursorCells(const CursorCells &cursor);
    void setBacklight(const QColor &colour);
    void setBorderColour(const QColor &colour);
    // `note` is what the mark says ("No reply"); it is kept while the mark is cleared.
    void setStale(bool stale, const QString &note = QString());
    bool isStale() const { return m_stale; }
    QString staleNote() const { return m_staleNote; }
    // The default description, and the note after it while stale.
    QString description() const;

    const Cells &cells() const { return m_cells; }
    const CursorCells &cursorCells() const { return m_cursor; }
    QColor backlight() const { return m_backlight; }

    // One line (0-3), exactly 20 characters; blanks and control bytes read as spaces.
    QString lineText(int row) const;
    // The four lines joined by '\n', 20 characters each (what the accessible text interface
    // offers: offset = row * 21 + column).
    QString text() const;
    // The four lines joined by '\n' without their trailing blanks (what a screen reader says).
    QString spokenText() const;

    // Where a cell is drawn at the current size, in widget coordinates.
    QRect cellRect(int cell) const;
    // Where the stale note is drawn; empty while the display is not stale.
    QRect staleNoteRect() const;
    // The font the characters are drawn in at the current size.
    QFont scaledFont() const;

    // A fixed-pitch font large enough to read from a metre away at the given point size.
    static QFont defaultFont(qreal pointSize = kDefaultPointSize);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    static constexpr qreal kDefaultPointSize = 20.0;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Geometry {
        QRectF frame;     // the display glass, inside the border
        QRectF grid;      // the 4 x 20 cells
        QSizeF cell;      // one cell including its gap
        qreal border = 0; // border pen width
        qreal scale = 1;  // drawn size against the minimum
    };
    // Sizes at the widget's own font: the smallest the display is drawn.
    QSizeF baseCellSize() const;
    QSize sizeForCells(const QSizeF &cell) const;
    Geometry layout() const;
    QFont scaledFont(qreal scale) const;
    void announceTextChange(const QString &before);
    QRectF noteRect(const Geometry &g) const;
    QFont noteFont(const Geometry &g) const;

    Cells m_cells{};
    CursorCells m_cursor{};
    QColor m_backlight;
    QColor m_border;
    bool m_stale = false;
    QString m_staleNote;
};

} // namespace aql::ui

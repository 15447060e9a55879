#include "ui/logwindows/RecordTableWindow.h"

#include "ui/logwindows/RecordTableModel.h"

#include <QEvent>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace aql::ui {

namespace {
constexpr int kTwipsPerInch = 1440;
constexpr int kVisibleRows = 20;
} // namespace

RecordTableWindow::RecordTableWindow(shell::RecordTable table, QWidget *parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("recordTableWindow"));
    setWindowTitle(QStringLiteral("Database"));

    m_model = new RecordTableModel(std::move(table), this);
    m_grid = new QTableView(this);
    m_grid->setAccessibleName(QStringLiteral("Database"));
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setAlternatingRowColors(true);
    m_grid->setWordWrap(false);
    m_grid->setCornerButtonEnabled(false);
    m_grid->verticalHeader()->hide();
    // Rows of one height: the view never measures 100,000 rows to place its scroll bar.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->horizontalHeader()->setHighlightSections(false);
    fitColumns();

    // A window without buttons still closes from the keyboard.
    for (const QKeySequence &keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)}) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }

    auto *layout = new QVBoxLayout(this);
    const int margin = fontMetrics().averageCharWidth() * 2;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(m_grid);
}

void RecordTableWindow::setTable(shell::RecordTable table) {
    m_model->setTable(std::move(table));
    fitColumns();
}

void RecordTableWindow::fitColumns() {
    // 1700 twips, unless the font needs more for a whole timestamp.
    const qreal dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    const int twips =
        static_cast<int>(shell::RecordTable::kTimestampColumnTwips * dpi / kTwipsPerInch);
    const int text =
        m_grid->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) +
        m_grid->fontMetrics().averageCharWidth() * 2;
    m_grid->setColumnWidth(0, std::max(twips, text));
    // The read-outs as wide as their title or a five-digit value, whichever is wider.
    const QFontMetrics values = m_grid->fontMetrics();
    const QFontMetrics titles = m_grid->horizontalHeader()->fontMetrics();
    const int padding = values.averageCharWidth() * 2;
    const int number = values.horizontalAdvance(QStringLiteral("-00000"));
    for (int column = 1; column < shell::RecordTable::kColumns; ++column) {
        const QString title = m_model->headerData(column, Qt::Horizontal).toString();
        m_grid->setColumnWidth(column, std::max(titles.horizontalAdvance(title), number) + padding);
    }
}

QSize RecordTableWindow::fullSize() const {
    int width = 0;
    for (int column = 0; column < shell::RecordTable::kColumns; ++column) {
        width += m_grid->columnWidth(column);
    }
    const auto margins = layout() ? layout()->contentsMargins() : QMargins();
    width += margins.left() + margins.right() + m_grid->frameWidth() * 2 +
             m_grid->verticalScrollBar()->sizeHint().width();
    const int height = m_grid->horizontalHeader()->sizeHint().height() +
                       m_grid->verticalHeader()->defaultSectionSize() * kVisibleRows +
                       margins.top() + margins.bottom() + m_grid->frameWidth() * 2;
    return {width, height};
}

QSize RecordTableWindow::sizeHint() const {
    QSize wanted = fullSize();
    if (const QScreen *s = screen()) {
        wanted = wanted.boundedTo(s->availableGeometry().size() * 9 / 10);
    }
    return wanted;
}

void RecordTableWindow::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange) {
        m_grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
        fitColumns();
    }
    QWidget::changeEvent(event);
}

} // namespace aql::ui

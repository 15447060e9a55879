#include "ui/VariablesWindow.h"

#include "core/TextId.h"
#include "ui/Latin1Text.h"
#include "ui/WindowParts.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace aql::ui {

namespace {
using Controller = link::VariablesController;

// The title is the Options menu entry's, the same in every language.
const char *const kTitle = "Variables";
// The busy notice wraps at about this many characters.
constexpr int kNoticeColumns = 48;

constexpr int kColumnsPerTab = 5;          // 25 cells as 5 columns of 5, numbered down each column
constexpr int kValueDigits = 6;            // "-32768"
constexpr int kGridValueWidth = 1700 / 15; // the value column's width of old, in pixels
constexpr int kEditDigits = 8;
constexpr const char *kCellProperty = "variableCell";

enum PanelPage { NoPanelPage, EditPage, BusyPage };
} // namespace

VariablesWindow::VariablesWindow(link::VariablesController &variables, link::TextSource texts,
                                 QWidget *parent)
    : QWidget(parent, Qt::Window), m_variables(variables), m_texts(std::move(texts)) {
    setObjectName(QStringLiteral("variablesWindow"));
    setWindowTitle(QString::fromLatin1(kTitle));

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("blocks"));
    // All eight tabs in view at once: scroll arrows would hide blocks 7 and 8.
    m_tabs->setUsesScrollButtons(false);
    for (int tab = 0; tab < Controller::kTabs; ++tab) {
        m_tabs->addTab(buildTab(tab), QString());
    }
    connect(m_tabs, &QTabWidget::currentChanged, this,
            [this](int tab) { m_variables.selectTab(tab); });

    m_panels = new QStackedWidget;
    m_panels->setObjectName(QStringLiteral("panels"));
    m_panels->addWidget(new QWidget);
    m_panels->addWidget(buildEditPanel());
    m_panels->addWidget(buildBusyNotice());

    m_askedBlock = new QLabel;
    m_askedBlock->setObjectName(QStringLiteral("askedBlock"));
    m_heartbeat = new QRadioButton;
    m_heartbeat->setObjectName(QStringLiteral("pollHeartbeat"));
    // It only blinks with the polls; a click or the keyboard must not change it.
    m_heartbeat->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_heartbeat->setFocusPolicy(Qt::NoFocus);
    auto *status = new QHBoxLayout;
    status->addWidget(m_heartbeat);
    status->addWidget(m_askedBlock);
    status->addStretch(1);

    m_grid = new QTableWidget(Controller::kGridRows, 2);
    m_grid->setObjectName(QStringLiteral("variableGrid"));
    m_grid->setAccessibleName(QString::fromLatin1(kTitle));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    const QColor fixedCells = palette().color(QPalette::Button);
    for (int row = 0; row < Controller::kGridRows; ++row) {
        for (int column = 0; column < 2; ++column) {
            auto *item = new QTableWidgetItem;
            // The first row and column are the grid's fixed headings, drawn as such.
            if (row == 0 || column == 0) {
                item->setBackground(fixedCells);
            }
            if (row == 0) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            if (column == 0) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            m_grid->setItem(row, column, item);
        }
    }
    connect(m_grid, &QTableWidget::cellClicked, this,
            [this](int row, int column) { m_variables.selectGridCell(row, column); });
    connect(m_grid, &QTableWidget::activated, this, [this](const QModelIndex &index) {
        m_variables.selectGridCell(index.row(), index.column());
    });

    auto *left = new QVBoxLayout;
    left->addWidget(m_tabs);
    left->addWidget(m_panels);
    left->addStretch(1);
    left->addLayout(status);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(m_grid);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (m_variables.view().busyNoticeVisible) {
            m_variables.dismissBusyNotice();
        } else if (m_variables.view().editPanelVisible) {
            m_variables.cancelEdit();
        }
    });

    m_subscription = m_variables.subscribe([this] { refresh(); });
    retranslate();

    // The grid's headings decide its first column; the second keeps its width of old.
    m_grid->resizeColumnToContents(0);
    m_grid->setColumnWidth(1, std::max(kGridValueWidth, fontMetrics().averageCharWidth() * 14));
    m_grid->setFixedWidth(m_grid->columnWidth(0) + m_grid->columnWidth(1) +
                          m_grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                          2 * m_grid->frameWidth() + 2);
    resize(sizeHint());
}

VariablesWindow::~VariablesWindow() = default;

QWidget *VariablesWindow::buildTab(int tab) {
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->setHorizontalSpacing(6);
    const int rows = kCellsPerTab / kColumnsPerTab;
    for (int i = 0; i < kCellsPerTab; ++i) {
        const int cell = tab * kCellsPerTab + i;
        const int row = i % rows;
        const int column = 2 * (i / rows);
        auto *value = new QLineEdit;
        value->setObjectName(QStringLiteral("value%1").arg(cell));
        value->setReadOnly(true);
        value->setFocusPolicy(Qt::StrongFocus);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setProperty(kCellProperty, cell);
        value->installEventFilter(this);
        value->setCursor(Qt::PointingHandCursor);
        parts::fitCharacters(value, kValueDigits);
        auto *number = new QLabel;
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number->setBuddy(value);
        number->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00")));
        grid->addWidget(number, row, column);
        grid->addWidget(value, row, column + 1);
        m_numbers[static_cast<std::size_t>(cell)] = number;
        m_values[static_cast<std::size_t>(cell)] = value;
    }
    // Air between the columns of pairs, none inside a pair.
    for (int c = 1; c < kColumnsPerTab; ++c) {
        grid->setColumnMinimumWidth(2 * c, fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    }
    grid->setColumnStretch(2 * kColumnsPerTab, 1);
    grid->setRowStretch(rows, 1);
    return page;
}

QWidget *VariablesWindow::buildEditPanel() {
    m_editPanel = new QFrame;
    m_editPanel->setObjectName(QStringLiteral("editPanel"));
    m_editPanel->setFrameShape(QFrame::StyledPanel);
    m_editVariable = new QLabel;
    m_editVariable->setObjectName(QStringLiteral("editVariable"));
    m_editCurrent = new QLabel;
    m_editCurrent->setObjectName(QStringLiteral("editCurrent"));
    m_editBox = new QLineEdit;
    m_editBox->setObjectName(QStringLiteral("editBox"));
    m_editBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    parts::fitCharacters(m_editBox, kEditDigits);
    m_editVariable->setBuddy(m_editBox);
    connect(m_editBox, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_variables.setEditText(toLatin1(text)); });
    connect(m_editBox, &QLineEdit::returnPressed, this, [this] { m_variables.confirmEdit(); });

    auto *labels = new QVBoxLayout;
    labels->addWidget(m_editVariable);
    labels->addWidget(m_editCurrent);
    auto *layout = new QHBoxLayout(m_editPanel);
    layout->addLayout(labels);
    layout->addSpacing(12);
    layout->addWidget(m_editBox);
    layout->addStretch(1);
    return m_editPanel;
}

QWidget *VariablesWindow::buildBusyNotice() {
    m_busyNotice = new QFrame;
    m_busyNotice->setObjectName(QStringLiteral("busyNotice"));
    m_busyNotice->setFrameShape(QFrame::StyledPanel);
    m_busyText = new QLabel;
    m_busyText->setObjectName(QStringLiteral("busyText"));
    m_busyText->setWordWrap(true);
    m_busyText->setMinimumWidth(fontMetrics().averageCharWidth() * kNoticeColumns);
    m_busyOk = new QPushButton;
    m_busyOk->setObjectName(QStringLiteral("busyOk"));
    m_busyOk->setAutoDefault(true); // Enter presses it, as in a message box
    connect(m_busyOk, &QPushButton::clicked, this, [this] { m_variables.dismissBusyNotice(); });
    auto *layout = new QHBoxLayout(m_busyNotice);
    layout->addWidget(m_busyText, 1);
    layout->addWidget(m_busyOk, 0, Qt::AlignBottom);
    return m_busyNotice;
}

void VariablesWindow::retranslate() {
    const QString notice = fromLatin1(m_texts(TextId::VariableChangePending));
    parts::setText(m_busyText, notice);
    m_busyNotice->setAccessibleName(notice);
    parts::setCaption(m_busyOk, fromLatin1(m_texts(TextId::Ok)));
    const QString asked = fromLatin1(m_texts(TextId::AskedBlockName));
    parts::setAccessibleName(m_askedBlock, asked);
    m_askedBlock->setToolTip(asked);
    const QString poll = fromLatin1(m_texts(TextId::PollHeartbeatName));
    parts::setAccessibleName(m_heartbeat, poll);
    m_heartbeat->setToolTip(poll);
    refresh();
}

void VariablesWindow::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QWidget::changeEvent(event);
}

void VariablesWindow::refresh() {
    const Controller::View &view = m_variables.view();

    for (int tab = 0; tab < Controller::kTabs; ++tab) {
        const QString caption = fromLatin1(view.tabCaptions[static_cast<std::size_t>(tab)]);
        if (m_tabs->tabText(tab) != caption) {
            m_tabs->setTabText(tab, caption);
        }
    }
    if (m_tabs->currentIndex() != view.selectedTab) {
        const QSignalBlocker quiet(m_tabs);
        m_tabs->setCurrentIndex(view.selectedTab);
    }
    for (std::size_t cell = 0; cell < static_cast<std::size_t>(kCells); ++cell) {
        const QString number = fromLatin1(view.cellLabels[cell]);
        parts::setText(m_numbers[cell], number);
        parts::setText(m_values[cell], fromLatin1(view.cellValues[cell]));
        // Until the first poll the labels are empty; the box still needs a name to be found by.
        const int block = static_cast<int>(cell) / kCellsPerTab + 1;
        const int variable = static_cast<int>(cell) % kCellsPerTab + 1;
        parts::setAccessibleName(m_values[cell],
                                 fromLatin1(view.tabCaptions[static_cast<std::size_t>(block - 1)]) +
                                     QLatin1Char(' ') + QString::number(variable));
    }
    for (int row = 0; row < Controller::kGridRows; ++row) {
        for (int column = 0; column < 2; ++column) {
            const QString text = fromLatin1(
                view.grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]);
            QTableWidgetItem *item = m_grid->item(row, column);
            if (item->text() != text) {
                item->setText(text);
            }
        }
    }

    parts::setText(m_editVariable, fromLatin1(view.editVariableText));
    parts::setText(m_editCurrent, fromLatin1(view.editCurrentText));
    parts::setText(m_editBox, fromLatin1(view.editText));
    parts::setAccessibleName(m_editBox, fromLatin1(view.editVariableText));

    // The notice answers a click while a write is pending; it covers an open edit panel until
    // it is dismissed, as it always did.
    const int page = view.busyNoticeVisible  ? BusyPage
                     : view.editPanelVisible ? EditPage
                                             : NoPanelPage;
    const bool editOpened = page == EditPage && m_panels->currentIndex() != EditPage;
    const bool busyOpened = page == BusyPage && m_panels->currentIndex() != BusyPage;
    m_panels->setCurrentIndex(page);

    parts::setText(m_askedBlock, fromLatin1(view.askedBlockText));
    if (m_heartbeat->isChecked() != view.pollHeartbeat) {
        m_heartbeat->setChecked(view.pollHeartbeat);
    }
    applyFocus(editOpened, busyOpened);
}

void VariablesWindow::applyFocus(bool editOpened, bool busyOpened) {
    // Focus moves when the controller asks for it anew, never on a refresh that only brings
    // new values: the operator may be tabbing through the cells meanwhile.
    const Controller::Focus wanted = m_variables.view().focus;
    if (wanted == m_appliedFocus && !editOpened && !busyOpened) {
        return;
    }
    m_appliedFocus = wanted;
    if (busyOpened || (wanted == Controller::Focus::BusyOk && m_busyNotice->isVisible())) {
        m_busyOk->setFocus(Qt::OtherFocusReason);
    } else if (wanted == Controller::Focus::EditBox && m_editPanel->isVisible()) {
        m_editBox->setFocus(Qt::OtherFocusReason);
        m_editBox->selectAll();
    }
}

bool VariablesWindow::eventFilter(QObject *watched, QEvent *event) {
    const QVariant cell = watched->property(kCellProperty);
    if (cell.isValid()) {
        bool chosen = false;
        if (event->type() == QEvent::MouseButtonPress) {
            chosen = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::KeyPress) {
            switch (static_cast<QKeyEvent *>(event)->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Space:
            case Qt::Key_F2: chosen = true; break;
            default: break;
            }
        }
        if (chosen) {
            m_variables.selectCell(cell.toInt());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void VariablesWindow::closeEvent(QCloseEvent *event) {
    m_subscription.reset();
    QWidget::closeEvent(event);
    emit closed();
}

} // namespace aql::ui

#pragma once

#include "core/Observers.h"
#include "link/VariablesController.h"

#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class QTableWidget;

namespace aql::ui {

// The controller's settings variables: eight tabs of 25 values, the numbered grid, the panel
// where a new value is typed (Enter writes it, Escape cancels) and the notice that a write is
// still being carried out. The refresh timer and every rule live in the controller; the window
// draws its view and forwards clicks and keys. Closing the window ends its binding and emits
// closed(): the owner then destroys the window and unloads the controller, whose state is lost
// as the window's always was. The controller must outlive the window's binding.
class VariablesWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCells = link::VariablesController::kCellsShown;
    static constexpr int kCellsPerTab = link::VariablesController::kCellsPerTab;

    VariablesWindow(link::VariablesController &variables, link::TextSource texts,
                    QWidget *parent = nullptr);
    ~VariablesWindow() override;

    // The language changed: the notices and names take the new texts, the view is drawn again.
    // A LanguageChange event does the same.
    void retranslate();

    // The value box and number label of cell 0-199 (block (cell / 25) + 1), for tests and tools.
    QLineEdit *valueCell(int cell) const { return m_values[static_cast<std::size_t>(cell)]; }
    QLabel *numberLabel(int cell) const { return m_numbers[static_cast<std::size_t>(cell)]; }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildTab(int tab);
    QWidget *buildEditPanel();
    QWidget *buildBusyNotice();
    void refresh();
    void applyFocus(bool editOpened, bool busyOpened);

    link::VariablesController &m_variables;
    link::TextSource m_texts;
    Subscription m_subscription;
    link::VariablesController::Focus m_appliedFocus = link::VariablesController::Focus::None;

    QTabWidget *m_tabs = nullptr;
    std::array<QLabel *, kCells> m_numbers{};
    std::array<QLineEdit *, kCells> m_values{};
    QTableWidget *m_grid = nullptr;
    QStackedWidget *m_panels = nullptr; // the edit panel, the busy notice or neither
    QFrame *m_editPanel = nullptr;
    QLabel *m_editVariable = nullptr;
    QLabel *m_editCurrent = nullptr;
    QLineEdit *m_editBox = nullptr;
    QFrame *m_busyNotice = nullptr;
    QLabel *m_busyText = nullptr;
    QPushButton *m_busyOk = nullptr;
    QLabel *m_askedBlock = nullptr;
    QRadioButton *m_heartbeat = nullptr;
};

} // namespace aql::ui

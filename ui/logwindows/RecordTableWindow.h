#pragma once

#include "shell/RecordTable.h"

#include <QWidget>

class QTableView;

namespace aql::ui {

class RecordTableModel;

// The record table window ("Database"): the records of a pool as they stood when it was opened,
// one row each, in a grid that fills the window. Not modal.
class RecordTableWindow : public QWidget {
    Q_OBJECT
public:
    explicit RecordTableWindow(shell::RecordTable table, QWidget *parent = nullptr);

    // Shows another copy (the window opened again).
    void setTable(shell::RecordTable table);

    QTableView *grid() const { return m_grid; }
    RecordTableModel *model() const { return m_model; }

    // Every column and twenty rows; the size hint is that, as far as the screen allows.
    QSize fullSize() const;
    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void fitColumns();

    QTableView *m_grid = nullptr;
    RecordTableModel *m_model = nullptr;
};

} // namespace aql::ui

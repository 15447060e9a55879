#pragma once

#include "shell/RecordTable.h"

#include <QAbstractTableModel>

namespace aql::ui {

// The record table as a read-only Qt model. Cell texts are made when the view asks for them, so
// a table of 100,000 records opens at once.
class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordTableModel(shell::RecordTable table, QObject *parent = nullptr);

    void setTable(shell::RecordTable table);
    const shell::RecordTable &table() const { return m_table; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    shell::RecordTable m_table;
};

} // namespace aql::ui

#include "ui/logwindows/RecordTableModel.h"

#include "ui/Latin1Text.h"

#include <limits>

namespace aql::ui {

RecordTableModel::RecordTableModel(shell::RecordTable table, QObject *parent)
    : QAbstractTableModel(parent), m_table(std::move(table)) {}

void RecordTableModel::setTable(shell::RecordTable table) {
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

int RecordTableModel::rowCount(const QModelIndex &parent) const {
    if (parent.isValid()) {
        return 0;
    }
    // A pool holds far fewer records than a view can count; the bound only keeps the cast honest.
    constexpr auto kMaxRows = static_cast<std::size_t>(std::numeric_limits<int>::max());
    return static_cast<int>(std::min(m_table.rowCount(), kMaxRows));
}

int RecordTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : shell::RecordTable::kColumns;
}

QVariant RecordTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return fromLatin1(m_table.cell(static_cast<std::size_t>(index.row()), index.column()));
    case Qt::TextAlignmentRole:
        // Read-outs line up on their last digit; the timestamp reads from the left.
        return index.column() == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= shell::RecordTable::kColumns) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const char *title = shell::RecordTable::columnTitles()[static_cast<std::size_t>(section)];
    switch (role) {
    case Qt::DisplayRole: return QString::fromLatin1(title);
    case Qt::AccessibleTextRole:
        // The timestamp column has no title on screen; a screen reader still needs one.
        return section == 0 ? QStringLiteral("Date / Time") : QString::fromLatin1(title);
    default: return {};
    }
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace aql::ui

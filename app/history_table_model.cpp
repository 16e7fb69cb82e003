#include "app/history_table_model.h"

namespace arrange5 {

void HistoryTableModel::setRows(HistorySnapshot rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 6;
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    const HistoryRow& row = rows_[static_cast<std::size_t>(index.row())];
    if (index.column() == 0) return QString::number(row.issue);
    return QString::number(row.digits()[static_cast<std::size_t>(index.column() - 1)]);
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == 0) return QStringLiteral("期号");
    return QStringLiteral("第%1位").arg(section);
}

}  // namespace arrange5

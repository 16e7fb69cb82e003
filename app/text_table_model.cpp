#include "app/text_table_model.h"

namespace arrange5 {

TextTableModel::TextTableModel(QStringList header, QObject* parent)
    : QAbstractTableModel(parent), header_(std::move(header)) {}

void TextTableModel::setHeader(QStringList header) {
    if (header == header_) return;
    header_ = std::move(header);
    emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(header_.size()) - 1);
}

void TextTableModel::setRows(std::vector<QStringList> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int TextTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TextTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(header_.size());
}

QVariant TextTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    const QStringList& row = rows_[static_cast<std::size_t>(index.row())];
    return index.column() < row.size() ? row[index.column()] : QString();
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section < header_.size() ? header_[section] : QVariant();
}

}  // namespace arrange5

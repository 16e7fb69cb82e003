#include "app/text_table_model.h"

#include <QColor>

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
    marked_.clear();
    endResetModel();
}

void TextTableModel::setMarked(std::vector<bool> marked) {
    marked_ = std::move(marked);
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

bool TextTableModel::marked(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < marked_.size() &&
           marked_[static_cast<std::size_t>(row)];
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
    if (role == Qt::BackgroundRole && marked(index.row())) return QColor(255, 226, 150);
    if (role != Qt::DisplayRole) return {};
    const QStringList& row = rows_[static_cast<std::size_t>(index.row())];
    return index.column() < row.size() ? row[index.column()] : QString();
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section < header_.size() ? header_[section] : QVariant();
}

}  // namespace arrange5

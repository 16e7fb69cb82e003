#include "app/trend_model.h"

namespace arrange5 {

namespace {

const char* const kFooterCaptions[TrendModel::kFooterRows] = {"出现次数", "期望次数", "当前遗漏",
                                                              "最大遗漏", "平均遗漏"};

QString decimal(double value) {
    return QString::number(value, 'f', 1);
}

}  // namespace

TrendModel::TrendModel(QObject* parent) : QAbstractTableModel(parent) {
    for (int g = 0; g < kTrendGroupCount; ++g) {
        const auto group = static_cast<TrendGroup>(g);
        for (int v = 0; v < trendValueCount(group); ++v) columns_.emplace_back(group, v);
    }
}

void TrendModel::setHistory(const HistorySnapshot& rows, std::optional<int> window) {
    beginResetModel();
    table_.reset();
    cells_.clear();
    if (!rows.empty()) {
        table_ = std::make_unique<TrendTable>(rows, window);
        for (const auto& [group, value] : columns_) cells_.push_back(table_->cell(group, value));
    }
    endResetModel();
}

int TrendModel::columnOf(TrendGroup group, int valueIndex) const {
    for (int c = 0; c < static_cast<int>(columns_.size()); ++c) {
        if (columns_[c] == std::pair(group, valueIndex)) return c;
    }
    return -1;
}

int TrendModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !table_ ? 0 : table_->window() + kFooterRows;
}

int TrendModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TrendModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !table_) return {};
    if (role == GroupRole) return static_cast<int>(columns_[index.column()].first);
    const int draws = table_->window();
    if (index.row() < draws) return drawCell(index.row(), index.column(), role);
    return footerCell(index.row() - draws, index.column(), role);
}

QVariant TrendModel::drawCell(int row, int column, int role) const {
    const auto [group, value] = columns_[column];
    const bool drawn = table_->value(row, group) == value;
    if (role == DrawnRole) return drawn;
    if (role != Qt::DisplayRole) return {};
    if (drawn) return QString::fromStdString(trendValueLabel(group, value));
    return table_->omission(row, group, value);
}

QVariant TrendModel::footerCell(int footer, int column, int role) const {
    const TrendCell& cell = cells_[column];
    const auto group = columns_[column].first;
    if (role == Qt::ToolTipRole && static_cast<int>(group) < kTrendPositionCount) {
        return QStringLiteral(
                   "当前遗漏 %1 期：公平随机的开奖让一个数字在一个位置上缺席至少这么久的机会是 %2 "
                   "%")
            .arg(cell.current)
            .arg(QString::number(cell.pCurrent * 100, 'g', 3));
    }
    if (role == Qt::ToolTipRole && footer == 1) {
        return QStringLiteral("出现次数的 95 % 区间：%1–%2 次")
            .arg(decimal(cell.low * table_->window()), decimal(cell.high * table_->window()));
    }
    if (role != Qt::DisplayRole) return {};
    switch (footer) {
        case 0:
            return cell.count;
        case 1:
            return decimal(cell.expected);
        case 2:
            return cell.current;
        case 3:
            return cell.max;
        default:
            return decimal(cell.average);
    }
}

QVariant TrendModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role != Qt::DisplayRole || !table_) return {};
        if (section < table_->window()) return table_->issue(section);
        return QString::fromUtf8(kFooterCaptions[section - table_->window()]);
    }
    if (section < 0 || section >= static_cast<int>(columns_.size())) return {};
    const auto [group, value] = columns_[section];
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(trendGroupCaption(group) + "\n" +
                                      trendValueLabel(group, value));
    }
    if (role == Qt::ToolTipRole && group == TrendGroup::Prime) {
        return QStringLiteral("质数：2、3、5、7；0 和 1 既非质数也非合数，这里按合数计");
    }
    return {};
}

}  // namespace arrange5

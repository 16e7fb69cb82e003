#pragma once

#include <QAbstractTableModel>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "analysis/trend.h"

namespace arrange5 {

// The trend chart as a table: one row per draw of the window, then the footer rows; one column
// per value of each group (the five positions' digits, then the indicators). Cells are computed
// when the view asks for them, so a long history costs no more than the rows it shows.
class TrendModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Role {
        DrawnRole = Qt::UserRole,  // bool: the value came in this row's draw
        GroupRole,                 // int: the column's group
    };
    static constexpr int kFooterRows = 5;  // 出现次数 期望次数 当前遗漏 最大遗漏 平均遗漏

    explicit TrendModel(QObject* parent = nullptr);

    // Rebuilds the chart over the last `window` draws (none: all); an empty history empties it.
    void setHistory(const HistorySnapshot& rows, std::optional<int> window);
    const TrendTable* table() const { return table_.get(); }
    int drawRows() const { return table_ ? table_->window() : 0; }
    // The column of a group's value; -1 for none.
    int columnOf(TrendGroup group, int valueIndex) const;
    std::pair<TrendGroup, int> columnValue(int column) const { return columns_[column]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QVariant drawCell(int row, int column, int role) const;
    QVariant footerCell(int footer, int column, int role) const;

    std::vector<std::pair<TrendGroup, int>> columns_;
    std::unique_ptr<TrendTable> table_;
    std::vector<TrendCell> cells_;  // per column, over the window
};

}  // namespace arrange5

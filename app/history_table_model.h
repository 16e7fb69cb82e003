#pragma once

#include <QAbstractTableModel>

#include "store/history_row.h"

namespace arrange5 {

// The history grid: "期号" and "第1位".."第5位", one row per draw. Cells are produced on
// demand, so a history of any length shows at once.
class HistoryTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(HistorySnapshot rows);
    const HistorySnapshot& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    HistorySnapshot rows_;
};

}  // namespace arrange5

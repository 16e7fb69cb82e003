#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace arrange5 {

// A grid of ready-made texts under a header row: the hits and the tally.
class TextTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit TextTableModel(QStringList header, QObject* parent = nullptr);

    void setHeader(QStringList header);
    void setRows(std::vector<QStringList> rows);
    const std::vector<QStringList>& rows() const { return rows_; }
    // Rows drawn highlighted (the outcome the verified issue gave); cleared by setRows.
    void setMarked(std::vector<bool> marked);
    bool marked(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QStringList header_;
    std::vector<QStringList> rows_;
    std::vector<bool> marked_;
};

}  // namespace arrange5

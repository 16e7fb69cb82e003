#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/trend.h"

namespace arrange5 {

// The zone groups the user shows or hides together, in the chart's order.
enum class TrendZone : int {
    Digits,       // 万位 … 个位
    Contains,     // 号码分布
    Sum,          // 和值
    Span,         // 跨度
    SumTail,      // 和尾
    Ratios,       // 大小比 奇偶比 质合比 012路比
    Form,         // 形态
    Repeat,       // 重号
    Consecutive,  // 连号
    PerPosition,  // 各位大小、单双、012路
    Front3,       // 排列三
    Back2,        // 后二
};
inline constexpr int kTrendZoneCount = 12;
QString trendZoneName(TrendZone zone);
// The zone's name in the settings ("digits", "front3", …).
QString trendZoneKey(TrendZone zone);

// One column of the chart.
struct TrendColumn {
    enum class Kind {
        Issue,  // 期号; the footer rows' captions
        Draw,   // 开奖号码
        Cell,   // one value of a group: drawn, or its omission
        Point,  // a group's value as a point on a scale (和值, 跨度 …)
    };
    Kind kind = Kind::Cell;
    TrendGroup group = TrendGroup::Position1;
    int value = 0;
    TrendZone zone = TrendZone::Digits;
    int headerFirst = 0;  // the columns sharing this column's upper header
    int headerLast = 0;
};

// The trend chart as a table: one row per draw of the window, then the footer rows. Cells are
// computed when the view asks for them, so a long history costs no more than the rows shown.
class TrendModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Role {
        DrawnRole = Qt::UserRole,  // bool: the cell's value came in this row's draw
        GroupRole,                 // int: the column's group (its colour)
        KindRole,                  // int: TrendColumn::Kind
        PointRole,                 // double 0..1: where a Point column's value lies on its scale
        CaptionRole,               // QString: the upper header over the column's group
        DistributionRole,          // QVariantList of double: a Point footer's bars, 0..1
    };
    static constexpr int kFooterRows = 5;  // 出现次数 期望次数 当前遗漏 最大遗漏 平均遗漏

    explicit TrendModel(QObject* parent = nullptr);

    // Rebuilds the chart over the last `window` draws (none: all); an empty history empties it.
    // Throws what TrendTable throws, leaving the chart empty.
    void setHistory(const HistorySnapshot& rows, std::optional<int> window);
    const TrendTable* table() const { return table_.get(); }
    int drawRows() const { return table_ ? table_->window() : 0; }
    const TrendColumn& column(int c) const { return columns_[c]; }
    const std::vector<TrendColumn>& columns() const { return columns_; }
    // The column of a group's value (Point columns: any value); -1 for none.
    int columnOf(TrendGroup group, int valueIndex = 0) const;
    // The texts the column may show, the widest among them: its width follows them.
    QStringList widthSamples(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QVariant drawCell(int row, const TrendColumn& column, int role) const;
    QVariant footerCell(int footer, int c, int role) const;
    QString footerText(int footer, const TrendCell& cell) const;

    std::vector<TrendColumn> columns_;
    std::unique_ptr<TrendTable> table_;
    std::vector<std::vector<TrendCell>> cells_;  // per column, per value (one for Cell columns)
};

}  // namespace arrange5

#include "app/trend_model.h"

#include <algorithm>

namespace arrange5 {

namespace {

const char* const kFooterCaptions[TrendModel::kFooterRows] = {"出现次数", "期望次数", "当前遗漏",
                                                              "最大遗漏", "平均遗漏"};

QString decimal(double value) {
    return QString::number(value, 'f', 1);
}

QString percent(double share) {
    return QString::number(share * 100, 'g', 3) + QStringLiteral(" %");
}

QString label(TrendGroup group, int value) {
    return QString::fromStdString(trendValueLabel(group, value));
}

}  // namespace

QString trendZoneName(TrendZone zone) {
    static const char* const names[kTrendZoneCount] = {
        "各位号码", "号码分布",          "和值",   "跨度", "和尾", "比值", "形态", "重号",
        "连号",     "各位大小单双012路", "排列三", "后二"};
    return QString::fromUtf8(names[static_cast<int>(zone)]);
}

QString trendZoneKey(TrendZone zone) {
    static const char* const keys[kTrendZoneCount] = {
        "digits", "contains", "sum",         "span",         "sum_tail", "ratios",
        "form",   "repeat",   "consecutive", "per_position", "front3",   "back2"};
    return QString::fromLatin1(keys[static_cast<int>(zone)]);
}

TrendModel::TrendModel(QObject* parent) : QAbstractTableModel(parent) {
    auto single = [this](TrendColumn::Kind kind, TrendGroup group, TrendZone zone) {
        const int at = static_cast<int>(columns_.size());
        columns_.push_back({kind, group, 0, zone, at, at});
    };
    auto cells = [this](TrendGroup group, TrendZone zone) {
        const int first = static_cast<int>(columns_.size());
        const int last = first + trendValueCount(group) - 1;
        for (int v = 0; v < trendValueCount(group); ++v) {
            columns_.push_back({TrendColumn::Kind::Cell, group, v, zone, first, last});
        }
    };
    using Kind = TrendColumn::Kind;
    single(Kind::Issue, TrendGroup::Position1, TrendZone::Digits);
    single(Kind::Draw, TrendGroup::Position1, TrendZone::Digits);
    for (int p = 0; p < kTrendPositionCount; ++p) cells(trendGroup(p), TrendZone::Digits);
    cells(TrendGroup::Contains, TrendZone::Contains);
    single(Kind::Point, TrendGroup::Sum, TrendZone::Sum);
    single(Kind::Point, TrendGroup::Span, TrendZone::Span);
    cells(TrendGroup::SumTail, TrendZone::SumTail);
    for (const TrendGroup g :
         {TrendGroup::Big, TrendGroup::Odd, TrendGroup::Prime, TrendGroup::Mod3}) {
        cells(g, TrendZone::Ratios);
    }
    cells(TrendGroup::Form, TrendZone::Form);
    cells(TrendGroup::Repeat, TrendZone::Repeat);
    cells(TrendGroup::Consecutive, TrendZone::Consecutive);
    for (int p = 0; p < kTrendPositionCount; ++p) {
        for (const TrendGroup first :
             {TrendGroup::Pos1Big, TrendGroup::Pos1Odd, TrendGroup::Pos1Road}) {
            cells(trendGroup(groupIndex(first) + p), TrendZone::PerPosition);
        }
    }
    single(Kind::Point, TrendGroup::Front3Sum, TrendZone::Front3);
    cells(TrendGroup::Front3Span, TrendZone::Front3);
    cells(TrendGroup::Front3Form, TrendZone::Front3);
    single(Kind::Point, TrendGroup::Back2Sum, TrendZone::Back2);
    cells(TrendGroup::Back2Span, TrendZone::Back2);
}

void TrendModel::setHistory(const HistorySnapshot& rows, std::optional<int> window) {
    beginResetModel();
    table_.reset();
    cells_.clear();
    try {
        if (!rows.empty()) {
            auto table = std::make_unique<TrendTable>(rows, window);
            for (const TrendColumn& c : columns_) {
                std::vector<TrendCell> values;
                if (c.kind == TrendColumn::Kind::Cell)
                    values.push_back(table->cell(c.group, c.value));
                if (c.kind == TrendColumn::Kind::Point) {
                    for (int v = 0; v < trendValueCount(c.group); ++v) {
                        values.push_back(table->cell(c.group, v));
                    }
                }
                cells_.push_back(std::move(values));
            }
            table_ = std::move(table);
        }
    } catch (...) {
        cells_.clear();
        endResetModel();
        throw;
    }
    endResetModel();
}

int TrendModel::columnOf(TrendGroup group, int valueIndex) const {
    for (int c = 0; c < static_cast<int>(columns_.size()); ++c) {
        const TrendColumn& column = columns_[c];
        if (column.group != group) continue;
        if (column.kind == TrendColumn::Kind::Point) return c;
        if (column.kind == TrendColumn::Kind::Cell && column.value == valueIndex) return c;
    }
    return -1;
}

QStringList TrendModel::widthSamples(int c) const {
    const TrendColumn& column = columns_[c];
    QStringList samples;
    switch (column.kind) {
        case TrendColumn::Kind::Issue:
            for (const char* caption : kFooterCaptions) samples << QString::fromUtf8(caption);
            if (table_) samples << QString::number(table_->issue(table_->window() - 1));
            break;
        case TrendColumn::Kind::Draw:
            samples << QStringLiteral("88888");
            break;
        case TrendColumn::Kind::Point:
            samples << label(column.group, trendValueCount(column.group) - 1);
            break;
        case TrendColumn::Kind::Cell:
            samples << label(column.group, column.value);
            if (table_) {
                const TrendCell& cell = cells_[c].front();
                for (int footer = 0; footer < kFooterRows; ++footer) {
                    samples << footerText(footer, cell);
                }
            }
            break;
    }
    return samples;
}

int TrendModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !table_ ? 0 : table_->window() + kFooterRows;
}

int TrendModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TrendModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !table_) return {};
    const TrendColumn& column = columns_[index.column()];
    if (role == GroupRole) return groupIndex(column.group);
    if (role == KindRole) return static_cast<int>(column.kind);
    const int draws = table_->window();
    if (index.row() < draws) return drawCell(index.row(), column, role);
    return footerCell(index.row() - draws, index.column(), role);
}

QVariant TrendModel::drawCell(int row, const TrendColumn& column, int role) const {
    const TrendGroup group = column.group;
    switch (column.kind) {
        case TrendColumn::Kind::Issue:
            return role == Qt::DisplayRole ? QVariant(table_->issue(row)) : QVariant();
        case TrendColumn::Kind::Draw:
            if (role != Qt::DisplayRole) return {};
            return QString::fromStdString(digitString(table_->digits(row)));
        case TrendColumn::Kind::Point: {
            const int value = table_->value(row, group);
            if (role == Qt::DisplayRole) return label(group, value);
            if (role == PointRole) return double(value) / (trendValueCount(group) - 1);
            return {};
        }
        case TrendColumn::Kind::Cell:
            break;
    }
    const bool drawn = table_->shows(row, group, column.value);
    if (role == DrawnRole) return drawn;
    if (role == Qt::ToolTipRole && group == TrendGroup::Repeat &&
        table_->value(row, group) == kNoTrendValue) {
        return QStringLiteral("历史的第一期之前没有开奖，没有重号");
    }
    if (role != Qt::DisplayRole) return {};
    if (drawn) return label(group, column.value);
    return table_->omission(row, group, column.value);
}

QString TrendModel::footerText(int footer, const TrendCell& cell) const {
    switch (footer) {
        case 0:
            return QString::number(cell.count);
        case 1:
            return decimal(cell.expected);
        case 2:
            return QString::number(cell.current);
        case 3:
            return QString::number(cell.max);
        default:
            return decimal(cell.average);
    }
}

QVariant TrendModel::footerCell(int footer, int c, int role) const {
    const TrendColumn& column = columns_[c];
    if (column.kind == TrendColumn::Kind::Issue) {
        return role == Qt::DisplayRole ? QString::fromUtf8(kFooterCaptions[footer]) : QVariant();
    }
    const std::vector<TrendCell>& cells = cells_[c];
    if (column.kind == TrendColumn::Kind::Point) {
        if (role == DistributionRole && footer <= 1) {
            // Counts and expected counts share one scale, so the two rows compare by eye.
            double top = 0;
            for (const TrendCell& cell : cells)
                top = std::max({top, double(cell.count), cell.expected});
            QVariantList bars;
            for (const TrendCell& cell : cells) {
                bars << (top > 0 ? (footer == 0 ? cell.count : cell.expected) / top : 0.0);
            }
            return bars;
        }
        if (role != Qt::ToolTipRole) return {};
        QStringList lines{QStringLiteral("%1：值 次数（期望）当前遗漏")
                              .arg(QString::fromStdString(trendGroupCaption(column.group)))};
        for (int v = 0; v < static_cast<int>(cells.size()); ++v) {
            lines << QStringLiteral("%1：%2（%3）%4")
                         .arg(label(column.group, v), QString::number(cells[v].count),
                              decimal(cells[v].expected), QString::number(cells[v].current));
        }
        return lines.join('\n');
    }
    if (column.kind != TrendColumn::Kind::Cell) return {};
    const TrendCell& cell = cells.front();
    if (role == Qt::ToolTipRole) {
        return QStringLiteral(
                   "%1 %2：每期出现的机会 %3；出现次数的 95 % 区间 %4–%5 次。\n"
                   "当前遗漏 %6 期（按全部历史计）：公平随机的开奖让它缺席至少这么久的机会是 %7。")
            .arg(QString::fromStdString(trendGroupCaption(column.group)),
                 label(column.group, column.value), percent(cell.chance),
                 decimal(cell.low * table_->window()), decimal(cell.high * table_->window()))
            .arg(cell.current)
            .arg(percent(cell.pCurrent));
    }
    if (role != Qt::DisplayRole) return {};
    return footerText(footer, cell);
}

QVariant TrendModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical || section < 0 ||
        section >= static_cast<int>(columns_.size())) {
        return {};
    }
    const TrendColumn& column = columns_[section];
    const QString caption = column.kind == TrendColumn::Kind::Issue ? QStringLiteral("期号")
                            : column.kind == TrendColumn::Kind::Draw
                                ? QStringLiteral("开奖号码")
                                : QString::fromStdString(trendGroupCaption(column.group));
    if (role == CaptionRole) return caption;
    if (role == Qt::DisplayRole) {
        return column.kind == TrendColumn::Kind::Cell ? label(column.group, column.value) : caption;
    }
    if (role == Qt::ToolTipRole && column.group == TrendGroup::Prime) {
        return QStringLiteral("质数：2、3、5、7；0 和 1 既非质数也非合数，这里按合数计");
    }
    if (role == Qt::ToolTipRole && column.kind == TrendColumn::Kind::Cell) {
        return QStringLiteral("%1 %2：每期出现的机会 %3")
            .arg(caption, label(column.group, column.value),
                 percent(trendChances(column.group)[column.value]));
    }
    return {};
}

}  // namespace arrange5

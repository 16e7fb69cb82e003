#include "app/trend_view.h"

#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

#include "app/trend_model.h"

namespace arrange5 {

namespace {

const QColor kPositionColours[kTrendPositionCount] = {QColor(200, 40, 40), QColor(30, 110, 200),
                                                      QColor(200, 120, 0), QColor(40, 150, 60),
                                                      QColor(140, 60, 170)};

QColor groupColour(TrendGroup group) {
    const int g = groupIndex(group);
    if (g < kTrendPositionCount) return kPositionColours[g];
    if (g >= groupIndex(TrendGroup::Pos1Big)) {
        return kPositionColours[(g - groupIndex(TrendGroup::Pos1Big)) % kTrendPositionCount];
    }
    switch (group) {
        case TrendGroup::Contains:
            return QColor(0, 128, 128);
        case TrendGroup::Sum:
        case TrendGroup::Span:
        case TrendGroup::SumTail:
            return QColor(190, 30, 90);
        case TrendGroup::Front3Sum:
        case TrendGroup::Front3Span:
        case TrendGroup::Front3Form:
            return QColor(150, 90, 20);
        case TrendGroup::Back2Sum:
        case TrendGroup::Back2Span:
            return QColor(20, 120, 110);
        default:
            return QColor(70, 80, 130);
    }
}

// The pixels per step of a Point column's scale: wide enough that neighbouring values part.
int pointStep(TrendGroup group) {
    return trendValueCount(group) > 20 ? 6 : 12;
}

QPointF pointAt(const QRect& cell, double fraction) {
    const double left = cell.left() + kTrendCellPadding + 3;
    const double width = cell.width() - 2 * kTrendCellPadding - 6;
    return {left + fraction * width, cell.center().y() + 0.5};
}

// Paints a drawn value as a marked cell, the others as their omission (or blank), a Point
// column's value as a marked point, and the footer rows.
class TrendDelegate : public QStyledItemDelegate {
  public:
    TrendDelegate(const TrendView* view, QObject* parent)
        : QStyledItemDelegate(parent), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const auto* model = static_cast<const TrendModel*>(index.model());
        const TrendColumn& column = model->column(index.column());
        const bool footer = index.row() >= model->drawRows();
        painter->save();
        const bool odd = groupIndex(column.group) % 2 == 1;
        painter->fillRect(option.rect, footer ? QColor(252, 248, 228)
                                       : odd  ? QColor(240, 244, 250)
                                              : QColor(250, 250, 244));
        painter->setPen(QColor(222, 222, 222));
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        if (column.kind != TrendColumn::Kind::Cell || column.headerFirst == index.column()) {
            painter->setPen(QColor(170, 170, 170));
            painter->drawLine(option.rect.topLeft(), option.rect.bottomLeft());
        }
        const QString text = index.data().toString();
        if (column.kind == TrendColumn::Kind::Point) {
            paintPoint(painter, option.rect, index, column.group, footer);
        } else if (footer || column.kind != TrendColumn::Kind::Cell) {
            painter->setPen(Qt::black);
            painter->drawText(option.rect, Qt::AlignCenter, text);
        } else if (index.data(TrendModel::DrawnRole).toBool()) {
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(Qt::NoPen);
            painter->setBrush(groupColour(column.group));
            const QRect mark = option.rect.adjusted(2, 2, -2, -2);
            const int side = std::min(mark.width(), mark.height());
            if (option.fontMetrics.horizontalAdvance(text) <= side) {
                painter->drawEllipse(
                    QRect(0, 0, side, side).translated(mark.center() - QPoint(side / 2, side / 2)));
            } else {
                painter->drawRoundedRect(mark, 4, 4);
            }
            painter->setPen(Qt::white);
            painter->drawText(option.rect, Qt::AlignCenter, text);
        } else if (view_->omissionShown()) {
            painter->setPen(QColor(150, 150, 150));
            painter->drawText(option.rect, Qt::AlignCenter, text);
        }
        painter->restore();
    }

  private:
    void paintPoint(QPainter* painter, const QRect& rect, const QModelIndex& index,
                    TrendGroup group, bool footer) const {
        painter->setRenderHint(QPainter::Antialiasing);
        const QColor colour = groupColour(group);
        if (footer) {
            // 出现次数 and 期望次数 of a value column: one bar per value on the same scale.
            const QVariantList bars = index.data(TrendModel::DistributionRole).toList();
            const int n = static_cast<int>(bars.size());
            for (int v = 0; v < n; ++v) {
                const QPointF at = pointAt(rect, n > 1 ? double(v) / (n - 1) : 0.0);
                const double height = bars[v].toDouble() * (rect.height() - 3);
                painter->fillRect(
                    QRectF(at.x() - 1.5, rect.bottom() - 1 - height, 3, height),
                    index.row() == index.model()->rowCount() - 5 ? colour : QColor(150, 150, 150));
            }
            return;
        }
        const QPointF at = pointAt(rect, index.data(TrendModel::PointRole).toDouble());
        painter->setPen(Qt::NoPen);
        painter->setBrush(colour);
        painter->drawEllipse(at, 3.5, 3.5);
        const QString text = index.data().toString();
        const int width = painter->fontMetrics().horizontalAdvance(text);
        const bool right = at.x() + 6 + width <= rect.right() - 1;
        const QRectF box(right ? at.x() + 6 : at.x() - 6 - width, rect.top(), width, rect.height());
        painter->setPen(colour.darker(120));
        painter->drawText(box, Qt::AlignVCenter | Qt::AlignLeft, text);
    }

    const TrendView* view_;
};

QRect captionBounds(const QFontMetrics& metrics, int width, const QString& caption) {
    return metrics.boundingRect(QRect(0, 0, width - 2 * kTrendCellPadding, 1000),
                                Qt::AlignCenter | Qt::TextWrapAnywhere, caption);
}

}  // namespace

TrendHeader::TrendHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(8);
}

QSize TrendHeader::sizeHint() const {
    const int line = fontMetrics().height();
    return {QHeaderView::sizeHint().width(), (kCaptionLines + 1) * line + 10};
}

void TrendHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    const auto* trend = qobject_cast<const TrendModel*>(model());
    if (!trend) return;
    const TrendColumn& column = trend->column(logicalIndex);
    const QString caption =
        trend->headerData(logicalIndex, orientation(), TrendModel::CaptionRole).toString();
    painter->save();
    painter->setClipRect(rect);
    painter->fillRect(rect, QColor(236, 236, 232));
    painter->setPen(QColor(180, 180, 180));
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
    painter->setPen(Qt::black);
    const int flags = Qt::AlignCenter | Qt::TextWrapAnywhere;
    if (column.kind != TrendColumn::Kind::Cell) {
        painter->drawText(rect.adjusted(kTrendCellPadding, 0, -kTrendCellPadding, 0), flags,
                          caption);
        painter->restore();
        return;
    }
    const int band = rect.height() - fontMetrics().height() - 4;
    int left = sectionViewportPosition(column.headerFirst);
    int width = 0;
    for (int c = column.headerFirst; c <= column.headerLast; ++c) width += sectionSize(c);
    const QRect group(left, rect.top(), width, band);
    painter->setPen(QColor(180, 180, 180));
    painter->drawLine(rect.left(), rect.top() + band, rect.right(), rect.top() + band);
    if (logicalIndex == column.headerFirst) {
        painter->drawLine(rect.left(), rect.top(), rect.left(), rect.bottom());
    }
    painter->setPen(groupColour(column.group).darker(130));
    painter->drawText(group.adjusted(kTrendCellPadding, 0, -kTrendCellPadding, 0), flags, caption);
    painter->setPen(Qt::black);
    painter->drawText(QRect(rect.left(), rect.top() + band, rect.width(), rect.height() - band),
                      Qt::AlignCenter,
                      trend->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString());
    painter->restore();
}

TrendView::TrendView(QWidget* parent) : QTableView(parent) {
    setHorizontalHeader(new TrendHeader(this));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setShowGrid(false);
    setItemDelegate(new TrendDelegate(this, this));

    frozen_ = new QTableView(this);
    frozen_->setObjectName("grdTrendFrozen");
    frozen_->setHorizontalHeader(new TrendHeader(frozen_));
    frozen_->verticalHeader()->hide();
    frozen_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    frozen_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    frozen_->setSelectionMode(QAbstractItemView::NoSelection);
    frozen_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->setShowGrid(false);
    frozen_->setFrameShape(QFrame::NoFrame);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setItemDelegate(itemDelegate());
    viewport()->stackUnder(frozen_);
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(frozen_, &QTableView::doubleClicked, this, &QTableView::doubleClicked);
    // The frozen view's range is set only once it is laid out: follow the chart's row then.
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::rangeChanged, this,
            [this] { frozen_->verticalScrollBar()->setValue(verticalScrollBar()->value()); });
}

void TrendView::setTrendModel(TrendModel* model) {
    trend_ = model;
    setModel(model);
    frozen_->setModel(model);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        for (int c = 0; c < trend_->columnCount(); ++c) frozen_->setColumnHidden(c, c >= 2);
        fitColumns();
    });
}

void TrendView::setLinesShown(bool shown) {
    lines_ = shown;
    viewport()->update();
}

void TrendView::setOmissionShown(bool shown) {
    omissions_ = shown;
    viewport()->update();
    frozen_->viewport()->update();
}

void TrendView::fitColumns() {
    if (!trend_) return;
    const QFontMetrics metrics = fontMetrics();
    const int band = TrendHeader::kCaptionLines * metrics.height();
    std::vector<int> widths(trend_->columnCount());
    for (int c = 0; c < trend_->columnCount(); ++c) {
        int widest = 0;
        for (const QString& text : trend_->widthSamples(c)) {
            widest = std::max(widest, metrics.horizontalAdvance(text));
        }
        int width = widest + 2 * kTrendCellPadding + 2;
        const TrendColumn& column = trend_->column(c);
        if (column.kind == TrendColumn::Kind::Point) {
            width = std::max(width, (trendValueCount(column.group) - 1) * pointStep(column.group) +
                                        2 * kTrendCellPadding + 6 + widest);
        }
        if (column.kind == TrendColumn::Kind::Issue || column.kind == TrendColumn::Kind::Draw) {
            // The two frozen columns are read first: their captions stay on one line.
            const QString caption =
                trend_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            width = std::max(width, metrics.horizontalAdvance(caption) + 2 * kTrendCellPadding + 2);
        }
        if (column.kind != TrendColumn::Kind::Cell) {
            // A lone column's caption may take the header's three lines.
            const QString caption =
                trend_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            while (captionBounds(metrics, width, caption).height() > band + metrics.height()) {
                width += 4;
            }
        }
        widths[c] = width;
    }
    // A group's caption wraps within the upper band: widen its columns evenly until it fits.
    for (int c = 0; c < trend_->columnCount(); ++c) {
        const TrendColumn& column = trend_->column(c);
        if (column.kind != TrendColumn::Kind::Cell || column.headerFirst != c) continue;
        const QString caption =
            trend_->headerData(c, Qt::Horizontal, TrendModel::CaptionRole).toString();
        auto total = [&] {
            int sum = 0;
            for (int k = column.headerFirst; k <= column.headerLast; ++k) sum += widths[k];
            return sum;
        };
        while (captionBounds(metrics, total(), caption).height() > band) {
            for (int k = column.headerFirst; k <= column.headerLast; ++k) widths[k] += 1;
        }
    }
    for (int c = 0; c < trend_->columnCount(); ++c) {
        setColumnWidth(c, widths[c]);
        frozen_->setColumnWidth(c, widths[c]);
    }
    horizontalHeader()->setFixedHeight(horizontalHeader()->sizeHint().height());
    frozen_->horizontalHeader()->setFixedHeight(horizontalHeader()->sizeHint().height());
    placeFrozen();
}

void TrendView::placeFrozen() {
    frozen_->setGeometry(frameWidth(), frameWidth(), columnWidth(0) + columnWidth(1),
                         viewport()->height() + horizontalHeader()->height());
    frozen_->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void TrendView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    placeFrozen();
}

// The lines join each position's drawn cells, and each value column's points, from one draw to
// the next; only the rows in sight (and one either side) are visited, so scrolling stays cheap.
void TrendView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (!lines_ || !trend_ || !trend_->table()) return;
    const int draws = trend_->drawRows();
    const int top = std::max(0, rowAt(0) - 1);
    const int bottomRow = rowAt(viewport()->height());
    const int bottom = std::min(draws - 1, bottomRow < 0 ? draws - 1 : bottomRow + 1);
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    for (int c = 0; c < trend_->columnCount(); ++c) {
        const TrendColumn& column = trend_->column(c);
        const bool joined = column.kind == TrendColumn::Kind::Point ||
                            (isPositionGroup(column.group) &&
                             column.kind == TrendColumn::Kind::Cell && column.value == 0);
        if (joined && !isColumnHidden(c)) paintLines(painter, c, top, bottom);
    }
}

void TrendView::paintLines(QPainter& painter, int column, int top, int bottom) {
    const TrendColumn& c = trend_->column(column);
    const TrendTable& table = *trend_->table();
    QPen pen(groupColour(c.group));
    pen.setWidthF(1.2);
    painter.setPen(pen);
    auto centre = [&](int row) -> QPointF {
        if (c.kind == TrendColumn::Kind::Point) {
            const QModelIndex index = trend_->index(row, column);
            return pointAt(visualRect(index), index.data(TrendModel::PointRole).toDouble());
        }
        return visualRect(trend_->index(row, column + table.value(row, c.group))).center();
    };
    for (int row = top; row < bottom; ++row) painter.drawLine(centre(row), centre(row + 1));
}

}  // namespace arrange5

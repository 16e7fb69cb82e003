#pragma once

#include <QHeaderView>
#include <QTableView>

namespace arrange5 {

class TrendModel;

// The chart's column header in two bands: the group's caption over all its columns, and each
// column's value below it. A column that stands alone (期号, 和值 …) takes both bands, its caption
// wrapped.
class TrendHeader : public QHeaderView {
    Q_OBJECT
  public:
    explicit TrendHeader(QWidget* parent = nullptr);
    // Lines of text the upper band holds; a group's caption wraps within them.
    static constexpr int kCaptionLines = 2;

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sizeHint() const override;
};

// The chart's table: each draw's marks joined by lines over the cells, 期号 and 开奖号码 kept in
// sight while the rest scrolls sideways (a second view over the same model, as Qt's frozen
// column example does).
class TrendView : public QTableView {
    Q_OBJECT
  public:
    explicit TrendView(QWidget* parent = nullptr);
    void setTrendModel(TrendModel* model);
    void setLinesShown(bool shown);
    void setOmissionShown(bool shown);
    bool omissionShown() const { return omissions_; }
    // Columns sized to their widest text, the group captions given room; the frozen columns
    // follow.
    void fitColumns();
    QTableView* frozenView() const { return frozen_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void placeFrozen();
    void paintLines(QPainter& painter, int column, int top, int bottom);

    TrendModel* trend_ = nullptr;
    QTableView* frozen_ = nullptr;
    bool lines_ = true;
    bool omissions_ = true;
};

// The padding a cell keeps on each side of its text.
inline constexpr int kTrendCellPadding = 4;

}  // namespace arrange5

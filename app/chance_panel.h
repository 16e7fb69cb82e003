#pragma once

#include <QWidget>

#include "analysis/chance.h"
#include "analysis/search.h"

class QChart;
class QChartView;
class QDialog;
class QLabel;
class QPushButton;

namespace arrange5 {

// Beside the tally: one line saying how the tally compares with a fair draw, and a button
// that opens a chart of it (a bar per outcome with its percentage, a line at the chance rate,
// each bar's 95 % interval as a whisker). Both follow every search. The panel only shows
// what analysis/chance computed.
class ChancePanel : public QWidget {
    Q_OBJECT

  public:
    explicit ChancePanel(QWidget* parent = nullptr);

    // Shows the comparison of the search just run; `test` comes from testAgainstChance.
    void showTally(const SearchResult& result, const ChanceTest& test);
    // Back to the state before any search.
    void clear();

    QLabel* verdictLabel() const { return verdict_; }
    QPushButton* chartButton() const { return button_; }
    // The chart's own view; shown in a window of its own by the button.
    QChartView* chartView() const { return view_; }
    QDialog* chartWindow() const { return window_; }

  private:
    void rebuildChart(const SearchResult& result, const ChanceTest& test);

    QLabel* verdict_;
    QPushButton* button_;
    QDialog* window_;
    QChartView* view_;
};

}  // namespace arrange5

#pragma once

#include <QWidget>
#include <optional>

#include "analysis/chance.h"
#include "analysis/rest_comparison.h"
#include "analysis/search.h"
#include "analysis/search_form.h"

class QChart;
class QChartView;
class QDialog;
class QLabel;
class QPushButton;

namespace arrange5 {

// Beside the tally: the verdict of the pattern test (the hits against the rest of the range)
// and of the chance test, and a button that opens a chart (a bar per outcome with its
// percentage, a line at the chance rate, each bar's joint interval as a whisker). Both
// follow every search. The panel also holds the study count shown in the status bar. It
// only shows what analysis/ computed.
class ChancePanel : public QWidget {
    Q_OBJECT

  public:
    explicit ChancePanel(QWidget* parent = nullptr);

    // Shows the comparisons of the search just run.
    void showTally(const AssessedSearch& assessed);
    // "本次研究已检索 N 种设置".
    // None: the study log cannot be read.
    void showStudyCount(std::optional<std::size_t> settings);
    // Back to the state before any search.
    void clear();

    QLabel* verdictLabel() const { return verdict_; }
    QLabel* studyLabel() const { return study_; }
    QPushButton* chartButton() const { return button_; }
    // The chart's own view; shown in a window of its own by the button.
    QChartView* chartView() const { return view_; }
    QDialog* chartWindow() const { return window_; }

  private:
    // `title` in lines of HTML; no bars without a tally to draw.
    void rebuildChart(const ChanceTest& test, const QString& title);

    QLabel* verdict_;
    QLabel* study_;
    QPushButton* button_;
    QDialog* window_;
    QChartView* view_;
};

}  // namespace arrange5

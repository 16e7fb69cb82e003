#include "app/chance_panel.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "analysis/chance_table.h"

namespace arrange5 {

namespace {

const QString kNoSearch =
    QStringLiteral("检索之后，这里说明命中各期与其余各期、与均匀随机相比如何");
// The pattern test's line and the chance test's line at the width of the result side, each
// wrapped twice at most; the panel keeps this height whatever they say.
constexpr int kVerdictLines = 5;

// Half the width of a whisker's caps, in category units (a bar is 0.75 wide).
constexpr double kCapHalfWidth = 0.12;

// The command line of a setting in lines of at most `width` characters, broken at spaces
// (before an option where it can), so that a chart title keeps every word.
QStringList wrapAtSpaces(const QString& text, int width = 90) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool option = word.startsWith(QStringLiteral("--"));
        if (!line.isEmpty() && option && line.size() + 1 + word.size() > width) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty()) lines << line;
    return lines;
}

}  // namespace

ChancePanel::ChancePanel(QWidget* parent) : QWidget(parent) {
    setObjectName("ChancePanel");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    verdict_ = new QLabel(kNoSearch);
    verdict_->setObjectName("ChanceVerdict");
    verdict_->setWordWrap(true);
    // Room for both verdicts whatever they say, and no more: the grids around it keep their
    // place when a search replaces the note.
    verdict_->setFixedHeight(kVerdictLines * verdict_->fontMetrics().lineSpacing());
    verdict_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    verdict_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(verdict_);
    button_ = new QPushButton(QStringLiteral("与随机比较图(&B)"));
    button_->setObjectName("ChanceChartButton");
    button_->setToolTip(
        QStringLiteral("每个结果的百分比、随机时应有的比例，以及联合 95% 区间（须线）"));
    layout->addWidget(button_, 0, Qt::AlignLeft);
    // Shown in the window's status bar, which the window owns.
    study_ = new QLabel(this);
    study_->setObjectName("StudyCount");
    study_->setToolTip(QStringLiteral("校正多次检索所用的 N；“设置 → 开始新的研究”归零"));

    // The chart gets a window of its own: the tally frame is too narrow to read one in.
    window_ = new QDialog(this);
    window_->setObjectName("ChanceChartWindow");
    window_->setWindowTitle(QStringLiteral("与随机比较"));
    window_->setModal(false);
    window_->resize(760, 480);
    auto* windowLayout = new QVBoxLayout(window_);
    windowLayout->setContentsMargins(4, 4, 4, 4);
    view_ = new QChartView(new QChart);
    view_->setObjectName("ChanceChart");
    view_->setRenderHint(QPainter::Antialiasing);
    windowLayout->addWidget(view_);
    connect(button_, &QPushButton::clicked, window_, [this] {
        window_->show();
        window_->raise();
        window_->activateWindow();
    });
    clear();
}

void ChancePanel::clear() {
    verdict_->setText(kNoSearch);
    verdict_->setToolTip({});
    rebuildChart(ChanceTest{}, QStringLiteral("尚未检索"));
}

void ChancePanel::showTally(const AssessedSearch& assessed) {
    const ChanceTest& test = assessed.chance;
    const PatternTest& pattern = assessed.pattern;
    const ComparisonWords words = comparisonWords(assessed);
    // Each verdict names what it compared with, so the lines need no captions. A verdict
    // breaks before its figures and after them, never inside a word.
    const auto clauses = [](const std::string& verdict) {
        QString text = QString::fromStdString(verdict);
        text.replace(QStringLiteral("（"), QStringLiteral("\n（"));
        text.replace(QStringLiteral("）；"), QStringLiteral("）；\n"));
        return text;
    };
    verdict_->setText(clauses(words.rest) + QStringLiteral("\n") + clauses(words.uniform));
    const QString rest = pattern.chi2 ? QStringLiteral("与其余各期：%1，χ² = %2，自由度 %3")
                                            .arg(QString::fromStdString(patternMethodText(pattern)))
                                            .arg(*pattern.chi2, 0, 'f', 2)
                                            .arg(pattern.df)
                                      : QStringLiteral("与其余各期：无从比较");
    const QString uniform = test.p ? QStringLiteral("与均匀随机：χ² 检验，χ² = %1，自由度 %2")
                                         .arg(test.chi2, 0, 'f', 2)
                                         .arg(test.df)
                                   : QStringLiteral("与均匀随机：样本太少，未检验");
    verdict_->setToolTip(rest + QStringLiteral("\n") + uniform);

    // The picture may be passed on alone: its title says what was searched and both
    // verdicts with their correction, as the file export does.
    QStringList title;
    for (const QString& line : wrapAtSpaces(QString::fromStdString(words.setting))) {
        title << line.toHtmlEscaped();
    }
    title << QString::fromStdString(words.counts).toHtmlEscaped()
          << QString::fromStdString(words.rest).toHtmlEscaped()
          << QString::fromStdString(words.uniform).toHtmlEscaped();
    rebuildChart(test, title.join(QStringLiteral("<br>")));
}

void ChancePanel::showStudyCount(std::optional<std::size_t> settings) {
    study_->setText(settings ? QStringLiteral("本次研究已检索 %1 种设置").arg(*settings)
                             : QStringLiteral("研究记录无法读取"));
}

void ChancePanel::rebuildChart(const ChanceTest& test, const QString& title) {
    // A new chart per search: the view deletes the one it showed.
    auto* chart = new QChart;
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setTitle(title);
    // Without values there is no share to draw and no interval worth a whisker.
    if (test.rows.empty() || test.total == 0) {
        if (!test.rows.empty()) {
            chart->setTitle(title + QStringLiteral("<br><br>没有命中，没有可画的统计"));
        }
        view_->setChart(chart);
        return;
    }

    auto* shares = new QBarSet(QStringLiteral("百分比"));
    QStringList outcomes;
    double top = test.chance;
    for (const auto& row : test.rows) {
        *shares << row.share * 100.0;
        // Each bar's share under its outcome with one decimal: the bars' own labels give
        // significant digits only ("10%" beside "9.59%").
        outcomes << QStringLiteral("%1<br>%2%")
                        .arg(QString::fromStdString(row.outcome).toHtmlEscaped())
                        .arg(row.share * 100.0, 0, 'f', 1);
        top = std::max(top, row.joint.high);
    }
    auto* bars = new QBarSeries;
    bars->append(shares);
    bars->setBarWidth(0.75);
    chart->addSeries(bars);

    auto* categories = new QBarCategoryAxis;
    categories->append(outcomes);
    chart->addAxis(categories, Qt::AlignBottom);
    bars->attachAxis(categories);
    auto* percent = new QValueAxis;
    percent->setRange(0.0, std::min(100.0, top * 100.0 * 1.1));
    percent->applyNiceNumbers();
    percent->setLabelFormat(QStringLiteral("%.0f%%"));
    percent->setTitleText(QStringLiteral("百分比"));
    chart->addAxis(percent, Qt::AlignLeft);
    bars->attachAxis(percent);

    // Lines and whiskers are drawn over the categories on a hidden axis where category i
    // sits at x = i.
    const auto n = static_cast<double>(test.rows.size());
    auto* x = new QValueAxis;
    x->setRange(-0.5, n - 0.5);
    x->setVisible(false);
    chart->addAxis(x, Qt::AlignBottom);
    auto attach = [&](QLineSeries* series) {
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(percent);
    };

    auto* chance = new QLineSeries;
    chance->setName(QStringLiteral("随机时 %1%").arg(test.chance * 100.0, 0, 'f', 1));
    chance->setPen(QPen(QColor(200, 30, 30), 2, Qt::DashLine));
    chance->append(-0.5, test.chance * 100.0);
    chance->append(n - 0.5, test.chance * 100.0);
    attach(chance);

    const QPen whiskerPen(QColor(30, 30, 30), 1.5);
    for (std::size_t i = 0; i < test.rows.size(); ++i) {
        const double at = static_cast<double>(i);
        const double low = test.rows[i].joint.low * 100.0;
        const double high = test.rows[i].joint.high * 100.0;
        // One series per whisker: a line series cannot leave gaps between its points.
        auto* whisker = new QLineSeries;
        whisker->setName(
            QStringLiteral("联合 95% 区间（%1 个结果同时成立，各为 %2%）")
                .arg(test.rows.size())
                .arg(100.0 * (1.0 - kSignificanceLevel / static_cast<double>(test.rows.size())), 0,
                     'g', 4));
        whisker->setPen(whiskerPen);
        whisker->append(at - kCapHalfWidth, low);
        whisker->append(at + kCapHalfWidth, low);
        whisker->append(at, low);
        whisker->append(at, high);
        whisker->append(at - kCapHalfWidth, high);
        whisker->append(at + kCapHalfWidth, high);
        attach(whisker);
        // The legend names the whiskers once.
        if (i > 0) {
            for (auto* marker : chart->legend()->markers(whisker)) marker->setVisible(false);
        }
    }
    view_->setChart(chart);
}

}  // namespace arrange5

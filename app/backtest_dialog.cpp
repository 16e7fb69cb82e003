#include "app/backtest_dialog.h"

#include <QAbstractTableModel>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>
#include <QValueAxis>

#include "acquire/spreadsheet_export.h"
#include "app/dialogs.h"
#include "store/errors.h"
#include "store/file_names.h"
#include "store/number_text.h"

namespace arrange5 {

// 期号, 参考号, 命中期数, 排名第一, 实际, 排名, 是否命中: one row per target.
class BacktestTableModel : public QAbstractTableModel {
  public:
    explicit BacktestTableModel(QObject* parent) : QAbstractTableModel(parent) {}

    void setResult(const BacktestResult* result, CodeKind resultKind) {
        beginResetModel();
        result_ = result;
        kind_ = resultKind;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !result_ ? 0 : static_cast<int>(result_->targets.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 7;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const char* names[] = {"期号", "参考号", "命中期数", "排名第一",
                                      "实际", "排名",   "是否命中"};
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Vertical) return section + 1;
        return QString::fromUtf8(names[section]);
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !result_) return {};
        const TargetResult& t = result_->targets[static_cast<std::size_t>(index.row())];
        const auto joined = [&](const std::vector<int>& values, bool names) {
            QStringList out;
            for (int v : values) {
                out << (names ? QString::fromStdString(outcomeName(kind_, v)) : QString::number(v));
            }
            return out.join(' ');
        };
        switch (index.column()) {
            case 0:
                return t.issue;
            case 1: {
                if (!t.reference) return QStringLiteral("—");
                QString digits;
                for (int16_t v : *t.reference) digits += QString::number(v);
                return digits;
            }
            case 2:
                return static_cast<qlonglong>(t.hits);
            case 3:
                return t.answered() ? QString::fromStdString(outcomeName(kind_, t.ranking.front()))
                                    : QStringLiteral("无答案");
            case 4:
                return joined(t.actual, true);
            case 5:
                return t.answered() ? joined(t.rank, false) : QString();
            case 6: {
                if (!t.answered()) return QString();
                QStringList out;
                for (bool h : t.hit) out << (h ? QStringLiteral("是") : QStringLiteral("否"));
                return out.join(' ');
            }
        }
        return {};
    }

  private:
    const BacktestResult* result_ = nullptr;
    CodeKind kind_ = CodeKind::Number;
};

BacktestDialog::BacktestDialog(BacktestDialogInput input, QWidget* parent)
    : QDialog(parent), input_(std::move(input)) {
    setWindowTitle(QStringLiteral("滚动验证"));
    setObjectName(QStringLiteral("BacktestDialog"));
    resize(1000, 720);
    auto* layout = new QVBoxLayout(this);

    auto* settings = new QLabel(QStringLiteral("检索设置：") + input_.settingsText, this);
    settings->setWordWrap(true);
    layout->addWidget(settings);

    auto* controls = new QHBoxLayout;
    single_ = new QRadioButton(QStringLiteral("单项检索"), this);
    combined_ = new QRadioButton(
        QStringLiteral("组合检索（%1 位）").arg(input_.form.combinationSize()), this);
    (input_.form.combination ? combined_ : single_)->setChecked(true);
    controls->addWidget(single_);
    controls->addWidget(combined_);
    controls->addSpacing(16);
    firstTarget_ = new QLineEdit(this);
    lastTarget_ = new QLineEdit(this);
    firstTarget_->setObjectName(QStringLiteral("firstTarget"));
    lastTarget_->setObjectName(QStringLiteral("lastTarget"));
    // The last 1,000 issues by default.
    if (!input_.rows.empty()) {
        const std::size_t n = input_.rows.size();
        firstTarget_->setText(QString::number(input_.rows[n > 1000 ? n - 1000 : 0].issue));
        lastTarget_->setText(QString::number(input_.rows.back().issue));
    }
    // "最近 N 期" sets the targets to the last N issues, so nobody works out the first by hand.
    auto* recent = new QSpinBox(this);
    recent->setObjectName(QStringLiteral("recentTargets"));
    recent->setRange(1, std::max<int>(1, static_cast<int>(input_.rows.size())));
    recent->setValue(std::min<int>(1000, recent->maximum()));
    connect(recent, &QSpinBox::valueChanged, this, [this](int n) {
        if (input_.rows.empty()) return;
        const std::size_t count = input_.rows.size();
        const std::size_t wanted = std::min(count, static_cast<std::size_t>(n));
        firstTarget_->setText(QString::number(input_.rows[count - wanted].issue));
        lastTarget_->setText(QString::number(input_.rows.back().issue));
    });
    controls->addWidget(new QLabel(QStringLiteral("最近"), this));
    controls->addWidget(recent);
    controls->addWidget(new QLabel(QStringLiteral("期"), this));
    controls->addWidget(new QLabel(QStringLiteral("目标期 起"), this));
    controls->addWidget(firstTarget_);
    controls->addWidget(new QLabel(QStringLiteral("止"), this));
    controls->addWidget(lastTarget_);
    controls->addWidget(new QLabel(QStringLiteral("前 m 名算命中"), this));
    top_ = new QSpinBox(this);
    top_->setRange(1, listedOutcomes(input_.form.tally().resultKind) - 1);
    controls->addWidget(top_);
    startButton_ = new QPushButton(QStringLiteral("开始"), this);
    cancelButton_ = new QPushButton(QStringLiteral("取消"), this);
    cancelButton_->setEnabled(false);
    controls->addWidget(startButton_);
    controls->addWidget(cancelButton_);
    layout->addLayout(controls);

    progress_ = new QProgressBar(this);
    layout->addWidget(progress_);

    auto* results = new QHBoxLayout;
    table_ = new QTableView(this);
    model_ = new BacktestTableModel(this);
    table_->setModel(model_);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setDefaultSectionSize(72);
    // One line a target: a row as high as its text, not twice.
    table_->setWordWrap(false);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    results->addWidget(table_, 3);
    chart_ = new QChartView(this);
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumWidth(380);
    results->addWidget(chart_, 2);
    layout->addLayout(results, 1);

    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary_);

    connect(startButton_, &QPushButton::clicked, this, &BacktestDialog::start);
    connect(cancelButton_, &QPushButton::clicked, this, &BacktestDialog::cancel);
    connect(table_, &QTableView::doubleClicked, this, &BacktestDialog::exportTable);
}

BacktestDialog::~BacktestDialog() {
    if (worker_) {
        cancelled_ = true;
        worker_->wait();
    }
}

void BacktestDialog::start() {
    if (worker_) return;
    BacktestRequest request;
    std::optional<std::string> notCounted;
    try {
        SearchForm form = input_.form;
        form.combination = combined_->isChecked();
        StudyLog study(input_.dataFolder);
        const PlannedBacktest plan = form.planBacktest(
            input_.rows, parseIssueField(firstTarget_->text().toStdString(), "目标期的起期"),
            parseIssueField(lastTarget_->text().toStdString(), "目标期的止期"), top_->value(),
            study);
        request = plan.request;
        notCounted = plan.study.warning;
        plan_ = plan;
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
        return;
    }
    if (notCounted) reportError(QString::fromStdString(*notCounted));
    cancelled_ = false;
    startButton_->setEnabled(false);
    cancelButton_->setEnabled(true);
    progress_->setValue(0);
    summary_->setText(QStringLiteral("正在验证……"));

    // The worker reads only its own copies; results come back through queued calls.
    worker_ = QThread::create([this, request] {
        BacktestResult result;
        QString error;
        try {
            int lastPercent = -1;
            result = runBacktest(input_.rows, request, [&](std::size_t done, std::size_t total) {
                const int percent = static_cast<int>(done * 100 / total);
                if (percent != lastPercent) {
                    lastPercent = percent;
                    QMetaObject::invokeMethod(
                        this, [this, percent] { progressed(percent, 100); }, Qt::QueuedConnection);
                }
                return !cancelled_.load();
            });
        } catch (const Error& e) {
            error = QString::fromStdString(e.what());
        }
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result), error]() mutable {
                worker_->wait();
                worker_->deleteLater();
                worker_ = nullptr;
                startButton_->setEnabled(true);
                cancelButton_->setEnabled(false);
                if (!error.isEmpty()) {
                    summary_->clear();
                    reportError(error);
                } else {
                    showResult(std::move(result));
                    keepOutcomeInStudy();
                }
                emit finished();
            },
            Qt::QueuedConnection);
    });
    worker_->start();
}

void BacktestDialog::cancel() {
    cancelled_ = true;
}

void BacktestDialog::progressed(int done, int total) {
    progress_->setMaximum(total);
    progress_->setValue(done);
}

// The study list shows each setting's latest verdict; a cancelled run's part is not one.
void BacktestDialog::keepOutcomeInStudy() {
    StudyLog study(input_.dataFolder);
    if (const auto warning = keepBacktestOutcome(study, plan_, result_)) {
        reportError(QString::fromStdString(*warning));
    }
}

QString BacktestDialog::summaryText() const {
    return summary_->text();
}

void BacktestDialog::showResult(BacktestResult result) {
    result_ = std::move(result);
    model_->setResult(&result_, input_.form.tally().resultKind);
    const BacktestSummary& s = result_.summary;
    QString text = QStringLiteral(
                       "%1 个目标期，计分 %2 次，命中 %3 次，命中率 %4%（随机 %5%，95% 区间 "
                       "%6%–%7%），平均排名 %8（随机 %9），无答案 %10 期。%11。%12")
                       .arg(result_.targets.size())
                       .arg(s.scored)
                       .arg(s.hits)
                       .arg(s.rate * 100, 0, 'f', 2)
                       .arg(s.chance * 100, 0, 'f', 2)
                       .arg(s.low * 100, 0, 'f', 2)
                       .arg(s.high * 100, 0, 'f', 2)
                       .arg(s.meanRank, 0, 'f', 2)
                       .arg(s.chanceMeanRank, 0, 'f', 1)
                       .arg(s.noAnswer)
                       .arg(QString::fromStdString(s.verdict))
                       .arg(QStringLiteral("本次研究已检索 %1 种设置").arg(s.searches));
    if (result_.cancelled) text = QStringLiteral("已取消，以下只含已验证的目标期。") + text;
    summary_->setText(text);
    progress_->setValue(progress_->maximum());
    fillChart();
}

// The cumulative hit rate over the scored trials, the chance rate, and the band in which a
// run of pure chance stays at every point together, as analysis/backtest computed them.
void BacktestDialog::fillChart() {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral(
        "累计命中率与随机<br>纯随机时整条曲线留在带内的<br>把握至少 95%（Bonferroni）"));
    auto* rate = new QLineSeries;
    rate->setName(QStringLiteral("累计命中率"));
    auto* chance = new QLineSeries;
    chance->setName(QStringLiteral("随机"));
    auto* upper = new QLineSeries;
    auto* lower = new QLineSeries;
    const double p0 = result_.summary.chance;
    for (const RatePoint& point : cumulativeRate(result_)) {
        const auto x = static_cast<double>(point.trials);
        rate->append(x, 100.0 * point.rate);
        chance->append(x, 100.0 * p0);
        upper->append(x, 100.0 * point.high);
        lower->append(x, 100.0 * point.low);
    }
    auto* band = new QAreaSeries(upper, lower);
    // The legend sits below the plot; the title says how the band holds.
    band->setName(QStringLiteral("同时 95% 范围"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    band->setColor(QColor(120, 160, 220, 70));
    band->setBorderColor(QColor(120, 160, 220, 120));
    chart->addSeries(band);
    chart->addSeries(chance);
    chart->addSeries(rate);
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("计分次数"));
    x->setLabelFormat(QStringLiteral("%d"));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("%"));
    y->setRange(0, std::min(100.0, 100.0 * p0 * 3));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    QChart* old = chart_->chart();
    chart_->setChart(chart);
    delete old;
}

void BacktestDialog::exportTable() {
    TextTable cells;
    std::vector<std::string> header;
    for (int k = 0; k < model_->columnCount(); ++k) {
        header.push_back(
            model_->headerData(k, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
    }
    cells.push_back(std::move(header));
    for (int r = 0; r < model_->rowCount(); ++r) {
        std::vector<std::string> row;
        for (int k = 0; k < model_->columnCount(); ++k) {
            row.push_back(model_->index(r, k).data().toString().toStdString());
        }
        cells.push_back(std::move(row));
    }
    const std::filesystem::path file = input_.dataFolder / file_names::kVerificationWorkbook;
    try {
        writeSpreadsheet(file, cells);
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
        return;
    }
    const QString path = QString::fromStdString(file.string());
    if (input_.dialogs && !input_.dialogs->openUrl(QUrl::fromLocalFile(path))) {
        reportError(QStringLiteral("表格已保存为 %1，但没有找到可以打开它的程序。").arg(path));
    }
}

void BacktestDialog::reportError(const QString& text) {
    if (input_.dialogs) input_.dialogs->inform(this, QStringLiteral("滚动验证"), text);
}

}  // namespace arrange5

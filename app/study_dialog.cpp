#include "app/study_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>
#include <optional>

#include "analysis/chance.h"
#include "analysis/study_rule.h"
#include "app/text_table_model.h"

namespace arrange5 {

namespace {

QString pText(std::optional<double> p) {
    return p ? QString::fromStdString(formatPValue(*p)) : QString();
}

}  // namespace

StudyDialog::StudyDialog(const std::vector<StudyEntry>& entries, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("研究记录"));
    setObjectName(QStringLiteral("StudyDialog"));
    resize(1000, 480);

    settings_ = new TextTableModel(
        {QStringLiteral("名次"), QStringLiteral("设置"), QStringLiteral("首次检索（UTC）"),
         QStringLiteral("最近 p"), QStringLiteral("须 p <"), QStringLiteral("校正后 p"),
         QStringLiteral("结论")},
        this);
    std::vector<QStringList> rows;
    rows.reserve(entries.size());
    for (const StudyEntry& e : entries) {
        rows.push_back({QString::number(e.rank), QString::fromStdString(e.commandLine),
                        QString::fromStdString(e.firstRun), pText(e.p),
                        QString::fromStdString(formatPValue(studyLevel(e.rank))),
                        pText(e.pAdjusted), QString::fromStdString(e.verdict)});
    }
    settings_->setRows(std::move(rows));

    auto* table = new QTableView(this);
    table->setObjectName(QStringLiteral("studyTable"));
    table->setModel(settings_);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->resizeColumnsToContents();
    table->setColumnWidth(1, std::min(table->columnWidth(1), 360));

    auto* rule = new QLabel(
        QStringLiteral("本次研究已检索 %1 种设置。第 k 种设置须 p < 0.05 / (k (k + 1)) 才算可靠，"
                       "即校正后 p = k (k + 1) p 小于 0.05；各种设置的份额加起来不到 5%，"
                       "所以无论检索多少种设置，整个研究在随机开奖上误报差别的机会都不超过 5%。"
                       "同一设置再检索一次，保留它第一次得到的名次。")
            .arg(entries.size()),
        this);
    rule->setObjectName(QStringLiteral("studyRule"));
    rule->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rule);
    layout->addWidget(table, 1);
    layout->addWidget(buttons);
}

}  // namespace arrange5

#include "app/history_check_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "app/text_table_model.h"

namespace arrange5 {

namespace {

QString missingText(const std::vector<int32_t>& missing) {
    QStringList issues;
    for (const int32_t issue : missing) issues << QString::number(issue);
    return issues.join(QStringLiteral("、"));
}

}  // namespace

HistoryCheckDialog::HistoryCheckDialog(const HistoryCheck& check, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("检查历史号码"));
    setObjectName(QStringLiteral("HistoryCheckDialog"));
    resize(640, 520);

    years_ = new TextTableModel(
        {QStringLiteral("年份"), QStringLiteral("期数"), QStringLiteral("第一期"),
         QStringLiteral("最后一期"), QStringLiteral("缺少的期号")},
        this);
    std::vector<QStringList> rows;
    rows.reserve(check.years.size());
    for (const CheckedYear& y : check.years) {
        rows.push_back({QString::number(y.year), QString::number(y.draws), QString::number(y.first),
                        QString::number(y.last), missingText(y.missing)});
    }
    years_->setRows(std::move(rows));

    auto* table = new QTableView(this);
    table->setObjectName(QStringLiteral("yearsTable"));
    table->setModel(years_);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);

    // Selectable, so that the digest can be copied and compared with another user's.
    auto* digest =
        new QLabel(QStringLiteral("SHA-256：%1").arg(QString::fromStdString(check.sha256)), this);
    digest->setObjectName(QStringLiteral("digestLabel"));
    digest->setTextInteractionFlags(Qt::TextSelectableByMouse);

    QString verdictText = QString::fromStdString(check.verdict());
    for (const std::string& problem : check.problems) {
        verdictText += QStringLiteral("\n・") + QString::fromStdString(problem);
    }
    auto* verdict = new QLabel(verdictText, this);
    verdict->setObjectName(QStringLiteral("verdictLabel"));
    verdict->setWordWrap(true);
    verdict->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table, 1);
    layout->addWidget(digest);
    layout->addWidget(verdict);
    layout->addWidget(buttons);
}

}  // namespace arrange5

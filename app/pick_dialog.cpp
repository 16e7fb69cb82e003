#include "app/pick_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <chrono>

#include "analysis/picks.h"
#include "analysis/plays.h"
#include "app/dialogs.h"
#include "app/text_table_model.h"
#include "store/errors.h"
#include "store/history_document.h"
#include "store/number_text.h"

namespace arrange5 {

namespace {

QString statusCaption(const std::string& status) {
    if (status == "won") return QStringLiteral("中奖");
    if (status == "lost") return QStringLiteral("未中");
    if (status == "pending") return QStringLiteral("待开奖");
    return QStringLiteral("已撤回");
}

// The odds table under the form: every play with its prize, chance and expected return.
QString oddsText() {
    QString text = QStringLiteral("每注 %1 元：").arg(kBetPrice);
    for (const PlayOdds& p : playTable()) {
        text += QStringLiteral("%1 奖金 %2 元，中奖机会 %3/%4，平均返还 %5%；")
                    .arg(QString::fromUtf8(p.caption))
                    .arg(p.prize)
                    .arg(p.winningDraws)
                    .arg(p.drawCount)
                    .arg(p.expectedReturn() * 100, 0, 'f', 1);
    }
    return text;
}

}  // namespace

PickDialog::PickDialog(HistoryDocument& document, Dialogs* dialogs, QWidget* parent)
    : QDialog(parent), document_(document), dialogs_(dialogs) {
    setObjectName(QStringLiteral("PickDialog"));
    setWindowTitle(QStringLiteral("预选记录"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    numbers_ = new QLineEdit(this);
    numbers_->setPlaceholderText(QStringLiteral("号码，空格分隔，例如 01234 56789"));
    play_ = new QComboBox(this);
    play_->addItem(QStringLiteral("排列五 直选"), QStringLiteral("p5"));
    play_->addItem(QStringLiteral("排列三 直选"), QStringLiteral("p3"));
    play_->addItem(QStringLiteral("排列三 组选"), QStringLiteral("p3-group"));
    issue_ = new QLineEdit(this);
    issue_->setPlaceholderText(QStringLiteral("空着为下一期"));
    multiple_ = new QSpinBox(this);
    multiple_->setRange(1, 99);
    form->addRow(QStringLiteral("号码"), numbers_);
    form->addRow(QStringLiteral("玩法"), play_);
    form->addRow(QStringLiteral("期号"), issue_);
    form->addRow(QStringLiteral("倍数"), multiple_);
    layout->addLayout(form);
    auto* odds = new QLabel(oddsText(), this);
    odds->setWordWrap(true);
    layout->addWidget(odds);
    auto* buttons = new QHBoxLayout;
    const auto button = [&](const QString& caption, void (PickDialog::*handler)()) {
        auto* b = new QPushButton(caption, this);
        connect(b, &QPushButton::clicked, this, handler);
        buttons->addWidget(b);
    };
    button(QStringLiteral("记下(&A)"), &PickDialog::add);
    button(QStringLiteral("撤回所选(&W)"), &PickDialog::withdraw);
    button(QStringLiteral("核对(&K)"), &PickDialog::refresh);
    layout->addLayout(buttons);
    model_ =
        new TextTableModel({QStringLiteral("编号"), QStringLiteral("期号"), QStringLiteral("玩法"),
                            QStringLiteral("号码"), QStringLiteral("倍数"), QStringLiteral("花费"),
                            QStringLiteral("状态"), QStringLiteral("开奖"), QStringLiteral("奖金"),
                            QStringLiteral("记录时间")},
                           this);
    table_ = new QTableView(this);
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_, 1);
    verdict_ = new QLabel(this);
    verdict_->setWordWrap(true);
    layout->addWidget(verdict_);
    resize(900, 560);
    refresh();
}

void PickDialog::open(HistoryDocument& document, Dialogs* dialogs, QWidget* parent) {
    PickDialog dialog(document, dialogs, parent);
    dialog.exec();
}

void PickDialog::fail(const QString& text) {
    if (dialogs_) dialogs_->inform(this, QStringLiteral("预选记录"), text);
}

void PickDialog::add() {
    try {
        PickRequest request;
        for (const QString& n : numbers_->text().split(' ', Qt::SkipEmptyParts)) {
            request.numbers.push_back(n.toStdString());
        }
        request.play = play_->currentData().toString().toStdString();
        request.multiple = multiple_->value();
        request.todayYear = systemYear();
        const QString issue = issue_->text().trimmed();
        if (!issue.isEmpty()) request.issue = parseIssueField(issue.toStdString(), "期号");
        addPick(document_.store(), request, std::chrono::system_clock::now());
        numbers_->clear();
    } catch (const Error& e) {
        fail(QString::fromStdString(e.what()));
    }
    refresh();
}

void PickDialog::withdraw() {
    const QModelIndex current = table_->currentIndex();
    if (!current.isValid()) {
        fail(QStringLiteral("请先在表中选一条预选"));
        return;
    }
    const qlonglong id = model_->index(current.row(), 0).data().toLongLong();
    if (dialogs_ &&
        !dialogs_->confirm(this, QStringLiteral("撤回预选"),
                           QStringLiteral("撤回第 %1 条预选？撤回会记为新的一条。").arg(id))) {
        return;
    }
    try {
        withdrawPick(document_.store(), id, std::chrono::system_clock::now());
    } catch (const Error& e) {
        fail(QString::fromStdString(e.what()));
    }
    refresh();
}

void PickDialog::refresh() {
    try {
        HistoryStore& store = document_.store();
        const auto journal = readPickJournal(store);
        const PickChain chain = checkPickChain(store, journal);
        const PickReport report = checkPicks(journal, chain, store.rows());
        std::vector<QStringList> rows;
        for (const CheckedPick& c : report.entries) {
            const PickEntry& e = c.entry;
            QStringList numbers;
            for (const auto& n : e.numbers) numbers << QString::fromStdString(n);
            rows.push_back(
                {QString::number(e.id), QString::number(e.issue), QString::fromStdString(e.play),
                 e.withdraws ? QStringLiteral("撤回第 %1 条").arg(*e.withdraws) : numbers.join(' '),
                 QString::number(e.multiple), QString::number(c.cost), statusCaption(c.status),
                 c.drawn ? QString::fromStdString(*c.drawn) : QString(), QString::number(c.prize),
                 QString::fromStdString(e.madeAt)});
        }
        model_->setRows(std::move(rows));
        verdict_->setText(QString::fromStdString(report.verdict));
    } catch (const Error& e) {
        fail(QString::fromStdString(e.what()));
    }
}

}  // namespace arrange5

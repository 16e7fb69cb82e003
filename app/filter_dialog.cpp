#include "app/filter_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QUrl>
#include <QVBoxLayout>
#include <chrono>
#include <fstream>

#include "acquire/spreadsheet_export.h"
#include "analysis/filter_verification.h"
#include "analysis/picks.h"
#include "app/busy_cursor.h"
#include "app/dialogs.h"
#include "store/errors.h"
#include "store/file_names.h"
#include "store/history_document.h"

namespace arrange5 {

namespace {

// The conditions in the order the command line lists them, with the words the form shows.
const std::pair<const char*, const char*> kConditions[] = {
    {"pos1", "第1位"},
    {"pos2", "第2位"},
    {"pos3", "第3位"},
    {"pos4", "第4位"},
    {"pos5", "第5位"},
    {"must", "胆码（含有）"},
    {"must-count", "胆码至少几个"},
    {"kill", "杀号（不含）"},
    {"sum", "和值 A:B"},
    {"span", "跨度 A:B"},
    {"big", "大数个数 A:B"},
    {"odd", "奇数个数 A:B"},
    {"prime", "质数个数 A:B"},
    {"road", "012路比 a:b:c,…"},
    {"form", "形态（逗号分隔）"},
    {"repeat", "重号个数 A:B"},
    {"consecutive", "连号对数 A:B"},
};

}  // namespace

FilterDialog::FilterDialog(HistoryDocument& document, Dialogs* dialogs, QWidget* parent)
    : QDialog(parent), document_(document), dialogs_(dialogs) {
    setObjectName(QStringLiteral("FilterDialog"));
    setWindowTitle(QStringLiteral("缩水（大底）"));
    auto* layout = new QHBoxLayout(this);
    auto* form = new QFormLayout;
    game_ = new QComboBox(this);
    game_->addItem(QStringLiteral("排列五"), QStringLiteral("p5"));
    game_->addItem(QStringLiteral("排列三"), QStringLiteral("p3"));
    form->addRow(QStringLiteral("玩法"), game_);
    for (const auto& [name, caption] : kConditions) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromUtf8(name));
        fields_[name] = edit;
        form->addRow(QString::fromUtf8(caption), edit);
    }
    targets_ = new QLineEdit(this);
    targets_->setObjectName(QStringLiteral("targets"));
    targets_->setPlaceholderText(QStringLiteral("起期:止期，空着为全部"));
    form->addRow(QStringLiteral("验证的目标期"), targets_);
    auto* buttons = new QGridLayout;
    const auto button = [&](const QString& caption, int row, int column, auto handler) {
        auto* b = new QPushButton(caption, this);
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        buttons->addWidget(b, row, column);
    };
    button(QStringLiteral("计算(&C)"), 0, 0, &FilterDialog::apply);
    button(QStringLiteral("验证(&V)"), 0, 1, &FilterDialog::verify);
    button(QStringLiteral("导出文本(&T)"), 1, 0, &FilterDialog::exportText);
    button(QStringLiteral("导出 xlsx(&X)"), 1, 1, &FilterDialog::exportSheet);
    button(QStringLiteral("记为预选(&P)"), 2, 0, &FilterDialog::keepAsPick);
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addLayout(buttons);
    layout->addLayout(left);

    auto* right = new QVBoxLayout;
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    verdict_ = new QLabel(this);
    verdict_->setWordWrap(true);
    verdict_->setObjectName(QStringLiteral("verdict"));
    numbers_ = new QStringListModel(this);
    list_ = new QListView(this);
    list_->setUniformItemSizes(true);
    list_->setModel(numbers_);
    right->addWidget(summary_);
    right->addWidget(list_, 1);
    right->addWidget(verdict_);
    layout->addLayout(right, 1);
    resize(820, 640);
}

void FilterDialog::open(HistoryDocument& document, Dialogs* dialogs, QWidget* parent) {
    FilterDialog dialog(document, dialogs, parent);
    dialog.exec();
}

NumberFilter FilterDialog::readConditions() const {
    std::vector<ConditionInput> inputs;
    for (const auto& [name, caption] : kConditions) {
        const QString text = fields_.at(name)->text().trimmed();
        if (!text.isEmpty()) inputs.push_back({name, text.toStdString()});
    }
    return parseFilter(game_->currentData().toString().toStdString(), inputs);
}

void FilterDialog::fail(const QString& text) {
    if (dialogs_) dialogs_->inform(this, QStringLiteral("缩水"), text);
}

bool FilterDialog::apply() {
    try {
        const BusyCursor busy;
        result_ = runFilter(readConditions(), document_.rows());
    } catch (const Error& e) {
        fail(QString::fromStdString(e.what()));
        return false;
    }
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(result_->numbers.size()));
    for (int n : result_->numbers) shown << QString::fromStdString(numberText(n, result_->game));
    numbers_->setStringList(shown);
    QString text = QStringLiteral("%1：%2 个号码，份额 %3%（一注落在大底里的机会）")
                       .arg(QString::fromUtf8(gameCaption(result_->game)))
                       .arg(result_->count)
                       .arg(result_->share * 100, 0, 'f', 3);
    for (const ConditionShare& c : result_->conditions) {
        text += QStringLiteral("\n--%1 %2：单独份额 %3%")
                    .arg(QString::fromStdString(c.name), QString::fromStdString(c.value))
                    .arg(c.share * 100, 0, 'f', 3);
    }
    summary_->setText(text);
    return true;
}

void FilterDialog::verify() {
    if (!apply()) return;
    try {
        const BusyCursor busy;
        const auto [first, last] =
            targets_->text().trimmed().isEmpty()
                ? std::pair<std::optional<int32_t>, std::optional<int32_t>>{}
                : parseIssueRange(targets_->text().trimmed().toStdString(), "验证的目标期");
        const FilterVerification v = verifyFilterInStudy(readConditions(), document_.rows(), first,
                                                         last, document_.folder());
        QString text = QString::fromStdString(v.verdict);
        for (const ConditionKills& k : v.conditions) {
            text += QStringLiteral("\n--%1 %2：排除开奖号码 %3 次（%4%），随机应为 %5%")
                        .arg(QString::fromStdString(k.name), QString::fromStdString(k.value))
                        .arg(k.kills)
                        .arg(k.killRate * 100, 0, 'f', 2)
                        .arg(k.chanceKill * 100, 0, 'f', 2);
        }
        verdict_->setText(text);
    } catch (const Error& e) {
        fail(QString::fromStdString(e.what()));
    }
}

// Like every export, the file is opened with the desktop's program for it.
void FilterDialog::shown(const std::filesystem::path& file) {
    const QString name = QString::fromStdString(file.string());
    verdict_->setText(QStringLiteral("大底已导出到 %1").arg(name));
    if (dialogs_ && !dialogs_->openUrl(QUrl::fromLocalFile(name))) {
        fail(QStringLiteral("大底已导出到 %1，但没有找到可以打开它的程序。").arg(name));
    }
}

void FilterDialog::exportText() {
    if (!result_ && !apply()) return;
    const auto file = document_.folder() / file_names::kFilterList;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (int n : result_->numbers) out << numberText(n, result_->game) << "\r\n";
    out.close();
    if (!out) {
        fail(QStringLiteral("无法写入 %1").arg(QString::fromStdString(file.string())));
        return;
    }
    shown(file);
}

void FilterDialog::exportSheet() {
    if (!result_ && !apply()) return;
    TextTable cells = {{"号码"}};
    for (int n : result_->numbers) cells.push_back({numberText(n, result_->game)});
    const auto file = document_.folder() / file_names::kFilterWorkbook;
    try {
        const BusyCursor busy;
        writeSpreadsheet(file, cells);
    } catch (const Error& e) {
        fail(QString::fromStdString(e.what()));
        return;
    }
    shown(file);
}

void FilterDialog::keepAsPick() {
    if (!result_ && !apply()) return;
    PickRequest request;
    request.play = gameKey(result_->game);
    for (int n : result_->numbers) request.numbers.push_back(numberText(n, result_->game));
    request.todayYear = systemYear();
    const QString question =
        QStringLiteral(
            "把大底的 %1 个号码记为下一期的预选（%2 元）？记下后不能修改，只能在开奖前撤回。")
            .arg(result_->count)
            .arg(result_->count * 2);
    if (dialogs_ && !dialogs_->confirm(this, QStringLiteral("记为预选"), question)) return;
    try {
        const PickEntry e = addPick(document_.store(), request, std::chrono::system_clock::now());
        verdict_->setText(QStringLiteral("已记为预选第 %1 条（第 %2 期）").arg(e.id).arg(e.issue));
    } catch (const Error& e) {
        fail(QString::fromStdString(e.what()));
    }
}

}  // namespace arrange5

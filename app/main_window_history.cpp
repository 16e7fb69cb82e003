#include <QDate>
#include <QLineEdit>
#include <QProgressDialog>
#include <QUrl>

#include "acquire/export_text.h"
#include "acquire/history_digest.h"
#include "acquire/maintenance.h"
#include "acquire/replace_history.h"
#include "acquire/store_check.h"
#include "app/busy_cursor.h"
#include "app/dialogs.h"
#include "app/history_check_dialog.h"
#include "app/history_panel.h"
#include "app/main_window.h"
#include "app/search_side.h"
#include "app/status_line.h"
#include "store/data_folder.h"
#include "store/draw.h"
#include "store/errors.h"
#include "store/file_names.h"
#include "store/next_issue.h"

namespace arrange5 {

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& text) {
    return fs::path(text.toStdString());
}
QString fromPath(const fs::path& path) {
    return QString::fromStdString(path.string());
}

const QString kImportQuestion = QStringLiteral(
    "确实要读入最新历史号码吗？点击'确认'读入,点击'取消'放弃该操作。确要读入请保证安装目录下存在"
    "历史号码的文本文件文件。读取时可能要花费一段时间,请耐心等候！");

// "；" and the warning of a change that committed but could not finish tidying up.
QString withWarning(const QString& text, const std::string& warning) {
    return warning.empty() ? text : text + "；" + QString::fromStdString(warning);
}

}  // namespace

// The change is stored and only something after it failed: the window shows the new history
// and the message as a warning, not as a command that failed.
void MainWindow::changeCommitted(const ChangeCommittedError& e) {
    const QString what = QString::fromStdString(e.what());
    statusLine_->show(QStringLiteral("已保存；") + what);
    context_.dialogs->inform(this, QStringLiteral("警告"), QStringLiteral("修改已保存。") + what);
}

// ---- manual entry ----

// A corrected next issue is checked as soon as the field is left: only the last issue + 1 and
// the following year's 001 can follow the history.
void MainWindow::nextIssueLeft() {
    if (!document_ || document_->empty()) return;
    QLineEdit* next = historyPanel_->nextIssueField();
    try {
        const int32_t chosen =
            parseChosenIssue(next->text().toStdString(), document_->rows().back().issue);
        next->setText(QString::number(chosen));
        searchSide_->setIssueToVerify(next->text());
    } catch (const InputError& e) {
        showNextIssue();
        reportError(QString::fromStdString(e.what()));
    }
}

void MainWindow::appendTypedDraw() {
    const Digits digits = historyPanel_->typedDigits();
    auto finish = [this] { historyPanel_->clearEntry(); };
    if (!requireStore()) {
        finish();
        return;
    }
    std::optional<int32_t> chosenIssue;
    if (!document_->empty()) {
        // Text1 may be corrected to the following year's 001; anything else is refused before
        // the draw is stored, and the proposal goes back into the field.
        try {
            chosenIssue = parseChosenIssue(historyPanel_->nextIssueField()->text().toStdString(),
                                           document_->rows().back().issue);
        } catch (const InputError& e) {
            reportError(QString::fromStdString(e.what()));
            showNextIssue();
            // The draw typed is not the fault: it stays for another try.
            historyPanel_->keepEntry();
            return;
        }
    } else {
        const QString suggested = QString::number(QDate::currentDate().year() * 1000 + 1);
        const auto answer = context_.dialogs->input(
            this, QStringLiteral("输入期号"),
            QStringLiteral("历史号码为空，请输入这一期号码的期号（例如 %1）：").arg(suggested),
            suggested);
        if (!answer) {
            finish();
            return;
        }
        const auto number = parseWholeNumber(answer->trimmed().toStdString());
        if (!number || !isValidIssue(*number)) {
            reportError(QStringLiteral("“%1”不是期号（七位数字：年份和当年的期数，例如 %2），"
                                       "号码没有保存。")
                            .arg(*answer, suggested));
            historyPanel_->keepEntry();
            return;
        }
        chosenIssue = static_cast<int32_t>(*number);
    }
    int32_t stored = 0;
    finish();
    if (!guarded([&] {
            stored = appendManualDraw(document_->store(), digits, chosenIssue, systemYear());
        })) {
        return;
    }
    statusLine_->show(QStringLiteral("已存入第 %1 期 %2，共 %3 期")
                          .arg(stored)
                          .arg(QString::fromStdString(digitString(digits)))
                          .arg(document_->rows().size()));
}

// ---- import ----

void MainWindow::importHistory() {
    if (!context_.dialogs->confirm(this, QStringLiteral("读入历史"), kImportQuestion)) return;
    const fs::path folder = context_.dataFolder / fs::path(file_names::kImportFolder);
    const QString chosen =
        context_.dialogs->openFile(this, fromPath(folder), QStringLiteral("Text(*.txt)"));
    // Every import that reads nothing ends by showing the next issue again, as one that reads
    // a file does through the change it announces; a typed issue to verify goes back to it too.
    if (chosen.isEmpty() || !hasTxtExtension(toPath(chosen))) {
        showNextIssue();
        return;
    }
    if (!requireStore()) return;
    const bool read = guarded([&] {
        BusyCursor busy;
        QProgressDialog progress(QStringLiteral("正在读入历史号码……"), QStringLiteral("取消"), 0,
                                 100, this);
        progress.setWindowTitle(QStringLiteral("读入历史"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(800);
        const ReplaceReport report = importHistoryFile(
            document_->store(), toPath(chosen), [&progress](std::size_t done, std::size_t total) {
                progress.setMaximum(static_cast<int>(total));
                progress.setValue(static_cast<int>(done));
                return !progress.wasCanceled();
            });
        showReadReport(report);
    });
    if (!read) showNextIssue();
}

// ---- deletions and export ----

template <typename Change>
void MainWindow::rewriteHistory(Change change) {
    const std::size_t before = document_->rows().size();
    guarded([&] {
        BusyCursor busy;
        const auto report = change();
        if (!report) return;
        const std::size_t deleted = before > report->stored ? before - report->stored : 0;
        const QString kept = report->stored == 0 ? QStringLiteral("历史号码已空")
                                                 : QStringLiteral("保留 %1 期（%2 期至 %3 期）")
                                                       .arg(report->stored)
                                                       .arg(report->firstIssue)
                                                       .arg(report->lastIssue);
        statusLine_->show(
            withWarning(QStringLiteral("已删除 %1 期，").arg(deleted) + kept, report->warning));
    });
}

void MainWindow::deleteLastDraw() {
    if (!requireStore()) return;
    guarded([&] {
        const DeletedDraw deleted = arrange5::deleteLastDraw(document_->store());
        statusLine_->show(withWarning(QStringLiteral("已删除第 %1 期，保留 %2 期")
                                          .arg(deleted.issue)
                                          .arg(document_->rows().size()),
                                      deleted.warning));
    });
    historyPanel_->entryDigits()[0]->setFocus();
}

void MainWindow::clearHistory() {
    if (!context_.dialogs->confirm(this, QStringLiteral("确认清空"),
                                   QStringLiteral("确定要清空所有的历史号码吗？"))) {
        return;
    }
    if (!requireStore()) return;
    guarded([&] {
        const std::size_t removed = arrange5::clearHistory(document_->store());
        statusLine_->show(QStringLiteral("已清空 %1 期历史号码").arg(removed));
    });
}

void MainWindow::cutToIssue() {
    if (!requireStore()) return;
    const QString lastIssue =
        document_->empty() ? QString() : QString::number(document_->rows().back().issue);
    const auto answer =
        context_.dialogs->input(this, QStringLiteral("删除期数"),
                                QStringLiteral("请输入需要删除到的期数，例如‘2014016’"), lastIssue);
    const int64_t issue = inputBoxNumber(answer.value_or(QString()).toStdString());
    rewriteHistory([&] { return arrange5::cutToIssue(document_->store(), issue); });
}

void MainWindow::dropLastIssues() {
    if (!requireStore()) return;
    const auto answer = context_.dialogs->input(
        this, QStringLiteral("删除期数"),
        QStringLiteral(
            "请输入需要删除最后多少期历史号码（例如输入3，那么就将删除最后的3期历史号码）"),
        QStringLiteral("1"));
    const int64_t n = inputBoxNumber(answer.value_or(QString()).toStdString());
    rewriteHistory([&] { return arrange5::dropLastIssues(document_->store(), n); });
}

void MainWindow::checkHistoryRows() {
    if (!requireStore()) return;
    HistoryCheckDialog dlg(checkStore(document_->store()).history, this);
    dlg.exec();
}

void MainWindow::exportHistoryText() {
    if (!requireStore()) return;
    fs::path written;
    if (!guarded([&] { written = arrange5::exportHistoryText(document_->store()); })) return;
    statusLine_->show(QStringLiteral("已导出到 %1").arg(fromPath(written)));
    if (!context_.dialogs->openUrl(QUrl::fromLocalFile(fromPath(written)))) {
        reportError(QStringLiteral("历史号码已导出到 %1，但没有找到可以打开它的程序。")
                        .arg(fromPath(written)));
    }
}

}  // namespace arrange5

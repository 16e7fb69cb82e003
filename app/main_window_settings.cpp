#include <QAction>
#include <QUrl>

#include "app/dialogs.h"
#include "app/main_window.h"
#include "store/limits.h"

namespace arrange5 {

namespace fs = std::filesystem;

namespace {

const QString kYearsPrompt = QStringLiteral(
    "请输入更新需要保留的历史号码的年数（2~16中的任意自然数），如果超过年数将删除最早的一年的历史"
    "号码");
const QString kYearsWarning = QStringLiteral(
    "为了保证时效性和提高计算效率，软件只能统计16年以内的数据，请输入2到16中的自然数。");

}  // namespace

void MainWindow::chooseSegmentBase(int base) {
    settings_.set(&WindowSettings::segmentBase, base);
    for (int b : {0, 1}) segmentBaseItems_[b]->setChecked(b == base);
    segmentBaseChanged();
}

void MainWindow::chooseUpdateSource(UpdateSource source) {
    settings_.set(&WindowSettings::updateSource, std::string(updateSourceKey(source)));
    updateSourceItems_[0]->setChecked(source == UpdateSource::Official);
    updateSourceItems_[1]->setChecked(source == UpdateSource::Pages);
}

void MainWindow::setYearsToKeep() {
    for (;;) {
        const auto answer = context_.dialogs->input(this, QStringLiteral("设置年数"), kYearsPrompt,
                                                    QString::number(settings_->yearsToKeep));
        if (!answer || answer->isEmpty()) return;
        bool ok = false;
        const int years = answer->trimmed().toInt(&ok);
        if (!ok || years < limits::kMinYearsToKeep || years > limits::kMaxYearsToKeep) {
            context_.dialogs->notice(this, QStringLiteral("输入有误"), kYearsWarning);
            continue;
        }
        settings_.set(&WindowSettings::yearsToKeep, years);
        return;
    }
}

void MainWindow::setUpdateHost() {
    const auto answer = context_.dialogs->input(
        this, QStringLiteral("开奖结果网址"),
        QStringLiteral("请输入开奖结果网站的地址（例如 https://www.example.com），在线更新从该网站"
                       "读取每一年的开奖结果页面："),
        QString::fromStdString(settings_->updateHost));
    if (!answer) return;
    settings_.set(&WindowSettings::updateHost, answer->trimmed().toStdString());
}

void MainWindow::openDocument(const char* name) {
    for (const fs::path& folder : context_.docFolders) {
        const fs::path file = folder / name;
        std::error_code ec;
        if (!fs::is_regular_file(file, ec)) continue;
        const QString path = QString::fromStdString(file.string());
        if (!context_.dialogs->openUrl(QUrl::fromLocalFile(path))) {
            reportError(QStringLiteral("没有找到可以打开 %1 的程序。").arg(path));
        }
        return;
    }
    reportError(QStringLiteral("找不到文档 %1（应在程序目录的 docs 文件夹中）。")
                    .arg(QString::fromUtf8(name)));
}

}  // namespace arrange5

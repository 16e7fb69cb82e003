#include "app/change_watch.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include "store/row_check.h"

namespace arrange5 {

ChangeWatch::ChangeWatch(QObject* parent, std::function<void()> look,
                         std::chrono::milliseconds interval)
    : QObject(parent), look_(std::move(look)) {
    timer_.setInterval(interval);
    connect(&timer_, &QTimer::timeout, this, [this] { lookNow(); });
    timer_.start();
}

void ChangeWatch::watchFocus(QWidget* field) {
    field->installEventFilter(this);
}

bool ChangeWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) lookNow();
    return QObject::eventFilter(watched, event);
}

void ChangeWatch::lookNow() {
    if (QApplication::activeModalWidget()) return;
    look_();
}

std::optional<QString> unsoundHistoryNotice(const HistorySnapshot& rows, std::string& lastShown) {
    const auto problem = firstRowProblem(rows);
    if (!problem) {
        lastShown.clear();
        return std::nullopt;
    }
    if (*problem == lastShown) return std::nullopt;
    lastShown = *problem;
    return QString::fromStdString(
        *problem +
        "。\n检索、滚动验证、走势图、导出和经由 lsbf.txt 的删除都不能用于这样的历史号码；"
        "历史号码检查（历史管理菜单）列出所有这样的期，导入一份正确的历史号码文件即可替换。");
}

}  // namespace arrange5

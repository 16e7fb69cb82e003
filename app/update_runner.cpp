#include "app/update_runner.h"

#include <QProgressDialog>
#include <QThread>
#include <atomic>
#include <exception>
#include <memory>
#include <optional>

namespace arrange5 {

namespace {

// What is being read, counted as the summary will count it: a purge reads the stored draws
// of the kept years again, and they are no new draws.
QString progressText(const UpdateProgressInfo& info) {
    if (info.secondsToWait > 0) {
        return QStringLiteral("服务器繁忙，%1 秒后重试").arg(info.secondsToWait);
    }
    QString text =
        QStringLiteral("正在读取 %1 年的开奖号码：新增 %2 期").arg(info.year).arg(info.draws);
    if (info.reread > 0) {
        text += QStringLiteral("，重新读入已存的 %1 期").arg(info.reread);
    }
    return text;
}

}  // namespace

UpdateReport runUpdateWithProgress(QWidget* parent, const UpdateWork& work,
                                   const QString& connecting) {
    QProgressDialog progress(connecting, QStringLiteral("取消"), 0, 0, parent);
    progress.setWindowTitle(QStringLiteral("历史号在线更新"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);

    std::atomic<bool> cancelled{false};
    std::optional<UpdateReport> report;
    std::exception_ptr failure;
    // Called on the worker: the label is set on the window's thread, and dropped if the box
    // is already gone.
    const UpdateStatusProgress status = [&progress, &cancelled](const UpdateProgressInfo& info) {
        QMetaObject::invokeMethod(
            &progress, [&progress, text = progressText(info)] { progress.setLabelText(text); },
            Qt::QueuedConnection);
        return !cancelled.load();
    };
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            report = work(status);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QObject::connect(&progress, &QProgressDialog::canceled, [&cancelled] { cancelled = true; });
    QObject::connect(worker.get(), &QThread::finished, &progress,
                     [&progress] { progress.done(0); });
    worker->start();
    progress.exec();
    // The box was closed (cancel, Escape) before the update ended: it stops at its next
    // progress call, well within a second, and changes nothing.
    if (!worker->isFinished()) {
        cancelled = true;
        worker->wait();
    }
    if (failure) std::rethrow_exception(failure);
    return *report;
}

}  // namespace arrange5

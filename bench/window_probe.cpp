// arrange5-window-probe --data-dir DIR --settings-dir DIR [--trend]
// Starts the window on DIR as the program does, waits until the window is shown and its
// event loop has nothing left to do, then prints the time since the process started and
// quits. window_figures.sh runs it under /usr/bin/time for the peak memory. With --trend it
// then presses 走势图 and also prints the time until the chart is shown and the loop idle again
// (trend_figures.sh).
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCommandLineParser>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

#include "app/main_window.h"
#include "bench/quiet_dialogs.h"
#include "store/data_folder.h"

namespace {

// Seconds since the process was started, from the kernel's start time of this process.
double secondsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    // Fields after the command name, which is in parentheses and may hold blanks.
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int i = 3; i < 22; ++i) rest >> field;
    unsigned long long startTicks = 0;
    rest >> startTicks;
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double started =
        static_cast<double>(startTicks) / static_cast<double>(sysconf(_SC_CLK_TCK));
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9 - started;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    QCommandLineOption dataDir("data-dir", "The data folder holding Zembric.mdb.", "DIR");
    QCommandLineOption settingsDir("settings-dir", "Where the settings file goes.", "DIR");
    parser.addOption(dataDir);
    parser.addOption(settingsDir);
    QCommandLineOption trend("trend", "Also time the trend chart's opening.");
    parser.addOption(trend);
    parser.process(app);
    if (!parser.isSet(dataDir) || !parser.isSet(settingsDir)) {
        std::fprintf(stderr, "usage: arrange5-window-probe --data-dir DIR --settings-dir DIR\n");
        return 2;
    }
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, parser.value(settingsDir));

    arrange5::bench::QuietDialogs dialogs;
    arrange5::AppContext context;
    context.dataFolder = parser.value(dataDir).toStdString();
    context.bundledHistory = arrange5::findBundledHistory(arrange5::executableFolder());
    context.dialogs = &dialogs;

    arrange5::MainWindow window(context);
    window.show();
    double idleAfter = 0;
    double trendPressed = 0;
    double trendShown = 0;
    // Queued after everything showing the window posted; from there the first moment the
    // event loop is about to wait for input is "idle".
    QTimer::singleShot(0, &window, [&] {
        QObject::connect(QAbstractEventDispatcher::instance(),
                         &QAbstractEventDispatcher::aboutToBlock, &app, [&] {
                             if (idleAfter == 0) {
                                 idleAfter = secondsSinceProcessStart();
                                 if (!parser.isSet(trend)) {
                                     app.quit();
                                     return;
                                 }
                                 trendPressed = secondsSinceProcessStart();
                                 window.findChild<QPushButton*>("CommandTrend")->click();
                             } else if (trendPressed > 0 && trendShown == 0) {
                                 trendShown = secondsSinceProcessStart();
                                 app.quit();
                             }
                         });
    });
    const int status = app.exec();
    std::printf("rows %d\nstart-to-idle %.3f\n",
                window.store() ? static_cast<int>(window.store()->rows().size()) : 0, idleAfter);
    if (trendShown > 0) std::printf("trend-open %.3f\n", trendShown - trendPressed);
    for (const QString& m : dialogs.messages) {
        std::fprintf(stderr, "the window reported: %s\n", m.toLocal8Bit().constData());
    }
    return dialogs.messages.isEmpty() ? status : 1;
}

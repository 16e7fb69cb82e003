#include <QApplication>
#include <QSettings>
#include <cstdlib>
#include <memory>

#include "app/main_window.h"
#include "bench/bench_registry.h"
#include "bench/quiet_dialogs.h"

namespace arrange5::bench {

namespace {

constexpr const char* kWindowStore = "window";

std::unique_ptr<QApplication> app;

// One QApplication for the whole run, made when the first window measurement starts. The
// window's settings go to a folder of the run, never to the user's own file.
QApplication& application(const std::filesystem::path& settingsFolder) {
    static int argc = 1;
    static char name[] = "arrange5-bench";
    static char* argv[] = {name, nullptr};
    if (!app) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(settingsFolder.string()));
        app = std::make_unique<QApplication>(argc, argv);
    }
    return *app;
}

}  // namespace

void shutDownWindowBenchmarks() {
    app.reset();
}

void registerWindowBenchmarks(const MeasuredHistory& history, BenchResults& results) {
    HistoryFixture* fixture = history.fixture;
    const std::string& h = fixture->name();

    // showHistory() as the window runs it after every change of the history: reopen the reading
    // cursor, give the rows to the grid's model, and let the grid draw itself.
    registerTimed("grid-fill/" + h, history.repetitions, [=, &results](benchmark::State& state) {
        const MeasureKey key{"grid-fill", h, ""};
        for (auto _ : state) {
            guarded(state, results, key, [&] {
                const std::filesystem::path folder = fixture->freshCopy(kWindowStore);
                application(folder.parent_path().parent_path() / "settings");
                QuietDialogs dialogs;
                AppContext context;
                context.dataFolder = folder;
                context.dialogs = &dialogs;
                MainWindow window(context);
                window.show();
                QApplication::processEvents();
                const double s = secondsOf([&] {
                    window.showHistory();
                    QApplication::processEvents();
                });
                // The part of the fill that reads the database, on its own and as warm.
                const double cursor = secondsOf([&] { window.store()->reopenReadingCursor(); });
                if (!dialogs.messages.isEmpty()) {
                    throw std::runtime_error("the window reported: " +
                                             dialogs.messages.join("; ").toStdString());
                }
                state.SetIterationTime(s);
                state.counters["cursor_ms"] = cursor * 1e3;
                results.add(key, s);
                results.add({"reading-cursor", h, ""}, cursor);
            });
        }
    });
}

}  // namespace arrange5::bench

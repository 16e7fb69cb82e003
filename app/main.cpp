#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "app/app_paths.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "store/data_folder.h"
#include "store/errors.h"
#include "store/settings_table.h"

int main(int argc, char* argv[]) {
    // The help and version texts need no screen; without one the window's platform would
    // abort first.
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-h" || arg == "--help" || arg == "-?" || arg == "--help-all" || arg == "-v" ||
            arg == "--version") {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
    }
    QApplication app(argc, argv);
    // The window speaks Chinese whatever the desktop's language: the standard buttons and
    // dialogs follow it (确定/取消 rather than OK/Cancel).
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qtTranslator);
    }
    // Dates, sizes and numbers in Qt's own dialogs (the file dialog's columns) in Chinese too.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    // The settings file is named after these (~/.config/Korvath.ini).
    QCoreApplication::setOrganizationName("Korvath");
    QCoreApplication::setApplicationName("arrange5");
    QCoreApplication::setApplicationVersion(arrange5::kProgramVersion);

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption dataDir("data-dir",
                               QStringLiteral("把 Zembric.mdb 和各种导出文件放在目录 DIR 中"
                                              "（也可用环境变量 ARRANGE5_DATA_DIR 指定）。"),
                               "DIR");
    QCommandLineOption demoSearch("demo-search",
                                  QStringLiteral("启动后勾选第1位和第3位并检索（用于截图）。"));
    parser.addOption(dataDir);
    parser.addOption(demoSearch);
    QCommandLineOption demoTrend("demo-trend", QStringLiteral("启动后打开走势图（用于截图）。"));
    parser.addOption(demoTrend);
    parser.process(app);

    namespace fs = std::filesystem;
    const fs::path exe = arrange5::executableFolder();
    std::optional<std::string> given;
    if (parser.isSet(dataDir)) given = parser.value(dataDir).toStdString();
    fs::path folder;
    try {
        folder = arrange5::resolveDataFolder(given).path;
    } catch (const arrange5::Error& e) {
        std::cerr << "arrange5: " << e.what() << "\n";
        QMessageBox::critical(nullptr, QStringLiteral("数据文件夹"),
                              QString::fromStdString(e.what()));
        return 2;
    }
    try {
        arrange5::requireSaneSettingsFile(arrange5::userSettingsFile());
    } catch (const arrange5::Error& e) {
        std::cerr << "arrange5: " << e.what() << "\n";
        QMessageBox::critical(nullptr, QStringLiteral("设置文件"),
                              QString::fromStdString(e.what()));
        return 2;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);

    arrange5::DesktopDialogs dialogs;
    arrange5::AppContext context;
    context.dataFolder = folder;
    context.bundledHistory = arrange5::findBundledHistory(exe);
    context.docFolders = arrange5::documentFolders(exe);
    context.dialogs = &dialogs;

    arrange5::MainWindow window(context);
    window.show();
    if (parser.isSet(demoSearch)) {
        QTimer::singleShot(300, &window, [&window] {
            for (const char* name : {"Check1(1)", "Check1(3)"}) {
                window.findChild<QCheckBox*>(name)->setChecked(true);
            }
            window.findChild<QPushButton*>("Command1")->click();
        });
    }
    if (parser.isSet(demoTrend)) {
        QTimer::singleShot(300, &window,
                           [&window] { window.findChild<QPushButton*>("CommandTrend")->click(); });
    }
    return app.exec();
}

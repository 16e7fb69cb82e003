#include <CLI/CLI.hpp>

#include "acquire/first_start.h"
#include "cli/cli_context.h"
#include "cli/parse_messages.h"
#include "store/data_folder.h"
#include "store/errors.h"
#include "store/file_names.h"
#include "store/limits.h"
#include "store/store_files.h"

namespace arrange5::cli {

std::filesystem::path CliContext::dataFolder() const {
    return resolveDataFolder(dir).path;
}

UserSettings CliContext::readSettings() {
    try {
        return readUserSettingsFile(userSettingsFile());
    } catch (const SettingsFileError& e) {
        settingsProblem = e.what();
        return defaultUserSettings();
    }
}

HistoryStore& CliContext::store() {
    return open(false);
}

HistoryStore& CliContext::readingStore() {
    return open(true);
}

// The one way every command opens its store: the data folder's database with its reading
// cursor read. A folder without a database is filled from the history that ships with the
// program before any command runs (the update included, which would otherwise start a new
// folder with a few years and never read the bundled draws later). Without a bundled
// history a command that changes the history starts on an empty one, and a reading command
// is refused and creates nothing.
HistoryStore& CliContext::open(bool reading) {
    if (document_) return document_->store();
    const DataFolder folder = resolveDataFolder(dir);
    const bool fresh = !hasDatabaseFile(folder.path);
    const auto bundled = fresh ? findBundledHistory(executableFolder()) : std::nullopt;
    if (fresh && !bundled && reading) {
        throw StoreError("数据文件夹 " + folder.path.string() +
                         " 里没有历史号码（没有 Zembric.mdb，也没有随程序附带的历史号码），"
                         "没有建立任何文件；请先用 import 读入历史号码文件");
    }
    if (folder.source == DataFolderSource::PerUser) {
        // The per-user folder is the program's own to make, as the window does; a folder
        // the user chose must exist.
        std::error_code ec;
        std::filesystem::create_directories(folder.path, ec);
    }
    document_ = std::make_unique<HistoryDocument>(folder.path);
    document_->setSegmentBase(segmentBase);
    HistoryStore& store = document_->store();
    if (!bundled || !store.empty()) return store;
    try {
        const ReplaceReport report = fillFromBundledHistory(store, *bundled);
        err << "arrange5-cli: 数据文件夹 " << folder.path.string()
            << " 里还没有历史号码，已读入随程序附带的历史号码：" << report.summary() << "\n";
    } catch (const Error&) {
        // The database this command made holds nothing: take it away again, so that a
        // refused command leaves the folder as it found it.
        if (store.empty()) {
            document_.reset();
            std::error_code ec;
            for (const char* suffix : {"", "-wal", "-shm"}) {
                std::filesystem::remove(folder.path / (std::string(file_names::kDatabase) + suffix),
                                        ec);
            }
        }
        throw;
    }
    return store;
}

void CliContext::warn(const std::string& warning) const {
    if (!warning.empty()) err << "arrange5-cli: 警告：" << warning << "\n";
}

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CliContext ctx(out, err);
    CLI::App app{"arrange5-cli：排列五的历史号码与跟随形态检索"};
    // Before the subcommands are added: each takes its help flag from the app.
    app.set_help_flag("-h,--help", "显示帮助并退出");
    app.set_help_all_flag("--help-all", "列出全部命令和选项并退出");
    app.require_subcommand(1);
    // Before any command runs: a settings file read differently from the window could store
    // rows under another segment base than the history's.
    app.parse_complete_callback([&ctx] {
        if (ctx.settingsProblem) throw SettingsFileError(*ctx.settingsProblem);
    });
    app.set_version_flag("--version", std::string("arrange5-cli ") + kProgramVersion,
                         "显示版本并退出");
    app.add_option_function<std::string>(
           "--data-dir,--dir", [&ctx](const std::string& folder) { ctx.dir = folder; },
           "存放 Zembric.mdb 的数据文件夹（也可用环境变量 ARRANGE5_DATA_DIR 指定）")
        ->check(nonEmptyFolder());
    app.add_option("--segment-base", ctx.segmentBase, "段数参数：数字 0、1 所在段的编号")
        ->transform(decimalNumber(limits::kSegmentBaseZero, limits::kSegmentBaseOne));
    addHistoryCommands(app, ctx);
    addCheckCommand(app, ctx);
    addMaintenanceCommands(app, ctx);
    addUpdateCommand(app, ctx);
    addSearchCommands(app, ctx);
    addBacktestCommands(app, ctx);
    addStudyCommand(app, ctx);
    addTrendCommand(app, ctx);
    addFilterCommand(app, ctx);
    addPickCommands(app, ctx);
    addFormatOptions(app, ctx);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        out << app.help();
        return 0;
    } catch (const CLI::CallForAllHelp& e) {
        out << app.help("", CLI::AppFormatMode::All);
        return 0;
    } catch (const CLI::CallForVersion& e) {
        out << e.what() << "\n";
        return 0;
    } catch (const CLI::ParseError& e) {
        err << "arrange5-cli: " << describeParseError(e) << "\n";
        return 2;
    } catch (const ChangeCommittedError& e) {
        // The change is in the file: a script must not repeat the command.
        ctx.warn(e.what());
        return 0;
    } catch (const Error& e) {
        err << "arrange5-cli: " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        err << "arrange5-cli: " << e.what() << "\n";
        return 2;
    }
    return 0;
}

}  // namespace arrange5::cli

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"
#include "store/data_folder.h"
#include "store/errors.h"

namespace arrange5::cli {

std::filesystem::path CliContext::dataFolder() const {
    const DataFolder folder = resolveDataFolder(dir);
    if (folder.source == DataFolderSource::PerUser) {
        // The per-user folder is the program's own to make, as the window does.
        std::error_code ec;
        std::filesystem::create_directories(folder.path, ec);
    }
    return folder.path;
}

HistoryStore& CliContext::store() {
    if (!store_) store_ = std::make_unique<HistoryStore>(dataFolder());
    return *store_;
}

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CliContext ctx(out, err);
    CLI::App app{"arrange5-cli：排列五的历史号码与跟随形态检索"};
    // Before the subcommands are added: each takes its help flag from the app.
    app.set_help_flag("-h,--help", "显示帮助并退出");
    app.set_help_all_flag("--help-all", "列出全部命令和选项并退出");
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("arrange5-cli ") + kProgramVersion,
                         "显示版本并退出");
    app.add_option_function<std::string>(
        "--data-dir,--dir", [&ctx](const std::string& folder) { ctx.dir = folder; },
        "存放 Zembric.mdb 的数据文件夹（也可用环境变量 ARRANGE5_DATA_DIR 指定）");
    app.add_option("--segment-base", ctx.segmentBase, "段数参数：数字 0、1 所在段的编号")
        ->check(CLI::IsMember({0, 1}));
    addHistoryCommands(app, ctx);
    addMaintenanceCommands(app, ctx);
    addUpdateCommand(app, ctx);
    addSearchCommands(app, ctx);
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
        err << "arrange5-cli: " << e.what() << "\n";
        return 2;
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

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"
#include "store/data_folder.h"
#include "store/errors.h"

namespace arrange5::cli {

std::filesystem::path CliContext::dataFolder() const {
    if (!dir.empty()) return dir;
    return chooseDataFolder(executableFolder(), userDataFolderFromEnvironment());
}

HistoryStore& CliContext::store() {
    if (!store_) store_ = std::make_unique<HistoryStore>(dataFolder());
    return *store_;
}

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CliContext ctx(out, err);
    CLI::App app{"arrange5-cli: the 排列五 history and its following-pattern searches"};
    app.set_help_all_flag("--help-all");
    app.require_subcommand(1);
    app.add_option("--dir", ctx.dir, "data folder holding Zembric.mdb");
    app.add_option("--segment-base", ctx.segmentBase, "segment number of the digits 0 and 1")
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

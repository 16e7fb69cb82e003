#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "cli/output.h"
#include "store/history_document.h"
#include "store/settings_table.h"

namespace CLI {
class App;
}

namespace arrange5 {
struct ReplaceReport;
}

namespace arrange5::cli {

// What every command of one invocation shares: the data folder, the segment base and the
// history document (opened on first use), the writer context whose last two draws start at
// zero in each invocation.
struct CliContext {
    std::ostream& out;
    std::ostream& err;
    std::optional<std::string> dir;  // --data-dir, when given
    // The window's settings file: the defaults of --segment-base and of the update's years
    // to keep, source and addresses. Options given on the command line override them. A file
    // the command line cannot read as the window does leaves the defaults here and its
    // reason in settingsProblem, which every command (not --help, not --version) refuses with.
    std::optional<std::string> settingsProblem;
    UserSettings settings = readSettings();
    // --segment-base, else the settings' DsIni: handed to the document when it opens.
    int segmentBase = settings.segmentBase;
    OutputFormat format = OutputFormat::Default;  // --format of the command

    CliContext(std::ostream& o, std::ostream& e) : out(o), err(e) {}

    std::filesystem::path dataFolder() const;
    // The store for a command that changes the history. A folder without Zembric.mdb is
    // filled with the history that ships with the program first (stderr says so), or gets a
    // new, empty database when the program has none.
    HistoryStore& store();
    // The store for a command that only reads (history, export, the searches, ...): the
    // same, except that without a bundled history it throws StoreError and creates nothing.
    HistoryStore& readingStore();
    // Prints a warning of a command that was done (exit status stays 0).
    void warn(const std::string& warning) const;

  private:
    HistoryStore& open(bool reading);
    UserSettings readSettings();

    std::unique_ptr<HistoryDocument> document_;
};

// Each command file adds its subcommands to the app; the callbacks run the command.
void addHistoryCommands(CLI::App& app, CliContext& ctx);      // import, history, export
void addMaintenanceCommands(CLI::App& app, CliContext& ctx);  // enter, delete-last, clear, ...
void addUpdateCommand(CLI::App& app, CliContext& ctx);        // update
void addSearchCommands(CLI::App& app, CliContext& ctx);       // search, combo
void addCheckCommand(CLI::App& app, CliContext& ctx);         // check
void addBacktestCommands(CLI::App& app, CliContext& ctx);     // backtest search|combo
void addStudyCommand(CLI::App& app, CliContext& ctx);         // study [--reset], recode
void addTrendCommand(CLI::App& app, CliContext& ctx);         // trend
void addFilterCommand(CLI::App& app, CliContext& ctx);        // filter
void addPickCommands(CLI::App& app, CliContext& ctx);         // pick add|withdraw|list|check

// The figures of a replaced history for --format json: stored, skipped, first, last and the
// skipped line numbers.
nlohmann::ordered_json replaceJson(const ReplaceReport& report);

// Parses the arguments and runs one command. Returns the exit status: 0 on success,
// 2 on any failure, with one line naming the problem on `err`.
int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace arrange5::cli

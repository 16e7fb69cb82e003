#include <CLI/CLI.hpp>

#include "acquire/export_text.h"
#include "acquire/history_text.h"
#include "acquire/replace_history.h"
#include "cli/cli_context.h"

namespace arrange5::cli {

void addHistoryCommands(CLI::App& app, CliContext& ctx) {
    auto* import = app.add_subcommand("import", "replace the history with a history text file");
    auto importFile = std::make_shared<std::string>();
    import->add_option("FILE", *importFile, "history text file")->required();
    import->callback([&ctx, importFile] {
        const ReplaceReport report =
            importHistoryFile(ctx.store(), *importFile, ctx.segmentBase, ctx.sp);
    ctx.out << report.summary() << "\n";
});

auto* history = app.add_subcommand("history", "print the history, one line per draw");
history->callback([&ctx] {
    std::string buffer;
    for (const auto& row : ctx.store().rows()) {
        buffer += formatHistoryLine(row.issue, row.digits());
        buffer += '\n';
    }
    ctx.out << buffer;
});

auto* exportCmd = app.add_subcommand("export", "write the history text file");
auto exportFile = std::make_shared<std::string>();
exportCmd->add_option("FILE", *exportFile, "file to write (default: the window's name)");
exportCmd->callback([&ctx, exportFile] {
    std::optional<std::filesystem::path> target;
    if (!exportFile->empty()) target = *exportFile;
    const auto written = exportHistoryText(ctx.store(), target);
    ctx.out << ctx.store().rows().size() << " draws written to " << written.string() << "\n";
});
}  // namespace arrange5::cli

}  // namespace arrange5::cli

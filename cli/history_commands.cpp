#include <CLI/CLI.hpp>

#include "acquire/export_text.h"
#include "acquire/history_text.h"
#include "acquire/replace_history.h"
#include "cli/cli_context.h"
#include "store/row_check.h"

namespace arrange5::cli {

void addHistoryCommands(CLI::App& app, CliContext& ctx) {
    auto* importCmd = app.add_subcommand("import", "用历史号码文本文件替换全部历史号码");
    auto importFile = std::make_shared<std::string>();
    importCmd->add_option("FILE", *importFile, "历史号码文本文件")->required();
    importCmd->callback([&ctx, importFile] {
        const ReplaceReport report =
            importHistoryFile(ctx.store(), *importFile, ctx.segmentBase, ctx.sp);
        ctx.out << report.summary() << "\n";
    });

    auto* history = app.add_subcommand("history", "打印全部历史号码，每行一期");
    history->callback([&ctx] {
        const HistorySnapshot& rows = ctx.readingStore().rows();
        // One digit per position is all a history line holds.
        requireSoundRows(rows, "按历史号码文本的格式列出");
        std::string buffer;
        for (const auto& row : rows) {
            buffer += formatHistoryLine(row.issue, row.digits());
            buffer += '\n';
        }
        ctx.out << buffer;
    });

    auto* exportCmd = app.add_subcommand("export", "写出历史号码文本文件");
    auto exportFile = std::make_shared<std::string>();
    exportCmd->add_option("FILE", *exportFile, "要写出的文件（默认与窗口的导出同名、同位置）");
    exportCmd->callback([&ctx, exportFile] {
        std::optional<std::filesystem::path> target;
        if (!exportFile->empty()) target = *exportFile;
        HistoryStore& store = ctx.readingStore();
        const auto written = exportHistoryText(store, target);
        ctx.out << "已把 " << store.rows().size() << " 期写入 " << written.string() << "\n";
    });
}

}  // namespace arrange5::cli

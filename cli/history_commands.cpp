#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "acquire/export_text.h"
#include "acquire/history_text.h"
#include "acquire/replace_history.h"
#include "cli/cli_context.h"
#include "cli/output.h"
#include "store/row_check.h"

namespace arrange5::cli {

nlohmann::ordered_json replaceJson(const ReplaceReport& report) {
    auto skipped = nlohmann::ordered_json::array();
    for (const SkippedLine& line : report.skippedLines) skipped.push_back(line.lineNumber);
    return {{"stored", report.stored},
            {"skipped", report.skipped},
            {"first", report.firstIssue},
            {"last", report.lastIssue},
            {"skipped_lines", std::move(skipped)}};
}

void addHistoryCommands(CLI::App& app, CliContext& ctx) {
    auto* importCmd = app.add_subcommand("import", "用历史号码文本文件替换全部历史号码");
    auto importFile = std::make_shared<std::string>();
    importCmd->add_option("FILE", *importFile, "历史号码文本文件")->required();
    importCmd->callback([&ctx, importFile] {
        const ReplaceReport report = importHistoryFile(ctx.store(), *importFile);
        printSummary(ctx, report.summary(), replaceJson(report));
    });
    setExamples(importCmd, {"arrange5-cli import 历史号码/更新至2026174期历史号码.txt"});

    auto* history = app.add_subcommand("history", "打印全部历史号码，每行一期");
    setExamples(history,
                {"arrange5-cli history | tail -n 5", "arrange5-cli history --format json"});
    history->callback([&ctx] {
        const HistorySnapshot& rows = ctx.readingStore().rows();
        // One digit per position is all a history line holds.
        requireSoundRows(rows, "按历史号码文本的格式列出");
        if (ctx.format == OutputFormat::Json) {
            auto draws = nlohmann::ordered_json::array();
            for (const auto& row : rows) {
                draws.push_back({{"issue", row.issue}, {"digits", digitString(row.digits())}});
            }
            ctx.out << nlohmann::ordered_json{{"draws", std::move(draws)}}.dump() << "\n";
            return;
        }
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
        printSummary(ctx,
                     "已把 " + std::to_string(store.rows().size()) + " 期写入 " + written.string(),
                     {{"draws", store.rows().size()}, {"file", written.string()}});
    });
    setExamples(exportCmd, {"arrange5-cli export", "arrange5-cli export ~/历史号码.txt"});
}

}  // namespace arrange5::cli

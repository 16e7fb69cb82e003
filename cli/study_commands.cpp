#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>

#include "analysis/chance.h"
#include "analysis/segment_bases.h"
#include "analysis/study_log.h"
#include "cli/chance_json.h"
#include "cli/cli_context.h"
#include "cli/output.h"

namespace arrange5::cli {

void addStudyCommand(CLI::App& app, CliContext& ctx) {
    auto reset = std::make_shared<bool>(false);
    auto* study = app.add_subcommand("study", "本次研究已检索或验证的设置，按名次列出（JSON）");
    study->add_flag("--reset", *reset, "开始新的研究：此前计入的设置不再计入");
    study->callback([&ctx, reset] {
        StudyLog log(ctx.dataFolder());
        nlohmann::ordered_json out;
        if (*reset) {
            const StudyLog::Reset done = log.reset();
            out["reset"] = true;
            out["settings_before"] = orNull(done.before);
            if (done.keptAs) out["unreadable_log_kept_as"] = done.keptAs->string();
            printFigures(ctx, out, [&done](std::ostream& text) {
                text << "已开始新的研究";
                if (done.before) text << "：此前计入的 " << *done.before << " 种设置不再计入";
                if (done.keptAs) text << "；读不懂的研究记录已另存为 " << done.keptAs->string();
                text << "\n";
            });
            return;
        }
        // An unreadable log is an error (exit 2), never shown as an empty study.
        const auto entries = log.entries();
        out["searches"] = entries.size();
        auto& settings = out["settings"] = nlohmann::ordered_json::array();
        for (const StudyEntry& e : entries) {
            settings.push_back(
                {{"rank", e.rank},
                 {"setting", e.commandLine},
                 {"first_run", e.firstRun.empty() ? nlohmann::ordered_json()
                                                  : nlohmann::ordered_json(e.firstRun)},
                 {"p", orNull(e.p)},
                 {"level", studyLevel(e.rank)},
                 {"p_adjusted", orNull(e.pAdjusted)},
                 {"verdict", e.verdict}});
        }
        printFigures(ctx, out, [&entries](std::ostream& text) {
            text << "本次研究已检索 " << entries.size() << " 种设置\n";
            if (entries.empty()) return;
            TextTable table({"名次", "p", "校正后 p", "结论", "设置"});
            for (const StudyEntry& e : entries) {
                table.add({std::to_string(e.rank), e.p ? formatPValue(*e.p) : "—",
                           e.pAdjusted ? formatPValue(*e.pAdjusted) : "—",
                           e.verdict.empty() ? "—" : e.verdict, e.commandLine});
            }
            table.print(text);
        });
    });
    setExamples(study, {"arrange5-cli study --format text", "arrange5-cli study --reset"});

    auto* recode = app.add_subcommand("recode", "按当前段数参数重算所有历史号码的段数");
    recode->callback([&ctx] {
        const int64_t rows = recodeSegments(ctx.store(), ctx.segmentBase);
        printSummary(ctx,
                     std::string("已按段数参数 ") + (ctx.segmentBase == 0 ? "0~4" : "1~5") +
                         " 重算 " + std::to_string(rows) + " 期的段数",
                     {{"rows", rows}, {"segment_base", ctx.segmentBase}});
    });
    setExamples(recode, {"arrange5-cli --segment-base 0 recode"});
}

}  // namespace arrange5::cli

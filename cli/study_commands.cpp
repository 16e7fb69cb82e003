#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>

#include "analysis/segment_bases.h"
#include "analysis/study_log.h"
#include "cli/chance_json.h"
#include "cli/cli_context.h"

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
            ctx.out << out.dump() << '\n';
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
        ctx.out << out.dump() << '\n';
    });

    auto* recode = app.add_subcommand("recode", "按当前段数参数重算所有历史号码的段数");
    recode->callback([&ctx] {
        const int64_t rows = recodeSegments(ctx.store(), ctx.segmentBase);
        ctx.out << "已按段数参数 " << (ctx.segmentBase == 0 ? "0~4" : "1~5") << " 重算 " << rows
                << " 期的段数\n";
    });
}

}  // namespace arrange5::cli

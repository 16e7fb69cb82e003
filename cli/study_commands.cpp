#include <CLI/CLI.hpp>
#include <memory>

#include "analysis/segment_bases.h"
#include "analysis/study_log.h"
#include "cli/cli_context.h"

namespace arrange5::cli {

void addStudyCommand(CLI::App& app, CliContext& ctx) {
    auto reset = std::make_shared<bool>(false);
    auto* study = app.add_subcommand("study", "本次研究已检索或验证的设置（多次检索校正的 N）");
    study->add_flag("--reset", *reset, "开始新的研究：此前计入的设置不再计入");
    study->callback([&ctx, reset] {
        StudyLog log(ctx.dataFolder());
        if (*reset) {
            const std::size_t before = log.count();
            log.reset();
            ctx.out << "已开始新的研究：此前计入的 " << before << " 种设置不再计入\n";
            return;
        }
        const auto settings = log.settings();
        ctx.out << "本次研究已检索 " << settings.size() << " 种设置\n";
        for (const auto& s : settings) ctx.out << s << '\n';
    });

    auto* recode = app.add_subcommand("recode", "按当前段数参数重算所有历史号码的段数");
    recode->callback([&ctx] {
        const int64_t rows = recodeSegments(ctx.store(), ctx.segmentBase);
        ctx.out << "已按段数参数 " << (ctx.segmentBase == 0 ? "0~4" : "1~5") << " 重算 " << rows
                << " 期的段数\n";
    });
}

}  // namespace arrange5::cli

#include <CLI/CLI.hpp>

#include "acquire/online_update.h"
#include "acquire/online_update_plan.h"
#include "cli/cli_context.h"
#include "cli/output.h"
#include "cli/parse_messages.h"
#include "cli/update_progress.h"
#include "store/errors.h"
#include "store/limits.h"

namespace arrange5::cli {

namespace {

struct UpdateArgs {
    std::string source;
    std::string url;
    int yearsToKeep = limits::kDefaultYearsToKeep;
    std::string today;
};

}  // namespace

void addUpdateCommand(CLI::App& app, CliContext& ctx) {
    auto args = std::make_shared<UpdateArgs>();
    auto* update = app.add_subcommand("update", "在线更新历史号码（体彩官方数据或开奖结果网页）");
    update
        ->add_option("--source", args->source,
                     "开奖结果来源：official（体彩官方数据）或 pages（开奖结果网页）；"
                     "默认取窗口的设置，没有设置时为 official")
        ->check(CLI::IsMember({"official", "pages"}));
    update
        ->add_option("--url", args->url,
                     "official：代替默认的体彩官方数据地址；pages：开奖结果网站的地址，"
                     "例如 https://example.org")
        ->check(nonEmptyAddress());
    auto* keep = update
                     ->add_option("--years-to-keep", args->yearsToKeep,
                                  "保留多少年的历史号码（2 到 16）；给出时删除更早年份的历史号码"
                                  "并重新读取保留的年份，不给出时从不删除")
                     ->transform(decimalNumber(limits::kMinYearsToKeep, limits::kMaxYearsToKeep));
    update->add_option("--today", args->today, "当前日期，YYYY-MM-DD");
    setExamples(update, {"arrange5-cli update",
                         "arrange5-cli update --source pages --url https://example.org",
                         "arrange5-cli update --years-to-keep 3"});
    update->callback([&ctx, args, keep] {
        // What the command line does not say, the window's settings say.
        const UserSettings& saved = ctx.settings;
        UpdateChoices choices;
        choices.source =
            updateSourceFromKey(args->source.empty() ? saved.updateSource : args->source)
                .value_or(UpdateSource::Official);
        const bool pages = choices.source == UpdateSource::Pages;
        choices.address = !args->url.empty() ? args->url
                          : pages            ? saved.updateHost
                                             : saved.officialUrl;
        if (pages && choices.address.empty()) {
            throw InputError(
                "--source pages 需要用 --url 给出开奖结果网站的地址，在线更新没有进行，"
                "历史号码没有改变");
        }
        choices.yearsToKeep = keep->count() > 0 ? args->yearsToKeep : saved.yearsToKeep;
        // Deleting years of history is never a default: only a --years-to-keep typed on this
        // command line allows it.
        choices.purgeAllowed = keep->count() > 0;
        choices.today = args->today;
        choices.segmentBase = ctx.segmentBase;
        const UpdateOptions options = updateOptionsFor(choices);
        const UpdateReport report =
            runOnlineUpdate(ctx.store(), options, ctx.sp, makeUpdateFetcher(options.source),
                            progressLines(ctx.err));
        printSummary(ctx, report.line());
        ctx.warn(report.warning());
        if (report.purgeDeclined) {
            ctx.warn(report.purgeDeclined->keptNotice() + "（要删除它们，请给出 --years-to-keep）");
        }
    });
}

}  // namespace arrange5::cli

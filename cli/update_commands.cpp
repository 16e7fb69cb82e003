#include <CLI/CLI.hpp>

#include "acquire/online_update.h"
#include "acquire/online_update_plan.h"
#include "cli/cli_context.h"
#include "store/errors.h"
#include "store/limits.h"

namespace arrange5::cli {

namespace {

struct UpdateArgs {
    std::string source = "official";
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
                     "开奖结果来源：official（体彩官方数据，默认）或 pages（开奖结果网页）")
        ->check(CLI::IsMember({"official", "pages"}));
    update->add_option("--url", args->url,
                       "official：代替默认的体彩官方数据地址；pages：开奖结果网站的地址，"
                       "例如 https://example.org");
    update
        ->add_option("--years-to-keep", args->yearsToKeep,
                     "保留多少年的历史号码（2 到 16）；给出时删除更早的历史号码再重新读取")
        ->check(CLI::Range(limits::kMinYearsToKeep, limits::kMaxYearsToKeep));
    update->add_option("--today", args->today, "当前日期，YYYY-MM-DD");
    update->callback([&ctx, args, update] {
        if (args->source == "pages" && args->url.empty()) {
            throw InputError(
                "--source pages 需要用 --url 给出开奖结果网站的地址，在线更新没有进行，"
                "历史号码没有改变");
        }
        UpdateChoices choices;
        choices.source = *updateSourceFromKey(args->source);
        choices.address = args->url;
        choices.yearsToKeep = args->yearsToKeep;
        // Deleting history takes the user's word on this command line, never a default.
        choices.purgeConsent = update->count("--years-to-keep") > 0;
        choices.today = args->today;
        choices.segmentBase = ctx.segmentBase;
        const UpdateOptions options = updateOptionsFor(choices);
        const UpdateReport report =
            runOnlineUpdate(ctx.store(), options, ctx.sp, makeUpdateFetcher(options.source));
        ctx.out << report.line() << "\n";
        ctx.warn(report.warning());
    });
}

}  // namespace arrange5::cli

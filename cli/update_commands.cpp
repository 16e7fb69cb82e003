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
    bool fallback = false;
};

UpdateReport runUpdate(CliContext& ctx, const UpdateChoices& choices) {
    const UpdateOptions options = updateOptionsFor(choices);
    // A script's log shows where the draws come from before anything is read; an address the
    // update refuses at once gets only the refusal's one line.
    if (updateSourceOfAddress(addressRead(choices))) {
        ctx.err << "arrange5-cli: 在线更新读取 " << updateSourceName(choices.source) << "："
                << addressRead(choices) << "\n";
    }
    return runOnlineUpdate(ctx.store(), options, makeUpdateFetcher(options.source),
                           progressLines(ctx.err));
}

}  // namespace

void addUpdateCommand(CLI::App& app, CliContext& ctx) {
    auto args = std::make_shared<UpdateArgs>();
    auto* update = app.add_subcommand("update", "在线更新历史号码（体彩官方数据或开奖结果网页）");
    update
        ->add_option("--source", args->source,
                     "开奖结果来源：official（体彩官方数据）或 pages（开奖结果网页）；总是优先。"
                     "不给出时由 --url 的形式决定，没有 --url 时取窗口的设置（Korvath.ini 的 "
                     "txtUpdateSource），都没有时为 official")
        ->check(CLI::IsMember({"official", "pages"}));
    update
        ->add_option("--url", args->url,
                     "要读取的地址：体彩官方数据的 JSON 地址（…/getHistoryPageListV1.qry?"
                     "gameNo=350133…）选用体彩官方数据，其他地址（例如 https://example.org）"
                     "选用开奖结果网页；不给出时取 Korvath.ini 的 txtOfficialUrl 或 "
                     "txtUpdateHost")
        ->check(nonEmptyAddress());
    auto* keep = update
                     ->add_option("--years-to-keep", args->yearsToKeep,
                                  "保留多少个日历年的历史号码（2 到 16，含今年）；给出时删除更早"
                                  "年份的历史号码并重新读入保留的年份，不给出时从不删除")
                     ->transform(decimalNumber(limits::kMinYearsToKeep, limits::kMaxYearsToKeep));
    update->add_option("--today", args->today, "当前日期，YYYY-MM-DD");
    update->add_flag("--fallback", args->fallback,
                     "体彩官方数据读不到时，改从开奖结果网页（Korvath.ini 的 txtUpdateHost）读取");
    setExamples(update, {"arrange5-cli update",
                         "arrange5-cli update --url https://webapi.sporttery.cn/gateway/lottery/"
                         "getHistoryPageListV1.qry?gameNo=350133&provinceId=0&isVerify=1",
                         "arrange5-cli update --source pages --url https://example.org",
                         "arrange5-cli update --years-to-keep 3 --fallback"});
    update->callback([&ctx, args, keep] {
        // What the command line does not say, the window's settings say.
        const UserSettings& saved = ctx.settings;
        const SourceChoice chosen = chooseUpdateSource(
            args->source.empty() ? std::nullopt : updateSourceFromKey(args->source), args->url,
            saved);
        UpdateChoices choices;
        choices.source = chosen.source;
        choices.address = chosen.address;
        if (choices.source == UpdateSource::Pages && choices.address.empty()) {
            throw InputError(
                "--source pages 需要用 --url 给出开奖结果网站的地址，在线更新没有进行，"
                "历史号码没有改变");
        }
        choices.yearsToKeep = keep->count() > 0 ? args->yearsToKeep : saved.yearsToKeep;
        // Deleting years of history is never a default: only a --years-to-keep typed on this
        // command line allows it.
        choices.purgeAllowed = keep->count() > 0;
        choices.today = args->today;
        UpdateReport report;
        try {
            report = runUpdate(ctx, choices);
        } catch (const FetchError& e) {
            const auto other =
                args->fallback ? fallbackChoices(choices, saved.updateHost) : std::nullopt;
            if (!other) throw;
            ctx.err << "arrange5-cli: " << fallbackNotice(e.what(), choices, *other) << "\n";
            report = runUpdate(ctx, *other);
        }
        // The three counts of what changed, and what was read, for a script.
        printSummary(ctx, report.line(),
                     {{"source", std::string(updateSourceKey(report.source))},
                      {"address", report.address},
                      {"added", report.added},
                      {"deleted", report.deleted},
                      {"reread", report.reread},
                      {"last_issue", report.lastIssue}});
        ctx.warn(report.warning());
        if (report.purgeDeclined) {
            ctx.warn(report.purgeDeclined->keptNotice() + "（要删除它们，请给出 --years-to-keep）");
        }
    });
}

}  // namespace arrange5::cli

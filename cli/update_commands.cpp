#include <CLI/CLI.hpp>
#include <chrono>
#include <ctime>

#include "acquire/online_update.h"
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

int yearOfDate(const std::string& text) {
    const auto bad = [&] {
        return InputError("--today 需要 YYYY-MM-DD 形式的日期，而不是“" + text + "”");
    };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') throw bad();
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9') throw bad();
    }
    const int y = std::stoi(text.substr(0, 4));
    const unsigned m = static_cast<unsigned>(std::stoi(text.substr(5, 2)));
    const unsigned d = static_cast<unsigned>(std::stoi(text.substr(8, 2)));
    if (!std::chrono::year_month_day{std::chrono::year{y}, std::chrono::month{m},
                                     std::chrono::day{d}}
             .ok()) {
        throw bad();
    }
    return y;
}

// The system date, YYYY-MM-DD.
std::string systemDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

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
        UpdateOptions options;
        options.source = *updateSourceFromKey(args->source);
        if (options.source == UpdateSource::Pages) {
            if (args->url.empty()) {
                throw InputError(
                    "--source pages 需要用 --url 给出开奖结果网站的地址，在线更新没有进行，"
                    "历史号码没有改变");
            }
            options.baseUrl = args->url;
        } else if (!args->url.empty()) {
            options.officialUrl = args->url;
        }
        options.yearsToKeep = args->yearsToKeep;
        // Deleting history takes the user's word on this command line, never a default.
        options.purgeConsent = update->count("--years-to-keep") > 0;
        options.today = args->today.empty() ? systemDate() : args->today;
        options.currentYear = yearOfDate(options.today);
        options.segmentBase = ctx.segmentBase;
        const UpdateReport report =
            runOnlineUpdate(ctx.store(), options, ctx.sp, makeUpdateFetcher(options.source));
        ctx.out << report.line() << "\n";
        ctx.warn(report.warning());
    });
}

}  // namespace arrange5::cli

#include <CLI/CLI.hpp>
#include <chrono>
#include <ctime>

#include "acquire/online_update.h"
#include "cli/cli_context.h"
#include "store/errors.h"

namespace arrange5::cli {

namespace {

struct UpdateArgs {
    std::string url;
    int yearsToKeep = 6;
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

int currentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

}  // namespace

void addUpdateCommand(CLI::App& app, CliContext& ctx) {
    auto args = std::make_shared<UpdateArgs>();
    auto* update = app.add_subcommand("update", "从开奖结果网站在线更新历史号码");
    update->add_option("--url", args->url, "开奖结果网站的地址，例如 https://example.org")
        ->required();
    update->add_option("--years-to-keep", args->yearsToKeep, "保留多少年的历史号码（2 到 16）")
        ->check(CLI::Range(2, 16));
    update->add_option("--today", args->today, "当前日期，YYYY-MM-DD");
    update->callback([&ctx, args] {
        UpdateOptions options;
        options.baseUrl = args->url;
        options.yearsToKeep = args->yearsToKeep;
        options.currentYear = args->today.empty() ? currentYear() : yearOfDate(args->today);
        options.segmentBase = ctx.segmentBase;
        const UpdateReport report =
            runOnlineUpdate(ctx.store(), options, ctx.sp, makeCurlFetcher());
        ctx.out << report.summary() << "\n";
    });
}

}  // namespace arrange5::cli

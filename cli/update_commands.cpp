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
        return InputError("--today needs a date written YYYY-MM-DD, not \"" + text + "\"");
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
    auto* update =
        app.add_subcommand("update", "bring the history up to date from the results site");
    update->add_option("--url", args->url, "results host, e.g. https://example.org")->required();
    update->add_option("--years-to-keep", args->yearsToKeep, "years of history to keep (2 to 16)")
        ->check(CLI::Range(2, 16));
    update->add_option("--today", args->today, "the current date, YYYY-MM-DD");
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

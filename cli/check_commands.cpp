#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "acquire/store_check.h"
#include "cli/chance_json.h"
#include "cli/cli_context.h"
#include "cli/output.h"

namespace arrange5::cli {

namespace {

nlohmann::ordered_json issueOrNull(int32_t issue) {
    return issue == 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(issue);
}

nlohmann::ordered_json toJson(const HistoryCheck& check) {
    nlohmann::ordered_json out;
    out["draws"] = check.draws;
    out["first"] = issueOrNull(check.first);
    out["last"] = issueOrNull(check.last);
    out["years"] = nlohmann::ordered_json::array();
    for (const CheckedYear& y : check.years) {
        nlohmann::ordered_json year;
        year["year"] = y.year;
        year["draws"] = y.draws;
        year["first"] = y.first;
        year["last"] = y.last;
        year["missing"] = y.missing;
        out["years"].push_back(std::move(year));
    }
    out["problems"] = check.problems;
    out["sha256"] = check.sha256;
    return out;
}

// The check for a reader: the span, one line a year with its missing issues, the problems and
// the digest.
void writeText(std::ostream& out, const HistoryCheck& check) {
    out << check.verdict() << "\n";
    if (check.draws > 0) {
        out << "共 " << check.draws << " 期，第 " << check.first << " 至 " << check.last << " 期\n";
    }
    TextTable years({"年份", "期数", "第一期", "最后一期", "缺少的期号"});
    for (const CheckedYear& y : check.years) {
        std::string missing;
        for (const int32_t issue : y.missing) {
            missing += (missing.empty() ? "" : " ") + std::to_string(issue);
        }
        years.add({std::to_string(y.year), std::to_string(y.draws), std::to_string(y.first),
                   std::to_string(y.last), missing.empty() ? "—" : missing});
    }
    years.print(out);
    for (const auto& problem : check.problems) out << "问题：" << problem << "\n";
    out << "SHA-256：" << check.sha256 << "\n";
}

}  // namespace

void addCheckCommand(CLI::App& app, CliContext& ctx) {
    auto* check =
        app.add_subcommand("check", "检查历史号码：每年的期数、缺少的期号、问题和 SHA-256 校验值");
    setExamples(check, {"arrange5-cli check --format text"});
    check->callback([&ctx] {
        // Only reads: a folder without a database is refused or filled from the bundled
        // history, never given an empty one.
        const StoreCheck result = checkStore(ctx.readingStore());
        nlohmann::ordered_json out = toJson(result.history);
        // The pick journal lives in the same file: the check says whether its chain holds.
        out["picks"] = {{"entries", result.pickEntries},
                        {"intact", result.picks.intact},
                        {"broken_at", orNull(result.picks.brokenAt)}};
        printFigures(ctx, out, [&](std::ostream& text) {
            writeText(text, result.history);
            text << "选号记录 " << result.pickEntries << " 条，"
                 << (result.picks.intact ? "校验链完整" : "校验链断开：" + result.picks.problem)
                 << "\n";
        });
        if (!result.history.sound()) ctx.warn(result.history.verdict());
    });
}

}  // namespace arrange5::cli

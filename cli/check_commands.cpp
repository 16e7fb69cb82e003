#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "acquire/history_check.h"
#include "cli/chance_json.h"
#include "store/pick_journal.h"
#include "cli/cli_context.h"

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

}  // namespace

void addCheckCommand(CLI::App& app, CliContext& ctx) {
    auto* check =
        app.add_subcommand("check", "检查历史号码：每年的期数、缺少的期号、问题和 SHA-256 校验值");
    check->callback([&ctx] {
        // Only reads: a folder without a database is refused or filled from the bundled
        // history, never given an empty one.
        HistoryStore& store = ctx.readingStore();
        const HistoryCheck result = checkHistory(store.rows());
        nlohmann::ordered_json out = toJson(result);
        // The pick journal lives in the same file: the check says whether its chain holds.
        const auto journal = readPickJournal(store);
        const PickChain chain = checkPickChain(store, journal);
        out["picks"] = {{"entries", journal.size()},
                        {"intact", chain.intact},
                        {"broken_at", orNull(chain.brokenAt)}};
        ctx.out << out.dump() << "\n";
        if (!result.sound()) ctx.warn(result.verdict());
        if (!chain.intact) ctx.warn(chain.problem);
    });
}

}  // namespace arrange5::cli

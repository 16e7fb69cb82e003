#include <CLI/CLI.hpp>

#include "acquire/maintenance.h"
#include "cli/cli_context.h"
#include "store/errors.h"

namespace arrange5::cli {

namespace {

Digits parseDraw(const std::string& text) {
    Digits digits{};
    bool ok = text.size() == 5;
    for (std::size_t i = 0; ok && i < 5; ++i) {
        ok = text[i] >= '0' && text[i] <= '9';
        if (ok) digits[i] = static_cast<int16_t>(text[i] - '0');
    }
    if (!ok) throw InputError("\"" + text + "\" is not a draw; give five digits, e.g. 01234");
    return digits;
}

int64_t parseNumber(const std::string& text, const std::string& what) {
    const auto value = parseWholeNumber(text);
    if (!value) throw InputError("\"" + text + "\" is not a number (" + what + ")");
    return *value;
}

// "14 draws removed; 16 draws stored (2014001 to 2014016)", or why nothing was removed.
std::string deletionSummary(std::size_t before, const std::optional<ReplaceReport>& report,
                            const std::string& whyNothing) {
    if (!report) return "nothing deleted (" + whyNothing + ")";
    const std::size_t removed = before >= report->stored ? before - report->stored : 0;
    return std::to_string(removed) + " draws removed; " + report->summary();
}

}  // namespace

void addMaintenanceCommands(CLI::App& app, CliContext& ctx) {
    auto* enter = app.add_subcommand("enter", "append one draw as manual entry does");
    auto draw = std::make_shared<std::string>();
    auto issue = std::make_shared<std::string>();
    enter->add_option("DIGITS", *draw, "the five digits of the draw, e.g. 01234")->required();
    enter->add_option("--issue", *issue, "issue number of the draw when the history is empty");
    enter->callback([&ctx, draw, issue] {
        const Digits digits = parseDraw(*draw);
        HistoryStore& store = ctx.store();
        std::optional<int32_t> given;
        if (!issue->empty()) {
            const int64_t n = parseNumber(*issue, "--issue");
            if (!isValidIssue(n)) {
                throw InputError(*issue + " is not an issue number (seven digits, e.g. 2013001)");
            }
            given = static_cast<int32_t>(n);
            // Only an empty history takes its issue from the user; otherwise the next issue
            // is fixed, and a different one given on purpose must not be ignored silently.
            if (!store.empty() && nextIssueForDisplay(store.rows().back().issue) != n) {
                throw InputError("the next issue is " +
                                 std::to_string(nextIssueForDisplay(store.rows().back().issue)) +
                                 "; --issue is only for an empty history");
            }
        }
        const int32_t stored = appendManualDraw(store, digits, ctx.segmentBase, ctx.sp, given);
        ctx.out << "issue " << stored << " stored: " << digitString(digits) << "\n";
    });

    auto* deleteLast = app.add_subcommand("delete-last", "delete the draw with the highest issue");
    deleteLast->callback([&ctx] {
        const int32_t deleted = deleteLastDraw(ctx.store());
        ctx.out << "issue " << deleted << " deleted; " << ctx.store().rows().size()
                << " draws remain\n";
    });

    auto* clear = app.add_subcommand("clear", "delete every draw of the history");
    clear->callback([&ctx] {
        const std::size_t deleted = clearHistory(ctx.store());
        ctx.out << deleted << " draws deleted; the history is empty\n";
    });

    auto* cutTo = app.add_subcommand("cut-to", "keep the draws up to ISSUE, rebuilt via lsbf.txt");
    auto cutIssue = std::make_shared<std::string>();
    cutTo->add_option("ISSUE", *cutIssue, "last issue to keep, e.g. 2014016")->required();
    cutTo->callback([&ctx, cutIssue] {
        const int64_t n = parseNumber(*cutIssue, "the issue to keep up to");
        HistoryStore& store = ctx.store();
        const std::size_t before = store.rows().size();
        const auto report = cutToIssue(store, n, ctx.segmentBase, ctx.sp);
        ctx.out << deletionSummary(before, report, "the issue is not greater than 0") << "\n";
    });

    auto* dropLast =
        app.add_subcommand("drop-last", "drop the last N issues, rebuilt via lsbf.txt");
    auto dropCount = std::make_shared<std::string>();
    dropLast->add_option("N", *dropCount, "how many issues to drop from the end")->required();
    dropLast->callback([&ctx, dropCount] {
        const int64_t n = parseNumber(*dropCount, "how many issues to drop");
        HistoryStore& store = ctx.store();
        const std::size_t before = store.rows().size();
        const auto report = dropLastIssues(store, n, ctx.segmentBase, ctx.sp);
        ctx.out << deletionSummary(before, report, "N is not greater than 0") << "\n";
    });

    auto* rebuild = app.add_subcommand("rebuild", "rebuild the history from lsbf.txt");
    rebuild->callback([&ctx] {
        HistoryStore& store = ctx.store();
        const std::size_t before = store.rows().size();
        const ReplaceReport report = rebuildFromBackup(store, ctx.segmentBase, ctx.sp);
        ctx.out << (report.stored == 0 ? "lsbf.txt is empty; " : "")
                << deletionSummary(before, report, {}) << "\n";
    });
}

}  // namespace arrange5::cli
